#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace tarvex {

// What one quotation run is asked to do: the options of the quotation dialog.
struct QuoteOptions {
    enum class Scope { Whole, Series, Window };
    enum class AreaBasis { Frame, Opening };

    Scope scope = Scope::Whole;
    AreaBasis areaBasis = AreaBasis::Frame;
    QString lossLc = QStringLiteral("1"); // Text1, profiles
    QString lossPj = QStringLiteral("1"); // Text2, accessories
    QString lossBl = QStringLiteral("1"); // Text3, glass
    QString project; // Text4
    QString title; // Text5
    bool withName = false; // Check1
    // Signature line of the paper quotation: Check2..Check4 with Text6..Text8.
    bool sign[3] = {false, false, false};
    QString signText[3];
};

// One row under "直接材料费用".
struct QuoteMaterialRow {
    enum class Kind { Profile, Glass, Accessory };
    int serial = 0;
    Kind kind = Kind::Profile;
    QString name;
    QString spec;
    double qty = 0; // Q, rounded to 3 decimals
    // The quantity Q was computed from, before division by the area: weight
    // in kg, glass area in m², accessory count in its unit.
    std::optional<double> raw;
    QString unit; // "Kg/m2", "m2/m2" or 单位 + "/m2"
    double price = 0; // P
    double total = 0; // T, rounded to 3 decimals
    QString remark; // 要求 of an accessory, empty when Null
    bool thermal = false; // profiles: the 隔热 flag of the class
};

// One row under "固定费用".
struct QuoteFeeRow {
    int serial = 0;
    QString name;
    bool isPercentage = false; // amount 0: a percentage of M
    double rate = 0; // the percentage, or the amount per m²
    double value = 0;
    // "5.000%" or "12.000"
    QString priceText() const;
};

// The quotation of one scope item.
struct QuoteItem {
    QString name; // "" for the whole project, else the series or window number
    QString sheet; // "报价表" or the name
    QString title; // titString
    double area = 0; // bjmj, rounded to 2 decimals
    QVector<QuoteMaterialRow> materials;
    QVector<QuoteFeeRow> fees;
    double materialTotal = 0; // M
    double feeTotal = 0; // F
    double unitPrice = 0; // Round(M + F, 3)
    double totalPrice = 0; // Round((M + F) × area, 3)
};

struct QuoteResult {
    QuoteOptions::Scope scope = QuoteOptions::Scope::Whole;
    QuoteOptions::AreaBasis areaBasis = QuoteOptions::AreaBasis::Frame;
    QVector<QuoteItem> items;
    QStringList warnings; // e.g. a profile class without a price answer
};

} // namespace tarvex
