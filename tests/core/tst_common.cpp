#include "app/commandline.h"
#include "common/chunkfile.h"
#include "common/error.h"
#include "common/ini.h"
#include "common/numbers.h"
#include "common/sqlquote.h"
#include "common/textcodec.h"
#include "quote/quotesettings.h"

#include "testsupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace tarvex;
using tarvex::test::readFile;
using tarvex::test::writeFile;

class TestCommon : public QObject {
    Q_OBJECT

private slots:
    void sqlQuoteDoublesEveryQuote()
    {
        QCOMPARE(SqlQuote("O'Neil"), QString("'O''Neil'"));
        QCOMPARE(SqlQuote(""), QString("''"));
        QCOMPARE(SqlQuote("a''b"), QString("'a''''b'"));
        QCOMPARE(SqlQuote("'"), QString("''''"));
        QCOMPARE(SqlQuote("C1'A'"), QString("'C1''A'''"));
        QCOMPARE(SqlQuote("窗号"), QString("'窗号'"));
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
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; settings\n[sysPath]\npath1 = a \nx=1\n");
        f.close();
        QVERIFY(WriteIni(path, "sysPath", "path2", "b"));
        QCOMPARE(readFile(path), QByteArray("; settings\n[sysPath]\npath1 = a \nx=1\npath2=b\n"));
        QCOMPARE(ReadIni(path, "sysPath", "path1"), QString("a"));
    }

    void iniReadsGbkFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cs.ini");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(encodeGbk("[cs1]\r\ntx4=某某大厦门窗工程\r\ntx5= 报价单 \r\n"));
        f.close();
        QCOMPARE(ReadIni(path, "cs1", "tx4"), QString("某某大厦门窗工程"));
        QCOMPARE(ReadIni(path, "cs1", "tx5"), QString("报价单"));
        // Writing keeps the GBK file's other values readable.
        QVERIFY(WriteIni(path, "cs1", "tx1", "1.05"));
        QCOMPARE(ReadIni(path, "cs1", "tx4"), QString("某某大厦门窗工程"));
    }

    void iniWriteFailureIsReported()
    {
        QString error;
        QVERIFY(!WriteIni("/nonexistent-folder/cs.ini", "a", "b", "c", &error));
        QVERIFY(!error.isEmpty());
    }

    void iniRefusesLineBreaksAndWritesAllKeysOrNone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cs.ini");
        const QByteArray before = "[sysPath]\r\npath1=/data\r\n";
        writeFile(path, before);
        QString error;
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

    void numbersRoundAndPrint()
    {
        // Halves are decided on the decimal a calculator shows, then go to
        // the even neighbour.
        const struct {
            double x;
            int decimals;
            double rounded;
        } halves[] = {
            {1.143 * 6.5, 3, 7.430}, // 7.4295; the double lies just below the half
            {0.729 * 6.5, 3, 4.738}, // 4.7385; the double lies just above it
            {0.594 / 2.52 * 1.05, 3, 0.248}, // 0.2475
            {2.675, 2, 2.68},
            {0.125, 2, 0.12},
            {0.375, 2, 0.38},
            {-7.4295, 3, -7.430},
            {-0.125, 2, -0.12},
            {7.4285000000000006, 3, 7.428}, // above the half only in binary noise
            {7.42850000000001, 3, 7.429}, // above it in the 15th digit
            {2.5, 0, 2},
            {3.5, 0, 4},
            {123456.7885, 3, 123456.788},
            {-0.0001, 3, 0},
        };
        for (const auto &h : halves)
            QVERIFY2(Round(h.x, h.decimals) == h.rounded, qPrintable(QString::number(h.x, 'g', 17)));
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
        QCOMPARE(plainNumber(1250), QString("1250"));
        QCOMPARE(plainNumber(1.8), QString("1.8"));
        QCOMPARE(plainNumber(0.1 + 0.2), QString("0.30000000000000004"));
        QCOMPARE(plainNumber(1e-7), QString("0.0000001"));
        QCOMPARE(plainNumber(1e21), QString("1000000000000000000000"));
        QCOMPARE(plainNumber(-3.25), QString("-3.25"));
        QCOMPARE(format3(10), QString("10.000"));
        QCOMPARE(format3(0.0625), QString("0.062"));
        QCOMPARE(format3(0.0005), QString("0.000"));
        QCOMPARE(format3(0.0015), QString("0.002"));
        QCOMPARE(leadingNumber("12.50"), 12.5);
        QCOMPARE(leadingNumber(" 7.5 "), 7.5);
        QCOMPARE(leadingNumber("abc"), 0.0);
        QCOMPARE(leadingNumber("3kg"), 3.0);
        QCOMPARE(leadingNumber("1 2"), 12.0);
        QCOMPARE(leadingNumber(""), 0.0);
        double v = 0;
        QVERIFY(parseNumber(" 0.35 ", &v));
        QCOMPARE(v, 0.35);
        QVERIFY(!parseNumber("abc", &v));
        QVERIFY(!parseNumber("", &v));
        QVERIFY(!parseNumber("1,5", &v));
        QVERIFY(!parseNumber("inf", &v));
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
        try {
            ChunkToFile(QVariant(QString("text")), path, 10);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QString("Field doesn't support the GetChunk method."));
        }
        QCOMPARE(readFile(path), QByteArray("short"));
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
