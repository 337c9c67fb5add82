// A server that cannot be reached, a wrong password, a connection lost in
// the middle of a load, a price import or a quotation: the user is told which
// server and that nothing was done, nothing half-written stays, and the next
// action connects again.

#include "clirun.h"
#include "connectiondropper.h"
#include "core/common/db/database.h"
#include "core/common/db/engine.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"
#include "core/rawdata/workingtables.h"
#include "quotefixture.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// Every file under the folder with its bytes.
QMap<QString, QByteArray> folderContents(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readFile(path));
    }
    return files;
}

// The rows of the tables as the server holds them, for comparing.
QString tableDump()
{
    QString dump;
    for (const char *table : {"seat1.lctemp", "seat1.bltemp", "seat1.pjtemp", "seat1.mjtemp", "tarvex.lcname",
             "tarvex.pjname", "tarvex.blname", "tarvex.fytable"})
        dump += QString::fromLatin1(table) + QLatin1Char(':')
            + sqlScalar(QStringLiteral("SELECT string_agg(t::text, E'\\n' ORDER BY t::text) FROM %1 t")
                            .arg(QLatin1String(table)),
                {}, testServerAdmin())
                  .toString()
            + QLatin1Char('\n');
    return dump;
}

enum class Action { Load, Import, Quote };

} // namespace

class TestServerFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addServerRow(); }
    void init() { useEngineOfRow(); }
    void cleanup() { qunsetenv("PGPASSFILE"); }

    // Nobody there, or a login with the wrong password: the command and the
    // program's start say which server and why, the command fails, and no
    // file is made or changed. With the right password the same works.
    void unreachableServerIsNamedAndNothingWritten_data()
    {
        QTest::addColumn<QString>("conninfo"); // "suite" for the suite's own database
        QTest::addColumn<QByteArray>("password"); // a line of PGPASSFILE, if any
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing at the socket")
            << "host=/tmp/tarvex-nowhere port=5432 dbname=firm user=tarvex" << QByteArray()
            << "无法连接数据库服务器 /tmp/tarvex-nowhere:5432 上的数据库 firm, "
               "服务器没有响应或拒绝连接: ";
        QTest::newRow("nothing at the port")
            << "host=127.0.0.1 port=1 dbname=firm user=tarvex" << QByteArray()
            << "无法连接数据库服务器 127.0.0.1:1 上的数据库 firm, 服务器没有响应或拒绝连接: ";
        const QString refused = "上的数据库 t_core_tst_serverfaults: 用户名或密码不对 (密码写在 ~/.pgpass 或 "
                                "PGPASSFILE 指定的文件中): ";
        QTest::newRow("wrong password") << "suite" << QByteArray("*:*:*:tarvex_login:wrong\n") << refused;
        QTest::newRow("no password") << "suite" << QByteArray() << refused;
        QTest::newRow("right password") << "suite" << QByteArray("*:*:*:tarvex_login:right\n") << QString();
    }
    void unreachableServerIsNamedAndNothingWritten()
    {
        QFETCH(QString, conninfo);
        QFETCH(QByteArray, password);
        QFETCH(QString, error);
        TestHome home(Demo::Prices);
        sqlExec("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tarvex_login') THEN "
                "CREATE ROLE tarvex_login LOGIN IN ROLE tarvex_editor; END IF; END $$; "
                "ALTER ROLE tarvex_login PASSWORD 'right'",
            {}, testServerAdmin());
        Database::closeShared();
        if (conninfo == "suite")
            conninfo = QString(testServerConninfo()).replace("user=tarvex", "user=tarvex_login");
        useConninfo(home, conninfo, "seatpw");
        QTemporaryDir secrets;
        const QString passFile = QDir(secrets.path()).filePath("pgpass");
        if (!password.isEmpty()) {
            writeFile(passFile, password);
            QFile::setPermissions(passFile, QFile::ReadOwner | QFile::WriteOwner);
        }
        qputenv("PGPASSFILE", passFile.toLocal8Bit());
        const auto before = folderContents(home.path());

        const CliResult load = runCli(home, {"load", sourcePath("data/demo/demo.xdt")});
        const QString started
            = errorOf([&] { Database::openWorking(readDatabaseSettings(home.file("cs.ini")), home.path()); });
        if (error.isEmpty()) {
            QVERIFY2(load.status == 0, qPrintable(load.err));
            QCOMPARE(started, QString());
            QCOMPARE(sqlScalar("SELECT COUNT(*) FROM seatpw.mjtemp", {}, testServerAdmin()).toInt(), 12);
            return;
        }
        QCOMPARE(load.status, 1);
        QVERIFY2(
            load.err.startsWith("当前错误:无法连接数据库服务器 ") && load.err.contains(error), qPrintable(load.err));
        QVERIFY2(started.contains(error), qPrintable(started));
        QCOMPARE(folderContents(home.path()), before);
    }

    // The connection is ended while the action writes (or reads, for a
    // quotation): the action says so and changes nothing; the next one
    // connects again and succeeds.
    void droppedConnectionLeavesNothingHalfWritten_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("moment");
        QTest::newRow("load") << int(Action::Load) << kWhileWriting;
        QTest::newRow("price import") << int(Action::Import) << kWhileWriting;
        QTest::newRow("quotation") << int(Action::Quote) << kWhileReading;
    }
    void droppedConnectionLeavesNothingHalfWritten()
    {
        QFETCH(int, row);
        const auto action = Action(row);
        QFETCH(QString, moment);
        TestHome home(Demo::PricesAndProject);
        useConninfo(home, droppableConninfo(testServerConninfo()));
        home.reopen();
        writeFile(home.file("big.xdt"), repeatedDemoProject(1500));
        QByteArray prices = "名称,单价,折扣量\n";
        for (int i = 0; i < 30000; ++i)
            prices += "玻璃" + QByteArray::number(i) + ',' + QByteArray::number(i % 97) + ",1\n";
        writeFile(home.file("bl.csv"), prices);
        if (action == Action::Quote)
            loadRawDataFile(home.file("big.xdt"));
        const auto run = [&] {
            switch (action) {
            case Action::Load:
                loadRawDataFile(home.file("big.xdt"));
                break;
            case Action::Import: {
                const PriceTable &glass = priceTable(PriceTableId::Glass);
                importPriceList(glass, readPriceListFile(home.file("bl.csv"), glass), ImportMode::Merge);
                break;
            }
            case Action::Quote: {
                const ReadTransaction snapshot;
                QCOMPARE(demoQuoteRun(QuoteOptions::Scope::Whole).result.items.size(), 1);
                break;
            }
            }
        };
        const QString before = tableDump();

        ConnectionDropper dropper(testServerConninfo(), moment);
        const QString failure = errorOf(run);
        QVERIFY2(dropper.finish(), "the action ended before its connection could be cut");
        QVERIFY2(failure.startsWith("与数据库服务器 ") && failure.contains(" 上的数据库 t_core_tst_serverfaults")
                && failure.contains("的连接已断开, 操作没有完成 (下一次操作时重新连接)"),
            qPrintable(failure));
        QCOMPARE(tableDump(), before);

        QCOMPARE(errorOf(run), QString());
        QVERIFY(tableDump() != before || action == Action::Quote);
    }
};

QTEST_GUILESS_MAIN(TestServerFaults)
#include "tst_serverfaults.moc"
