// server push and pull: the workstation's file and the server's shared
// tables copied either way, the offers register only ever added to.

#include "clirun.h"
#include "core/common/db/database.h"
#include "core/common/db/sqlscript.h"
#include "core/common/error.h"
#include "core/server/sharedcopy.h"

#include <QFile>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

const QString kLocal = QStringLiteral("local-file");

// Every row of the copied tables, offers' PDFs by their size.
QStringList dump(QSqlDatabase db)
{
    QStringList rows;
    for (const QString &table : sharedPriceTables()) {
        const QString columns = table == QLatin1String("bjOffer")
            ? QStringLiteral("编号,日期,客户,总计,修订,LENGTH(报价单)")
            : QStringLiteral("*");
        for (const QString &row : queryRows(QStringLiteral("SELECT %1 FROM %2 ORDER BY 1,2").arg(columns, table), db))
            rows.append(table + QLatin1Char(':') + row);
    }
    return rows;
}

// An offer with its lines (the lines first: a recorded offer takes none),
// the number counter, and the remnant stock with the plan that kept it.
void addRecords(QSqlDatabase db, const QString &offer, double total, int lines, int counter)
{
    for (int line = 1; line <= lines; ++line)
        sqlExec("INSERT INTO bjOfferLine (编号,行号,窗号,樘数,面积,单价,金额) VALUES(?,?,'C1',1,1.5,200,300)",
            {offer, line}, db);
    sqlExec("INSERT INTO bjOffer (编号,日期,客户,总计,修订,报价单) VALUES(?,'2026-12-01','某公司',?,0,?)",
        QVariantList {offer, total, QVariant(QByteArray("%PDF-1.4 \x00\xff", 11) + offer.toUtf8())}, db);
    sqlExec("DELETE FROM bjOfferCount WHERE 编号键='BJ'", {}, db);
    sqlExec("INSERT INTO bjOfferCount (编号键,序号) VALUES('BJ',?)", {counter}, db);
}

void addRemnants(QSqlDatabase db)
{
    sqlExec("INSERT INTO lcRemnant (ID,代号,长度,工程,日期) VALUES(3,'KF601',1.25,'甲','2026-12-01'),"
            "(7,'KF602',0.8,'乙','2026-12-02')",
        {}, db);
    sqlExec("INSERT INTO lcCutConfirmed (ID,工程,方案,日期) VALUES(2,'甲','ab12','2026-12-01')", {}, db);
}

// The workstation's own file beside the server seat.
QSqlDatabase localFile(const TestHome &home)
{
    return Database::open(home.file(QStringLiteral("newdb.sqlite")), kLocal);
}

} // namespace

class TestSharedCopy : public QObject {
    Q_OBJECT

    // The two sides of a copy for the row's direction.
    struct Sides {
        QSqlDatabase source;
        QSqlDatabase target;
        QString command;
    };

    Sides sides(const TestHome &home)
    {
        QFETCH(bool, push);
        const QSqlDatabase local = localFile(home);
        return push ? Sides {local, testServerAdmin(), "push"} : Sides {testServerAdmin(), local, "pull"};
    }

    void directions()
    {
        QTest::addColumn<bool>("push");
        QTest::newRow("push") << true;
        QTest::newRow("pull") << false;
    }

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init()
    {
        useEngineOfRow();
        if (!onTestServer())
            QSKIP("a copy between a file and a server");
    }
    void cleanup() { Database::close(kLocal); }

    void previewCountsAndChangesNothing_data() { directions(); }
    // The preview prints what the copy will do and writes nothing; the copy
    // then mirrors the prices and remnants, adds the offer the target lacks,
    // keeps the one only the target has and never lowers a number counter.
    void previewCountsAndChangesNothing()
    {
        TestHome home;
        const Sides s = sides(home);
        runSqlScriptFile(sourcePath("data/demo/prices.sql"), s.source);
        addRecords(s.source, "BJ-1", 1200, 2, 1);
        addRemnants(s.source);
        addRecords(s.target, "BJ-0", 900, 1, 5);
        sqlExec("INSERT INTO lcStock (代号,定尺) VALUES('XX9',5.8)", {}, s.target);
        const QStringList before = dump(s.target);
        const int profiles = sqlScalar("SELECT COUNT(*) FROM lcName", {}, s.source).toInt();

        const CliResult preview = runCli(home, {"server", s.command, "--dry-run", "--no-library"});
        QVERIFY2(preview.status == 0, qPrintable(preview.err));
        for (const QString &line : {QString("  lcName: 新增 %1 修改 0 未变 0 无效 0 删除 0").arg(profiles),
                 QString("  lcStock: 新增 0 修改 0 未变 0 无效 0 删除 1"),
                 QString("  lcRemnant: 新增 2 修改 0 未变 0 无效 0 删除 0"),
                 QString("  bjOfferCount: 新增 0 修改 0 未变 1 无效 0 删除 0"),
                 QString("  bjOfferLine: 新增 2 修改 0 未变 0 无效 0 删除 0"),
                 QString("  bjOffer: 新增 1 修改 0 未变 0 无效 0 删除 0"), QString("只是预览, 没有写入")})
            QVERIFY2(preview.out.contains(line + '\n'), qPrintable(preview.out));
        QCOMPARE(dump(s.target), before);

        const CliResult copy = runCli(home, {"server", s.command, "--no-library"});
        QVERIFY2(copy.status == 0, qPrintable(copy.err));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM lcName", {}, s.target).toInt(), profiles);
        QCOMPARE(queryRows("SELECT 编号 FROM bjOffer ORDER BY 编号", s.target), QStringList({"BJ-0", "BJ-1"}));
        QCOMPARE(queryRows("SELECT 序号 FROM bjOfferCount", s.target), QStringList({"5"}));
        QCOMPARE(queryRows("SELECT COUNT(*) FROM lcStock WHERE 代号='XX9'", s.target), QStringList({"0"}));
        // A remnant added next takes a number after those copied.
        sqlExec("INSERT INTO lcRemnant (代号,长度) VALUES('KF601',0.5)", {}, s.target);
        QCOMPARE(queryRows("SELECT ID FROM lcRemnant ORDER BY ID", s.target), QStringList({"3", "7", "8"}));
    }

    // A copy the target cannot take changes nothing there, prices included,
    // and says why: an offer recorded on both sides with other contents
    // (found before writing, named), a line added to an offer the target
    // has recorded (refused by the target as it is written), a server
    // schema of a newer program.
    void refusedCopyChangesNothing_data()
    {
        QTest::addColumn<bool>("push");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("message");
        const QList<std::pair<int, QString>> refusals
            = {{0,
                   "    bjOffer 编号 “BJ-1”: 两边的登记内容不同; 已登记的报价不能覆盖, 请核对后再复制\n有1行无效, "
                   "没有复制这些表"},
                {1, "报价记录不能修改"}, {2, "的结构版本为 99, 本程序只能使用版本"}};
        for (const bool push : {true, false})
            for (const auto &[refusal, message] : refusals)
                QTest::addRow("%s %d", push ? "push" : "pull", refusal) << push << refusal << message;
    }

    void refusedCopyChangesNothing()
    {
        QFETCH(int, refusal);
        TestHome home;
        const Sides s = sides(home);
        runSqlScriptFile(sourcePath("data/demo/prices.sql"), s.source);
        addRecords(s.source, "BJ-1", 1200, 2, 1);
        if (refusal == 2)
            sqlExec("UPDATE tarvex.schemaVersion SET version = 99 WHERE part = 'working'", {}, testServerAdmin());
        else
            addRecords(s.target, "BJ-1", refusal == 0 ? 1250 : 1200, refusal == 0 ? 2 : 1, 1);
        const QStringList before = dump(s.target);
        const CliResult copy = runCli(home, {"server", s.command, "--no-library"});
        QCOMPARE(copy.status, 1);
        QFETCH(QString, message);
        const QString said = copy.out + copy.err;
        QVERIFY2(said.contains(message), qPrintable(said));
        QCOMPARE(dump(s.target), before);
    }

    // A login that may only read is refused a push and may still pull.
    void readerMayPullButNotPush()
    {
        TestHome home(Demo::Prices);
        runSqlScriptFile(sourcePath("data/demo/prices.sql"), localFile(home));
        sqlExec("UPDATE blName SET 单价=单价+1", {}, localFile(home));
        home.logInAsReader();
        const QStringList before = dump(testServerAdmin());
        const CliResult push = runCli(home, {"server", "push", "--no-library"});
        QCOMPARE(push.status, 1);
        QVERIFY2(push.err.contains("没有修改价格表的权限: ") && push.err.contains("用户 clerk 不能修改表 lcName"),
            qPrintable(push.err));
        QCOMPARE(dump(testServerAdmin()), before);
        const CliResult pull = runCli(home, {"server", "pull", "--no-library"});
        QVERIFY2(pull.status == 0, qPrintable(pull.err));
        QCOMPARE(dump(localFile(home)), before);
    }

    // What a push takes to the server, a pull into a new file brings back.
    void pushThenPullGivesTheSameRows()
    {
        TestHome home;
        QSqlDatabase local = localFile(home);
        runSqlScriptFile(sourcePath("data/demo/prices.sql"), local);
        sqlExec("INSERT INTO lcStock (代号,定尺) VALUES('KF601',6.5),('kf602',5.8)", {}, local);
        addRecords(local, "BJ-1", 1200.5, 3, 4);
        addRemnants(local);
        const QStringList rows = dump(local);
        const QVariant pdf = sqlScalar("SELECT 报价单 FROM bjOffer", {}, local);
        QVERIFY(rows.size() > 30);
        QCOMPARE(runCli(home, {"server", "push", "--no-library"}).status, 0);
        local = QSqlDatabase();
        Database::close(kLocal);
        QVERIFY(QFile::remove(home.file("newdb.sqlite")));
        const CliResult pull = runCli(home, {"server", "pull", "--no-library"});
        QVERIFY2(pull.status == 0, qPrintable(pull.err));
        QCOMPARE(dump(localFile(home)), rows);
        QCOMPARE(sqlScalar("SELECT 报价单 FROM bjOffer", {}, localFile(home)).toByteArray(), pdf.toByteArray());
    }
};

QTEST_GUILESS_MAIN(TestSharedCopy)
#include "tst_sharedcopy.moc"
