#pragma once

#include "core/cutting/cutsettings.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <QSet>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>

namespace tarvex {

// One cut piece of the project: a row of LcTemp with its window.
struct CutPiece {
    QString code; // 代号
    QString series; // 门窗系列
    QString window; // 窗号
    double length = 0; // metres; NaN when the row has none
};

// An offcut kept for a later plan: a row of lcRemnant.
struct Remnant {
    qint64 id = 0;
    QString code; // 代号
    double length = 0; // 长度, metres
    QString project; // 工程: where it was cut off
    QString date; // 日期, yyyy-MM-dd
    // Where it came from, as the plan names it: "C0915.xdt 2026-01-05".
    QString origin() const;
};

// What the plan needs to know of a profile code besides its pieces.
struct CutCode {
    QString code;
    QString name; // lcName's 名称, empty when the code has no row there
    std::optional<double> weightPerMetre; // lcName's 线重
    std::optional<double> stock; // lcStock's 定尺; the default when absent
    QVector<CutPiece> pieces;
    QVector<Remnant> remnants; // to be taken before new bars
};

struct CutBar {
    QVector<int> cuts; // indices into CodePlan::pieces, longest first
    qint64 length = 0; // units: the stock length, or the remnant's
    qint64 offcut = 0; // units left after the last saw cut
    std::optional<Remnant> remnant; // the remnant it is cut from; none for a new bar
};

struct CodePlan {
    QString code;
    QString name;
    std::optional<double> weightPerMetre;
    qint64 stock = 0; // units
    QVector<CutPiece> pieces; // the pieces that fit a bar
    QVector<CutBar> bars; // new bars fullest first, then the remnants taken
    // Bounds on the new bars: total length (less the remnants), Martello and
    // Toth's, the cutting-stock relaxation's when it was needed, and the
    // optimum when an exact search proved it.
    int l1 = 0;
    int l2 = 0;
    int lp = 0;
    int exact = 0; // the least number itself, where an exact search proved it
    int lowerBound() const { return std::max({l1, l2, lp, exact}); }
    int newBars() const;
    int remnantBars() const { return int(bars.size()) - newBars(); }
    // No plan can use fewer new bars.
    bool proven() const { return newBars() == lowerBound(); }

    double stockMetres() const { return fromCutUnits(stock); }
    double cutMetres() const; // all pieces
    double offcutMetres() const;
    double utilisation() const; // percent of the bars' length that becomes pieces
    std::optional<double> weightKg() const; // new bars × stock × 线重
};

struct CutPlan {
    CutSettings settings;
    QVector<CodePlan> codes; // in code order
    QVector<CutPiece> tooLong; // longer than their code's bar: left out
    QVector<CutPiece> invalid; // no length, or not above 0: left out
    QStringList warnings;
    // Window numbers that more than one series use: their pieces are named
    // with the series as well.
    QSet<QString> sharedWindows;

    int barCount() const; // new bars
    int lowerBoundTotal() const;
};

// Progress: codes done out of all; it may come from any planning thread,
// one call at a time. cancel, when set, stops the planning early (the codes
// still open are then packed without the improvement stage).
struct CutProgress {
    std::function<void(int done, int total)> step;
    const std::atomic<bool> *cancel = nullptr;
};

// Packs every code's pieces into bars of its stock length, in parallel over
// the codes. Throws Error when the settings are unusable.
CutPlan planCuts(const QVector<CutCode> &codes, const CutSettings &settings, const CutProgress &progress = {});

// A piece as the user reads it in a message: "KF601 C3 1.235m".
QString describePiece(const CutPiece &piece);
// Lengths in metres with three decimals, and a fourth when the length has
// one (0.1 mm): the settings, messages and JSON.
QString formatCutLength(double metres);
// Lengths as the plan shows them: in the unit of the settings, millimetres
// as whole numbers (and a tenth when the length has one), or metres as
// formatCutLength; unitName is "mm" or "m".
QString formatPlanLength(double metres, CutUnit unit);
QString unitName(CutUnit unit);
// The window a piece belongs to as the plan names it: its number, and its
// series before it when another series uses the same number.
QString pieceWindow(const CutPiece &piece, const CutPlan &plan);
// What is left of a bar after its pieces and the saw cut after the last
// one; nothing when that cut takes the rest.
qint64 offcutOf(qint64 length, qint64 used, qint64 kerf);

} // namespace tarvex
