#include "clirun.h"
#include "core/app/commandline.h"
#include "core/common/db/database.h"
#include "core/common/db/gridfilter.h"
#include "core/common/db/sqlquote.h"
#include "core/common/error.h"
#include "core/common/io/chunkfile.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/common/io/textcodec.h"
#include "core/common/numbers.h"
#include "core/document/xlsxtable.h"
#include "core/quote/quotesettings.h"
#include "testsupport.h"
#include "xlsxread.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

#include <sys/inotify.h>
#include <unistd.h>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// The filter after choosing each "column=value" in turn.
GridFilter chosen(std::initializer_list<std::pair<const char *, const char *>> choices)
{
    GridFilter f;
    for (const auto &[column, value] : choices)
        f.choose(QString::fromUtf8(column), QString::fromUtf8(value));
    return f;
}

// Windows, cuts and profiles whose texts look like numbers, are blank or
// differ in letter case only.
void insertNumberLikeRows()
{
    sqlExec("INSERT INTO MjTemp VALUES (1,'S60','01',1,1),(2,'S60','1.50',1,1),(3,'S60','1e3',2,1),"
            "(4,'S60',NULL,1.5,1),(5,'S60','',1,1)");
    sqlExec("INSERT INTO LcTemp VALUES (1,'0601',1.5),(2,'0601',1.50),(3,'601',1.25)");
    sqlExec("INSERT INTO lcName VALUES (1,'S60','框','0601',1.2,1,'铝材','True'),(2,'S60','扇','601',1,0,'铝材',NULL)");
}

int countWhere(const QString &source, const GridFilter &f)
{
    return sqlScalar("SELECT COUNT(*) FROM " + source + f.sql(), f.values()).toInt();
}

} // namespace

class TestCommon : public QObject {
    Q_OBJECT

private slots:
    void sqlQuoteDoublesEveryQuote()
    {
        QStringList quoted;
        for (const char *text : {"O'Neil", "", "a''b", "C1'A'", "窗号"})
            quoted.append(SqlQuote(QString::fromUtf8(text)));
        QCOMPARE(quoted, QStringList({"'O''Neil'", "''", "'a''''b'", "'C1''A'''", "'窗号'"}));
    }

    void iniRoundTripsAndKeepsOtherLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cs.ini");
        // Missing file, section and key read as empty text.
        QCOMPARE(ReadIni(path, "sysPath", "path1"), QString());
        QVERIFY(WriteIni(path, "cs1", "tx1", "  项目 A  "));
        QCOMPARE(ReadIni(path, "cs1", "tx1"), QString("项目 A"));
        QCOMPARE(ReadIni(path, "cs1", "tx2"), QString());
        QCOMPARE(ReadIni(path, "other", "tx1"), QString());
        QVERIFY(WriteIni(path, "cs1", "tx2", ""));
        QVERIFY(WriteIni(path, "sysPath", "path1", "/data"));
        QVERIFY(WriteIni(path, "CS1", "TX1", "新值"));
        QCOMPARE(ReadIni(path, "cs1", "tx1"), QString("新值"));
        QCOMPARE(ReadIni(path, "sysPath", "PATH1"), QString("/data"));
        QCOMPARE(readFile(path), QByteArray("[cs1]\r\ntx1=新值\r\ntx2=\r\n\r\n[sysPath]\r\npath1=/data\r\n"));

        // Comments and unknown keys survive a write.
        writeFile(path, "; settings\n[sysPath]\npath1 = a \nx=1\n");
        QVERIFY(WriteIni(path, "sysPath", "path2", "b"));
        QCOMPARE(readFile(path), QByteArray("; settings\n[sysPath]\npath1 = a \nx=1\npath2=b\n"));
        QCOMPARE(ReadIni(path, "sysPath", "path1"), QString("a"));

        // A file with CR line ends is read by line and keeps them.
        writeFile(path, "[cs1]\rop5=True\r");
        QCOMPARE(ReadIni(path, "cs1", "op5"), QString("True"));
        QVERIFY(WriteIni(path, "cs1", "op6", "False"));
        QCOMPARE(readFile(path), QByteArray("[cs1]\rop5=True\rop6=False\r"));
    }

    void iniReadsGbkFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cs.ini");
        writeFile(path, encodeGbk("[cs1]\r\ntx4=某某大厦门窗工程\r\ntx5= 报价单 \r\n"));
        QCOMPARE(ReadIni(path, "cs1", "tx4"), QString("某某大厦门窗工程"));
        QCOMPARE(ReadIni(path, "cs1", "tx5"), QString("报价单"));
        // Writing keeps the GBK file's other values readable.
        QVERIFY(WriteIni(path, "cs1", "tx1", "1.05"));
        QCOMPARE(ReadIni(path, "cs1", "tx4"), QString("某某大厦门窗工程"));
    }

    void iniRefusesLineBreaksAndWritesAllKeysOrNone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cs.ini");
        const QByteArray before = "[sysPath]\r\npath1=/data\r\n";
        writeFile(path, before);
        QString error;
        QVERIFY(!WriteIni("/nonexistent-folder/cs.ini", "a", "b", "c", &error) && !error.isEmpty());
        for (const QString &bad : {QString("阳光花园\n[sysPath]\npath1=/nowhere"), QString("a\rb")}) {
            QVERIFY(!WriteIni(path, "cs1", "tx4", bad, &error));
            QVERIFY2(error.contains("换行符") && error.contains(path), qPrintable(error));
            QVERIFY(!WriteIni(path, "cs1", bad, "x") && !WriteIni(path, bad, "tx4", "x"));
        }
        QCOMPARE(readFile(path), before);

        // The quotation's keys go in together: one bad text, nothing written.
        QuoteSettings settings;
        for (auto &o : settings.option)
            o = false;
        for (auto &c : settings.check)
            c = 0;
        settings.text[7] = "审核:\r\n张三";
        QVERIFY(!writeQuoteSettings(path, settings, &error));
        QCOMPARE(readFile(path), before);
        settings.text[7] = "审核:张三";
        QVERIFY(writeQuoteSettings(path, settings, &error));
        QCOMPARE(ReadIni(path, "cs1", "tx8"), QString("审核:张三"));
        QCOMPARE(ReadIni(path, "sysPath", "path1"), QString("/data"));
    }

    // A large cs.ini costs one read per operation, not one per key.
    void settingsFileIsReadOncePerOperation()
    {
        TestHome home(Demo::PricesAndProject);
        QVERIFY(WriteIni(iniPath(), "cs1", {{"tx1", "1.05"}, {"tx4", "某工程"}, {"op5", "True"}, {"ch2", "1"}}));
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0 && inotify_add_watch(watch, QFile::encodeName(iniPath()).constData(), IN_OPEN) >= 0);
        const auto opens = [watch] {
            int count = 0;
            alignas(inotify_event) char buffer[4096];
            for (qint64 n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
                for (char *p = buffer; p < buffer + n;
                     p += sizeof(inotify_event) + reinterpret_cast<inotify_event *>(p)->len)
                    ++count;
            return count;
        };
        const QuoteSettings settings = readQuoteSettings(iniPath());
        QCOMPARE(settings.text[3] + settings.text[0], QString("某工程1.05"));
        QCOMPARE(opens(), 1);
        // The whole batch quotation.
        QCOMPARE(runCli(home, {"quote", "--yes", "--json", home.file("q.json")}).status, 0);
        QCOMPARE(opens(), 1);
        ::close(watch);
    }

    // Halves are decided on the decimal a calculator shows, then go to the
    // even neighbour.
    void roundGoesToEvenOnTheShownDecimal_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("rounded");
        QTest::newRow("7.4295, the double just below the half") << 1.143 * 6.5 << 3 << 7.430;
        QTest::newRow("4.7385, the double just above it") << 0.729 * 6.5 << 3 << 4.738;
        QTest::newRow("0.2475") << 0.594 / 2.52 * 1.05 << 3 << 0.248;
        QTest::newRow("2.675") << 2.675 << 2 << 2.68;
        QTest::newRow("0.125") << 0.125 << 2 << 0.12;
        QTest::newRow("0.375") << 0.375 << 2 << 0.38;
        QTest::newRow("-7.4295") << -7.4295 << 3 << -7.430;
        QTest::newRow("-0.125") << -0.125 << 2 << -0.12;
        QTest::newRow("above the half only in binary noise") << 7.4285000000000006 << 3 << 7.428;
        QTest::newRow("above it in the 15th digit") << 7.42850000000001 << 3 << 7.429;
        QTest::newRow("2.5") << 2.5 << 0 << 2.0;
        QTest::newRow("3.5") << 3.5 << 0 << 4.0;
        QTest::newRow("123456.7885") << 123456.7885 << 3 << 123456.788;
        QTest::newRow("-0.0001") << -0.0001 << 3 << 0.0;
    }

    void roundGoesToEvenOnTheShownDecimal()
    {
        QFETCH(double, x);
        QFETCH(int, decimals);
        QFETCH(double, rounded);
        QCOMPARE(QString::number(Round(x, decimals), 'g', 17), QString::number(rounded, 'g', 17));
    }

    void numbersRoundAndPrint()
    {
        QVERIFY(!std::signbit(Round(-0.0001, 3)));
        // Halves k.5 of every size and a few binary steps off them go by the
        // rule; values clearly off a half go to the nearer neighbour.
        QRandomGenerator rng(7);
        for (int i = 0; i < 20000; ++i) {
            const int decimals = 2 + i % 2;
            const double scale = decimals == 2 ? 100 : 1000;
            const double k = std::floor(std::pow(10, rng.bounded(9.0)) * rng.generateDouble());
            const double half = (2 * k + 1) / (2 * scale);
            const double even = (std::fmod(k, 2) == 0 ? k : k + 1) / scale;
            double near = half;
            for (int step = 0; step < 3; ++step) {
                QCOMPARE(Round(near, decimals), even);
                QCOMPARE(Round(-near, decimals), -even);
                QCOMPARE(roundDecimal(near, decimals, Halves::AwayFromZero), (k + 1) / scale);
                near = std::nextafter(near, step % 2 ? 0.0 : 1e300);
            }
            QCOMPARE(Round((k + 0.4999) / scale, decimals), k / scale);
            QCOMPARE(Round((k + 0.5001) / scale, decimals), (k + 1) / scale);
        }
        // Three decimals are written as Qt writes them, for any double.
        for (int i = 0; i < 20000; ++i) {
            const double x = (rng.generateDouble() - 0.5) * std::pow(10, rng.bounded(28.0) - 6);
            QCOMPARE(format3(x), QString::number(Round(x, 3), 'f', 3));
        }
        for (double x : {-0.0004, 0.0, 1e300, -std::numeric_limits<double>::max(), 2.0004999})
            QCOMPARE(format3(x), QString::number(Round(x, 3), 'f', 3));
        QStringList printed;
        for (double x : {1250.0, 1.8, 0.1 + 0.2, 1e-7, 1e21, -3.25})
            printed.append(plainNumber(x));
        for (double x : {10.0, 0.0625, 0.0005, 0.0015})
            printed.append(format3(x));
        for (const char *text : {"12.50", " 7.5 ", "abc", "3kg", "1 2", ""})
            printed.append(QString::number(leadingNumber(QString::fromUtf8(text))));
        QCOMPARE(printed,
            QStringList({"1250", "1.8", "0.30000000000000004", "0.0000001", "1000000000000000000000", "-3.25", "10.000",
                "0.062", "0.000", "0.002", "12.5", "7.5", "0", "3", "12", "0"}));
        double v = 0;
        QVERIFY(parseNumber(" 0.35 ", &v));
        QCOMPARE(v, 0.35);
        for (const char *text : {"abc", "", "1,5", "inf"})
            QVERIFY2(!parseNumber(QString::fromUtf8(text), &v), text);
    }

    void commandLineRemovesSurroundingQuotesOnly()
    {
        QCOMPARE(commandLinePath({"tarvex"}), QString());
        QCOMPARE(commandLinePath({"tarvex", "\"/home/a/工程 1.xdt\""}), QString("/home/a/工程 1.xdt"));
        QCOMPARE(commandLinePath({"tarvex", "/home/a/b.xdt"}), QString("/home/a/b.xdt"));
        // An unquoted path that does not end in "t" keeps every character.
        QCOMPARE(commandLinePath({"tarvex", "/home/a/b.XDT"}), QString("/home/a/b.XDT"));
        QCOMPARE(commandLinePath({"tarvex", "/home/a/project"}), QString("/home/a/project"));
        // A path with blanks split by the shell is joined again.
        QCOMPARE(commandLinePath({"tarvex", "/home/a/my", "file.xdt"}), QString("/home/a/my file.xdt"));
    }

    void chunkToFileWritesBinaryFieldsOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tu1.bmp");
        QByteArray data(100000, 'x');
        data[0] = 'B';
        ChunkToFile(QVariant(data), path, 4096);
        QCOMPARE(readFile(path), data);
        ChunkToFile(QVariant(QByteArray("short")), path, 3);
        QCOMPARE(readFile(path), QByteArray("short"));
        QCOMPARE(errorOf([&] { ChunkToFile(QVariant(QString("text")), path, 10); }),
            QString("Field doesn't support the GetChunk method."));
        QCOMPARE(readFile(path), QByteArray("short"));
    }

    void choicesReplaceAndDropLaterConditions()
    {
        const struct {
            GridFilter filter;
            const char *text;
        } cases[] = {
            {chosen({{"系列", "A"}}), " WHERE 系列='A'"},
            {chosen({{"系列", "A"}, {"名称", "B"}}), " WHERE 系列='A' AND 名称='B'"},
            {chosen({{"系列", "A"}, {"名称", "B"}, {"系列", "C"}}), " WHERE 系列='C'"},
            {chosen({{"系列", "A"}, {"名称", "B"}, {"名称", "全部"}}), " WHERE 系列='A'"},
            {chosen({{"系列", "A"}, {"名称", "B"}, {"系列", "全部"}}), ""},
            {chosen({{"系列", "A"}, {"代号", "全部"}}), ""},
            {chosen({{"编号", "12"}, {"长度", "1.25"}}), " WHERE 编号=12 AND 长度=1.25"},
            {chosen({{"隔热", "True"}}), " WHERE 隔热=True"},
            // The list shows 是/否; the filter keeps the stored value.
            {chosen({{"隔热", "是"}}), " WHERE 隔热=True"},
            {chosen({{"隔热", "否"}, {"系列", "A"}}), " WHERE 隔热=False AND 系列='A'"},
            // Texts stay texts whatever they look like; quotes are doubled.
            {chosen({{"窗号", "01"}, {"备注", "True"}}), " WHERE 窗号='01' AND 备注='True'"},
            {chosen({{"窗号", "C1'A"}}), " WHERE 窗号='C1''A'"},
            // A column name inside a value is no condition.
            {chosen({{"代号", "窗号=1"}, {"窗号", "C1"}, {"窗号", "C2"}}), " WHERE 代号='窗号=1' AND 窗号='C2'"},
        };
        for (const auto &c : cases) {
            QCOMPARE(c.filter.text(), QString::fromUtf8(c.text));
            QCOMPARE(c.filter.sql().count('?'), c.filter.values().size());
        }
    }

    // Each value the filter list offers finds its rows: number-like texts,
    // blanks (Null and ''), numbers as shown, yes/no, letter case.
    void filterFindsTheRowsOfEachValue_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("rows");
        const auto row = [](const char *source, const char *column, const char *value, int rows) {
            QTest::addRow("%s.%s=%s", source, column, value)
                << QString::fromUtf8(source) << QString::fromUtf8(column) << QString::fromUtf8(value) << rows;
        };
        row("MjTemp", "窗号", "01", 1);
        row("MjTemp", "窗号", "1.50", 1);
        row("MjTemp", "窗号", "1e3", 1);
        row("MjTemp", "窗号", "", 2); // Null and '' look alike
        row("MjTemp", "门窗系列", "S60", 5);
        row("MjTemp", "框面积", "1.5", 1);
        row("MjTemp", "ID", "3", 1);
        row("PriceLc", "代号", "0601", 2);
        row("PriceLc", "长度", "1.5", 2);
        row("PriceLc", "隔热", "True", 2);
        row("PriceLc", "隔热", "False", 1);
        row("PriceLc", "隔热", "是", 2);
        row("lcName", "备注", "True", 1);
        row("lcName", "代号", "601", 1);
    }

    void filterFindsTheRowsOfEachValue()
    {
        QFETCH(QString, source);
        QFETCH(QString, column);
        QFETCH(QString, value);
        TestHome home;
        insertNumberLikeRows();
        GridFilter f;
        f.choose(column, value);
        QTEST(countWhere(source, f), "rows");
    }

    void filterListOffersEachValueOnce()
    {
        TestHome home;
        insertNumberLikeRows();
        // The list offers one blank entry for Null and ''; every entry finds rows.
        GridFilter none;
        const QStringList codes = filterListValues("MjTemp", "窗号", none);
        QCOMPARE(codes, (QStringList {"", "01", "1.50", "1e3"}));
        QCOMPARE(filterListValues("PriceLc", "隔热", none), (QStringList {"否", "是"}));
        GridFilter series = chosen({{"门窗系列", "S60"}, {"框面积", "1"}});
        QCOMPARE(filterListValues("MjTemp", "窗号", series), (QStringList {"", "01", "1.50"}));
    }

    // The query is read once, as the grid shows it; a cell too long for a
    // workbook is cut to the limit and counted.
    void exportWritesEveryRowAndCutsLongCells()
    {
        TestHome home;
        const QString longCode = QString(32766, QLatin1Char('x')) + QStringLiteral("𠀀yy"); // a pair across the limit
        inTransaction(Database::shared(), [&] {
            sqlExec("INSERT INTO LcTemp VALUES (1, ?, 0.0000001)", {longCode});
            for (int i = 2; i <= 1100; ++i)
                sqlExec("INSERT INTO LcTemp VALUES (?, 'A01', 1250)", {i});
        });
        QList<qint64> seen;
        const QString path = home.file("out.xlsx");
        const QueryExport done = exportQueryToXlsx(path, "SELECT * FROM LcTemp WHERE 代号 <> ? ORDER BY ID", {"B"},
            Database::shared(), 1100, [&](qint64 rows, qint64 total) {
                seen.append(rows);
                return total == 1100;
            });
        QCOMPARE(done.rows, 1100);
        QCOMPARE(done.cutCells, 1);
        QVERIFY(!done.cancelled);
        QCOMPARE(seen, QList<qint64>({512, 1024}));
        const auto cells = XlsxBook(path).sheet(0);
        QCOMPARE(cells.value("B1").value, QStringLiteral("代号"));
        QCOMPARE(cells.value("B2").value, longCode.left(32766)); // the pair does not fit whole
        QCOMPARE(cells.value("C2").value, QStringLiteral("0.0000001"));
        QCOMPARE(cells.value("A1101").value, QStringLiteral("1100"));
        QCOMPARE(cells.size(), 3 * 1101);
        QCOMPARE(exportDoneText(done.cutCells),
            QStringLiteral("数据导出至Excel成功!\n有1个单元格的文字超过32767个字符, 已截断到这个长度."));
        QCOMPARE(exportDoneText(0), QStringLiteral("数据导出至Excel成功!"));

        // Cancelled: the file that was there stays, no other appears.
        writeFile(path, "old");
        const QueryExport stopped = exportQueryToXlsx(
            path, "SELECT * FROM LcTemp", {}, Database::shared(), 1100, [](qint64, qint64) { return false; });
        QVERIFY(stopped.cancelled);
        QCOMPARE(readFile(path), QByteArray("old"));
        QCOMPARE(QDir(home.path()).entryList({"*.xlsx*"}, QDir::Files), QStringList({"out.xlsx"}));
    }

    void quotationWorkbookCountsCutCells()
    {
        TestHome home(Demo::PricesAndProject);
        const CliResult r = runCli(home,
            {"quote", "--yes", "--title", QString(40000, QLatin1Char('t')), "--xlsx", home.file("q.xlsx"), "--lc-price",
                "断桥铝型材/True/20", "--lc-price", "普通铝型材/False/15"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains("个单元格的文字超过32767个字符, 已截断到这个长度."), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
