// Two workstations of one firm on a server at the same time: each quotes its
// own project, numbers never repeat, a quotation sees one state of the prices.

#include "clirun.h"
#include "core/common/db/database.h"
#include "core/common/db/engine.h"
#include "core/common/db/schema.h"
#include "core/common/entrymode.h"
#include "core/common/error.h"
#include "core/prices/pricerecords.h"
#include "core/prices/pricetables.h"
#include "quotefixture.h"
#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

QString cliProgram()
{
    return QDir(TARVEX_BUILD_DIR).filePath("tarvex-cli");
}

// tarvex-cli started on a program folder; finished() gives its output.
class CliProcess {
public:
    CliProcess(const QString &home, const QStringList &args)
    {
        m_process.start(cliProgram(), QStringList {"--home", home} + args);
    }
    QString finished()
    {
        if (!m_process.waitForFinished(120000) || m_process.exitCode() != 0)
            QTest::qFail(m_process.readAllStandardError().constData(), __FILE__, __LINE__);
        return QString::fromUtf8(m_process.readAllStandardOutput());
    }

private:
    QProcess m_process;
};

QString runAlone(const QString &home, const QStringList &args)
{
    return CliProcess(home, args).finished();
}

QStringList quoteArguments()
{
    return demoQuoteArguments(QuoteOptions::Scope::Window) + QStringList {"--json", "-"};
}

} // namespace

class TestSeats : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addServerRow(); }
    void init() { useEngineOfRow(); }

    // Each seat quotes its own project, loaded and quoted at the same time
    // as the other's, as it does alone.
    void seatsQuoteTheirOwnProjects()
    {
        TestHome home(Demo::Prices);
        Database::closeShared();
        QTemporaryDir other;
        writeFile(
            QDir(other.path()).filePath("cs.ini"), readFile(home.file("cs.ini")).replace("seat=seat1", "seat=seat2"));
        const QString demo = QDir(TARVEX_SOURCE_DIR).filePath("data/demo/demo.xdt");
        // Project B: the demo's first three windows.
        const QString small = home.file("small.xdt");
        runAlone(other.path(), {"load", demo});
        writeFile(home.file("cut.sql"),
            "DELETE FROM LcTemp WHERE ID > 3; DELETE FROM PjTemp WHERE ID > 3; DELETE FROM BlTemp WHERE ID > 3; "
            "DELETE FROM MjTemp WHERE ID > 3;");
        runAlone(other.path(), {"init", "--seed", home.file("cut.sql")});
        runAlone(other.path(), {"save", small});

        runAlone(home.path(), {"load", demo});
        const QString whole = runAlone(home.path(), quoteArguments());
        runAlone(home.path(), {"load", small});
        const QString part = runAlone(home.path(), quoteArguments());
        QVERIFY(whole.contains("\"C1\"") && whole != part);

        CliProcess loadSmall(home.path(), {"load", small});
        CliProcess loadWhole(other.path(), {"load", demo});
        loadSmall.finished();
        loadWhole.finished();
        CliProcess quoteSmall(home.path(), quoteArguments());
        CliProcess quoteWhole(other.path(), quoteArguments());
        QCOMPARE(quoteSmall.finished(), part);
        QCOMPARE(quoteWhole.finished(), whole);
    }

    // Records added without 编号 by several workstations at once get the
    // highest + 1 each, never one number twice.
    void numbersAddedAtOnceDiffer()
    {
        TestHome home(Demo::Prices);
        const int before = sqlScalar("SELECT MAX(编号) FROM blName").toInt();
        Database::closeShared();
        QList<CliProcess *> adding;
        for (int i = 0; i < 4; ++i) {
            const QString script = home.file(QStringLiteral("add%1.sql").arg(i));
            writeFile(script,
                QStringLiteral("INSERT INTO blName (名称,单价,折扣量) VALUES ('新玻%1',50,1);").arg(i).toUtf8());
            adding.append(new CliProcess(home.path(), {"init", "--seed", script}));
        }
        for (CliProcess *p : adding) {
            p->finished();
            delete p;
        }
        home.reopen();
        QCOMPARE(queryRows("SELECT 编号 FROM blName WHERE 名称 LIKE '新玻%' ORDER BY 编号"),
            QStringList({QString::number(before + 1), QString::number(before + 2), QString::number(before + 3),
                QString::number(before + 4)}));
    }

    // A price import on one seat while the other quotes: the quotation has
    // all old or all new prices, never a mix.
    void quotationSeesOneStateOfThePrices()
    {
        TestHome home(Demo::PricesAndProject);
        Database::closeShared();
        const QString old = runAlone(home.path(), quoteArguments());
        QTemporaryDir other;
        writeFile(
            QDir(other.path()).filePath("cs.ini"), readFile(home.file("cs.ini")).replace("seat=seat1", "seat=seat2"));
        // Every accessory and glass price doubled, in one transaction, and back.
        writeFile(home.file("both.sql"), "UPDATE pjName SET 单价 = 单价 * 2; UPDATE blName SET 单价 = 单价 * 2;");
        runAlone(other.path(), {"init", "--seed", home.file("both.sql")});
        const QString fresh = runAlone(home.path(), quoteArguments());
        writeFile(home.file("back.sql"), "UPDATE pjName SET 单价 = 单价 / 2; UPDATE blName SET 单价 = 单价 / 2;");
        runAlone(other.path(), {"init", "--seed", home.file("back.sql")});
        QCOMPARE(runAlone(home.path(), quoteArguments()), old);
        QVERIFY(fresh != old);

        for (int round = 0; round < 3; ++round) {
            CliProcess quote(home.path(), quoteArguments());
            CliProcess change(other.path(), {"init", "--seed", home.file(round % 2 ? "back.sql" : "both.sql")});
            change.finished();
            const QString seen = quote.finished();
            QVERIFY2(seen == old || seen == fresh, "a quotation mixed old and new prices");
        }
    }

    // A workstation whose login may only read is told so on every change
    // and can still quote; a record another seat deleted meanwhile is named.
    void pricesChangeOnlyWhereAllowed()
    {
        TestHome home(Demo::PricesAndProject);
        const GlassEntry glass {"1", "白玻", "80", "1", ""};
        sqlExec("DELETE FROM blName WHERE 编号=1", {}, testServerAdmin());
        const QString gone = errorOf([&] { saveGlass(glass, EntryMode::Modify); });
        QVERIFY2(gone.startsWith("该记录已被其他用户删除: ") && gone.contains("玻璃单价表"), qPrintable(gone));

        home.logInAsReader();
        const QString refused = errorOf([&] { saveGlass(glass, EntryMode::Add); });
        QVERIFY2(refused.startsWith("没有修改价格表的权限: ") && refused.contains("玻璃单价表"), qPrintable(refused));
        QVERIFY(errorOf([] { clearPriceTable(priceTable(PriceTableId::Glass)); }).startsWith("没有修改价格表的权限"));
        QCOMPARE(demoQuoteRun(QuoteOptions::Scope::Whole).result.items.size(), 1);
    }

    // server init upgrades in place and refuses a shared schema of a newer
    // program, changing nothing; a password never goes into cs.ini.
    void serverInitKeepsWhatItDoesNotKnow()
    {
        TestHome home(Demo::Prices);
        const CliResult again = runCli(home, {"server", "init"});
        QVERIFY2(again.status == 0, qPrintable(again.err));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM blName").toInt() > 0, true);
        sqlExec("UPDATE tarvex.schemaVersion SET version = 99 WHERE part = 'working'", {}, testServerAdmin());
        const CliResult newer = runCli(home, {"server", "init"});
        QCOMPARE(newer.status, 1);
        QVERIFY2(newer.err.contains("的结构版本为 99, 本程序只能使用版本"), qPrintable(newer.err));
        QCOMPARE(
            sqlScalar("SELECT version FROM tarvex.schemaVersion WHERE part = 'working'", {}, testServerAdmin()).toInt(),
            99);
        sqlExec("UPDATE tarvex.schemaVersion SET version = ? WHERE part = 'working'",
            {workingSchemaPlan().currentVersion()}, testServerAdmin());

        DatabaseSettings settings = readDatabaseSettings(home.file("cs.ini"));
        settings.conninfo += " password=secret";
        const QString before = QString::fromUtf8(readFile(home.file("cs.ini")));
        QCOMPARE(errorOf([&] { writeDatabaseSettings(home.file("cs.ini"), settings); }),
            QString("连接字符串中不能写密码: 请把密码写在 ~/.pgpass (或 PGPASSFILE 指定的文件) 中"));
        QCOMPARE(QString::fromUtf8(readFile(home.file("cs.ini"))), before);
    }
};

QTEST_GUILESS_MAIN(TestSeats)
#include "tst_seats.moc"
