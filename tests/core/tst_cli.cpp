#include "clirun.h"
#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/library/demolibrary.h"
#include "core/library/libraryfile.h"
#include "librarysupport.h"
#include "quotefixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// The values of the keys, "a|b|c".
QString fields(const QJsonValue &object, const QStringList &keys)
{
    QStringList values;
    for (const QString &key : keys)
        values.append(object[key].toVariant().toString());
    return values.join('|');
}

const QStringList kPrices = {"--lc-price", "断桥铝型材/True/20", "--lc-price", "普通铝型材/False/15"};

CliResult runLibrary(const TestHome &home, const QStringList &args)
{
    return runCli(home, QStringList {"library"} + args);
}

int recordCount()
{
    LibraryConnection library;
    return sqlScalar("SELECT COUNT(*) FROM data", {}, library.db()).toInt();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void quoteWritesTheJsonForm()
    {
        TestHome home(Demo::PricesAndProject);
        const CliResult r = runCli(home,
            QStringList(
                {"quote", "--scope", "series", "--project", "某小区", "--title", "报价", "--with-name", "--json", "-"})
                + kPrices);
        QVERIFY2(r.status == 0 && r.err.isEmpty(), qPrintable(r.err));
        QVERIFY2(
            r.out.startsWith("{\"scope\": \"series\", \"area_basis\": \"frame\", \"items\": ["), qPrintable(r.out));
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray items = root["items"].toArray();
        QCOMPARE(items.size(), 3);
        const QJsonObject door = items[0].toObject();
        QCOMPARE(fields(door,
                     {"name", "sheet", "title", "area", "material_total", "fee_total", "unit_price", "total_price"}),
            QString("50平开门|50平开门|某小区50平开门报价|10.71|238.337|77.984|316.321|3387.798"));
        QCOMPARE(door["materials"].toArray().size(), 6);

        // The README's prices, per window: M2's 0.594 / 2.52 × 1.05 is the decimal half 0.2475 -> 0.248.
        const CliResult m2 = runCli(home,
            {"quote", "--scope", "window", "--loss-lc", "1.05", "--loss-pj", "1.02", "--loss-bl", "1", "--lc-price",
                "断桥铝型材/True/25", "--lc-price", "普通铝型材/False/21", "--json", "-"});
        QVERIFY2(m2.status == 0, qPrintable(m2.err));
        QString figures;
        for (const QJsonValue item : QJsonDocument::fromJson(m2.out.toUtf8())["items"].toArray()) {
            if (item["name"].toString() == "M2")
                figures = item["materials"][0]["qty"].toString() + '|' + fields(item, {"unit_price", "total_price"});
        }
        QCOMPARE(figures, QString("0.248|379.024|955.140"));
    }

    void optionsComeFromCsIniAndMissingPricesAreNamed()
    {
        TestHome home(Demo::PricesAndProject);
        const QStringList keys = {"tx1", "tx4", "tx5", "op3", "op5", "ch1"};
        const QStringList values = {"1.1", "甲方", "单", "True", "True", "1"};
        for (int i = 0; i < keys.size(); ++i)
            QVERIFY(WriteIni(iniPath(), "cs1", keys[i], values[i]));
        const QString file = home.file("quote.json");
        const QStringList args
            = {"quote", "--lc-price", "断桥铝型材/true/20元", "--lc-price", "铜/False/3", "--json", file};
        // A class without its price is not quoted at 0 unless the user says so; nothing is written.
        for (const QStringList &refused : {QStringList {"quote", "--json", file}, args}) {
            const CliResult r = runCli(home, refused);
            QVERIFY(r.status == 3 && r.out.isEmpty() && !QFile::exists(file));
            QVERIFY2(r.err.endsWith("; 请用 --lc-price 给出, 或用 --yes 按0计算\n"), qPrintable(r.err));
            QCOMPARE(r.err.contains("未给出主材单价: 断桥铝型材 隔热材、普通铝型材 非隔热材;"), refused.size() == 3);
        }
        const CliResult r = runCli(home, args + QStringList {"--yes"});
        QVERIFY(r.status == 0 && r.out.isEmpty());
        QCOMPARE(r.err, QString("未给出主材单价: 普通铝型材 非隔热材,按0计算\n工程中没有这种主材: 铜 非隔热材\n"));
        const QJsonObject root = QJsonDocument::fromJson(readFile(file)).object();
        QCOMPARE(fields(root, {"scope", "area_basis"}), QString("window|opening"));
        const QJsonObject c1 = root["items"].toArray()[0].toObject();
        QCOMPARE(fields(c1, {"title", "area"}), QString("甲方C1单|1.89"));
        const QJsonArray materials = c1["materials"].toArray();
        QCOMPARE(materials[0]["price"].toString(), QString("0.000"));
        // The loss factor 1.1 of cs.ini: 10.38... kg / 1.89 m² × 1.1.
        QCOMPARE(fields(materials[1], {"price", "qty"}), QString("20.000|6.042"));
    }

    // The JSON of a quotation and of a cutting plan is written piece by
    // piece as it is made: the text is the one written whole before, byte
    // for byte, to a file and to standard output.
    void streamedJsonIsTheWholeText_data()
    {
        QTest::addColumn<QString>("pieces");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("golden");
        QTest::newRow("quote per window")
            << QString() << demoQuoteArguments(QuoteOptions::Scope::Window) << QStringLiteral("demo-window-quote.json");
        // A piece too long, one of no length, a quote in a code.
        QTest::newRow("cutting plan") << "(1,'KF601',7.5),(2,'KF601',0),(99,'M\"501',1.2)"
                                      << QStringList {"cut", "--code", "KF601", "--code", "M\"501"}
                                      << QStringLiteral("demo-cut-plan.json");
    }

    void streamedJsonIsTheWholeText()
    {
        QFETCH(QString, pieces);
        QFETCH(QStringList, args);
        QFETCH(QString, golden);
        TestHome home(Demo::PricesAndProject);
        if (!pieces.isEmpty())
            sqlExec("INSERT INTO LcTemp VALUES " + pieces);
        const QByteArray expected = readFile(testDataPath(golden));
        QVERIFY(!expected.isEmpty());
        const CliResult out = runCli(home, args + QStringList {"--json", "-"});
        QCOMPARE(out.status, 0);
        QCOMPARE(out.out.toUtf8(), expected);
        const QString file = home.file("out.json");
        QCOMPARE(runCli(home, args + QStringList {"--json", file}).status, 0);
        QCOMPARE(readFile(file), expected);
    }

    // On a terminal long runs show how far they are on one line of
    // standard error, cleared at the end; what else they print is the same
    // as without a terminal, where no progress is printed at all.
    void progressShowsOnATerminalOnly_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("first"); // the first progress text begins so
        QTest::newRow("quote") << (demoQuoteArguments(QuoteOptions::Scope::Window) << "--json"
                                                                                   << "q.json")
                               << "正在计算报价 1/";
        QTest::newRow("workbook") << (demoQuoteArguments(QuoteOptions::Scope::Series) << "--xlsx"
                                                                                      << "q.xlsx")
                                  << "正在计算报价 1/";
        QTest::newRow("import") << QStringList {"prices", "import", "blName", "bl.csv"} << "正在检查价格表 2/5 (40%)";
        QTest::newRow("load") << QStringList {"load", sourcePath("data/demo/demo.xdt")} << "正在载入, 已读字节 ";
    }

    void progressShowsOnATerminalOnly()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, first);
        // Each run on a program folder of its own.
        auto run = [&](bool terminal) {
            TestHome home(Demo::PricesAndProject);
            writeFile(home.file("bl.csv"), "名称,单价,折扣量\n5mm白玻,38,1\n茶玻,40,1\n灰玻,41,1\n");
            QStringList line = {"tarvex-cli", "--home", home.path()};
            for (const QString &arg : args)
                line.append(
                    arg.endsWith(".json") || arg.endsWith(".xlsx") || arg.endsWith(".csv") ? home.file(arg) : arg);
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            const int status = cli::run(line, outStream, errStream, terminal);
            return CliResult {status, out, err};
        };
        const CliResult plain = run(false);
        QCOMPARE(plain.status, 0);
        QVERIFY(!plain.err.contains('\r'));
        CliResult shown = run(true);
        QCOMPARE(shown.status, plain.status);
        QCOMPARE(shown.out, plain.out);
        const QRegularExpression line("\r([^\r\n]*)\x1b\\[K");
        QStringList texts;
        for (const QRegularExpressionMatch &m : line.globalMatch(shown.err))
            texts.append(m.captured(1));
        QVERIFY2(texts.size() >= 2 && texts.first().startsWith(first), qPrintable(texts.join(" | ")));
        QCOMPARE(texts.last(), QString()); // cleared
        QCOMPARE(shown.err.remove(line), plain.err);
    }

    // Without a display, tarvex-cli prints what the commands print in the
    // test's own process; only the commands that draw (a PDF) start Qt's
    // drawing platform.
    void commandsRunWithoutADisplay()
    {
        TestHome home(Demo::PricesAndProject);
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            bare.remove(QString::fromLatin1(name));
        bare.insert("QT_DEBUG_PLUGINS", "1");
        auto process = [&](const QStringList &args) {
            QProcess cli;
            cli.setProcessEnvironment(bare);
            cli.start(TARVEX_BUILD_DIR "/tarvex-cli", QStringList {"--home", home.path()} + args);
            cli.waitForFinished(120000);
            return CliResult {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                QString::fromUtf8(cli.readAllStandardError())};
        };
        const QStringList quote = demoQuoteArguments(QuoteOptions::Scope::Series);
        const QList<QStringList> commands
            = {{"check"}, {"prices", "export", "pjName", home.file("pj.csv")}, quote + QStringList {"--json", "-"},
                {"cut", "--json", "-"}, {"library", "list"}, {"offers", "list"}, {"init"}};
        for (const QStringList &args : commands) {
            const CliResult inProcess = runCli(home, args);
            const CliResult alone = process(args);
            QCOMPARE(alone.status, inProcess.status);
            QCOMPARE(alone.out, inProcess.out);
            QVERIFY2(!alone.err.contains("/platforms"), qPrintable(args.join(' ') + '\n' + alone.err.left(2000)));
        }
        const CliResult version = process({"--version"});
        QVERIFY(version.out.startsWith("tarvex-cli ") && !version.err.contains("/platforms"));

        // The paper quotation still draws its pages.
        const QString pdf = home.file("q.pdf");
        const CliResult paper = process(quote + QStringList {"--pdf", pdf});
        QCOMPARE(paper.status, 0);
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        text.waitForFinished(60000);
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains("演示工程门窗报价单"));
    }

    void checkRefusesUnlessYes()
    {
        TestHome home(Demo::PricesAndProject);
        CliResult r = runCli(home, {"check"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QString("0\n"));

        sqlExec("DELETE FROM blName WHERE 名称='5mm白玻'");
        r = runCli(home, QStringList({"quote", "--json", "-"}) + kPrices);
        QCOMPARE(r.status, 3);
        QCOMPARE(r.out, QString());
        QVERIFY(r.err.startsWith("玻璃数据中有记录末找到单价!"));
        r = runCli(home, QStringList({"quote", "--yes"}) + kPrices);
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.contains("玻璃5mm白玻没有单价,按0计算"));
        QVERIFY(r.out.contains("5mm白玻\t\t0.310\tm2/m2\t0.000\t0.000"));
        QVERIFY(r.out.contains("总价\t"));
        // The paper quotation refuses whatever --yes says, and writes nothing.
        const std::pair<const char *, const char *> missing[] = {
            {"SELECT 1", "玻璃数据中有记录末找到单价!\n"},
            {"DELETE FROM pjName WHERE 名称='滑轮'", "附件数据中有记录末找到单价!\n"},
        };
        for (const auto &[sql, message] : missing) {
            sqlExec(QString::fromUtf8(sql));
            const QString pdf = home.file("paper.pdf");
            const QString xlsx = home.file("book.xlsx");
            r = runCli(home, QStringList({"quote", "--yes", "--pdf", pdf, "--xlsx", xlsx}) + kPrices);
            QCOMPARE(r.status, 3);
            QVERIFY2(r.err.startsWith(QString::fromUtf8(message)), qPrintable(r.err));
            QVERIFY(!QFile::exists(pdf) && !QFile::exists(xlsx));
        }

        sqlExec("UPDATE lcName SET 线重=NULL");
        r = runCli(home, QStringList({"quote", "--yes"}) + kPrices);
        QCOMPARE(r.status, 3);
        QCOMPARE(r.err, QString("主材数据中有记录末找到线重!\n"));
    }

    // Each command has its own usage, printed after the reason of a refusal.
    void badUsageIsRefusedWithItsReason_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("reason");
        const auto row = [](const QStringList &args, const char *reason) {
            QTest::newRow(qPrintable(args.join(' '))) << args << QString::fromUtf8(reason);
        };
        row({"quote", "--scope", "house"}, "--scope: house\n用法: tarvex-cli [--home DIR] quote [选项]\n");
        row({"quote", "--lc-price", "铝/maybe/3"}, "--lc-price 应为 类别/True|False/单价: 铝/maybe/3\n");
        row({"quote", "--loss-lc", "abc"}, "--loss-lc 应为数字: abc\n");
        row({"quote", "--loss-bl", "nan"}, "--loss-bl 应为数字: nan\n");
        row({"quote", "--loss-pj", "inf"}, "--loss-pj 应为数字: inf\n");
        row({"quote", "--extra"}, "未知选项: --extra\n");
        row({"quote", "--json"}, "选项有误: ");
        row({"load"}, "缺少参数\n用法: tarvex-cli [--home DIR] load FILE.xdt\n");
        row({"save", "a.xdt", "b.xdt"}, "多余的参数: b.xdt\n");
        row({"check", "--yes"}, "未知选项: --yes\n用法: tarvex-cli [--home DIR] check [选项]\n");
        row({"init", "--seed"}, "选项有误: ");
        row({"frobnicate"}, "未知命令: frobnicate\n");
        row({"prices", "export", "pjName"}, "缺少参数");
        row({"prices", "move", "pjName", "x.csv"}, "未知的操作: move");
        row({"prices", "export", "PriceLc", "x.csv"}, "TABLE 应为 lcName、pjName、blName 或 FyTable: PriceLc");
        row({"prices", "export", "pjName", "x.csv", "--replace"}, "--replace 和 --dry-run 只用于 import");
    }

    void badUsageIsRefusedWithItsReason()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, reason);
        TestHome home;
        const CliResult r = runCli(home, args);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err.left(reason.size()), reason);
    }

    void failuresSayWhy()
    {
        TestHome home;
        const CliResult help = runCli(home, {"quote", "--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("--lc-price CLASS/FLAG/PRICE"));
        // No windows: a plain reason, not a division by zero.
        const CliResult r = runCli(home, {"quote"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, QString("当前错误:门窗面积为0,无法计算每平方米的用量\n"));

        // Sums that overflow stop the run instead of printing inf.
        home.loadDemoPrices();
        home.loadDemoProject();
        const CliResult inf = runCli(home, QStringList({"quote", "--loss-lc", "1e308", "--json", "-"}) + kPrices);
        QCOMPARE(inf.status, 1);
        QCOMPARE(inf.out, QString());
        QVERIFY2(
            inf.err.startsWith("当前错误:") && inf.err.contains("的计算结果为无穷大, 无法报价"), qPrintable(inf.err));
    }

    void importListAndExport()
    {
        TestHome home;
        const QByteArray picture = testPicture("PNG");
        const QByteArray workbook = demoCuttingList(demoTemplates().last());
        writeFile(home.file("door.png"), picture);
        writeFile(home.file("door.xlsx"), workbook);
        CliResult r = runLibrary(home,
            {"import", "--series", "70系列平开门", "--name", "M0921", "--desc", "单扇\t左开\n门", home.file("door.png"),
                home.file("door.xlsx")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("已导入记录 1: 70系列平开门 / M0921\n"));
        QCOMPARE(runLibrary(home, {"import", "--series=S", "--name=N", home.file("door.png")}).status, 0);

        r = runLibrary(home, {"list"});
        QCOMPARE(r.out.split('\n'),
            (QStringList {"ID\t门窗系列\t模板名称\t图片字节\t工作簿\t模板描述",
                QStringLiteral("1\t70系列平开门\tM0921\t%1\t1\t单扇\\t左开\\n门").arg(picture.size()),
                QStringLiteral("2\tS\tN\t%1\t0\t").arg(picture.size()), ""}));

        r = runLibrary(home, {"demo", "--if-empty"});
        QVERIFY(r.status == 0 && r.out.contains("未改动"));

        r = runLibrary(home, {"export", "1", home.file("out")});
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
        const CliResult r = runLibrary(home, args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(recordCount(), 1);
        QVERIFY(!QFile::exists(home.file("out")));
    }

    void aLibraryElsewhereIsMadeOnlyByInit()
    {
        if (onTestServer())
            QSKIP("the library folder of a file");
        TestHome home;
        appState().libraryFolder.clear(); // as in a run of tarvex-cli, which reads cs.ini
        WriteIni(home.file("cs.ini"), "sysPath", "path2", home.file("nowhere"));
        CliResult r = runLibrary(home, {"list"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, "当前错误:图库文件夹不存在: " + QDir::toNativeSeparators(home.file("nowhere")) + "\n");

        QDir(home.path()).mkdir("lib");
        WriteIni(home.file("cs.ini"), "sysPath", "path2", home.file("lib"));
        const QString library = QDir::toNativeSeparators(home.file("lib/xltDb.sqlite"));
        for (const char *command : {"list", "demo"}) {
            r = runLibrary(home, {QString::fromUtf8(command)});
            QCOMPARE(r.status, 1);
            QCOMPARE(r.err,
                "当前错误:图库文件夹 " + QDir::toNativeSeparators(home.file("lib")) + " 中没有图库文件 xltDb.sqlite\n");
        }
        QVERIFY(!QFile::exists(library));
        r = runLibrary(home, {"init"});
        QCOMPARE(QString::number(r.status) + r.out, "0已新建空的图库: " + library + "\n");
        r = runLibrary(home, {"init"});
        QCOMPARE(QString::number(r.status) + r.out, "0图库已存在, 未改动: " + library + "\n");
        QCOMPARE(runLibrary(home, {"list"}).status, 0);
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
