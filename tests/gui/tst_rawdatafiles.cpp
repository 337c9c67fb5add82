#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/rawdata/xdtwriter.h"
#include "gui/app/mainform.h"
#include "gui/common/filedialogs.h"
#include "testsupport.h"

#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

int windowCount()
{
    return sqlScalar(QStringLiteral("SELECT COUNT(*) FROM MjTemp")).toInt();
}

const QByteArray kSmall = "1|1|A01|1250\r\n4|1|S60|C1|1.8|2.1\r\n";

} // namespace

class TestRawDataFiles : public QObject {
    Q_OBJECT

private slots:
    void openFileFillsTheTablesOrSaysWhatIsWrong()
    {
        TestHome home;
        MainForm form;
        QVERIFY(form.OpenFile(sourcePath(QStringLiteral("data/demo/demo.xdt"))));
        QCOMPARE(windowCount(), 12);
        QVERIFY(home.messages().shown().isEmpty());

        writeFile(home.file("bad.xdt"), "4|1|S60|C1|1.8|2.1\r\n1|1|A01|12,5\r\n");
        QVERIFY(!form.OpenFile(home.file("bad.xdt")));
        QCOMPARE(home.messages().lastText(), QStringLiteral("打开文件出错:第2行: 长度 '12,5' 不是数字"));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Warning);
        QCOMPARE(windowCount(), 12);

        // The toolbar's "打开文件" adds the extension and keeps the path of the loaded data.
        writeFile(home.file("small.xdt"), kSmall);
        setNextFileName(home.file("small"));
        form.actions().openFile->trigger();
        QCOMPARE(lastDialogTitle() + '|' + lastDialogFilter(), QStringLiteral("打开|报价数据 (*.xdt)"));
        QCOMPARE(appState().currentFilePath, home.file("small.xdt"));
        QCOMPARE(windowCount(), 1);

        // A file that fails must not become the target of the next save.
        writeFile(home.file("broken.xdt"), "x|1\r\n");
        setNextFileName(home.file("broken.xdt"));
        form.actions().openFile->trigger();
        QCOMPARE(home.messages().lastText(), QStringLiteral("打开文件出错:第1行: 类型 'x' 不是数字"));
        QCOMPARE(appState().currentFilePath, home.file("small.xdt"));

        setNextFileName(QString());
        form.actions().openFile->trigger();
        QCOMPARE(home.messages().lastText(), QStringLiteral("请选择要打开的文件名后重试!"));
    }

    void commandLineFileThatFailsLeavesNoSaveTarget()
    {
        TestHome home;
        writeFile(home.file("broken.xdt"), "4|1|S60|C1\r\n");
        Database::closeShared();
        MainForm form;
        form.startup({QStringLiteral("tarvex"), home.file("broken.xdt")});
        QCOMPARE(home.messages().lastText(), QStringLiteral("打开文件出错:第1行: 字段不足, 类型4应有6个字段, 只有4个"));
        QVERIFY(appState().currentFilePath.isEmpty());

        // A name that is no file says so, and a later save asks for a name
        // instead of writing the last session's tables there.
        const QString notRegular = QStringLiteral(" 不是普通文件 (文件夹、设备或管道), 不能作为报价数据读取");
        const QList<std::pair<QString, QString>> missing = {
            {home.file("none.xdt"), "文件不存在: " + home.file("none.xdt")}, {home.path(), home.path() + notRegular}};
        for (const auto &[path, reason] : missing) {
            MainForm started;
            started.startup({QStringLiteral("tarvex"), path});
            QCOMPARE(home.messages().lastText(), QStringLiteral("打开文件出错:") + reason);
            QVERIFY(appState().currentFilePath.isEmpty());
        }

        writeFile(home.file("small.xdt"), kSmall);
        MainForm second;
        second.startup({QStringLiteral("tarvex"), QLatin1Char('"') + home.file("small.xdt") + QLatin1Char('"')});
        QCOMPARE(appState().currentFilePath, home.file("small.xdt"));
        QCOMPARE(windowCount(), 1);
    }

    void saveAsksForANameOnlyWithoutACurrentFile()
    {
        TestHome home;
        home.loadDemoProject();
        MainForm form;
        const QByteArray demo = readFile(sourcePath(QStringLiteral("data/demo/demo.xdt")));

        setNextFileName(QString());
        QVERIFY(!form.SaveFile());
        QCOMPARE(lastDialogTitle() + '|' + lastDialogFilter(), QStringLiteral("保存|报价数据 (*.xdt)"));
        QCOMPARE(home.messages().lastText(), QStringLiteral("请输入要保存的文件名后重试!"));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Warning);

        // An existing file: No writes nothing, Yes writes over it.
        const QString target = home.file("project.xdt");
        writeFile(target, "old");
        home.messages().clear();
        setNextFileName(home.file("project"));
        QVERIFY(!form.SaveFile());
        QCOMPARE(home.messages().texts(),
            QStringList({QStringLiteral("文件:") + target + QStringLiteral("已存在,是否将其覆盖?")}));
        QCOMPARE(readFile(target), QByteArray("old"));
        QVERIFY(appState().currentFilePath.isEmpty());

        home.messages().answerQuestion(true);
        setNextFileName(target);
        QVERIFY(form.SaveFile());
        QCOMPARE(home.messages().lastText(), QStringLiteral("保存文件成功!"));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Information);
        QCOMPARE(readFile(target), demo);
        QCOMPARE(appState().currentFilePath, target);

        // With a current file the save goes there without a dialog or a question.
        sqlExec(QStringLiteral("DELETE FROM LcTemp"));
        home.messages().clear();
        QVERIFY(form.SaveFile());
        QCOMPARE(home.messages().texts(), QStringList({QStringLiteral("保存文件成功!")}));
        QCOMPARE(readFile(target), workingTablesBytes());

        // Save as asks for a name even with a current file, and leaves that file alone.
        writeFile(target, "keep");
        setNextFileName(QString());
        QVERIFY(!form.SaveasFile());
        QCOMPARE(lastDialogTitle(), QStringLiteral("另存为"));
        QCOMPARE(home.messages().lastText(), QStringLiteral("请输入要另存的文件名后重试!"));

        setNextFileName(home.file("copy.XDT"));
        QVERIFY(form.SaveasFile());
        QCOMPARE(readFile(home.file("copy.XDT")), workingTablesBytes());
        QCOMPARE(readFile(target), QByteArray("keep"));
        QCOMPARE(appState().currentFilePath, home.file("copy.XDT"));
    }

    void saveReportsFailuresAndNamesTheViewer()
    {
        TestHome home;
        MainForm form;
        writeFile(home.file("old.xdt"), kSmall);
        appState().currentFilePath = home.file("old.xdt");
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'执手',?,NULL,1)"), {QStringLiteral("L|型")});
        QVERIFY(!form.SaveFile());
        QVERIFY(home.messages().lastText().startsWith(QStringLiteral("当前错误:")));
        QCOMPARE(readFile(home.file("old.xdt")), kSmall);

        sqlExec(QStringLiteral("DELETE FROM PjTemp"));
        appState().currentFilePath = home.file("no/such/folder/x.xdt");
        QVERIFY(!form.SaveFile());
        QVERIFY(home.messages().lastText().startsWith(QStringLiteral("当前错误:无法写入文件 ")));

        // A save names the viewer after the file; 另存为 after the new one.
        form.show();
        form.actions().viewData->trigger();
        QWidget *viewer = form.findChild<QWidget *>(QStringLiteral("dataForm"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("报价原始数据编辑"));
        appState().currentFilePath = home.file("a.xdt");
        form.actions().save->trigger();
        QCOMPARE(viewer->windowTitle(), QStringLiteral("报价原始数据编辑-") + home.file("a.xdt"));
        setNextFileName(home.file("b"));
        form.actions().saveAs->trigger();
        QCOMPARE(home.messages().lastText(), QStringLiteral("保存文件成功!"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("报价原始数据编辑-") + home.file("b.xdt"));
    }
};

QTEST_MAIN(TestRawDataFiles)
#include "tst_rawdatafiles.moc"
