#include "core/common/db/database.h"
#include "core/common/db/gridfilter.h"
#include "core/common/db/schema.h"
#include "core/prices/missingprices.h"
#include "core/prices/pricecolumns.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricerecords.h"
#include "core/prices/pricetables.h"
#include "core/quote/datacheck.h"
#include "core/quote/quoteworkbook.h"
#include "core/rawedit/rawrecords.h"
#include "quotefixture.h"
#include "testsupport.h"
#include "xlsxread.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

const QStringList kTables = {"MjTemp", "LcTemp", "PjTemp", "BlTemp", "lcName", "pjName", "blName", "FyTable"};

// Every row of every table with its rowid, for "nothing changed" checks.
QStringList everything(QSqlDatabase db = Database::shared())
{
    QStringList rows;
    for (const QString &table : kTables)
        rows += queryRows("SELECT '" + table + "',rowid,* FROM " + table + " ORDER BY rowid", db);
    return rows;
}

// The plan of a query as one text, to see which indexes it uses.
QString plan(const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q = sqlExec("EXPLAIN QUERY PLAN " + sql, values);
    QStringList details;
    while (q.next())
        details.append(q.value(3).toString());
    return details.join(" / ");
}

// The quantities, prices and totals of a workbook's quotation sheets, with
// their formulas: what must not depend on the letter case of the names.
QStringList quotedFigures(const QString &path)
{
    const XlsxBook book(path);
    QStringList figures;
    for (int s = 1; s < book.sheetNames().size(); ++s) {
        const auto cells = book.sheet(s);
        for (auto c = cells.begin(); c != cells.end(); ++c)
            if (c.key().at(0) >= 'D')
                figures.append(QStringLiteral("%1 %2 %3 =%4").arg(s).arg(c.key(), c.value().value, c.value().formula));
    }
    figures.sort();
    return figures;
}

} // namespace

class TestLetterCase : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    // A database made before texts compared without case (of version 1 or 2, or
    // from before versions were kept) is upgraded in place: every row, rowid
    // and index stays, and kf601 now finds KF601.
    void olderDatabaseIsUpgradedKeepingItsRows_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("unversioned") << 0;
        QTest::newRow("version 1") << 1;
        QTest::newRow("version 2") << 2;
    }

    void olderDatabaseIsUpgradedKeepingItsRows()
    {
        QFETCH(int, version);
        if (onTestServer())
            QSKIP("the upgrade of a file");
        TestHome home;
        Database::closeShared();
        const QString path = home.file("old.sqlite");
        QStringList before;
        {
            QSqlDatabase old = QSqlDatabase::addDatabase("QSQLITE", "old");
            old.setDatabaseName(path);
            QVERIFY(old.open());
            // As the program of that version left it.
            for (const SchemaStep &step : workingSchemaPlan().steps) {
                if (step.version > qMax(version, 1) || step.run)
                    break;
                for (const QString &statement : step.statements)
                    sqlExec(statement, {}, old);
            }
            sqlExec(QStringLiteral("PRAGMA user_version=%1").arg(version), {}, old);
            for (const char *sql : {
                     "INSERT INTO MjTemp VALUES (1,'S60','C1',1.5,1.6),(2,'s60','c2',1,1),(3,'S70','C3',1,1)",
                     "INSERT INTO LcTemp VALUES (1,'kf601',1000),(2,'KF601',500),(3,'x',1)",
                     "DELETE FROM LcTemp WHERE 代号='x'",
                     "INSERT INTO LcTemp VALUES (3,'Kf602',2)",
                     "INSERT INTO PjTemp VALUES (1,'执手','l型',NULL,2),(2,'执手','L型','黑色',1)",
                     "INSERT INTO BlTemp VALUES (1,'low-e玻璃',1.2)",
                     "INSERT INTO lcName VALUES "
                     "(4,'S60','框','KF601',1.2,1,'Al',NULL),(9,'S60','扇','kf602',1,0,'AL',NULL)",
                     "INSERT INTO pjName VALUES (1,'五金','执手','L型',NULL,'个',10,1,NULL)",
                     "INSERT INTO blName VALUES (1,'Low-E玻璃',80,1,NULL)",
                     "INSERT INTO FyTable VALUES ('abc',1,NULL),('ABC',2,NULL)",
                 })
                sqlExec(QString::fromUtf8(sql), {}, old);
            QCOMPARE(sqlScalar("SELECT COUNT(*) FROM PriceLc WHERE 线重 IS NULL", {}, old).toInt(), 2);
            before = everything(old);
        }
        QSqlDatabase::removeDatabase("old");

        QSqlDatabase db = Database::open(path);
        QVERIFY(sqlScalar("PRAGMA user_version", {}, db).toInt() >= 3);
        QVERIFY(sqlScalar("SELECT sql FROM sqlite_master WHERE name='lcName'", {}, db)
                    .toString()
                    .contains("代号 TEXT COLLATE NOCASE"));
        QCOMPARE(everything(db), before);
        QCOMPARE(queryRows("SELECT 代号,线重 FROM PriceLc", db), (QStringList {"kf601|1.2", "KF601|1.2", "Kf602|1"}));
        QCOMPARE(queryRows("SELECT 规格,单价 FROM PricePj", db), (QStringList {"l型|10", "L型|10"}));
        QCOMPARE(queryRows("SELECT 单价 FROM PriceBl", db), QStringList {"80"});
        QCOMPARE(DataCheck(db), DataCheckResult::AllPriced);
        // Groupings and look-ups meet the same texts as one.
        QCOMPARE(queryRows("SELECT COUNT(*) FROM mjTemp GROUP BY 门窗系列", db), (QStringList {"2", "1"}));
        QCOMPARE(queryRows("SELECT COUNT(*) FROM PriceLc GROUP BY 材料类别", db), QStringList {"3"});
        QCOMPARE(findWindowId("s70", "c3", db), 3);
        QCOMPARE(queryRows("SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='lcName'", db),
            QStringList {"lcName_Code"});
    }

    void lookUpsFiltersAndDuplicateChecksIgnoreLetterCase()
    {
        TestHome home;
        home.loadDemoPrices();
        sqlExec("INSERT INTO MjTemp VALUES (1,'S60','C1',1,1),(2,'s60','C1',1,1)");
        sqlExec("INSERT INTO LcTemp VALUES (1,'kf601',1)");
        QCOMPARE(queryRows("SELECT 线重 FROM PriceLc"), QStringList {"1.052"});
        // Of two windows that differ in case only, the one spelt so is found.
        QCOMPARE(findWindowId("S60", "C1"), 1);
        QCOMPARE(findWindowId("s60", "C1"), 2);
        QCOMPARE(findWindowId("S60", "c1"), 1);
        addRawEntry(MaterialKind::Profile, {"s60", "C1", "KF602", "2"});
        QCOMPARE(queryRows("SELECT ID FROM LcTemp WHERE 代号='KF602'"), QStringList {"2"});
        // The row shown is the one deleted, though another matches but for case.
        sqlExec("INSERT INTO LcTemp VALUES (1,'KF601',1)");
        deleteViewerRow(MaterialKind::Profile, {"S60", "C1", "KF601", "1"});
        QCOMPARE(queryRows("SELECT 代号 FROM LcTemp WHERE ID=1"), QStringList {"kf601"});

        GridFilter f;
        f.choose("门窗系列", "S60");
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM MjTemp" + f.sql(), f.values()).toInt(), 2);
        QCOMPARE(filterListValues("MjTemp", "门窗系列", GridFilter()).size(), 1);

        // The entry dialogs' duplicate checks: 密封胶条 EPDM is there already.
        const AccessoryEntry pj {"", "密封", "密封胶条", "epdm", "", "米", "1.5", "1", ""};
        QCOMPARE(saveAccessory(pj, EntryMode::Add).result, SaveResult::Duplicate);
        sqlExec("INSERT INTO FyTable VALUES ('Transport',1,NULL)");
        QVERIFY(errorOf([] { saveFee({"TRANSPORT", "2", ""}, EntryMode::Add, QString()); }).contains("已有名为"));
        // A fee may change the case of its own name.
        saveFee({"transport", "2", ""}, EntryMode::Modify, "Transport");
        QCOMPARE(
            queryRows("SELECT 费用名称,费用量 FROM FyTable WHERE 费用名称 LIKE 'trans%'"), QStringList {"transport|2"});
        // A price list names a stored fee in other letter case: it is that fee.
        const PriceListFile list {
            "fees.csv", {{1, {{0, "费用名称"}, {1, "费用量"}}, ""}, {2, {{0, "TRANSPORT"}, {1, "3"}}, ""}}};
        const PriceImportPlan imported = importPriceList(*findPriceTable("FyTable"), list, ImportMode::Merge);
        QCOMPARE(imported.counts(), QString("新增 0 修改 1 未变 0 无效 0"));
        QCOMPARE(
            queryRows("SELECT 费用名称,费用量 FROM FyTable WHERE 费用名称 LIKE 'trans%'"), QStringList {"TRANSPORT|3"});
    }

    // The project's key texts spelt in other letter case: nothing is missing
    // and the quotation comes to the same figures, its series grouped as one
    // and the class answers found whatever case they are typed in.
    void quotationPricesKeysWhateverTheirCase()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QuoteRun before = demoQuoteRun(QuoteOptions::Scope::Series);
        writeQuoteWorkbook(home.file("before.xlsx"), before);
        for (const char *sql : {
                 "UPDATE LcTemp SET 代号=lower(代号)",
                 "UPDATE PjTemp SET 规格=lower(规格)",
                 "UPDATE BlTemp SET 名称=lower(名称)",
                 "UPDATE MjTemp SET 门窗系列=(CASE WHEN CAST(ID AS INTEGER)%2=1 THEN 'S' ELSE 's' END)||门窗系列",
                 "UPDATE lcName SET 材料类别=(CASE WHEN 编号%2=1 THEN 'AL' ELSE 'al' END)||材料类别",
             })
            sqlExec(QString::fromUtf8(sql));
        QVERIFY(queryRows("SELECT 代号 FROM LcTemp").join("").contains(QRegularExpression("[a-z]")));
        QCOMPARE(DataCheck(), DataCheckResult::AllPriced);
        QVERIFY(listMissingPrices().isEmpty());

        QuoteRun run;
        run.options = demoQuoteOptions(QuoteOptions::Scope::Series);
        run.lcPriceString = "Al断桥铝型材/True/24.5\\aL普通铝型材/False/18";
        run.result = calculateQuote(run.options, readQuoteGroups(run.options), run.lcPriceString, NullPrices::Fail);
        const QuoteResult &after = run.result;
        QVERIFY(after.warnings.isEmpty());
        QCOMPARE(after.items.size(), before.result.items.size());
        for (int i = 0; i < after.items.size(); ++i) {
            QCOMPARE(after.items[i].area, before.result.items[i].area);
            QCOMPARE(after.items[i].materials.size(), before.result.items[i].materials.size());
            QCOMPARE(after.items[i].totalPrice, before.result.items[i].totalPrice);
        }
        // The workbook's look-ups find the detail rows spelt otherwise.
        writeQuoteWorkbook(home.file("after.xlsx"), run);
        QCOMPARE(quotedFigures(home.file("after.xlsx")), quotedFigures(home.file("before.xlsx")));
    }

    void joinsAndLookUpsUseIndexes()
    {
        if (onTestServer())
            QSKIP("a file's query plans; the server's are checked by tst_server");
        TestHome home;
        QVERIFY(plan("SELECT * FROM PriceLc").contains("lcName_Code"));
        QVERIFY(plan("SELECT * FROM PricePj").contains("pjName_NameSpec"));
        QVERIFY(plan("SELECT * FROM PriceBl").contains("blName_Name"));
        QVERIFY(plan("SELECT * FROM PriceLc").contains("MjTemp_ID"));
        const QString window = plan("SELECT ID FROM MjTemp WHERE 门窗系列=? AND 窗号=?", {"S60", "C1"});
        QVERIFY2(window.contains("MjTemp_Series") || window.contains("MjTemp_Window"), qPrintable(window));
        for (const QString &table : QStringList {"lcName", "pjName", "blName"}) {
            const QString key = keyCondition(table);
            const QString keyLookUp
                = plan("SELECT MIN(编号) FROM " + table + " WHERE " + key, QVariantList(key.count('?'), "a"));
            QVERIFY2(keyLookUp.contains("USING COVERING INDEX " + table + "_"), qPrintable(keyLookUp));
        }
        GridFilter f;
        f.choose("代号", "kf601");
        QVERIFY(plan("SELECT * FROM lcName" + f.sql(), f.values()).contains("lcName_Code"));
    }
};

QTEST_GUILESS_MAIN(TestLetterCase)
#include "tst_lettercase.moc"
