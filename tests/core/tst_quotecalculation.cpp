#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/numbers.h"
#include "core/quote/datacheck.h"
#include "core/quote/lcprice.h"
#include "core/quote/quotecalculation.h"
#include "core/quote/quotefigures.h"
#include "core/quote/quotejson.h"
#include "quotefixture.h"
#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// The demo classes: 断桥铝型材 (thermal) at 20 per kg, 普通铝型材 at 15.
const QString kDemoPrices = QStringLiteral("断桥铝型材/True/20\\普通铝型材/False/15");

QStringList rowTexts(const QuoteItem &item)
{
    QStringList texts;
    for (const QuoteMaterialRow &row : item.materials) {
        texts.append(QString::number(row.serial) + ' ' + row.name + ' ' + row.spec + ' ' + format3(row.qty) + ' '
            + row.unit + ' ' + format3(row.price) + ' ' + format3(row.total));
    }
    return texts;
}

QStringList itemNames(const QuoteResult &result)
{
    QStringList names;
    for (const QuoteItem &item : result.items)
        names.append(item.name);
    return names;
}

void addWindow(int id, const QString &series, const QString &window, double frame, double opening)
{
    sqlExec("INSERT INTO MjTemp VALUES (?,?,?,?,?)", {id, series, window, frame, opening});
}

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

class TestQuoteCalculation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void dataCheckFindsTheFirstUnpricedKind()
    {
        TestHome home(Demo::PricesAndProject);
        // Glass, accessory and profile prices go one after another; the check reports
        // profiles before accessories before glass.
        const std::pair<const char *, int> steps[] = {{"SELECT 1", 0}, {"DELETE FROM blName WHERE 名称='5mm白玻'", 3},
            {"DELETE FROM pjName WHERE 名称='滑轮'", 2}, {"UPDATE lcName SET 线重=NULL WHERE 代号='TL704'", 1}};
        for (const auto &[sql, check] : steps) {
            sqlExec(QString::fromUtf8(sql));
            QCOMPARE(int(DataCheck()), check);
        }
        QCOMPARE(dataCheckMessage(DataCheckResult::ProfileWithoutWeight), QString("主材数据中有记录末找到线重!"));
        QCOMPARE(dataCheckMessage(DataCheckResult::AccessoryWithoutPrice), QString("附件数据中有记录末找到单价!"));
        QCOMPARE(
            dataCheckQuestion(DataCheckResult::GlassWithoutPrice), QString("玻璃数据中有记录末找到单价!是否继续?"));
    }

    void lcPriceAsksEveryClassAndKeepsTheNumbers()
    {
        TestHome home(Demo::PricesAndProject);
        // 普通铝型材 also as a thermal-break class: both are asked, separately.
        sqlExec("UPDATE lcName SET 隔热=1 WHERE 代号='M503'");
        QStringList prompts;
        QList<std::optional<QString>> answers = {QString("12.50"), QString("abc"), QString(" 7.5 ")};
        const QVector<LcPriceClass> classes = readQuoteGroups(QuoteOptions()).classes;
        const QString result = lcPrice(classes, [&](const LcPriceClass &, const QString &prompt) {
            prompts.append(prompt);
            return answers.takeFirst();
        });
        QCOMPARE(prompts,
            QStringList({"请输入第1种主材:断桥铝型材;隔热材的单价:", "请输入第1种主材:普通铝型材;非隔热材的单价:",
                "请输入第1种主材:普通铝型材;隔热材的单价:"}));
        QCOMPARE(result, QString("断桥铝型材/True/12.5\\普通铝型材/False/0\\普通铝型材/True/7.5"));

        // A cancelled box counts 0; the items read back the same.
        const QString cancelled = lcPrice(classes, [](const LcPriceClass &, const QString &) { return std::nullopt; });
        QCOMPARE(cancelled, QString("断桥铝型材/True/0\\普通铝型材/False/0\\普通铝型材/True/0"));
        const QVector<LcPriceItem> items = splitLcPriceString(result);
        QCOMPARE(items.size(), 3);
        QCOMPARE(thermalFromText(items[2].flagText), std::optional<bool>(true));
        QCOMPARE(thermalFromText(items[1].flagText), std::optional<bool>(false));
        QCOMPARE(joinLcPriceItems(items), result);
        // A class name with "/" survives the round trip.
        QCOMPARE(splitLcPriceString("铝/钢/False/3")[0].cls, QString("铝/钢"));

        sqlExec("DELETE FROM LcTemp");
        QCOMPARE(readQuoteGroups(QuoteOptions()).classes.size(), 0);
    }

    void wholeProjectOverTheDemo()
    {
        TestHome home(Demo::PricesAndProject);
        QuoteOptions options;
        options.project = "某小区";
        options.title = "门窗报价单";
        options.withName = true; // no name in a whole-project title
        int rows = 0;
        const QuoteResult result = calculateQuote(options, kDemoPrices, NullPrices::Fail, [&] { ++rows; });
        QCOMPARE(result.items.size(), 1);
        const QuoteItem &item = result.items[0];
        QCOMPARE(QStringList({item.title, item.sheet, plainNumber(item.area), format3(item.materialTotal),
                     format3(item.unitPrice), format3(item.totalPrice)}),
            QStringList({"某小区门窗报价单", "报价表", "29.61", "183.029", "253.822", "7515.669"}));
        QCOMPARE(item.materials.size(), 11);
        QCOMPARE(rows, 11);
        QCOMPARE(readQuoteGroups(options).progressMaximum, 11);
    }

    void perSeriesOverTheDemo()
    {
        TestHome home(Demo::PricesAndProject);
        QuoteOptions options;
        options.scope = QuoteOptions::Scope::Series;
        options.project = "某小区";
        options.title = "报价";
        options.withName = true;
        const QuoteResult result = calculateQuote(options, kDemoPrices, NullPrices::Fail);
        QCOMPARE(itemNames(result), QStringList({"50平开门", "60平开窗", "70推拉窗"}));
        const QuoteItem &door = result.items[0];
        QCOMPARE(door.title, QString("某小区50平开门报价"));
        QCOMPARE(door.sheet, QString("50平开门"));
        // Frame areas 2.1 + 2.52 + 1.89 + 4.2 = 10.71 m².
        QCOMPARE(plainNumber(door.area), QString("10.71"));
        // Glass 0.864+1.152+0.864+1.92 = 4.8 m² / 10.71 = 0.448, at 168 × 0.9 = 151.2;
        // locks 4 / 10.71 = 0.373 at 86 × 0.85 = 73.1 -> 27.266.
        QCOMPARE(rowTexts(door),
            QStringList(
                {"1 普通铝型材 非隔热材 0.226 Kg/m2 15.000 3.390", "2 断桥铝型材 隔热材 6.433 Kg/m2 20.000 128.660",
                    "3 6+12A+6Low-E中空玻璃  0.448 m2/m2 151.200 67.738", "4 合页 4寸 1.120 个/m2 6.500 7.280",
                    "5 密封胶条 EPDM 2.502 米/m2 1.600 4.003", "6 门锁 单点 0.373 套/m2 73.100 27.266"}));
        QCOMPARE(door.materials[5].remark, QString("C级锁芯"));
        QCOMPARE(door.materials[4].remark, QString());
        // M = 238.337; 管理费 5 % = 11.917, 利润 8 % = 19.067 (both of M); F = 77.984.
        QCOMPARE(QStringList({format3(door.materialTotal), format3(door.fees[2].value), format3(door.fees[3].value),
                     format3(door.feeTotal), format3(door.unitPrice), format3(door.totalPrice)}),
            QStringList({"238.337", "11.917", "19.067", "77.984", "316.321", "3387.798"}));
        // Three accessories and one glass per series, plus 2 profile classes × 3 series.
        QCOMPARE(readQuoteGroups(options).progressMaximum, 3 * 3 + 3 + 2 * 3);
    }

    void perWindowOverTheDemoUsesOpeningAreas()
    {
        TestHome home(Demo::PricesAndProject);
        QuoteOptions options;
        options.scope = QuoteOptions::Scope::Window;
        options.areaBasis = QuoteOptions::AreaBasis::Opening;
        options.project = "P";
        options.title = "T";
        options.lossBl = QString(); // no glass loss factor: no glass
        const QuoteResult result = calculateQuote(options, kDemoPrices, NullPrices::Fail);
        QCOMPARE(result.items.size(), 12);
        QCOMPARE(result.areaBasis, QuoteOptions::AreaBasis::Opening);
        const QuoteItem &c1 = result.items[0];
        QCOMPARE(c1.name, QString("C1"));
        QCOMPARE(c1.title, QString("PT")); // Check1 off: no window number
        QCOMPARE(plainNumber(c1.area), QString("1.89"));
        QCOMPARE(c1.materials.size(), 6);
        QCOMPARE(rowTexts(c1)[2], QString("3 5+12A+5中空玻璃  0.000 m2/m2 95.000 0.000"));
        // Without the glass (74.195): M = 213.094 - 74.195 = 138.899, fees 35 + 12 + 6.945 + 11.112.
        QCOMPARE(QStringList({format3(c1.materialTotal), format3(c1.unitPrice), format3(c1.totalPrice)}),
            QStringList({"138.899", "203.956", "385.477"}));
        QCOMPARE(result.items[2].name, QString("C3"));
        // Three accessories and one glass per window, plus 2 profile classes × 12 windows: the
        // count is an upper bound, as the sliding windows hold one class only.
        QCOMPARE(readQuoteGroups(options).progressMaximum, 3 * 12 + 12 + 2 * 12);
    }

    void areasAreRoundedHalfToEven()
    {
        TestHome home;
        sqlExec("INSERT INTO MjTemp VALUES (1,'甲','A',0.125,1),(2,'乙','B',0.375,1),(3,'丙','C',2.675,1)");
        QuoteOptions options;
        options.scope = QuoteOptions::Scope::Window;
        const QuoteResult result = calculateQuote(options, QString(), NullPrices::Fail);
        QStringList areas;
        for (const QuoteItem &item : result.items)
            areas.append(plainNumber(item.area));
        QCOMPARE(areas, QStringList({"0.12", "0.38", "2.68"}));
    }

    // The demo figures that lie on decimal halves, worked out by hand with
    // the demo answers (24.5 and 18 per kg, losses 1.05, 1.02, 1.1).
    void demoHalvesGoToTheEvenNeighbour()
    {
        TestHome home(Demo::PricesAndProject);
        const QuoteRun series = demoQuoteRun(QuoteOptions::Scope::Series);
        const QuoteRun windows = demoQuoteRun(QuoteOptions::Scope::Window);
        auto item = [](const QuoteRun &run, const QString &name) {
            for (const QuoteItem &it : run.result.items) {
                if (it.name == name)
                    return it;
            }
            return QuoteItem();
        };
        auto figures = [](const QuoteItem &it, int row) -> QString {
            const QuoteMaterialRow &m = it.materials.value(row);
            return format3(m.qty) + QLatin1Char('*') + format3(m.price) + QLatin1Char('=') + format3(m.total);
        };
        // Halves 7.4295, 6.5455, 121.0055, 9.4705, 4.7385.
        QCOMPARE(
            QStringList({figures(item(series, "50平开门"), 3), figures(item(series, "60平开窗"), 3),
                figures(item(windows, "C4"), 1), figures(item(windows, "M1"), 3), figures(item(windows, "M4"), 3)}),
            QStringList({"1.143*6.500=7.430", "1.007*6.500=6.546", "4.939*24.500=121.006", "1.457*6.500=9.470",
                "0.729*6.500=4.738"}));
        // M2: 0.594 kg / 2.52 m² × 1.05 = 0.2475 -> 0.248; 0.405 × 73.1 = 29.6055 -> 29.606.
        const QuoteItem m2 = item(windows, "M2");
        QCOMPARE(figures(m2, 0), QString("0.248*18.000=4.464"));
        QCOMPARE(figures(m2, 5), QString("0.405*73.100=29.606"));
        // M = 4.464 + 174.195 + 76.054 + 7.891 + 4.274 + 29.606 = 296.484; 5 % = 14.8242,
        // 8 % = 23.71872; F = 85.543; 382.027 × 2.52 = 962.70804.
        QCOMPARE(QStringList(
                     {format3(m2.materialTotal), format3(m2.feeTotal), format3(m2.unitPrice), format3(m2.totalPrice)}),
            QStringList({"296.484", "85.543", "382.027", "962.708"}));
        // 50平开门: M = 283.670, 5 % = 14.1835 -> 14.184, 8 % = 22.6936; 367.548 × 10.71 = 3936.43908.
        const QuoteItem door = item(series, "50平开门");
        QCOMPARE(QStringList({format3(door.fees[2].value), format3(door.unitPrice), format3(door.totalPrice)}),
            QStringList({"14.184", "367.548", "3936.439"}));
    }

    void namesWithApostrophesSelectTheirRows()
    {
        TestHome home(Demo::Prices);
        addWindow(1, "O'Neil", "C'1", 2, 2);
        addWindow(2, "Plain", "C2", 2, 2);
        sqlExec("INSERT INTO BlTemp VALUES (1,'5mm白玻',1),(2,'5mm白玻',3)");
        QuoteOptions options;
        options.scope = QuoteOptions::Scope::Series;
        QuoteResult result = calculateQuote(options, QString(), NullPrices::Fail);
        QCOMPARE(itemNames(result), QStringList({"O'Neil", "Plain"}));
        QCOMPARE(rowTexts(result.items[0]), QStringList({"1 5mm白玻  0.500 m2/m2 38.000 19.000"}));
        options.scope = QuoteOptions::Scope::Window;
        result = calculateQuote(options, QString(), NullPrices::Fail);
        QCOMPARE(rowTexts(result.items[0]), QStringList({"1 5mm白玻  0.500 m2/m2 38.000 19.000"}));
    }

    void aScopeWithoutAreaStops()
    {
        TestHome home(Demo::Prices);
        addWindow(1, "S", "C1", 2, 2);
        addWindow(2, "S", "C2", 0, 0);
        QuoteOptions options;
        options.scope = QuoteOptions::Scope::Window;
        QCOMPARE(errorOf([&] { calculateQuote(options, QString(), NullPrices::Fail); }),
            QString("窗号 C2 门窗面积为0,无法计算每平方米的用量"));
        sqlExec("DELETE FROM MjTemp");
        options.scope = QuoteOptions::Scope::Whole;
        QVERIFY_THROWS_EXCEPTION(Error, calculateQuote(options, QString(), NullPrices::Fail));
    }

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
        // 5 % of 200 is 10; 8 % of 200 is 16 (not of 210).
        QStringList feeRows;
        for (const QuoteFeeRow &fee : item.fees)
            feeRows.append(QString::number(fee.serial) + ' ' + fee.priceText() + ' ' + format3(fee.value));
        QCOMPARE(feeRows, QStringList({"1 5.000% 10.000", "2 8.000% 16.000", "3 0.000% 0.000", "4 35.000 35.000"}));
        // F = 10 + 16 + 0 + 35 = 61; unit price 261; total 261 × 2.
        QCOMPARE(QStringList({format3(item.materialTotal), format3(item.feeTotal), format3(item.unitPrice),
                     format3(item.totalPrice)}),
            QStringList({"200.000", "61.000", "261.000", "522.000"}));
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
        QCOMPARE(item.fees[0].priceText(), QString("0.000"));
        QCOMPARE(QStringList({format3(item.materialTotal), format3(item.unitPrice), format3(item.totalPrice)}),
            QStringList({"1.715", "1.715", "5.146"}));
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
        QStringList rows;
        for (const QuoteMaterialRow &row : item.materials)
            rows.append(QString::number(row.serial) + ' ' + row.spec + ' ' + row.unit + ' ' + row.remark);
        QCOMPARE(rows, QStringList({"1 非隔热材 Kg/m2 ", "2 隔热材 Kg/m2 ", "3  m2/m2 ", "4 4寸 个/m2 不锈钢"}));
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
        QCOMPARE(errorOf([&] { priceQuoteItem(input, {}, {}, {}, NullPrices::Fail, nullptr); }),
            QString("门窗系列 S60 玻璃蓝玻没有单价"));
        QStringList warnings;
        const QuoteItem item = priceQuoteItem(input, {}, {}, {}, NullPrices::Zero, &warnings);
        QCOMPARE(totals(item), QStringList({"0.500*0.000=0.000"}));
        QCOMPARE(warnings.size(), 1);

        input.area = 0;
        QCOMPARE(errorOf([&] { priceQuoteItem(input, {}, {}, {}, NullPrices::Zero, nullptr); }),
            QString("门窗系列 S60 门窗面积为0,无法计算每平方米的用量"));
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

QTEST_GUILESS_MAIN(TestQuoteCalculation)
#include "tst_quotecalculation.moc"
