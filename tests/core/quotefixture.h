#pragma once

// Quotation runs over the demo data, with figures worked out here by the
// rules of the quotation (priced queries, rounding to 3 decimals at every
// stage, a half to the even neighbour), so the workbook can be checked
// against independent numbers.

#include "common/database.h"
#include "common/numbers.h"
#include "common/sqlquote.h"
#include "quote/quoterun.h"

#include <QSqlQuery>

#include <cmath>

namespace tarvex::test {

// Rounds a half to the even neighbour, judging the half on the decimal value
// as a spreadsheet or a calculator shows it (1.143 * 6.5 = 7.4295 -> 7.43),
// not on the binary noise of the double.
inline double roundDecimal(double x, int decimals)
{
    const QString text = QString::number(std::abs(x), 'f', decimals + 6);
    const int point = int(text.indexOf(QLatin1Char('.')));
    const QString kept = text.left(point + 1 + decimals);
    const QString rest = text.mid(point + 1 + decimals);
    const QString half = QStringLiteral("5") + QString(rest.size() - 1, QLatin1Char('0'));
    bool up = rest > half;
    if (rest == half)
        up = (kept.back().digitValue() % 2) == 1;
    double r = kept.toDouble() + (up ? std::pow(10.0, -decimals) : 0.0);
    r = QString::number(r, 'f', decimals).toDouble();
    return x < 0 ? -r : r;
}

inline double demoProfilePrice(const QString &lcPrice, const QString &materialClass, bool thermal)
{
    for (const QString &item : lcPrice.split(QLatin1Char('\\'))) {
        const QStringList f = item.split(QLatin1Char('/'));
        if (f.value(0) == materialClass && (f.value(1) == QLatin1String("True")) == thermal)
            return leadingNumber(f.value(2));
    }
    return 0;
}

inline QuoteItem demoQuoteItem(const QuoteRun &run, const QString &name, double area)
{
    QString where;
    if (run.options.scope == QuoteOptions::Scope::Series)
        where = QStringLiteral(" WHERE 门窗系列=") + SqlQuote(name);
    else if (run.options.scope == QuoteOptions::Scope::Window)
        where = QStringLiteral(" WHERE 窗号=") + SqlQuote(name);
    QuoteItem item;
    item.name = name;
    item.sheet = name.isEmpty() ? QStringLiteral("报价表") : name;
    item.title = run.options.project + (run.options.withName ? name : QString()) + run.options.title;
    item.area = area;
    const double l1 = leadingNumber(run.options.lossLc);
    const double l2 = leadingNumber(run.options.lossPj);
    const double l3 = leadingNumber(run.options.lossBl);
    int serial = 0;
    auto add = [&](QuoteMaterialRow row) {
        row.serial = ++serial;
        row.total = roundDecimal(row.qty * row.price, 3);
        item.materialTotal += row.total;
        item.materials.append(row);
    };
    QSqlQuery lc = sqlExec(QStringLiteral("SELECT SUM(长度*线重) AS 重量,隔热,材料类别 FROM PriceLc") + where
        + QStringLiteral(" GROUP BY 隔热,材料类别"));
    while (lc.next()) {
        QuoteMaterialRow row;
        row.kind = QuoteMaterialRow::Kind::Profile;
        row.name = lc.value(2).toString();
        row.thermal = lc.value(1).toBool();
        row.spec = row.thermal ? QStringLiteral("隔热材") : QStringLiteral("非隔热材");
        row.qty = roundDecimal(lc.value(0).toDouble() / area * l1, 3);
        row.unit = QStringLiteral("Kg/m2");
        row.price = demoProfilePrice(run.lcPriceString, row.name, row.thermal);
        add(row);
    }
    QSqlQuery bl = sqlExec(QStringLiteral("SELECT 名称,SUM(面积)AS 面积,FIRST(单价*折扣量) AS 单价 FROM PriceBl")
        + where + QStringLiteral(" GROUP BY 名称"));
    while (bl.next()) {
        QuoteMaterialRow row;
        row.kind = QuoteMaterialRow::Kind::Glass;
        row.name = bl.value(0).toString();
        row.qty = roundDecimal(bl.value(1).toDouble() / area * l3, 3);
        row.unit = QStringLiteral("m2/m2");
        row.price = roundDecimal(bl.value(2).toDouble(), 3);
        add(row);
    }
    QSqlQuery pj
        = sqlExec(QStringLiteral("SELECT 名称,规格,SUM(数量) AS 数量,FIRST(单位) AS 单位,FIRST(单价*折扣量) AS 单价,"
                                 "FIRST(技术要求) AS 要求 FROM PricePj")
            + where + QStringLiteral(" GROUP BY 名称,规格"));
    while (pj.next()) {
        QuoteMaterialRow row;
        row.kind = QuoteMaterialRow::Kind::Accessory;
        row.name = pj.value(0).toString();
        row.spec = pj.value(1).toString();
        row.qty = roundDecimal(pj.value(2).toDouble() / area * l2, 3);
        row.unit = pj.value(3).toString() + QStringLiteral("/m2");
        row.price = roundDecimal(pj.value(4).toDouble(), 3);
        row.remark = pj.value(5).toString();
        add(row);
    }
    QSqlQuery fy = sqlExec(QStringLiteral("SELECT * FROM FyTable"));
    int feeSerial = 0;
    while (fy.next()) {
        QuoteFeeRow fee;
        fee.serial = ++feeSerial;
        fee.name = fy.value(0).toString();
        fee.isPercentage = fy.value(1).toDouble() == 0;
        fee.rate = fee.isPercentage ? fy.value(2).toDouble() : fy.value(1).toDouble();
        fee.value = fee.isPercentage ? roundDecimal(fee.rate / 100 * item.materialTotal, 3) : fee.rate;
        item.feeTotal += fee.value;
        item.fees.append(fee);
    }
    item.unitPrice = roundDecimal(item.materialTotal + item.feeTotal, 3);
    item.totalPrice = roundDecimal((item.materialTotal + item.feeTotal) * item.area, 3);
    return item;
}

// The demo project quoted by the given scope, frame areas, with these answers
// to the profile price prompts.
inline QuoteRun demoQuoteRun(QuoteOptions::Scope scope)
{
    QuoteRun run;
    run.options.scope = scope;
    run.options.lossLc = QStringLiteral("1.05");
    run.options.lossPj = QStringLiteral("1.02");
    run.options.lossBl = QStringLiteral("1.1");
    run.options.project = QStringLiteral("演示工程");
    run.options.title = QStringLiteral("门窗报价单");
    run.lcPriceString = QStringLiteral("断桥铝型材/True/24.5\\普通铝型材/False/18");
    run.result.scope = scope;
    QString sql = QStringLiteral("SELECT SUM(框面积) AS mj FROM mjTemp");
    if (scope == QuoteOptions::Scope::Series)
        sql = QStringLiteral("SELECT SUM(框面积) AS mj,门窗系列 FROM mjTemp GROUP BY 门窗系列");
    else if (scope == QuoteOptions::Scope::Window)
        sql = QStringLiteral("SELECT SUM(框面积) AS mj,窗号 FROM mjTemp GROUP BY 窗号");
    QSqlQuery areas = sqlExec(sql);
    while (areas.next())
        run.result.items.append(
            demoQuoteItem(run, scope == QuoteOptions::Scope::Whole ? QString() : areas.value(1).toString(),
                roundDecimal(areas.value(0).toDouble(), 2)));
    return run;
}

} // namespace tarvex::test
