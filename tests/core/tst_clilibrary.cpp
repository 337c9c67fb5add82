#include "app/appstate.h"
#include "cli.h"
#include "common/database.h"
#include "common/ini.h"
#include "library/demolibrary.h"
#include "library/libraryfile.h"
#include "librarysupport.h"
#include "testsupport.h"

#include <QDir>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

struct CliResult {
    int status;
    QString out;
    QString err;
};

CliResult runCli(const TestHome &home, const QStringList &args)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status
        = cli::run(QStringList {"tarvex-cli", "--home", home.path(), "library"} + args, outStream, errStream);
    return {status, out, err};
}

int recordCount()
{
    LibraryConnection library;
    return sqlScalar("SELECT COUNT(*) FROM data", {}, library.db()).toInt();
}

} // namespace

class TestCliLibrary : public QObject {
    Q_OBJECT

private slots:
    void importListAndExport()
    {
        TestHome home;
        const QByteArray picture = testPicture("PNG");
        const QByteArray workbook = demoCuttingList(demoTemplates().last());
        writeFile(home.file("door.png"), picture);
        writeFile(home.file("door.xlsx"), workbook);
        CliResult r = runCli(home,
            {"import", "--series", "70系列平开门", "--name", "M0921", "--desc", "单扇\t左开\n门", home.file("door.png"),
                home.file("door.xlsx")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("已导入记录 1: 70系列平开门 / M0921\n"));
        QCOMPARE(runCli(home, {"import", "--series=S", "--name=N", home.file("door.png")}).status, 0);

        r = runCli(home, {"list"});
        QCOMPARE(r.out.split('\n'),
            (QStringList {"ID\t门窗系列\t模板名称\t图片字节\t工作簿\t模板描述",
                QStringLiteral("1\t70系列平开门\tM0921\t%1\t1\t单扇\\t左开\\n门").arg(picture.size()),
                QStringLiteral("2\tS\tN\t%1\t0\t").arg(picture.size()), ""}));

        r = runCli(home, {"demo", "--if-empty"});
        QVERIFY(r.status == 0 && r.out.contains("未改动"));

        r = runCli(home, {"export", "1", home.file("out")});
        QCOMPARE(r.status, 0);
        QCOMPARE(readFile(home.file("out/M0921.png")), picture);
        QCOMPARE(readFile(home.file("out/M0921.xlsx")), workbook);
        QCOMPARE(r.out.count('\n'), 2);
    }

    void badInputChangesNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString home = "HOME/";
        QTest::newRow("no such picture") << QStringList {"import", "--series", "S", "--name", "N", home + "none.png"}
                                         << 1 << "当前错误:文件不存在";
        QTest::newRow("not a picture") << QStringList {"import", "--series", "S", "--name", "N", home + "cs.ini"} << 1
                                       << "不是可以读取的图片";
        QTest::newRow("not a workbook") << QStringList {"import", "--series", "S", "--name", "N", home + "p.png",
            home + "p.png"} << 1 << "不是 Excel 工作簿";
        QTest::newRow("no series") << QStringList {"import", "--name", "N", home + "p.png"} << 2 << "需要 --series";
        QTest::newRow("no picture") << QStringList {"import", "--series", "S", "--name", "N"} << 2 << "缺少参数";
        QTest::newRow("unknown ID") << QStringList {"export", "99", home + "out"} << 1 << "没有编号为 99 的记录";
        QTest::newRow("ID not a number") << QStringList {"export", "x1", home + "out"} << 2 << "ID 应为记录编号";
        QTest::newRow("demo on a filled library") << QStringList {"demo"} << 1 << "已有记录";
        QTest::newRow("unknown subcommand") << QStringList {"remove", "1"} << 2 << "未知的子命令: remove";
        QTest::newRow("no subcommand") << QStringList {} << 2 << "子命令";
    }
    void badInputChangesNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        TestHome home;
        writeFile(home.file("p.png"), testPicture());
        {
            LibraryConnection library;
            addLibraryRecord(library.db(), "S", "N");
        }
        args.replaceInStrings("HOME/", home.path() + '/');
        const CliResult r = runCli(home, args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(recordCount(), 1);
        QVERIFY(!QFile::exists(home.file("out")));
    }

    void missingLibraryFolderIsReported()
    {
        TestHome home;
        appState().libraryFolder.clear(); // as in a run of tarvex-cli, which reads cs.ini
        WriteIni(home.file("cs.ini"), "sysPath", "path2", home.file("nowhere"));
        const CliResult r = runCli(home, {"list"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, "当前错误:图库文件夹不存在: " + QDir::toNativeSeparators(home.file("nowhere")) + "\n");
    }
};

QTEST_MAIN(TestCliLibrary)
#include "tst_clilibrary.moc"
