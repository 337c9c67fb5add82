// priceExcel: one quotation sheet laid out like the paper quotation, its
// figures formulas over the detail sheet, each holding our own figure as its
// cached result.

#include "core/common/error.h"
#include "core/common/keytext.h"
#include "core/common/numbers.h"
#include "core/quote/quotebook_p.h"
#include "core/quote/sheetrounding.h"

namespace tarvex::quotebook {

namespace {

enum Column { Serial, Name, Spec, Qty, Unit, Price, Total, Remark, Raw, Loss, ColumnCount };

const int kTitleRow = 0;
const int kAreaRow = 1;
const int kHeadingRow = 2;
const int kFirstBodyRow = 3;

QString rowRef(int row, int col)
{
    // Column fixed, row relative: the formulas read their own row's cells.
    return QLatin1Char('$') + cellRef(row, col, false);
}

QString areaRef()
{
    return cellRef(kAreaRow, Name, true);
}

// The 隔热 text the detail sheet holds for this profile row's class.
QString flagTextFor(const QuoteDetails &details, const QuoteMaterialRow &row)
{
    for (const QVariantList &item : details.profiles) {
        bool ok = false;
        if (sameKey(item.value(0).toString(), row.name) && flagFromText(item.value(1).toString(), &ok) == row.thermal
            && ok)
            return item.value(1).toString();
    }
    return row.thermal ? QStringLiteral("True") : QStringLiteral("False");
}

// SUMPRODUCT over equal texts: letter case aside, as the quotation groups
// them, and without wildcards, so names like "M5*20" find only themselves.
QString lookup(const QStringList &conditions, const QString &valueRange)
{
    return QStringLiteral("SUMPRODUCT(") + conditions.join(QLatin1Char('*')) + QLatin1Char('*') + valueRange
        + QLatin1Char(')');
}

QString equal(const QString &range, const QString &what)
{
    return QLatin1Char('(') + range + QLatin1Char('=') + what + QLatin1Char(')');
}

// The fees are listed one per stored row, and two may differ in case only.
QString exact(const QString &range, const QString &what)
{
    return QStringLiteral("EXACT(") + range + QLatin1Char(',') + what + QLatin1Char(')');
}

struct Lookups {
    QString price; // as the detail sheet holds it, not rounded
    QString loss;
};

Lookups lookupsFor(const QuoteMaterialRow &m, int row, const QuoteDetails &details, const DetailRanges &r)
{
    Lookups l;
    const QString name = rowRef(row, Name);
    switch (m.kind) {
    case QuoteMaterialRow::Kind::Profile: {
        const QStringList match {equal(r.lcClass, name), equal(r.lcFlag, formulaText(flagTextFor(details, m)))};
        l.price = lookup(match, r.lcPrice);
        l.loss = lookup(match, r.lcLoss);
        break;
    }
    case QuoteMaterialRow::Kind::Glass: {
        const QStringList match {equal(r.blName, name)};
        l.price = lookup(match, r.blPrice);
        l.loss = lookup(match, r.blLoss);
        break;
    }
    case QuoteMaterialRow::Kind::Accessory: {
        const QStringList match {equal(r.pjName, name), equal(r.pjSpec, rowRef(row, Spec))};
        l.price = lookup(match, r.pjPrice);
        l.loss = lookup(match, r.pjLoss);
        break;
    }
    }
    return l;
}

// The unit price and loss factor the detail sheet holds for a material row,
// as its look-ups find them (0 for none).
struct DetailValues {
    double price = 0;
    double loss = 0;
};

DetailValues detailValues(const QuoteMaterialRow &m, const QuoteDetails &details)
{
    auto first = [](const QList<QVariantList> &rows, auto matches, int priceColumn, int lossColumn) {
        for (const QVariantList &row : rows) {
            if (matches(row))
                return DetailValues {row.value(priceColumn).toDouble(), row.value(lossColumn).toDouble()};
        }
        return DetailValues();
    };
    switch (m.kind) {
    case QuoteMaterialRow::Kind::Profile:
        return first(
            details.profiles,
            [&](const QVariantList &row) {
                bool ok = false;
                return sameKey(row.value(0).toString(), m.name)
                    && flagFromText(row.value(1).toString(), &ok) == m.thermal && ok;
            },
            2, 3);
    case QuoteMaterialRow::Kind::Glass:
        return first(
            details.glass, [&](const QVariantList &row) { return sameKey(row.value(0).toString(), m.name); }, 1, 2);
    case QuoteMaterialRow::Kind::Accessory:
        return first(
            details.accessories,
            [&](const QVariantList &row) {
                return sameKey(row.value(0).toString(), m.name) && sameKey(row.value(1).toString(), m.spec);
            },
            4, 5);
    }
    return DetailValues();
}

void writeHeader(SheetWriter &ws, const Formats &f, const QuoteItem &item)
{
    ws.mergedText(kTitleRow, Serial, kTitleRow, ColumnCount - 1, item.title, f.title);
    check(worksheet_set_row(ws.sheet(), kTitleRow, 28, nullptr));
    ws.text(kAreaRow, Serial, QStringLiteral("面积:"), f.label);
    ws.number(kAreaRow, Name, item.area, f.area);
    const QStringList headings {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("规格"),
        QStringLiteral("用量"), QStringLiteral("单位"), QStringLiteral("单价"), QStringLiteral("总价"),
        QStringLiteral("备注"), QStringLiteral("工程量"), QStringLiteral("损耗")};
    for (int c = 0; c < ColumnCount; ++c)
        ws.text(kHeadingRow, c, headings.at(c), f.heading);
    const double widths[] = {6, 20, 14, 10, 9, 10, 12, 14, 11, 8};
    for (int c = 0; c < ColumnCount; ++c)
        check(worksheet_set_column(ws.sheet(), lxw_col_t(c), lxw_col_t(c), widths[c], nullptr));
}

void writeSection(SheetWriter &ws, const Formats &f, int row, const QString &number, const QString &caption)
{
    ws.text(row, Serial, number, f.centred);
    ws.text(row, Name, caption, f.bold);
    for (int c = Spec; c < ColumnCount; ++c)
        ws.text(row, c, QString(), f.text);
}

void writeMaterialRow(SheetWriter &ws, const Formats &f, int row, double area, const QuoteMaterialRow &m,
    const QuoteDetails &details, const DetailRanges &ranges)
{
    const Lookups l = lookupsFor(m, row, details, ranges);
    const DetailValues v = detailValues(m, details);
    // A quantity formula is written only when it comes to our figure; when
    // it would not (the detail sheet's loss factor is not the one the figure
    // was computed with), the figure stands as a plain number.
    const bool qtyFormula = m.raw && area > 0 && Round(*m.raw / area * v.loss, 3) == m.qty;
    ws.number(row, Serial, m.serial, f.centred);
    ws.text(row, Name, m.name, f.text);
    ws.text(row, Spec, m.spec, f.text);
    if (qtyFormula) {
        ws.number(row, Raw, *m.raw, f.number);
        const QString quantity = QStringLiteral("%1/%2*%3").arg(cellRef(row, Raw), areaRef(), cellRef(row, Loss));
        ws.formula(row, Qty, QLatin1Char('=') + halfEvenFormula(quantity), m.qty, f.number);
    } else {
        ws.text(row, Raw, QString(), f.number);
        ws.number(row, Qty, m.qty, f.number);
    }
    ws.text(row, Unit, m.unit, f.centred);
    // Glass and accessory prices are rounded to 3 decimals, profile prices
    // are taken as they were typed.
    const QString price = m.kind == QuoteMaterialRow::Kind::Profile ? l.price : halfEvenFormula(l.price);
    ws.formula(row, Price, QLatin1Char('=') + price, m.price, f.number);
    ws.formula(row, Total,
        QLatin1Char('=') + halfEvenFormula(cellRef(row, Qty) + QLatin1Char('*') + cellRef(row, Price)), m.total,
        f.number);
    ws.text(row, Remark, m.remark, f.text);
    ws.formula(row, Loss, QLatin1Char('=') + l.loss, v.loss, f.number);
}

// Sum of a column over rows first..last, or 0 for no rows.
QString columnSum(int first, int last, int col)
{
    if (last < first)
        return QStringLiteral("0");
    return QStringLiteral("SUM(%1:%2)").arg(cellRef(first, col, true), cellRef(last, col, true));
}

void writeFeeRow(SheetWriter &ws, const Formats &f, int row, const QuoteFeeRow &fee, const QString &materialSum,
    const DetailRanges &r)
{
    const QStringList match {exact(r.fyName, rowRef(row, Name))};
    const QString amount = lookup(match, r.fyAmount);
    const QString percentage = lookup(match, r.fyPercent);
    ws.number(row, Serial, fee.serial, f.centred);
    ws.text(row, Name, fee.name, f.text);
    for (int c : {Spec, Qty, Unit, Remark, Raw, Loss})
        ws.text(row, c, QString(), f.text);
    // A fee whose amount is 0 is a percentage of the direct material cost.
    ws.formula(row, Price, QStringLiteral("=IF(%1=0,%2,%1)").arg(amount, percentage), fee.rate,
        fee.isPercentage ? f.percent : f.number);
    const QString percentageValue = halfEvenFormula(percentage + QStringLiteral("/100*") + materialSum);
    ws.formula(row, Total, QStringLiteral("=IF(%1=0,%2,%1)").arg(amount, percentageValue), fee.value, f.number);
}

void writeClosingRow(
    SheetWriter &ws, const Formats &f, int row, const QString &label, const QString &formula, double value)
{
    ws.text(row, Serial, label, f.centred);
    for (int c = Name; c < ColumnCount; ++c) {
        if (c != Total)
            ws.text(row, c, QString(), f.text);
    }
    ws.formula(row, Total, formula, value, f.number);
}

} // namespace

void priceExcel(SheetWriter &ws, const Formats &f, const QuoteItem &item, const QuoteDetails &details,
    const DetailRanges &ranges, int &done, const std::function<void(int)> &progress)
{
    writeHeader(ws, f, item);

    int row = kFirstBodyRow;
    writeSection(ws, f, row++, QStringLiteral("一"), QStringLiteral("直接材料费用"));
    const int firstMaterial = row;
    for (const QuoteMaterialRow &m : item.materials) {
        writeMaterialRow(ws, f, row++, item.area, m, details, ranges);
        ++done;
        if (progress)
            progress(done);
    }
    const QString materialSum = columnSum(firstMaterial, row - 1, Total);

    writeSection(ws, f, row++, QStringLiteral("二"), QStringLiteral("固定费用"));
    const int firstFee = row;
    for (const QuoteFeeRow &fee : item.fees)
        writeFeeRow(ws, f, row++, fee, materialSum, ranges);
    const QString feeSum = columnSum(firstFee, row - 1, Total);

    writeClosingRow(ws, f, row++, QStringLiteral("单价"),
        QLatin1Char('=') + halfEvenFormula(materialSum + QLatin1Char('+') + feeSum), item.unitPrice);
    writeClosingRow(ws, f, row++, QStringLiteral("总价"),
        QLatin1Char('=') + halfEvenFormula(QStringLiteral("(%1+%2)*%3").arg(materialSum, feeSum, areaRef())),
        item.totalPrice);

    worksheet_set_paper(ws.sheet(), 9);
    worksheet_fit_to_pages(ws.sheet(), 1, 0);
    // No print area: the sheet prints what it holds, columns A to J down to
    // the 总价 row, and a workbook of many sheets does not pay for a defined
    // name per sheet, which the library sorts into one list at its close.
    worksheet_center_horizontally(ws.sheet());
}

} // namespace tarvex::quotebook
