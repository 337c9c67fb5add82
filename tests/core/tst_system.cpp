#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/io/paths.h"
#include "core/settings/pathsettings.h"
#include "core/settings/systeminfo.h"

#include "testsupport.h"

#include <QDir>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

class TestSystem : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void programFolderChoice_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("defaults");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<FolderOrigin>("origin");
        QTest::newRow("--home wins") << "/h"
                                     << "/e" << true << ""
                                     << "/h" << FolderOrigin::Chosen;
        QTest::newRow("TARVEX_HOME") << ""
                                     << "/e" << false << "/usr/share/tarvex"
                                     << "/e" << FolderOrigin::Environment;
        QTest::newRow("build folder") << ""
                                      << "" << true << ""
                                      << "/exe" << FolderOrigin::Executable;
        QTest::newRow("installed, read-only") << ""
                                              << "" << false << "/usr/share/tarvex"
                                              << "/user" << FolderOrigin::UserData;
        // Run by root, /usr/bin may be written: still the user's folder.
        QTest::newRow("installed, writable") << ""
                                             << "" << true << "/usr/share/tarvex"
                                             << "/user" << FolderOrigin::UserData;
        QTest::newRow("read-only, not installed") << ""
                                                  << "" << false << ""
                                                  << "/user" << FolderOrigin::UserData;
    }

    void programFolderChoice()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, environment);
        QFETCH(bool, writable);
        QFETCH(QString, defaults);
        const ProgramFolder folder = chooseProgramFolder({chosen, environment, "/exe", writable, defaults, "/user"});
        QTEST(folder.path, "expected");
        QTEST(folder.origin, "origin");
    }

    void fillFolderNeverOverwrites()
    {
        QTemporaryDir from, to;
        writeFile(from.filePath("cs.ini"), "[sysPath]\r\npath1=\r\n");
        QDir(from.path()).mkpath("pic");
        QDir(from.path()).mkpath("temp1");
        QDir(from.path()).mkpath("help");
        writeFile(from.filePath("pic/1.jpg"), "picture");
        writeFile(from.filePath("help/index.html"), "manual");
        QFile::setPermissions(from.filePath("pic/1.jpg"), QFileDevice::ReadOwner | QFileDevice::ReadOther);
        writeFile(to.filePath("cs.ini"), "[sysPath]\r\npath1=/mine\r\n");
        const QString target = to.filePath("new/Tarvex");

        fillFolder(from.path(), to.path(), "help");
        QCOMPARE(readFile(to.filePath("cs.ini")), QByteArray("[sysPath]\r\npath1=/mine\r\n"));
        QCOMPARE(readFile(to.filePath("pic/1.jpg")), QByteArray("picture"));
        QVERIFY(QFile::permissions(to.filePath("pic/1.jpg")) & QFileDevice::WriteOwner);
        QVERIFY(QFileInfo(to.filePath("temp1")).isDir());
        QVERIFY(!QFileInfo::exists(to.filePath("help")));

        fillFolder("", target);
        QVERIFY(QDir(target).isEmpty());
        fillFolder(from.path(), target);
        QCOMPARE(readFile(target + "/help/index.html"), QByteArray("manual"));
        QVERIFY(!errorOf([&] { fillFolder(from.path(), "/proc/tarvex"); }).isEmpty());
    }

    void pathSettingsSaveAsTyped()
    {
        if (onTestServer())
            QSKIP("the folders of cs.ini, the same for either engine");
        TestHome home;
        const QString ini = home.file("cs.ini");
        QCOMPARE(readPathSettings(ini).dataFolder, QString());
        const QString missing = home.file("no-such-folder");
        // A pasted line break never reaches the file.
        const QString message = savePathSettings(ini, {" " + home.path() + "\r\n", missing + "\n"});
        QCOMPARE(message, QString("设置成功!重新启动软件后生效!"));
        QCOMPARE(
            readPathSettings(ini).dataFolder + '|' + readPathSettings(ini).libraryFolder, home.path() + '|' + missing);
        QCOMPARE(readFile(ini), ("[sysPath]\r\npath1=" + home.path() + "\r\npath2=" + missing + "\r\n").toUtf8());

        // Saving again writes the same; an empty library folder is stored empty.
        QCOMPARE(savePathSettings(ini, {home.path(), ""}), QString("设置成功!重新启动软件后生效!"));
        QCOMPARE(readFile(ini), ("[sysPath]\r\npath1=" + home.path() + "\r\npath2=\r\n").toUtf8());

        QDir(home.path()).mkdir("locked.ini");
        const QString locked = errorOf([&] { savePathSettings(home.file("locked.ini"), {"a", "b"}); });
        QVERIFY2(
            locked.startsWith("无法写入文件 " + home.file("locked.ini") + ": ") && locked.count("无法写入文件") == 1,
            qPrintable(locked));
    }

    void folderProblemsNameWhatWillFail()
    {
        TestHome home;
        QDir(home.path()).mkdir("lib");
        const QString lib = home.file("lib");
        const QString missing = home.file("no-such-folder");
        const struct {
            PathSettings settings;
            QStringList problems;
            QString toCreate;
        } cases[] = {
            {{"", ""}, {}, ""}, // the program folder makes its own library
            {{home.path(), " " + missing + "\n"}, {"图库数据库路径 " + missing + " 不存在"}, ""},
            {{lib, lib}, {"报价数据库路径 " + lib + " 中没有 newdb.sqlite, 启动时将建立空的数据库"},
                lib + "/xltDb.sqlite"},
            {{"/proc", "/proc"}, {"报价数据库路径 /proc 不能写入", "图库数据库路径 /proc 不能写入"}, ""},
        };
        for (const auto &c : cases) {
            // A server's working data needs no newdb.sqlite.
            QStringList problems = c.problems;
            if (onTestServer())
                problems.removeIf([](const QString &p) { return p.contains("newdb.sqlite"); });
            QCOMPARE(folderProblems(c.settings), problems);
            QCOMPARE(libraryToCreate(c.settings), c.toCreate);
        }
    }

    void systemInfoNamesFoldersFilesAndCounts()
    {
        TestHome home(Demo::PricesAndProject);
        const QString text = systemInfoLines().join('\n');
        const int profiles = sqlScalar("SELECT COUNT(*) FROM LcTemp").toInt();
        QVERIFY(profiles > 10);
        QStringList expected {"程序版本: Tarvex " TARVEX_VERSION, "SQLite 版本: 3.",
            "程序文件夹: " + home.path() + " (命令行 --home 指定)", "数据文件夹: " + home.path(),
            "  LcTemp (型材): " + QString::number(profiles), "  lcName (主材线重): 11", "  FyTable (固定费用): "};
        if (onTestServer())
            expected << "数据库: PostgreSQL 服务器"
                     << "数据库 t_core_tst_system, 用户 tarvex, 工作区 seat1"
                     << "  服务器版本: PostgreSQL 1"
                     << "  客户端库: libpq 1"
                     << "  图库: 服务器上的共享图库";
        else
            expected << "数据库: SQLite 文件"
                     << "  xltDb.sqlite: 不存在";
        for (const QString &line : expected)
            QVERIFY2(text.contains(line), qPrintable(line + "\n--\n" + text));
        // The open database's recent changes are in its log, named beside it;
        // on a server no file is named.
        QCOMPARE(
            text.contains(QRegularExpression("  newdb.sqlite: .* \\([0-9,]+ 字节\\), 预写日志 .* \\([0-9,]+ 字节\\)")),
            !onTestServer());
        if (onTestServer())
            QVERIFY2(!text.contains(".sqlite:"), qPrintable(text));

        // A folder changed in the settings since the start is named too.
        savePathSettings(home.file("cs.ini"), {"", "lib"});
        Database::closeShared();
        const QString later = systemInfoLines().join('\n');
        QVERIFY(later.contains("  cs.ini 已改为: " + home.file("lib") + " (重新启动后生效)"));
        QVERIFY(later.contains("  MjTemp (门窗): 此时系统信息不可用"));
    }
};

QTEST_MAIN(TestSystem)
#include "tst_system.moc"
