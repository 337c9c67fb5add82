#include "common/database.h"
#include "common/error.h"
#include "common/numbers.h"
#include "quote/datacheck.h"
#include "quote/lcprice.h"
#include "quote/quotecalculation.h"
#include "quotefixture.h"
#include "testsupport.h"

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

} // namespace

class TestQuoteCalculation : public QObject {
    Q_OBJECT

private slots:
    void dataCheckFindsTheFirstUnpricedKind()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        QCOMPARE(DataCheck(), 0);
        // Glass, accessory and profile prices go one after another; the check reports
        // profiles before accessories before glass.
        sqlExec("DELETE FROM blName WHERE 名称='5mm白玻'");
        QCOMPARE(DataCheck(), 3);
        sqlExec("DELETE FROM pjName WHERE 名称='滑轮'");
        QCOMPARE(DataCheck(), 2);
        sqlExec("UPDATE lcName SET 线重=NULL WHERE 代号='TL704'");
        QCOMPARE(DataCheck(), 1);
        QCOMPARE(dataCheckMessage(1), QString("主材数据中有记录末找到线重!"));
        QCOMPARE(dataCheckMessage(2), QString("附件数据中有记录末找到单价!"));
        QCOMPARE(dataCheckQuestion(3), QString("玻璃数据中有记录末找到单价!是否继续?"));
    }

    void lcPriceAsksEveryClassAndKeepsTheNumbers()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
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
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        QuoteOptions options;
        options.project = "某小区";
        options.title = "门窗报价单";
        options.withName = true; // no name in a whole-project title
        int rows = 0;
        const QuoteResult result = calculateQuote(options, kDemoPrices, NullPrices::Fail, [&] { ++rows; });
        QCOMPARE(result.items.size(), 1);
        const QuoteItem &item = result.items[0];
        QCOMPARE(item.title, QString("某小区门窗报价单"));
        QCOMPARE(item.sheet, QString("报价表"));
        QCOMPARE(plainNumber(item.area), QString("29.61"));
        QCOMPARE(item.materials.size(), 11);
        QCOMPARE(rows, 11);
        QCOMPARE(readQuoteGroups(options).progressMaximum, 11);
        QCOMPARE(format3(item.materialTotal), QString("183.029"));
        QCOMPARE(format3(item.unitPrice), QString("253.822"));
        QCOMPARE(format3(item.totalPrice), QString("7515.669"));
    }

    void perSeriesOverTheDemo()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
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
        QCOMPARE(format3(door.materialTotal), QString("238.337"));
        QCOMPARE(format3(door.fees[2].value), QString("11.917"));
        QCOMPARE(format3(door.fees[3].value), QString("19.067"));
        QCOMPARE(format3(door.feeTotal), QString("77.984"));
        QCOMPARE(format3(door.unitPrice), QString("316.321"));
        QCOMPARE(format3(door.totalPrice), QString("3387.798"));
        // Three accessories and one glass per series, plus 2 profile classes × 3 series.
        QCOMPARE(readQuoteGroups(options).progressMaximum, 3 * 3 + 3 + 2 * 3);
    }

    void perWindowOverTheDemoUsesOpeningAreas()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
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
        QCOMPARE(format3(c1.materialTotal), QString("138.899"));
        QCOMPARE(format3(c1.unitPrice), QString("203.956"));
        QCOMPARE(format3(c1.totalPrice), QString("385.477"));
        QCOMPARE(result.items[2].name, QString("C3"));
        // Three accessories and one glass per window, plus 2 profile classes × 12 windows: the
        // count is an upper bound, as the sliding windows hold one class only.
        QCOMPARE(readQuoteGroups(options).progressMaximum, 3 * 12 + 12 + 2 * 12);
    }

    void areasAreRoundedHalfToEven()
    {
        TestHome home;
        addWindow(1, "甲", "A", 0.125, 1);
        addWindow(2, "乙", "B", 0.375, 1);
        addWindow(3, "丙", "C", 2.675, 1);
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
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
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
        QCOMPARE(figures(item(series, "50平开门"), 3), QString("1.143*6.500=7.430")); // 7.4295
        QCOMPARE(figures(item(series, "60平开窗"), 3), QString("1.007*6.500=6.546")); // 6.5455
        QCOMPARE(figures(item(windows, "C4"), 1), QString("4.939*24.500=121.006")); // 121.0055
        QCOMPARE(figures(item(windows, "M1"), 3), QString("1.457*6.500=9.470")); // 9.4705
        QCOMPARE(figures(item(windows, "M4"), 3), QString("0.729*6.500=4.738")); // 4.7385
        // M2: 0.594 kg / 2.52 m² × 1.05 = 0.2475 -> 0.248; 0.405 × 73.1 = 29.6055 -> 29.606.
        const QuoteItem m2 = item(windows, "M2");
        QCOMPARE(figures(m2, 0), QString("0.248*18.000=4.464"));
        QCOMPARE(figures(m2, 5), QString("0.405*73.100=29.606"));
        // M = 4.464 + 174.195 + 76.054 + 7.891 + 4.274 + 29.606 = 296.484; 5 % = 14.8242,
        // 8 % = 23.71872; F = 85.543; 382.027 × 2.52 = 962.70804.
        QCOMPARE(format3(m2.materialTotal), QString("296.484"));
        QCOMPARE(format3(m2.feeTotal), QString("85.543"));
        QCOMPARE(format3(m2.unitPrice), QString("382.027"));
        QCOMPARE(format3(m2.totalPrice), QString("962.708"));
        // 50平开门: M = 283.670, 5 % = 14.1835 -> 14.184, 8 % = 22.6936; 367.548 × 10.71 = 3936.43908.
        const QuoteItem door = item(series, "50平开门");
        QCOMPARE(format3(door.fees[2].value), QString("14.184"));
        QCOMPARE(format3(door.unitPrice), QString("367.548"));
        QCOMPARE(format3(door.totalPrice), QString("3936.439"));
    }

    void namesWithApostrophesSelectTheirRows()
    {
        TestHome home;
        home.loadDemoPrices();
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
        TestHome home;
        home.loadDemoPrices();
        addWindow(1, "S", "C1", 2, 2);
        addWindow(2, "S", "C2", 0, 0);
        QuoteOptions options;
        options.scope = QuoteOptions::Scope::Window;
        try {
            calculateQuote(options, QString(), NullPrices::Fail);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("窗号 C2 门窗面积为0,无法计算每平方米的用量"));
        }
        sqlExec("DELETE FROM MjTemp");
        options.scope = QuoteOptions::Scope::Whole;
        QVERIFY_THROWS_EXCEPTION(Error, calculateQuote(options, QString(), NullPrices::Fail));
    }
};

QTEST_GUILESS_MAIN(TestQuoteCalculation)
#include "tst_quotecalculation.moc"
