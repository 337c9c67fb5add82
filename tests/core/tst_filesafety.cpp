#include "clirun.h"
#include "core/common/db/database.h"
#include "core/common/db/schema.h"
#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/io/savefile.h"
#include "core/document/xlsxtable.h"
#include "core/rawdata/workingtables.h"
#include "core/rawdata/xdtwriter.h"
#include "fulldisk.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTest>

#include <atomic>
#include <csignal>
#include <thread>

#include <sys/mount.h>
#include <sys/resource.h>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// Each writer, given the target path; it throws or, for commands, returns
// their error output.
using Writer = std::function<QString(const TestHome &, const QString &)>;

QString viaCli(const TestHome &home, const QStringList &args)
{
    const CliResult r = runCli(home, args);
    return r.status == 0 ? QString() : r.err;
}

// Reads the working tables once; says what went wrong, or nothing.
using Reader = std::function<QString(const TestHome &)>;

constexpr int kWindows = 1500;

// A project whose every line names it, so a file mixing two shows.
QByteArray projectBytes(char name, int windows)
{
    QByteArray bytes;
    for (int i = 1; i <= windows; ++i) {
        const QByteArray id = QByteArray::number(i);
        bytes += "4|" + id + "|S" + name + "|C" + id + "|1|1\r\n";
        bytes += "1|" + id + "|" + name + "01|1000\r\n";
        bytes += "3|" + id + "|" + name + "执手|L||2\r\n";
        bytes += "2|" + id + "|" + name + "白玻|1.5\r\n";
    }
    return bytes;
}

} // namespace

class TestFileSafety : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void everyWriterCancelsOnAFullDisk_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Writer>("write");
        const QStringList prices = {"--yes", "--lc-price", "断桥铝型材/True/20", "--lc-price", "普通铝型材/False/15"};
        QTest::newRow("xdt") << "p.xdt" << Writer([](const TestHome &, const QString &path) {
            return errorOf([&] { writeRawDataFile(path); });
        });
        QTest::newRow("save") << "p.xdt" << Writer([](const TestHome &home, const QString &path) {
            return viaCli(home, {"save", path});
        });
        for (const char *option : {"--json", "--xlsx", "--pdf"}) {
            QTest::newRow(option) << "q.out" << Writer([=](const TestHome &home, const QString &path) {
                return viaCli(home, QStringList({"quote", QString::fromLatin1(option), path}) + prices);
            });
        }
        QTest::newRow("grid export") << "g.xlsx" << Writer([](const TestHome &, const QString &path) {
            return errorOf([&] { writeXlsxTable(path, {{"代号", "长度"}, {"A01", "1250"}}); });
        });
        QTest::newRow("settings") << "cs.ini" << Writer([](const TestHome &, const QString &path) {
            QString error;
            return WriteIni(path, "cs1", "tx1", "2", &error) ? QString() : error;
        });
    }

    void everyWriterCancelsOnAFullDisk()
    {
        QFETCH(QString, file);
        QFETCH(Writer, write);
        TestHome home(Demo::PricesAndProject);
        const QString path = home.file(file);
        const QByteArray old = QByteArray("[cs1]\r\ntx1=1\r\n").repeated(400);
        writeFile(path, old);
        const QStringList before = QDir(home.path()).entryList(QDir::Files);
        {
            const FullDiskScope full;
            const QString error = write(home, path);
            QVERIFY2(
                error.contains(QStringLiteral("无法写入文件 ") + path + QStringLiteral(": No space left on device")),
                qPrintable(error));
        }
        QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(home.path()).entryList(QDir::Files), before); // no temporary file left
        QCOMPARE(write(home, path), QString()); // and the disk has room again
        QVERIFY(readFile(path) != old);
    }

    // A real full disk (a small file system of its own) is named as such;
    // Qt calls a write it cut short "Unknown error".
    void fullDiskIsNamed()
    {
        TestHome home(Demo::PricesAndProject);
        const QString folder = home.file("small");
        QVERIFY(QDir().mkdir(folder));
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("no permission to mount a small file system");
        QFile filler(folder + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray(16 << 10, 'f'));
        filler.close();
        const QString path = folder + "/p.xdt";
        const QString direct = errorOf([&] { saveFileAtomically(path, QByteArray(1 << 20, 'x')); });
        const CliResult save = runCli(home, {"save", path});
        ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
        QCOMPARE(direct, "无法写入文件 " + path + ": 磁盘空间不足");
        QCOMPARE(save.err, "当前错误:无法写入文件 " + path + ": 磁盘空间不足\n");
    }

    // Qt 6.4's QSaveFile::commit() reports success when its last flush
    // failed: a real write failure at that moment, by a file size limit.
    void failedLastFlushKeepsTheOldFile()
    {
        TestHome home;
        const QString path = home.file("p.xdt");
        writeFile(path, "old");
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        const QString error = errorOf([&] { saveFileAtomically(path, QByteArray(8000, 'x')); });
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY2(error.startsWith(QStringLiteral("无法写入文件 ") + path + QStringLiteral(": ")), qPrintable(error));
        QCOMPARE(readFile(path), QByteArray("old"));
    }

    // A price import while another program writes (a load) waits for it and
    // then imports, instead of failing at its first row.
    void importWaitsForAnotherWriter()
    {
        TestHome home(Demo::PricesAndProject);
        writeFile(home.file("bl.csv"), "名称,单价,折扣量\r\n5mm白玻,99,1\r\n新玻璃,50,1\r\n");
        std::atomic<bool> holding {false};
        QString writerError;
        std::thread writer([&] {
            const QString name = QStringLiteral("writer");
            try {
                QSqlDatabase db = Database::openFile(home.file(Database::fileName()), name, workingSchemaPlan());
                sqlExec("BEGIN IMMEDIATE", {}, db);
                sqlExec("DELETE FROM LcTemp WHERE ID=1", {}, db);
                holding = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(800));
                sqlExec("COMMIT", {}, db);
            } catch (const Error &e) {
                writerError = e.message();
                holding = true;
            }
            Database::close(name);
        });
        while (!holding)
            std::this_thread::yield();
        const CliResult r = runCli(home, {"prices", "import", "blName", home.file("bl.csv")});
        writer.join();
        QCOMPARE(writerError, QString());
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, QString("新增 1 修改 1 未变 0 无效 0\n"));
        QCOMPARE(sqlScalar("SELECT 单价 FROM blName WHERE 名称='5mm白玻'").toDouble(), 99.0);
    }

    // One program loads project A and B in turn while another reads: every
    // saved file holds one project whole, and every check's code and list
    // speak of the same project (A's profile is priced, B's is not).
    void readersDuringLoadsSeeOneProject_data()
    {
        QTest::addColumn<Reader>("read");
        QTest::newRow("save") << Reader([](const TestHome &home) {
            const QString error = errorOf([&] { writeRawDataFile(home.file("saved.xdt")); });
            if (!error.isEmpty())
                return error;
            const QByteArray saved = readFile(home.file("saved.xdt"));
            const bool a = saved.contains("|A") || saved.contains("|SA");
            const bool b = saved.contains("|B") || saved.contains("|SB");
            const bool whole = saved.size() == QFileInfo(home.file("whole.xdt")).size();
            return a == b || !whole ? QStringLiteral("mixed save") : QString();
        });
        QTest::newRow("check") << Reader([](const TestHome &home) {
            const CliResult r = runCli(home, {"check"});
            if (r.status != 3)
                return r.err;
            const bool profileMissing = r.out.startsWith(QStringLiteral("1 "));
            return profileMissing != r.out.contains(QStringLiteral("\n主材\t")) ? QStringLiteral("mixed: ") + r.out
                                                                                : QString();
        });
    }

    void readersDuringLoadsSeeOneProject()
    {
        QFETCH(Reader, read);
        TestHome home;
        writeFile(home.file("a.xdt"), projectBytes('A', kWindows));
        writeFile(home.file("b.xdt"), projectBytes('B', kWindows));
        sqlExec("INSERT INTO lcName (编号,代号,线重) VALUES (1,'A01',1.5)");
        loadRawDataFile(home.file("a.xdt"));
        writeRawDataFile(home.file("whole.xdt"));

        std::atomic<bool> stop {false};
        QString loaderError;
        std::thread loader([&] {
            const QString name = QStringLiteral("loader");
            try {
                QSqlDatabase db = Database::openFile(home.file(Database::fileName()), name, workingSchemaPlan());
                for (int i = 0; !stop; ++i)
                    loadRawDataFile(home.file(i % 2 ? "a.xdt" : "b.xdt"), db);
            } catch (const Error &e) {
                loaderError = e.message();
            }
            Database::close(name);
        });
        QStringList failures;
        for (int i = 0; i < 40; ++i) {
            const QString failure = read(home);
            if (!failure.isEmpty())
                failures.append(failure);
        }
        stop = true;
        loader.join();
        QCOMPARE(loaderError, QString());
        QCOMPARE(failures, QStringList());
    }
};

QTEST_MAIN(TestFileSafety)
#include "tst_filesafety.moc"
