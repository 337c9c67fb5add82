#pragma once

#include "core/cutting/cutsettings.h"

#include <QString>
#include <QStringList>
#include <QVector>

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

// What the plan needs to know of a profile code besides its pieces.
struct CutCode {
    QString code;
    QString name; // lcName's 名称, empty when the code has no row there
    std::optional<double> weightPerMetre; // lcName's 线重
    std::optional<double> stock; // lcStock's 定尺; the default when absent
    QVector<CutPiece> pieces;
};

struct CutBar {
    QVector<int> cuts; // indices into CodePlan::pieces, longest first
    qint64 offcut = 0; // units left after the last piece
};

struct CodePlan {
    QString code;
    QString name;
    std::optional<double> weightPerMetre;
    qint64 stock = 0; // units
    QVector<CutPiece> pieces; // the pieces that fit a bar
    QVector<CutBar> bars; // fullest first
    int l1 = 0; // total length bound
    int l2 = 0; // Martello and Toth's bound
    int lp = 0; // the cutting-stock relaxation's bound, when it was needed
    int lowerBound() const { return std::max({l1, l2, lp}); }
    // No plan can use fewer bars.
    bool proven() const { return bars.size() == lowerBound(); }

    double stockMetres() const { return fromCutUnits(stock); }
    double cutMetres() const; // all pieces
    double offcutMetres() const;
    double utilisation() const; // percent of the bars' length that becomes pieces
    std::optional<double> weightKg() const; // bars × stock × 线重
};

struct CutPlan {
    CutSettings settings;
    QVector<CodePlan> codes; // in code order
    QVector<CutPiece> tooLong; // longer than their code's bar: left out
    QVector<CutPiece> invalid; // no length, or not above 0: left out
    QStringList warnings;

    int barCount() const;
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
// Lengths as the plan shows them: metres with three decimals, and a
// fourth when the length has one (0.1 mm).
QString formatCutLength(double metres);

} // namespace tarvex
