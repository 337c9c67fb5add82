#pragma once

// The remnant stock (余料库): offcuts long enough to be used again, kept in
// the table lcRemnant of the working database until a plan takes them.

#include "core/common/error.h"
#include "core/cutting/cutplan.h"

#include <QDate>
#include <QSqlDatabase>

namespace tarvex {

// Every remnant, by code, then longest first.
QVector<Remnant> readRemnants(QSqlDatabase db);
// The same for the grid of the remnant window, lengths in the plan's unit
// (millimetres to a tenth).
QString remnantGridQuery(CutUnit unit);
// A length typed in the plan's unit, in metres; the error names the box.
bool parseRemnantLength(const QString &text, CutUnit unit, double *metres, QString *error);

// Empty when the remnant can be kept; else what is wrong, for the user.
QString checkRemnant(const Remnant &remnant);
// A remnant added by hand (its id is ignored); returns the new id. Throws
// Error, also for what checkRemnant refuses.
qint64 addRemnant(QSqlDatabase db, const Remnant &remnant);
// Changes the code, length, project and date of the remnant with its id.
// Throws Error, also when there is no such remnant.
void updateRemnant(QSqlDatabase db, const Remnant &remnant);
// Throws Error when there is no remnant of that id.
void removeRemnant(QSqlDatabase db, qint64 id);

// "取余料 KF601 1250 mm, 来自 C0915.xdt 2026-01-05": the line that tells
// the workshop which remnant to fetch.
QString fetchText(const QString &code, const Remnant &remnant, CutUnit unit);

// The offcuts of a plan that are kept as remnants: at least the settings'
// remnant length long (and longer than nothing).
QVector<Remnant> offcutsToKeep(const CutPlan &plan, const QString &project, const QDate &date);

struct CutConfirmation {
    int kept = 0; // offcuts recorded as remnants
    int taken = 0; // remnants the plan used, removed
};
// A plan confirmed before for the same project: nothing changes.
class RepeatedConfirmation : public Error {
public:
    using Error::Error;
};

enum class ConfirmAgain { Refuse, Allow };

// The plan is being cut ("确认下料"): its offcuts to keep become remnants
// and the remnants it takes leave the stock, in one transaction. When a
// remnant it takes is no longer there as the plan knew it, nothing changes
// and Error names it. The same plan (the same bars, piece by piece) of the
// same project confirmed before throws RepeatedConfirmation, unless again
// allows it: a second confirmation would record its offcuts twice.
CutConfirmation confirmCutPlan(QSqlDatabase db, const CutPlan &plan, const QString &project, const QDate &date,
    ConfirmAgain again = ConfirmAgain::Refuse);
// "确认下料完成: 记录余料 3 段, 取走余料 1 段"
QString confirmationText(const CutConfirmation &done);

} // namespace tarvex
