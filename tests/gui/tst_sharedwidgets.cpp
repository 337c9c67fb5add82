#include "../core/xlsxread.h"
#include "core/common/db/database.h"
#include "core/common/io/paths.h"
#include "core/library/libraryfile.h"
#include "core/settings/pathsettings.h"
#include "fulldisk.h"
#include "gui/app/mainform.h"
#include "gui/common/filedialogs.h"
#include "gui/common/flexgrid.h"
#include "gui/common/forms.h"
#include "gui/prices/disform.h"
#include "gui/settings/frmabout.h"
#include "gui/settings/setform.h"
#include "gui/settings/sysinfodialog.h"
#include "gui/viewer/dataform.h"
#include "testsupport.h"
#include "widgetsupport.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tarvex;
using namespace tarvex::test;

class TestSharedWidgets : public QObject {
    Q_OBJECT

    static void wheel(FlexGrid &grid, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at(10, 10);
        QWheelEvent event(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &event);
    }

    // The numbers of the rows that hold cells in the first sheet of a workbook.
    static QStringList sheetRows(const QString &xlsx)
    {
        QStringList rows;
        for (const QString &ref : XlsxBook(xlsx).sheet(0).keys())
            rows.append(ref.mid(ref.indexOf(QRegularExpression("[0-9]"))));
        rows.removeDuplicates();
        rows.sort();
        return rows;
    }

private slots:
    void startsWithToolbarPanelsAndDisabledButtons()
    {
        const QFont font = QApplication::font();
        QApplication::setFont(QFont("Noto Sans CJK SC", 10)); // the program's font
        TestHome home;
        Database::closeShared();
        MainForm form;
        form.startup({QStringLiteral("tarvex")});
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarvex"));
        QVERIFY(Database::isSharedOpen());

        const QList<QAction *> actions = child<QToolBar>(&form, "Toolbar1")->actions();
        QCOMPARE(actions.size(), 23);
        // "下料优化" and "报价记录" stand after "成本计算" as buttons 22 and 23; the others keep
        // their numbers.
        const QStringList captions = {"检索数据", "打开文件", "保  存", "另存为", "", "主材线重", "配件单价",
            "玻璃单价", "固定费用", "", "成本计算", "下料优化", "报价记录", "", "图库管理", "料单项目", "", "系统帮助",
            "系统设置", "", "关于程序", "", "退出系统"};
        for (int i = 0; i < 23; ++i) {
            QCOMPARE(actions[i]->text(), captions[i]);
            QCOMPARE(actions[i]->isSeparator(), captions[i].isEmpty());
            QCOMPARE(form.button(i < 11 ? i + 1 : i < 13 ? i + 11 : i - 1), actions[i]);
        }
        QVERIFY(form.button(1)->isEnabled());
        for (int i : {3, 4, 11, 22})
            QVERIFY(!form.button(i)->isEnabled());

        QCOMPARE(child<QStatusBar>(&form, "Bar1")
                     ->findChildren<QLabel *>(QRegularExpression(QStringLiteral("^Panel[1-5]$")))
                     .size(),
            5);
        QVERIFY(!form.panelText(4).isEmpty() && !form.panelText(5).isEmpty());

        // At 1024 pixels every entry stands on the toolbar: none behind its
        // extension button.
        form.resize(1024, 768);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *toolbar = child<QToolBar>(&form, "Toolbar1");
        QWidget *quit = toolbar->widgetForAction(form.actions().quit);
        QTRY_VERIFY(quit->isVisible() && toolbar->rect().contains(quit->geometry()));
        QApplication::setFont(font);
    }
    void gridCountsRowsLikeTheFlexGrid()
    {
        TestHome home;
        FlexGrid grid;
        QAbstractItemModelTester tester(grid.gridModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.load("SELECT * FROM blName", Database::shared());
        QCOMPARE(grid.rows(), 2); // header and one blank row

        home.loadDemoPrices();
        grid.load("SELECT * FROM lcName ORDER BY 编号", Database::shared());
        QCOMPARE(grid.rows(), 12);
        // A Null remark shows as blank.
        QCOMPARE(QStringList({grid.textMatrix(1, 3), grid.textMatrix(1, 4), grid.textMatrix(1, 5),
                     grid.textMatrix(4, 5), grid.textMatrix(3, 7)}),
            QStringList({"KF601", "1.052", "是", "否", ""}));

        // A filtered load binds its values; an empty model has no rows.
        grid.load("SELECT * FROM lcName WHERE 代号=? OR 编号=?", Database::shared(), {"KF601", 3});
        QCOMPARE(grid.recordCount(), 2);
        QCOMPARE(grid.textMatrix(1, 3), QString("KF601"));
        grid.gridModel()->clear();
        QCOMPARE(grid.gridModel()->rowCount(), 0);

        // Rows the database no longer gives are said once, and the grid shows none.
        sqlExec("CREATE TABLE gone AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<600) "
                "SELECT i FROM n");
        grid.load("SELECT * FROM gone", Database::shared());
        sqlExec("DROP TABLE gone");
        QCOMPARE(grid.textMatrix(300, 0) + grid.textMatrix(600, 0), QString());
        QTRY_COMPARE(grid.recordCount(), 0);
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(home.messages().texts().size(), 1);
        QCOMPARE(home.messages().lastText(), QString("当前错误:读取数据失败: no such table: gone"));
    }

    void wheelScrollsOneRowPerNotch()
    {
        TestHome home;
        inTransaction(Database::shared(), [] {
            for (int i = 0; i < 200; ++i)
                sqlExec("INSERT INTO MjTemp VALUES (?,'S','C',1,1)", {i});
        });
        FlexGrid grid;
        grid.resize(400, 200);
        grid.show();
        grid.load("SELECT * FROM MjTemp", Database::shared());
        // Up at the top stays; a key held or a finer step scrolls nothing.
        const struct {
            int delta;
            Qt::KeyboardModifiers modifiers;
            int topRow;
        } notches[] = {{120, Qt::NoModifier, 1}, {-120, Qt::NoModifier, 2}, {-120, Qt::NoModifier, 3},
            {-120, Qt::ControlModifier, 3}, {-60, Qt::NoModifier, 3}, {120, Qt::NoModifier, 2}};
        QCOMPARE(grid.topRow(), 1);
        for (const auto &n : notches) {
            wheel(grid, n.delta, n.modifiers);
            QCOMPARE(grid.topRow(), n.topRow);
        }
    }

    void exportWritesEveryCellAsText()
    {
        TestHome home;
        FlexGrid grid;
        grid.load("SELECT * FROM FyTable", Database::shared());
        const QString path = FlexToExcel(&grid);
        QVERIFY(path.startsWith(programFile("temp1")));
        QVERIFY(home.messages().texts().size() == 1 && home.messages().lastText().startsWith("数据导出至Excel成功!"));
        // Only the header row holds text: one sheet row.
        QCOMPARE(sheetRows(path), QStringList({"1"}));

        home.loadDemoPrices();
        grid.load("SELECT * FROM FyTable", Database::shared());
        QCOMPARE(sheetRows(FlexToExcel(&grid)), QStringList({"1", "2", "3", "4", "5"}));
    }

    void exportFailureSaysWhy()
    {
        TestHome home;
        writeFile(programFile("temp1"), "a file where the folder should be");
        FlexGrid grid;
        grid.load("SELECT * FROM FyTable", Database::shared());
        QVERIFY(FlexToExcel(&grid).isEmpty());
        QCOMPARE(
            home.messages().lastText(), "当前错误:无法创建文件夹 " + QDir::toNativeSeparators(programFile("temp1")));
    }

    void childWindowsAreClosedBeforeAnother()
    {
        TestHome home;
        Database::closeShared();
        MainForm main;
        main.show();
        main.startup({"tarvex"});
        auto *first = new QWidget;
        first->setObjectName("DisForm");
        main.showChild(first, MainForm::Placement::Fill);
        QVERIFY(IsFormLoaded("DisForm") && !IsFormLoaded("disform"));
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        CloseChildWindows();
        QTRY_VERIFY(!IsFormLoaded("DisForm"));
        QVERIFY(IsFormLoaded("MainForm"));

        auto *centred = new QWidget;
        centred->setObjectName("setForm");
        centred->resize(300, 200);
        main.showChild(centred, MainForm::Placement::Centre);
        auto *sub = main.mdiArea()->subWindowList().first();
        const QRect client = main.mdiArea()->viewport()->rect();
        QVERIFY(qAbs(sub->geometry().center().x() - client.center().x()) <= 2);
    }

    void fillingWindowsFollowTheClientAreaAndTakeTheirCountsAlong()
    {
        TestHome home(Demo::Prices);
        Database::closeShared();
        // As at start: the project opens before the main window is shown.
        MainForm main;
        main.startup({"tarvex", sourcePath("data/demo/demo.xdt")});
        auto *viewer = main.openChild<DataForm>();
        QVERIFY(viewer);
        QWidget *client = main.mdiArea()->viewport();
        QMdiSubWindow *sub = main.mdiArea()->subWindowList().first();
        main.resize(1024, 768);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_COMPARE(sub->geometry(), client->rect());
        main.resize(1440, 900);
        QTRY_COMPARE(client->width(), main.width());
        QCOMPARE(sub->geometry(), client->rect());
        // Once the user has moved it, it stays where it was put.
        sub->move(20, 30);
        main.resize(1300, 850);
        QTRY_COMPARE(client->width(), main.width());
        QCOMPARE(sub->geometry().topLeft(), QPoint(20, 30));

        viewer->grid(MaterialKind::Profile)->setCurrentCell(1, 0);
        viewer->ComboFill();
        viewer->DataSelect("60平开窗");
        QCOMPARE(main.panelText(3), QString("当前筛选: WHERE 门窗系列='60平开窗'"));
        // The next window counts its own records; the viewer's filter goes with it.
        main.actions().profilePrices->trigger();
        QTRY_VERIFY(!main.openChild<DataForm>());
        QTRY_COMPARE(main.panelText(3), QString());
        QCOMPARE(main.panelText(2), QString("当前记录数:11"));
        main.openChild<DisForm>()->actions().close->trigger();
        QTRY_COMPARE(main.panelText(2), QString());
    }

    void emptyDataFolderMeansTheProgramFolder()
    {
        TestHome home;
        QCOMPARE(dataFolder(), programFolder());
        Database::closeShared();
        MainForm main;
        main.startup({"tarvex"});
        // No background picture in this folder: the database opens all the same.
        QVERIFY(Database::isSharedOpen());
        QVERIFY(QFile::exists(home.file("newdb.sqlite")));
        QVERIFY(home.messages().shown().isEmpty());
    }

    void initTestCase() { qputenv("TARVEX_NO_OPEN", "1"); }

    void setFormSavesBothFoldersAndCloseSavesNothing()
    {
        TestHome home;
        writeFile(home.file("cs.ini"), "; own\r\n[sysPath]\r\npath1=/data/a\r\npath2=/data/b\r\n[cs1]\r\ntx1=1\r\n");
        const QByteArray before = readFile(home.file("cs.ini"));
        MainForm main;
        main.startup({"tarvex"}); // says the data folder does not exist
        home.messages().clear();
        main.actions().profilePrices->trigger();
        main.actions().settings->trigger();
        // The settings dialog replaces the open child window, centred.
        QTRY_VERIFY(!IsFormLoaded("DisForm"));
        QWidget *form = main.findChild<QWidget *>("setForm");
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QString("系统设置"));
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        auto *text1 = child<QLineEdit>(form, "Text1");
        auto *text2 = child<QLineEdit>(form, "Text2");
        QCOMPARE(text1->text() + text2->text(), QString("/data/a/data/b"));

        setNextFileName(home.path());
        child<QPushButton>(form, "Command4")->click();
        QCOMPARE(lastDialogTitle(), QString("请选择所需要的路径:"));
        QCOMPARE(text2->text(), home.path());
        setNextFileName(""); // cancelled
        child<QPushButton>(form, "Command3")->click();
        QCOMPARE(text1->text(), QString("/data/a"));

        // Edited, then closed: the file stays as it was, byte for byte.
        text1->setText("/elsewhere");
        child<QPushButton>(form, "Command2")->click();
        QTRY_VERIFY(!IsFormLoaded("setForm"));
        QCOMPARE(readFile(home.file("cs.ini")), before);
        QVERIFY(home.messages().shown().isEmpty());

        main.actions().settings->trigger();
        form = main.findChild<QWidget *>("setForm");
        child<QLineEdit>(form, "Text1")->setText(home.path());
        child<QLineEdit>(form, "Text2")->clear();
        for (int i = 0; i < 2; ++i)
            child<QPushButton>(form, "Command1")->click();
        QCOMPARE(home.messages().texts(), QStringList(2, "设置成功!重新启动软件后生效!"));
        QVERIFY(IsFormLoaded("setForm"));
        QCOMPARE(readFile(home.file("cs.ini")),
            ("; own\r\n[sysPath]\r\npath1=" + home.path() + "\r\npath2=\r\n[cs1]\r\ntx1=1\r\n").toUtf8());
        CloseChildWindows();
    }

    void setFormWarnsOfFoldersThatWillFail()
    {
        TestHome home;
        const QByteArray before = readFile(home.file("cs.ini"));
        MainForm main;
        main.actions().settings->trigger();
        QWidget *form = main.findChild<QWidget *>("setForm");
        QVERIFY(form);
        const QString nowhere = QDir::toNativeSeparators(home.file("nowhere"));
        const QString lib = QDir::toNativeSeparators(home.file("lib"));
        QDir(home.path()).mkdir("lib");

        // Going back (the default answer) stores nothing.
        typeInto(form, {{"Text1", nowhere}, {"Text2", "/proc"}});
        child<QPushButton>(form, "Command1")->click();
        QCOMPARE(home.messages().texts(),
            QStringList {"报价数据库路径 " + nowhere + " 不存在\n图库数据库路径 /proc 不能写入\n\n是否仍然保存?"});
        QVERIFY(home.messages().shown().last().kind == ScriptedMessages::Kind::WarningQuestion);
        QCOMPARE(readFile(home.file("cs.ini")), before);

        // Insisting stores it; a library folder without the library offers to make one.
        home.messages().clear();
        typeInto(form, {{"Text1", lib}, {"Text2", lib}});
        home.messages().answerQuestion(true);
        home.messages().answerQuestion(true);
        child<QPushButton>(form, "Command1")->click();
        const QString library = QDir::toNativeSeparators(home.file("lib/xltDb.sqlite"));
        QCOMPARE(home.messages().texts(),
            (QStringList {"报价数据库路径 " + lib + " 中没有 newdb.sqlite, 启动时将建立空的数据库\n\n是否仍然保存?",
                "图库数据库路径 " + lib + " 中没有 xltDb.sqlite, 是否在其中新建空的图库?",
                "设置成功!重新启动软件后生效!\n已新建空的图库: " + library}));
        QCOMPARE(readPathSettings(iniPath()).libraryFolder, lib);
        QVERIFY(errorOf([&] { LibraryConnection made(library); }).isEmpty());
        CloseChildWindows();
    }

    void setFormStoresTheEngineChoice_data()
    {
        QTest::addColumn<QByteArray>("db");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("conninfo");
        QTest::addColumn<QByteArray>("stored");
        const QByteArray server = "[db]\r\nengine=postgresql\r\nconninfo=host=a dbname=t\r\nseat=s1\r\n";
        QTest::newRow("file to server") << QByteArray() << "PostgreSQL 服务器"
                                        << " host=b dbname=t "
                                        << QByteArray("\r\n[db]\r\nengine=postgresql\r\nconninfo=host=b dbname=t\r\n"
                                                      "seat=\r\nlibrary=server\r\n");
        QTest::newRow("other server") << server << "PostgreSQL 服务器"
                                      << "host=b dbname=t"
                                      << QByteArray("[db]\r\nengine=postgresql\r\nconninfo=host=b dbname=t\r\n"
                                                    "seat=s1\r\nlibrary=server\r\n");
        // The connection string is kept for a later return to the server.
        QTest::newRow("back to file") << server << "SQLite 文件"
                                      << "host=a dbname=t"
                                      << QByteArray("[db]\r\nengine=sqlite\r\nconninfo=host=a dbname=t\r\n"
                                                    "seat=s1\r\nlibrary=server\r\n");
    }

    void setFormStoresTheEngineChoice()
    {
        QFETCH(QByteArray, db);
        QFETCH(QString, choice);
        QFETCH(QString, conninfo);
        QFETCH(QByteArray, stored);
        TestHome home;
        const QByteArray paths = "[sysPath]\r\npath1=\r\npath2=\r\n";
        writeFile(home.file("cs.ini"), paths + db);
        SetForm form;
        auto *engine = child<QComboBox>(&form, "Combo1");
        auto *text3 = child<QLineEdit>(&form, "Text3");
        QCOMPARE(comboItems(engine), (QStringList {"SQLite 文件", "PostgreSQL 服务器"}));
        QCOMPARE(engine->currentText(), QString::fromUtf8(db.isEmpty() ? "SQLite 文件" : "PostgreSQL 服务器"));
        QCOMPARE(text3->text(), QString::fromUtf8(db.isEmpty() ? "" : "host=a dbname=t"));
        choose(engine, choice);
        const bool server = choice.startsWith("PostgreSQL");
        QCOMPARE(text3->isEnabled(), server);
        QCOMPARE(child<QPushButton>(&form, "Command5")->isEnabled(), server);
        text3->setText(conninfo);
        child<QPushButton>(&form, "Command1")->click();
        QCOMPARE(home.messages().texts(), QStringList {"设置成功!重新启动软件后生效!"});
        QCOMPARE(readFile(home.file("cs.ini")), paths + stored);
        QCOMPARE(text3->text(), conninfo.trimmed());
    }

    void setFormRefusesAServerItCannotReach_data()
    {
        QTest::addColumn<QString>("conninfo");
        QTest::addColumn<QString>("reason");
        QTest::newRow("password") << "host=b dbname=t password=secret"
                                  << "连接字符串中不能写密码: 请把密码写在 ~/.pgpass (或 PGPASSFILE 指定的文件) 中";
        QTest::newRow("empty") << " "
                               << "没有填写数据库服务器的连接字符串 (cs.ini 中 db 节的 conninfo)";
    }

    // Refused before anything is asked or written, and not sent to a server.
    void setFormRefusesAServerItCannotReach()
    {
        QFETCH(QString, conninfo);
        QFETCH(QString, reason);
        TestHome home;
        writeFile(home.file("cs.ini"), "[sysPath]\r\npath1=/nowhere\r\npath2=\r\n");
        const QByteArray before = readFile(home.file("cs.ini"));
        SetForm form;
        choose(child<QComboBox>(&form, "Combo1"), "PostgreSQL 服务器");
        typeInto(&form, {{"Text3", conninfo}});
        child<QPushButton>(&form, "Command1")->click();
        child<QPushButton>(&form, "Command5")->click();
        QCOMPARE(home.messages().texts(), (QStringList {"当前错误:" + reason, "连接失败: " + reason}));
        for (const auto &shown : home.messages().shown())
            QVERIFY(shown.kind == ScriptedMessages::Kind::Warning);
        QCOMPARE(readFile(home.file("cs.ini")), before);
    }

    void testConnectionSaysWhetherTheServerAnswers_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("said");
        QTest::newRow("nothing listens") << "host=127.0.0.1 port=1"
                                         << "连接失败: 无法连接数据库服务器 127.0.0.1:1 上的数据库 tarvex, "
                                            "服务器没有响应或拒绝连接: connection to server at \"127.0.0.1\", "
                                            "port 1 failed: Connection refused";
        QTest::newRow("no answer") << "host=127.0.0.1 port=%1 connect_timeout=2"
                                   << "连接失败: 无法连接数据库服务器 127.0.0.1:%1 上的数据库 tarvex, "
                                      "服务器没有响应或拒绝连接: connection to server at \"127.0.0.1\", port %1 "
                                      "failed: timeout expired";
        QTest::newRow("test server") << QString() << "连接成功: 数据库服务器 ";
    }

    // The dialog stays live while it waits for the server: the button says
    // so and takes no second click until the answer is shown.
    void testConnectionSaysWhetherTheServerAnswers()
    {
        QFETCH(QString, server);
        QFETCH(QString, said);
        if (server.isEmpty() && qEnvironmentVariableIsEmpty("TARVEX_TEST_SERVER"))
            QSKIP("no test server (TARVEX_TEST_SERVER)");
        // A port that takes connections and never answers them.
        const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QVERIFY(::bind(silent, reinterpret_cast<sockaddr *>(&address), length) == 0 && ::listen(silent, 4) == 0
            && ::getsockname(silent, reinterpret_cast<sockaddr *>(&address), &length) == 0);
        const QString port = QString::number(ntohs(address.sin_port));
        TestHome home;
        const QByteArray before = readFile(home.file("cs.ini"));
        SetForm form;
        choose(child<QComboBox>(&form, "Combo1"), "PostgreSQL 服务器");
        typeInto(&form,
            {{"Text3",
                server.isEmpty() ? testServerConninfo()
                                 : QString(server).replace("%1", port) + " dbname=tarvex user=tarvex"}});
        auto *test = child<QPushButton>(&form, "Command5");
        test->click();
        QCOMPARE(test->text() + '|' + QString::number(test->isEnabled()), QString("正在连接…|0"));
        QVERIFY(home.messages().shown().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(home.messages().shown().size(), 1, 10000);
        ::close(silent);
        const ScriptedMessages::Shown shown = home.messages().shown().first();
        QVERIFY2(shown.text.startsWith(said.replace("%1", port)), qPrintable(shown.text));
        QCOMPARE(shown.kind, server.isEmpty() ? ScriptedMessages::Kind::Information : ScriptedMessages::Kind::Warning);
        QCOMPARE(test->text() + '|' + QString::number(test->isEnabled()), QString("测试连接|1"));
        // A test stores nothing.
        QCOMPARE(readFile(home.file("cs.ini")), before);
    }

    // The folders and the engine go into cs.ini in one write: one that fails
    // leaves the file as it was, and the dialog says why.
    void setFormSavesEverythingInOneWrite()
    {
        TestHome home;
        const QByteArray before = readFile(home.file("cs.ini"));
        SetForm form;
        choose(child<QComboBox>(&form, "Combo1"), "PostgreSQL 服务器");
        typeInto(&form, {{"Text1", home.path()}, {"Text3", "host=b dbname=t"}});
        {
            const FullDiskScope full;
            child<QPushButton>(&form, "Command1")->click();
            QCOMPARE(full.saves(), 1);
        }
        QCOMPARE(readFile(home.file("cs.ini")), before);
        const FullDiskScope disk(false);
        child<QPushButton>(&form, "Command1")->click();
        QCOMPARE(disk.saves(), 1);
        QCOMPARE(home.messages().texts(),
            (QStringList {"当前错误:无法写入文件 " + QDir::toNativeSeparators(iniPath()) + ": No space left on device",
                "设置成功!重新启动软件后生效!"}));
        QCOMPARE(readFile(home.file("cs.ini")),
            "[sysPath]\r\npath1=" + home.path().toUtf8()
                + "\r\npath2=\r\n\r\n[db]\r\nengine=postgresql\r\nconninfo=host=b dbname=t\r\nseat=\r\n"
                  "library=server\r\n");
    }

    void aboutBoxAndSystemInformation()
    {
        TestHome home;
        MainForm main;
        main.startup({"tarvex"});
        main.actions().profilePrices->trigger();
        main.actions().about->trigger();
        main.actions().about->trigger();
        // Not modal, one at a time, and the child window stays open.
        QVERIFY(IsFormLoaded("DisForm"));
        QCOMPARE(main.findChildren<FrmAbout *>().size(), 1);
        auto *about = main.findChild<FrmAbout *>("frmAbout");
        QVERIFY(about && about->isVisible() && !about->isModal());
        QCOMPARE(QStringList({about->windowTitle(), child<QLabel>(about, "lblTitle")->text(),
                     child<QLabel>(about, "lblVersion")->text(), child<QPushButton>(about, "cmdOK")->text(),
                     child<QPushButton>(about, "cmdSysInfo")->text()}),
            QStringList({"关于Quorvel--Tarvex", "关于Quorvel--Tarvex", "版本:V1.01", "确  定", "系统信息(&S)"}));
        QVERIFY(child<QLabel>(about, "lblDescription")->text().startsWith("应用程序描述\n\n    Tarvex "));
        QVERIFY(child<QLabel>(about, "lblDisclaimer")->text().startsWith("警告: "));

        child<QPushButton>(about, "cmdSysInfo")->click();
        auto *info = about->findChild<SysInfoDialog *>();
        QVERIFY(info && info->isVisible());
        QVERIFY(info->text().contains("程序文件夹: " + home.path()));
        QVERIFY(info->text().contains("  PjTemp (配件): 0"));
        child<QPushButton>(info, "cmdCopy")->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), info->text());

        child<QPushButton>(about, "cmdOK")->click();
        QTRY_VERIFY(!IsFormLoaded("frmAbout"));
        CloseChildWindows();
    }

    void helpOpensTheManualOrNamesItsPath()
    {
        TestHome home;
        MainForm main;
        main.startup({"tarvex"});
        main.actions().help->trigger();
        const QString manual = home.file("help/index.html");
        QCOMPARE(home.messages().lastText(), "当前错误:找不到用户手册 " + manual);
        QDir(home.path()).mkdir("help");
        writeFile(manual, "<html></html>");
        main.actions().help->trigger();
        // Without a browser (as here) the path is given to open by hand.
        QVERIFY(home.messages().lastText().endsWith("\n" + manual));
    }
};

QTEST_MAIN(TestSharedWidgets)
#include "tst_sharedwidgets.moc"
