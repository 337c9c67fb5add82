#pragma once

#include "core/common/db/database.h"
#include "core/common/materialkind.h"
#include "core/prices/datacheckresult.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace tarvex {

// What identifies a material in the price tables, and what an entry dialog
// starts from when it adds the price record: a profile by its code (and the
// series of a window using it), an accessory by name, specification and
// technical requirement, a glass by its name.
struct MaterialKeys {
    QString series; // profiles only
    QString code; // profiles only
    QString name;
    QString spec;
    QString requirement;
};

// One material of the project without line weight (profiles) or unit
// price (accessories, glass).
struct MissingPrice {
    MaterialKind kind; // profile, accessory or glass
    MaterialKeys keys;
    int rows = 0; // working rows of this material
    int windows = 0; // distinct windows those rows belong to
    // The price record the views join that lacks the price (its 编号), or
    // Null when the price table has no record for the material at all.
    QVariant record;
};

// Every material of the working data without a price: profiles, then
// accessories, then glass, each sorted by its keys. Throws Error.
QList<MissingPrice> listMissingPrices(QSqlDatabase db = Database::shared());

// "主材", "附件" or "玻璃"; empty for windows.
QString materialKindName(MaterialKind kind);

// The keys as the check prints them: the code; name, specification and
// requirement; or the name.
QStringList missingPriceKeys(const MissingPrice &item);

// The check's result and message with the whole list, as JSON:
// {"code":1,"message":"…","missing":[{"kind":"主材","code":"…","rows":n,
// "windows":n}, {"kind":"附件","name":…,"spec":…,"requirement":…}, …]}.
QByteArray missingPricesJson(DataCheckResult check, const QString &message, const QList<MissingPrice> &items);

} // namespace tarvex
