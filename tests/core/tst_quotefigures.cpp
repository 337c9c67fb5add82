#include "common/error.h"
#include "common/numbers.h"
#include "quote/quotefigures.h"
#include "quote/quotejson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace tarvex;

namespace {

QVector<LcPriceItem> prices(std::initializer_list<LcPriceItem> items)
{
    return QVector<LcPriceItem>(items);
}

QStringList totals(const QuoteItem &item)
{
    QStringList texts;
    for (const QuoteMaterialRow &row : item.materials)
        texts.append(format3(row.qty) + QLatin1Char('*') + format3(row.price) + QLatin1Char('=') + format3(row.total));
    return texts;
}

} // namespace

class TestQuoteFigures : public QObject {
    Q_OBJECT

private slots:
    void percentageFeesAreTakenOfTheMaterialTotalOnly()
    {
        // 400 kg over 2 m² at 1 per kg: Q = 200.000, T = M = 200.000.
        QuoteItemInput input;
        input.area = 2;
        input.profiles = {{400, true, "断桥"}};
        const QVector<FeeRecord> fees = {{"管理费", 0, 5}, {"利润", 0, 8}, {"空费", 0, 0}, {"安装费", 35, 0}};
        QStringList warnings;
        const QuoteItem item
            = priceQuoteItem(input, prices({{"断桥", "True", "1"}}), {}, fees, NullPrices::Fail, &warnings);
        QCOMPARE(format3(item.materialTotal), QString("200.000"));
        QCOMPARE(item.fees.size(), 4);
        // 5 % of 200 is 10; 8 % of 200 is 16 (not of 210).
        QCOMPARE(format3(item.fees[0].value), QString("10.000"));
        QCOMPARE(item.fees[0].priceText(), QString("5.000%"));
        QCOMPARE(format3(item.fees[1].value), QString("16.000"));
        QCOMPARE(item.fees[2].priceText(), QString("0.000%"));
        QCOMPARE(format3(item.fees[2].value), QString("0.000"));
        QCOMPARE(item.fees[3].priceText(), QString("35.000"));
        QCOMPARE(item.fees[3].serial, 4);
        // F = 10 + 16 + 0 + 35 = 61; unit price 261; total 261 × 2.
        QCOMPARE(format3(item.feeTotal), QString("61.000"));
        QCOMPARE(format3(item.unitPrice), QString("261.000"));
        QCOMPARE(format3(item.totalPrice), QString("522.000"));
        QVERIFY(warnings.isEmpty());
    }

    void roundingIsAppliedAtEachStage()
    {
        // Glass 1 m² over 3 m²: Q = 0.333 (0.3333...), P = 2.675, T = Round(0.333 × 2.675) = 0.891
        // (the unrounded quantity would give 0.892). Accessory 2 over 3: Q = 0.667,
        // P = Round(1.23456) = 1.235, T = Round(0.823745) = 0.824. M = 0.891 + 0.824 = 1.715.
        QuoteItemInput input;
        input.area = 3;
        input.glass = {{"白玻", 1, 2.675}};
        input.accessories = {{"执手", "L", 2, "个", 1.23456, QString()}};
        // A fixed amount of 0.0004 per m²: unit price Round(1.7154) = 1.715 but the total is
        // Round(1.7154 × 3) = 5.146, not 1.715 × 3 = 5.145.
        const QuoteItem item = priceQuoteItem(input, {}, {}, {{"杂费", 0.0004, 0}}, NullPrices::Fail, nullptr);
        QCOMPARE(totals(item), QStringList({"0.333*2.675=0.891", "0.667*1.235=0.824"}));
        QCOMPARE(item.materials[1].unit, QString("个/m2"));
        QCOMPARE(format3(item.materialTotal), QString("1.715"));
        QCOMPARE(item.fees[0].priceText(), QString("0.000"));
        QCOMPARE(format3(item.unitPrice), QString("1.715"));
        QCOMPARE(format3(item.totalPrice), QString("5.146"));
    }

    void rowsComeInOrderWithLossFactors()
    {
        QuoteItemInput input;
        input.area = 4;
        input.profiles = {{10, false, "普通"}, {10, true, "普通"}};
        input.glass = {{"中空", 2, 100}};
        input.accessories = {{"合页", "4寸", 8, "个", 5, "不锈钢"}};
        // Empty loss factor for accessories: their quantities and totals are 0.
        const LossFactors losses {1.05, 0, 1.1};
        const QuoteItem item = priceQuoteItem(
            input, prices({{"普通", "True", "30"}, {"普通", "False", "20"}}), losses, {}, NullPrices::Fail, nullptr);
        // 10/4 × 1.05 = 2.625 -> 2.625; the thermal row takes the True item's 30.
        QCOMPARE(totals(item),
            QStringList({"2.625*20.000=52.500", "2.625*30.000=78.750", "0.550*100.000=55.000", "0.000*5.000=0.000"}));
        QCOMPARE(item.materials[0].spec, QString("非隔热材"));
        QCOMPARE(item.materials[1].spec, QString("隔热材"));
        QCOMPARE(item.materials[1].unit, QString("Kg/m2"));
        QCOMPARE(item.materials[2].unit, QString("m2/m2"));
        QCOMPARE(item.materials[3].remark, QString("不锈钢"));
        QCOMPARE(item.materials[3].serial, 4);
        QCOMPARE(format3(item.materialTotal), QString("186.250"));
    }

    void unmatchedProfileIsPricedZeroWithAWarning()
    {
        QuoteItemInput input;
        input.area = 1;
        input.label = "窗号 C1";
        input.profiles = {{5, true, "断桥"}, {5, false, "普通"}};
        QStringList warnings;
        // Only the non-thermal 断桥 is priced: the thermal one must not borrow its price.
        const QuoteItem item = priceQuoteItem(
            input, prices({{"断桥", "False", "50"}, {"普通", "False", "9"}}), {}, {}, NullPrices::Fail, &warnings);
        QCOMPARE(totals(item), QStringList({"5.000*0.000=0.000", "5.000*9.000=45.000"}));
        QCOMPARE(warnings, QStringList({"窗号 C1 主材断桥(隔热材)没有单价,按0计算"}));
    }

    void missingPricesAndAreaStopOrCountZero()
    {
        QuoteItemInput input;
        input.area = 2;
        input.label = "门窗系列 S60";
        input.glass = {{"蓝玻", 1, std::nullopt}};
        try {
            priceQuoteItem(input, {}, {}, {}, NullPrices::Fail, nullptr);
            QFAIL("a Null price was priced");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("门窗系列 S60 玻璃蓝玻没有单价"));
        }
        QStringList warnings;
        const QuoteItem item = priceQuoteItem(input, {}, {}, {}, NullPrices::Zero, &warnings);
        QCOMPARE(totals(item), QStringList({"0.500*0.000=0.000"}));
        QCOMPARE(warnings.size(), 1);

        input.area = 0;
        try {
            priceQuoteItem(input, {}, {}, {}, NullPrices::Zero, nullptr);
            QFAIL("divided by a zero area");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("门窗系列 S60 门窗面积为0,无法计算每平方米的用量"));
        }
    }

    void jsonKeepsTheKeyOrderAndPrintedTexts()
    {
        QuoteResult result;
        result.scope = QuoteOptions::Scope::Window;
        QuoteItemInput input;
        input.name = "C\"1";
        input.sheet = "C\"1";
        input.title = "标题";
        input.area = 0.5;
        input.accessories = {{"执手", "L", 1, "个", 3, QString()}};
        result.items.append(priceQuoteItem(input, {}, {}, {{"利润", 0, 8}}, NullPrices::Fail, nullptr));
        const QString json = QString::fromUtf8(quoteResultJson(result));
        QVERIFY2(
            json.startsWith("{\"scope\": \"window\", \"area_basis\": \"frame\", \"items\": [\n  {\"name\": \"C\\\"1\", "
                            "\"sheet\": \"C\\\"1\", \"title\": \"标题\", \"area\": \"0.5\", \"materials\": ["),
            qPrintable(json));
        QVERIFY(json.contains(
            "{\"serial\": 1, \"kind\": \"accessory\", \"name\": \"执手\", \"spec\": \"L\", \"qty\": "
            "\"2.000\", \"unit\": \"个/m2\", \"price\": \"3.000\", \"total\": \"6.000\", \"remark\": \"\"}"));
        QVERIFY(json.contains("{\"serial\": 1, \"name\": \"利润\", \"price\": \"8.000%\", \"value\": \"0.480\"}"));
        QVERIFY(json.contains("\"material_total\": \"6.000\", \"fee_total\": \"0.480\", \"unit_price\": \"6.480\", "
                              "\"total_price\": \"3.240\"}"));
        // Every text escaped as QJsonDocument escapes it.
        for (const QString &text :
            {QString("a\\b"), QString("a\"b"), QString("\t\n\x01"), QString("\x7f中文😀"), QString(QChar(0xD800))}) {
            QuoteResult one;
            one.items.append(QuoteItem());
            one.items[0].title = text;
            const QByteArray escaped = QJsonDocument(QJsonArray {text}).toJson(QJsonDocument::Compact);
            const QByteArray expected = "\"title\": " + escaped.mid(1, escaped.size() - 2) + ',';
            QVERIFY(quoteResultJson(one).contains(expected));
        }
    }
};

QTEST_GUILESS_MAIN(TestQuoteFigures)
#include "tst_quotefigures.moc"
