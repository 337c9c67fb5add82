#pragma once

#include "core/quote/lcprice.h"
#include "core/quote/quoteresult.h"

#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

namespace tarvex {

// The aggregate rows of one scope item, as the quantity queries return them.
struct ProfileGroup {
    double weight = 0; // SUM(长度*线重), kg
    bool thermal = false;
    QString cls;
};

struct GlassGroup {
    QString name;
    double area = 0;
    std::optional<double> price; // FIRST(单价*折扣量); nothing for Null
};

struct AccessoryGroup {
    QString name;
    QString spec;
    double qty = 0;
    QString unit;
    std::optional<double> price;
    QString remark; // 要求, empty for Null
};

// One FyTable row; a Null amount or percentage reads as 0.
struct FeeRecord {
    QString name;
    double amount = 0;
    double percentage = 0;
};

// What one quotation is computed from.
struct QuoteItemInput {
    QString name;
    QString sheet;
    QString title;
    QString label; // names the scope item in messages: "窗号 C1"
    double area = 0; // bjmj, already rounded to 2 decimals
    QVector<ProfileGroup> profiles;
    QVector<GlassGroup> glass;
    QVector<AccessoryGroup> accessories;
};

// The three loss factors as multipliers (the numeric value of Text1..Text3).
struct LossFactors {
    double lc = 1;
    double pj = 1;
    double bl = 1;
};

// A glass or accessory whose price is Null: the paper quotation stops, the
// spreadsheet quotation (whose user chose to go on) prices it 0.
enum class NullPrices { Fail, Zero };

// The figures of one quotation: material rows with Q, P, T rounded at each
// stage, M, the fixed fees, F, unit price and total price. A profile class
// without a price item is priced 0 and named in *warnings. rowDone is called
// after every material row. Throws Error when the area is 0 or, with
// NullPrices::Fail, on a missing price.
QuoteItem priceQuoteItem(const QuoteItemInput &input, const QVector<LcPriceItem> &prices, const LossFactors &losses,
    const QVector<FeeRecord> &fees, NullPrices nullPrices, QStringList *warnings,
    const std::function<void()> &rowDone = {});

} // namespace tarvex
