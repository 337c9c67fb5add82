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

QString number(std::optional<double> v, int digits)
{
    return v ? QString::number(*v, 'g', digits) : QStringLiteral("-");
}

std::optional<double> price(const QVariant &v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

// One text line per item and group, numbers to 12 digits where the two ways
// may add a group's rows in another order.
QStringList describe(const QVector<QuoteItemInput> &items, int digits = 12)
{
    auto n = [digits](std::optional<double> v) { return number(v, digits); };
    QStringList lines;
    for (const QuoteItemInput &item : items) {
        lines << "item " + item.name + ' ' + n(item.area);
        for (const ProfileGroup &g : item.profiles)
            lines << "  lc " + n(g.weight) + ' ' + QString::number(g.thermal) + ' ' + g.cls;
        for (const GlassGroup &g : item.glass)
            lines << "  bl " + g.name + ' ' + n(g.area) + ' ' + n(g.price);
        for (const AccessoryGroup &g : item.accessories)
            lines << "  pj " + g.name + '|' + g.spec + ' ' + n(g.qty) + ' ' + g.unit + ' ' + n(g.price) + ' '
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

// SQLite's own GROUP BY over the whole views, the scope column first, its
// groups laid beside the items by name: every sum exactly as SQLite adds a
// group's rows, every text from a group's first row.
QStringList sqliteGroups(const QuoteOptions &o, const QVector<QuoteItemInput> &items)
{
    const QString key = o.scope == Scope::Series ? QStringLiteral("门窗系列") : QStringLiteral("窗号");
    QHash<QString, QStringList> lines;
    auto add = [&](const QString &sql, const std::function<QString(const QSqlQuery &)> &line) {
        QSqlQuery q = sqlExec("SELECT " + key + "," + sql);
        while (q.next()) {
            if (!q.value(0).isNull())
                lines[q.value(0).toString().toLower()] << line(q);
        }
    };
    add("SUM(长度*线重),隔热,材料类别" + grouped("PriceLc", key + ",隔热,材料类别"), [](const QSqlQuery &q) -> QString {
        return "  lc " + number(q.value(1).toDouble(), 17) + ' ' + QString::number(q.value(2).toInt() != 0) + ' '
            + q.value(3).toString();
    });
    add("名称,SUM(面积),FIRST(单价*折扣量)" + grouped("PriceBl", key + ",名称"), [](const QSqlQuery &q) -> QString {
        return "  bl " + q.value(1).toString() + ' ' + number(q.value(2).toDouble(), 17) + ' '
            + number(price(q.value(3)), 17);
    });
    add("名称,规格,SUM(数量),FIRST(单位),FIRST(单价*折扣量),FIRST(技术要求)" + grouped("PricePj", key + ",名称,规格"),
        [](const QSqlQuery &q) -> QString {
            return "  pj " + q.value(1).toString() + '|' + q.value(2).toString() + ' '
                + number(q.value(3).toDouble(), 17) + ' ' + q.value(4).toString() + ' ' + number(price(q.value(5)), 17)
                + ' ' + q.value(6).toString();
        });
    QStringList all;
    for (const QuoteItemInput &item : items) {
        all << "item " + item.name + ' ' + number(item.area, 17);
        const QStringList of = lines.value(item.name.toLower());
        QStringList profiles = of.filter("  lc ");
        all << profiles << of.filter("  bl ") << of.filter("  pj ");
    }
    return all;
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

    // A file's groups are made by the program as the rows are read; they
    // must be SQLite's to the last bit, whatever order the rows lie in.
    void groupsAreSqlitesOwn_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("windows in load order") << QString();
        QTest::newRow("a window's rows after another's") << "INSERT INTO LcTemp VALUES (3,'KF601',0.7)";
        QTest::newRow("a window number on two windows")
            << "INSERT INTO MjTemp VALUES (61,'70推拉窗','W1',1,1); INSERT INTO LcTemp VALUES (61,'KF601',0.9)";
        QTest::newRow("bytes in a name") << "INSERT INTO PjTemp VALUES (5,X'00FF41','x','',1)";
        QTest::newRow("a text to add up") << "INSERT INTO BlTemp VALUES (6,'5mm白玻','1,5')";
    }

    void groupsAreSqlitesOwn()
    {
        QFETCH(QString, change);
        if (onTestServer())
            QSKIP("a server groups in its own queries");
        TestHome home(Demo::Prices);
        inTransaction(Database::shared(), [&] {
            for (int id = 1; id <= 60; ++id) {
                sqlExec("INSERT INTO MjTemp VALUES (?,?,?,1.5,1.7)",
                    {id, id % 7 == 0 ? QVariant() : QVariant(id % 2 ? "70推拉窗" : "60平开窗"),
                        id % 11 == 0 ? QVariant() : QVariant((id % 3 ? "W" : "w") + QString::number(id))});
                if (id % 5 == 0)
                    continue; // a window of area rows only
                // Sums whose last bits depend on the order of the rows.
                for (const double length : {1e16, 0.1, -1e16, 0.2, 0.3})
                    sqlExec("INSERT INTO LcTemp VALUES (?,?,?)", {id, id % 2 ? "KF601" : "kf603", length * id});
                sqlExec("INSERT INTO LcTemp VALUES (?,'M501',0.35)", {id});
                if (id % 4 == 0)
                    continue; // profiles only
                sqlExec("INSERT INTO BlTemp VALUES (?,?,?)", {id, id % 3 ? "5mm白玻" : "5MM白玻", 0.1 * id});
                sqlExec("INSERT INTO BlTemp VALUES (?,'5mm白玻',0.7)", {id});
                // One group: its name and 技术要求 from its first row.
                sqlExec("INSERT INTO PjTemp VALUES (?,'合页Ab','4寸',?,0.3)", {id, id % 2 ? "黑色" : "白色"});
                sqlExec("INSERT INTO PjTemp VALUES (?,'合页AB','4寸','',0.1)", {id});
                sqlExec("INSERT INTO PjTemp VALUES (?,'执手','7字型','',?)", {id, 1.0 / id});
            }
            // Materials of no window.
            sqlExec("INSERT INTO LcTemp VALUES (99,'KF601',2.5)");
            sqlExec("INSERT INTO PjTemp VALUES (99,'门锁','单点','',3)");
            // Classes of one name in two letter cases; a glass without a price.
            sqlExec("UPDATE lcName SET 材料类别='Alu',隔热=0 WHERE 代号='KF601'");
            sqlExec("UPDATE lcName SET 材料类别='ALU',隔热=0 WHERE 代号='KF603'");
            sqlExec("DELETE FROM blName WHERE 名称='5mm白玻'");
            for (const QString &statement : change.split("; ", Qt::SkipEmptyParts))
                sqlExec(statement);
        });
        for (const Scope scope : {Scope::Window, Scope::Series}) {
            QuoteOptions options;
            options.scope = scope;
            const QuoteGroups groups = readQuoteGroups(options);
            QCOMPARE(describe(groups.items, 17), sqliteGroups(options, groups.items));
            const QuoteGroups expected = reference(options);
            QCOMPARE(groups.dataCheck, expected.dataCheck);
            QCOMPARE(classTexts(groups.classes), classTexts(expected.classes));
            QCOMPARE(groups.progressMaximum, expected.progressMaximum);
        }
    }
};

QTEST_GUILESS_MAIN(TestQuoteGroups)
#include "tst_quotegroups.moc"
