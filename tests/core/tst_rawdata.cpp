#include "clirun.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/textcodec.h"
#include "core/rawdata/workingtables.h"
#include "core/rawdata/xdtreader.h"
#include "core/rawdata/xdtwriter.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace tarvex;
using namespace tarvex::test;

namespace {

const QStringList kTables = {"LcTemp", "BlTemp", "PjTemp", "MjTemp"};

// Every row of the four working tables, table by table.
QStringList workingRows()
{
    QStringList rows;
    for (const QString &table : kTables)
        for (const QString &row :
            queryRows(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY rowid")))
            rows.append(table + QLatin1Char(':') + row);
    return rows;
}

// The keys and indexes of the working tables, as the database states them
// (a load on a server builds them again after its rows are in).
QStringList workingIndexes()
{
    if (!onTestServer())
        return queryRows(
            QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND sql IS NOT NULL ORDER BY name"));
    return queryRows(
               QStringLiteral("SELECT indexdef FROM pg_indexes WHERE schemaname=current_schema() ORDER BY indexname"))
        + queryRows(
            QStringLiteral("SELECT conname FROM pg_constraint WHERE connamespace=current_schema()::text::regnamespace "
                           "ORDER BY conname"));
}

QString loadError(const QString &path)
{
    return errorOf([&] { loadRawDataFile(path); });
}

} // namespace

class TestRawData : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void savedFileReadsBackIntoTheSameRows()
    {
        TestHome home;
        // Apostrophes in every text field, Chinese in GBK, numbers of every form.
        const QString text = QStringLiteral("4|1|60'平开窗|C1'A|1.8|2.1\r\n"
                                            "1|1|KF'601|1250\r\n"
                                            "1|1|KF602|0.0000001\r\n"
                                            "2|1|5+12A'+5中空玻璃|1.476\r\n"
                                            "3|1|执'手|7'字型|黑'色|2\r\n"
                                            "3|1|密封胶条|EPDM||5.4\r\n"
                                            "4|2|70推拉窗€|TC1|2.4|2.52\r\n");
        writeFile(home.file("in.xdt"), encodeGbk(text));
        const QStringList indexes = workingIndexes();
        QVERIFY(indexes.size() >= 6);
        loadRawDataFile(home.file("in.xdt"));
        QCOMPARE(workingIndexes(), indexes);
        const QStringList loaded = workingRows();
        QCOMPARE(loaded,
            QStringList({"LcTemp:1|KF'601|1250", "LcTemp:1|KF602|1e-07", "BlTemp:1|5+12A'+5中空玻璃|1.476",
                "PjTemp:1|执'手|7'字型|黑'色|2", "PjTemp:1|密封胶条|EPDM||5.4", "MjTemp:1|60'平开窗|C1'A|1.8|2.1",
                "MjTemp:2|70推拉窗€|TC1|2.4|2.52"}));

        // Written back in GBK and table order, a Null as an empty field, then
        // read into emptied tables.
        sqlExec("UPDATE PjTemp SET 技术要求=NULL WHERE 名称='密封胶条'");
        writeRawDataFile(home.file("out.xdt"));
        QCOMPARE(readFile(home.file("out.xdt")),
            encodeGbk("1|1|KF'601|1250\r\n1|1|KF602|0.0000001\r\n2|1|5+12A'+5中空玻璃|1.476\r\n"
                      "3|1|执'手|7'字型|黑'色|2\r\n3|1|密封胶条|EPDM||5.4\r\n"
                      "4|1|60'平开窗|C1'A|1.8|2.1\r\n4|2|70推拉窗€|TC1|2.4|2.52\r\n"));
        replaceWorkingTables(RawData());
        QVERIFY(workingRows().isEmpty());
        loadRawDataFile(home.file("out.xdt"));
        QCOMPARE(workingRows(), loaded);
    }

    void readsOnlyTheRecordTypesItKnows()
    {
        // Only windows; blank lines (a trailing one too) and types 0, 5 and 9
        // are passed over; 4.0 is type 4; fields after the needed ones are ignored.
        const RawData data = parseRawDataBytes(QByteArray("4|1|S60|C1|1.8|2.1\r\n"
                                                          "\r\n"
                                                          "5|1|x|1\r\n"
                                                          "0|anything\r\n"
                                                          "   \r\n"
                                                          "9\r\n"
                                                          "4.0|2|S60|C2|1|1.2|extra|more\r\n"
                                                          "\r\n"));
        QCOMPARE(data.windows.size(), 2);
        QCOMPARE(data.recordCount(), 2);
        QCOMPARE(data.windows[1].window, QStringLiteral("C2"));
        QCOMPARE(data.windows[1].openingArea, 1.2);

        TestHome home;
        writeFile(home.file("windows.xdt"), encodeGbk(QStringLiteral("4|1|S60|C1|1.8|2.1\r\n4|2|S60|C2|1|1.2\r\n")));
        home.loadDemoProject();
        loadRawDataFile(home.file("windows.xdt"));
        QCOMPARE(workingRows(), QStringList({"MjTemp:1|S60|C1|1.8|2.1", "MjTemp:2|S60|C2|1|1.2"}));
    }

    // A file the load refuses: the line and the value named, the working
    // tables as they were.
    void badFileChangesNothingAndNamesItsLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray good = "4|1|S60|C1|1.8|2.1\r\n1|1|A01|1250\r\n";
        const QList<std::pair<QByteArray, QString>> cases = {
            {good + "\r\n1|1|A02|abc\r\n", "第4行: 长度 'abc' 不是数字"},
            {good + "3|1|执手|L||\r\n", "第3行: 数量 '' 不是数字"},
            {good + "2|x1|白玻|1\r\n", "第3行: ID 'x1' 不是数字"},
            {"4|1|S60|C1|1.8|2.1\r\nA|1|A01|1250\r\n", "第2行: 类型 'A' 不是数字"},
            {good + "4|2|S60|C2|1.8\r\n", "第3行: 字段不足, 类型4应有6个字段, 只有5个"},
            {good
                    + "4|2|S\x81\x20"
                      "60|C2|1|1\r\n",
                "第3行: 第6个字节 0x81 0x20 不是有效的GBK编码: '4|2|S\uFFFD 60|C2|1|1'"},
            {good + "4|2|S60|C2|1|1\xB0", "第3行: 第15个字节 0xB0 不是有效的GBK编码: '4|2|S60|C2|1|1'"},
            {QByteArray(1000, '\0'),
                "第1行: 含有NUL字节 (0x00): 文件可能是UTF-16编码或二进制文件; 报价数据文件应为GBK或UTF-8文本"},
            {QByteArray("\xFF\xFE"
                        "4\0|\0"
                        "1\0",
                 8),
                "文件是UTF-16编码, 不支持UTF-16; 请另存为GBK或UTF-8编码的文本"},
            {good + "1|1|A01|12\x01\t\x1b\r\n", "第3行: 长度 '12\\x01\\t\\x1b' 不是数字"},
            {good + "1|1|A01|" + QByteArray(100000, 'x') + "\r\n",
                "第3行: 长度 '" + QString(60, 'x') + "…' (共 100000 个字符) 不是数字"},
            {"1|1|" + QByteArray(5 << 20, 'x'), "第1行: 行太长 (超过1024 KB), 这不是报价数据文件"},
            // An ID names one window: a second one would double every material of it.
            {good + "1|1|A02|900\r\n4|1.0|S60|C9|1|1\r\n", "第4行: 门窗 ID 1 已在第1行出现"},
            // An SQL-looking value is only text; a number field is never pasted into SQL.
            {good + "1|1|A01|1);DELETE FROM MjTemp;--\r\n", "第3行: 长度 '1);DELETE FROM MjTemp;--' 不是数字"},
        };
        for (const auto &[bytes, message] : cases)
            QTest::newRow(qPrintable(message.left(40))) << bytes << message;
    }

    void badFileChangesNothingAndNamesItsLine()
    {
        QFETCH(QByteArray, bytes);
        TestHome home;
        home.loadDemoProject();
        const QStringList before = workingRows();
        const QStringList indexes = workingIndexes();
        writeFile(home.file("bad.xdt"), bytes);
        QTEST(loadError(home.file("bad.xdt")), "message");
        QCOMPARE(workingRows(), before);
        QCOMPARE(workingIndexes(), indexes);
    }

    void failedLoadChangesNothingAndNamesTheLineOrFile()
    {
        TestHome home;
        home.loadDemoProject();
        const QStringList before = workingRows();
        QCOMPARE(before.size(), 160);
        QCOMPARE(loadError(home.file("none.xdt")), "文件不存在: " + home.file("none.xdt"));

        // Nothing but a regular file of a sane size is read, and nothing waits.
        const QString fifo = home.file("fifo.xdt");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QFile huge(home.file("huge.xdt"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxXdtFileSize + 1)); // sparse
        huge.close();
        const QString notRegular = QStringLiteral(" 不是普通文件 (文件夹、设备或管道), 不能作为报价数据读取");
        const QList<std::pair<QString, QString>> hostile = {{home.path(), home.path() + notRegular},
            {fifo, fifo + notRegular}, {"/dev/zero", "/dev/zero" + notRegular},
            {huge.fileName(), "文件 " + huge.fileName() + " 有 1024 MB, 超过报价数据文件的上限 1024 MB"}};
        for (const auto &[path, message] : hostile) {
            QCOMPARE(loadError(path), message);
            QCOMPARE(workingRows(), before);
        }
    }

    void lineEndsOfEveryKind()
    {
        const RawData data = parseRawDataBytes("4|1|S60|C1|1|1\r4|2|S60|C2|1|1\n4|3|S60|C3|1|1\r\n\r4|4|S60|C4|1|1");
        QCOMPARE(data.windows.size(), 4);
        QCOMPARE(data.windows[3].window, QStringLiteral("C4"));
        QCOMPARE(errorOf([] { parseRawDataBytes("4|1|S60|C1|1|1\r\r4|2|S60|C2|x|1\r"); }),
            QStringLiteral("第3行: 框面积 'x' 不是数字"));

        // A CR LF that falls across the file's pieces (4 MiB) is one line end.
        QByteArray bytes = "4|1|S60|C1|1|1." + QByteArray(16, '0') + "\r\n"; // 33 bytes
        const QByteArray line = "1|1|A01|1234567890123456789012\r\n"; // 32 bytes
        while (bytes.size() + line.size() <= (4 << 20) + 1)
            bytes += line;
        QCOMPARE(bytes.indexOf("\r\n", (4 << 20) - 1), (4 << 20) - 1);
        const qsizetype lines = bytes.count('\n');
        bytes += "1|1|A01|bad\r\n";
        QCOMPARE(
            errorOf([&] { parseRawDataBytes(bytes); }), QStringLiteral("第%1行: 长度 'bad' 不是数字").arg(lines + 1));
    }

    // GBK unless the file is clearly UTF-8: a BOM, or valid UTF-8 of Chinese text.
    void encodingIsTheOneAPersonSees_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString wall = QStringLiteral("幕墙");
        QTest::newRow("short GBK that is valid UTF-8") << encodeGbk(wall) << wall;
        QTest::newRow("UTF-8") << wall.toUtf8() << wall;
        QTest::newRow("GBK 路 (UTF-8 ·)") << encodeGbk(QStringLiteral("路")) << QStringLiteral("路");
        QTest::newRow("UTF-8 with BOM, not Chinese")
            << "\xEF\xBB\xBF" + QStringLiteral("Ļǽ").toUtf8() << QStringLiteral("Ļǽ");
        QTest::newRow("UTF-8 signs beside Chinese")
            << QStringLiteral("50×30铝“型”").toUtf8() << QStringLiteral("50×30铝“型”");
        QTest::newRow("GBK signs") << encodeGbk(QStringLiteral("50×30铝")) << QStringLiteral("50×30铝");
        QTest::newRow("GBK euro") << QByteArray("\x80") << QStringLiteral("€");
    }

    void encodingIsTheOneAPersonSees()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeUtf8OrGbk(bytes), text); // cs.ini, cllb.txt, scripts
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = "\xEF\xBB\xBF"
                    "4|1|"
                + bytes.mid(3);
        else
            bytes = "4|1|" + bytes;
        const RawData data = parseRawDataBytes(QByteArray(bytes + "|C1|1|1\r\n"));
        QCOMPARE(data.windows.value(0).series, text);
    }

    void valuesThatWouldBreakTheFileAreRefused()
    {
        TestHome home;
        writeFile(home.file("old.xdt"), "4|1|S60|C1|1.8|2.1\r\n");
        // A bar or a line break inside a text would split the record on reading back.
        sqlExec(QStringLiteral("INSERT INTO LcTemp VALUES (1,?,1250)"), {QStringLiteral("A|01")});
        try {
            writeRawDataFile(home.file("old.xdt"));
            QFAIL("a text with a bar was written");
        } catch (const Error &e) {
            QVERIFY(e.message().contains(QStringLiteral("A|01")));
        }
        sqlExec(QStringLiteral("DELETE FROM LcTemp"));
        // A character GBK does not have would turn into '?'.
        sqlExec(QStringLiteral("INSERT INTO BlTemp VALUES (1,?,1)"), {QStringLiteral("玻璃\U0001F600")});
        QVERIFY_THROWS_EXCEPTION(Error, writeRawDataFile(home.file("old.xdt")));
        QCOMPARE(readFile(home.file("old.xdt")), QByteArray("4|1|S60|C1|1.8|2.1\r\n"));
    }

    void cliLoadThenSaveGivesTheDemoFileBack()
    {
        TestHome home;
        const QString demo = sourcePath(QStringLiteral("data/demo/demo.xdt"));
        const QString saved = home.file("saved.xdt");
        QCOMPARE(runCli(home, {"load", demo}).status, 0);
        const CliResult save = runCli(home, {"save", saved});
        QCOMPARE(save.status + save.err.size(), 0);
        QCOMPARE(readFile(saved), readFile(demo));

        // Failures: a message on stderr, a non-zero status, the tables kept.
        writeFile(home.file("bad.xdt"), "4|1|S60|C1|1.8|2.1\r\n1|1|A01|\r\n");
        CliResult r = runCli(home, {"load", home.file("bad.xdt")});
        QVERIFY(r.status == 1 && r.err.contains(QStringLiteral("打开文件出错:第2行: 长度 '' 不是数字")));
        QCOMPARE(sqlScalar(QStringLiteral("SELECT COUNT(*) FROM MjTemp")).toInt(), 12);
        r = runCli(home, {"save", home.file("no/such/dir/x.xdt")});
        QVERIFY(r.status != 0 && r.err.startsWith(QStringLiteral("当前错误:")));
        QCOMPARE(runCli(home, {"load"}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestRawData)
#include "tst_rawdata.moc"
