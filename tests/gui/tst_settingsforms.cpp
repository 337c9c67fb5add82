#include "app/mainform.h"
#include "common/filedialogs.h"
#include "common/forms.h"
#include "settings/frmabout.h"
#include "settings/sysinfodialog.h"
#include "testsupport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

class TestSettingsForms : public QObject {
    Q_OBJECT

    template <typename T> static T *child(QWidget *parent, const char *name)
    {
        T *widget = parent->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

private slots:
    void initTestCase() { qputenv("TARVEX_NO_OPEN", "1"); }

    void setFormSavesBothFoldersAndCloseSavesNothing()
    {
        TestHome home;
        writeFile(home.file("cs.ini"), "; own\r\n[sysPath]\r\npath1=/data/a\r\npath2=/data/b\r\n[cs1]\r\ntx1=1\r\n");
        const QByteArray before = readFile(home.file("cs.ini"));
        MainForm main;
        main.startup({"tarvex"}); // says the data folder does not exist
        home.messages().clear();
        main.toolbarClicked(6);
        main.toolbarClicked(17);
        // The settings dialog replaces the open child window, centred.
        QTRY_VERIFY(!IsFormLoaded("DisForm"));
        QWidget *form = findForm("setForm");
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QString("系统设置"));
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        auto *text1 = child<QLineEdit>(form, "Text1");
        auto *text2 = child<QLineEdit>(form, "Text2");
        QCOMPARE(text1->text(), QString("/data/a"));
        QCOMPARE(text2->text(), QString("/data/b"));

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

        main.toolbarClicked(17);
        form = findForm("setForm");
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

    void aboutBoxAndSystemInformation()
    {
        TestHome home;
        MainForm main;
        main.startup({"tarvex"});
        main.toolbarClicked(6);
        main.toolbarClicked(19);
        main.toolbarClicked(19);
        // Not modal, one at a time, and the child window stays open.
        QVERIFY(IsFormLoaded("DisForm"));
        QCOMPARE(main.findChildren<FrmAbout *>().size(), 1);
        auto *about = qobject_cast<FrmAbout *>(findForm("frmAbout"));
        QVERIFY(about && about->isVisible() && !about->isModal());
        QCOMPARE(about->windowTitle(), QString("关于Quorvel--Tarvex"));
        QCOMPARE(child<QLabel>(about, "lblTitle")->text(), QString("关于Quorvel--Tarvex"));
        QCOMPARE(child<QLabel>(about, "lblVersion")->text(), QString("版本:V1.01"));
        QVERIFY(child<QLabel>(about, "lblDescription")->text().startsWith("应用程序描述\n\n    Tarvex "));
        QVERIFY(child<QLabel>(about, "lblDisclaimer")->text().startsWith("警告: "));
        QCOMPARE(child<QPushButton>(about, "cmdOK")->text(), QString("确  定"));
        QCOMPARE(child<QPushButton>(about, "cmdSysInfo")->text(), QString("系统信息(&S)"));

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
        main.toolbarClicked(16);
        const QString manual = home.file("help/index.html");
        QCOMPARE(home.messages().lastText(), "当前错误:找不到用户手册 " + manual);
        QDir(home.path()).mkdir("help");
        writeFile(manual, "<html></html>");
        main.toolbarClicked(16);
        // Without a browser (as here) the path is given to open by hand.
        QVERIFY(home.messages().lastText().endsWith("\n" + manual));
    }
};

QTEST_MAIN(TestSettingsForms)
#include "tst_settingsforms.moc"
