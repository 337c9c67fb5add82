// The grouped passes against the reference: the quotation's queries run item
// by item, as the system states them, for every scope and area basis.

#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/db/sqlquote.h"
#include "core/quote/datacheck.h"
#include "core/quote/quotecalculation.h"
#include "core/quote/quotejson.h"
#include "testsupport.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

using Scope = QuoteOptions::Scope;

QString n12(std::optional<double> v)
{
    return v ? QString::number(*v, 'g', 12) : QStringLiteral("-");
}

std::optional<double> price(const QVariant &v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

// One text line per item and group, numbers to 12 digits: the two ways may
// add a group's rows in another order.
QStringList describe(const QVector<QuoteItemInput> &items)
{
    QStringList lines;
    for (const QuoteItemInput &item : items) {
        lines << "item " + item.name + ' ' + n12(item.area);
        for (const ProfileGroup &g : item.profiles)
            lines << "  lc " + n12(g.weight) + ' ' + QString::number(g.thermal) + ' ' + g.cls;
        for (const GlassGroup &g : item.glass)
            lines << "  bl " + g.name + ' ' + n12(g.area) + ' ' + n12(g.price);
        for (const AccessoryGroup &g : item.accessories)
            lines << "  pj " + g.name + '|' + g.spec + ' ' + n12(g.qty) + ' ' + g.unit + ' ' + n12(g.price) + ' '
                    + g.remark;
    }
    return lines;
}

int count(const QString &sql)
{
    return sqlScalar(sql).toInt();
}

// " FROM view WHERE ... GROUP BY keys ORDER BY keys": the groups in their
// keys' order, each read from its first row, on either engine.
QString grouped(const QString &view, const QString &keys, const QString &where = QString())
{
    QStringList order;
    for (const QString &k : keys.split(','))
        order.append(k + " NULLS FIRST");
    return " FROM " + groupedRows(view, keys) + where + " GROUP BY " + keys + " ORDER BY " + order.join(',');
}

// The system's queries: the area rows in the engine's order, then for each
// one the three item queries with the quoted name; the check, the classes
// and the counted bar maximum by their own queries.
QuoteGroups reference(const QuoteOptions &o)
{
    QuoteGroups g;
    const QString area
        = o.areaBasis == QuoteOptions::AreaBasis::Opening ? QStringLiteral("洞口面积") : QStringLiteral("框面积");
    const QString key = o.scope == Scope::Series ? QStringLiteral("门窗系列") : QStringLiteral("窗号");
    QString where;
    const QString sum = "SELECT SUM(" + area + ") AS mj,";
    const QString byKey = sum + key + grouped("mjTemp", key);
    QSqlQuery rows = sqlExec(o.scope == Scope::Whole ? QString(sum + "'' FROM mjTemp") : byKey);
    while (rows.next()) {
        QuoteItemInput item;
        item.area = rows.value(0).toDouble();
        item.name = rows.value(1).toString();
        if (o.scope != Scope::Whole)
            where = " WHERE " + key + "=" + SqlQuote(item.name);
        QSqlQuery lc
            = sqlExec("SELECT SUM(长度*线重) AS 重量,隔热,材料类别" + grouped("PriceLc", "隔热,材料类别", where));
        while (lc.next())
            item.profiles.append({lc.value(0).toDouble(), lc.value(1).toInt() != 0, lc.value(2).toString()});
        QSqlQuery bl
            = sqlExec("SELECT 名称,SUM(面积)AS 面积,FIRST(单价*折扣量) AS 单价" + grouped("PriceBl", "名称", where));
        while (bl.next())
            item.glass.append({bl.value(0).toString(), bl.value(1).toDouble(), price(bl.value(2))});
        QSqlQuery pj = sqlExec("SELECT 名称,规格,SUM(数量) AS 数量,FIRST(单位) AS 单位,FIRST(单价*折扣量) AS 单价,"
                               "FIRST(技术要求) AS 要求"
            + grouped("PricePj", "名称,规格", where));
        while (pj.next()) {
            item.accessories.append({pj.value(0).toString(), pj.value(1).toString(), pj.value(2).toDouble(),
                pj.value(3).toString(), price(pj.value(4)), pj.value(5).toString()});
        }
        g.items.append(item);
    }
    auto anyNull = [](const QString &sql, int field) {
        QSqlQuery q = sqlExec(sql);
        while (q.next()) {
            if (q.value(field).isNull())
                return true;
        }
        return false;
    };
    g.dataCheck = DataCheckResult(anyNull("SELECT 代号,FIRST (线重) AS 线重" + grouped("PriceLc", "代号"), 1)        ? 1
            : anyNull("SELECT 名称,规格,技术要求,FIRST(单价) AS 单价" + grouped("PricePj", "名称,规格,技术要求"), 3) ? 2
            : anyNull("SELECT 名称,FIRST(单价) AS 单价" + grouped("PriceBl", "名称"), 1)                             ? 3
                                                                                         : 0);
    QSqlQuery classes = sqlExec("SELECT 材料类别,隔热" + grouped("PriceLc", "材料类别,隔热"));
    while (classes.next())
        g.classes.append({classes.value(0).toString(), classes.value(1).toInt() != 0});
    const int nl
        = count("SELECT COUNT(隔热) AS ID FROM(SELECT 隔热,材料类别 FROM PriceLc GROUP BY 隔热,材料类别) AS g");
    if (o.scope == Scope::Whole) {
        g.progressMaximum = nl
            + count("SELECT COUNT(名称) AS ID FROM(SELECT 名称,规格 FROM PricePj GROUP BY 名称,规格) AS g")
            + count("SELECT COUNT(名称) AS ID FROM(SELECT 名称 FROM PriceBl GROUP BY 名称) AS g");
    } else {
        g.progressMaximum = count("SELECT COUNT(名称) AS ID FROM(SELECT " + key + ",名称,规格 FROM PricePj GROUP BY "
                                + key + ",名称,规格) AS g")
            + count(
                "SELECT COUNT(名称) AS ID FROM(SELECT " + key + ",名称 FROM PriceBl GROUP BY " + key + ",名称) AS g")
            + nl
                * count(
                    "SELECT COUNT(" + key + ") AS ID FROM(SELECT " + key + " FROM mjTemp GROUP BY " + key + ") AS g");
    }
    return g;
}

QStringList classTexts(const QVector<LcPriceClass> &classes)
{
    QStringList texts;
    for (const LcPriceClass &c : classes)
        texts << c.cls + '/' + thermalText(c.thermal);
    return texts;
}

// Several hundred windows in a few series, codes, specs and window numbers in
// mixed letter case (c36 first, then C36 twice; a spec's first row in lower
// case), names with apostrophes, windows without series, materials of no
// window and a 技术要求 that varies within a series.
void generateProject(int windows)
{
    QRandomGenerator rng(20260107);
    const QStringList series = {"60平开窗", "70推拉窗", "O'Neil门", "s80"};
    const QStringList codes = {"KF601", "kf602", "KF603", "KF604", "TL701", "tl702", "M501", "M503"};
    const QStringList glass = {"5mm白玻", "5+12A+5中空玻璃", "6+12A+6Low-E中空玻璃"};
    const QStringList accessories = {"执手|7字型", "合页|4寸", "滑轮|双轮", "门锁|单点", "密封胶条|EPDM"};
    const QStringList requirements = {"黑色", "", "C级锁芯"};
    inTransaction(Database::shared(), [&] {
        for (int id = 1; id <= windows; ++id) {
            const QVariant s = id % 23 == 0 ? QVariant() : QVariant(series[id % series.size()]);
            const int number = id % 37 == 0 ? id - 1 : id % 37 == 2 && id > 37 ? id - 3 : id;
            const QString window = (id % 2 ? "C" : "c") + QString::number(number);
            const double w = 0.6 + rng.bounded(240) / 100.0;
            const double h = 0.9 + rng.bounded(150) / 100.0;
            sqlExec("INSERT INTO MjTemp VALUES (?,?,?,?,?)", {id, s, window, w * h, (w + 0.05) * (h + 0.05)});
            for (int k = 0; k < 6; ++k)
                sqlExec("INSERT INTO LcTemp VALUES (?,?,?)", {id, codes[(id + k * 3) % codes.size()], k % 2 ? w : h});
            sqlExec("INSERT INTO BlTemp VALUES (?,?,?)", {id, glass[id % glass.size()], w * h * 0.8});
            for (int k = 0; k < 3; ++k) {
                const QStringList a = accessories[(id + k) % accessories.size()].split('|');
                sqlExec("INSERT INTO PjTemp VALUES (?,?,?,?,?)",
                    {id, a[0], id % 4 == 2 ? a[1].toLower() : a[1], requirements[(id / 7 + k) % requirements.size()],
                        k + 1 + w});
            }
        }
        sqlExec("INSERT INTO LcTemp VALUES (?,?,?)", {windows + 5, "KF601", 2.5});
        sqlExec("INSERT INTO PjTemp VALUES (?,?,?,?,?)", {windows + 5, "合页", "4寸", "", 3});
    });
}

} // namespace

class TestQuoteGroups : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void groupedPassesEqualTheItemQueries_data()
    {
        QTest::addColumn<int>("windows");
        QTest::newRow("demo") << 0;
        QTest::newRow("generated") << 400;
    }

    void groupedPassesEqualTheItemQueries()
    {
        QFETCH(int, windows);
        TestHome home(Demo::Prices);
        if (windows == 0) {
            home.loadDemoProject();
        } else {
            generateProject(windows);
            // A glass without price; classes of the same name, one thermal.
            sqlExec("DELETE FROM blName WHERE 名称='5mm白玻'");
            sqlExec("UPDATE lcName SET 隔热=1 WHERE 代号='M503'");
            // An edited window whose number others share in upper case: its
            // row stays the first of them (a server stores the edit apart).
            sqlExec("UPDATE MjTemp SET 框面积=框面积 WHERE ID=36");
        }
        for (int scope = 0; scope < 3; ++scope) {
            for (auto basis : {QuoteOptions::AreaBasis::Frame, QuoteOptions::AreaBasis::Opening}) {
                QuoteOptions options;
                options.scope = Scope(scope);
                options.areaBasis = basis;
                options.withName = true;
                const QuoteGroups expected = reference(options);
                const QuoteGroups groups = readQuoteGroups(options);
                QCOMPARE(describe(groups.items), describe(expected.items));
                QCOMPARE(groups.dataCheck, expected.dataCheck);
                QCOMPARE(classTexts(groups.classes), classTexts(expected.classes));
                QCOMPARE(groups.progressMaximum, expected.progressMaximum);
                // The figures from either to three decimals.
                const QString prices = "断桥铝型材/True/24.5\\普通铝型材/False/18\\普通铝型材/True/21";
                QCOMPARE(quoteResultJson(calculateQuote(options, groups, prices, NullPrices::Zero)),
                    quoteResultJson(calculateQuote(options, expected, prices, NullPrices::Zero)));
            }
        }
        QCOMPARE(DataCheck(), reference(QuoteOptions()).dataCheck);
    }
};

QTEST_GUILESS_MAIN(TestQuoteGroups)
#include "tst_quotegroups.moc"
