// The program on a server that was down when it started, and whose
// connection is then cut in the middle of a load: each time a box says which
// server and that nothing was done, the main window stays, and the next
// action connects and works.

#include "connectiondropper.h"
#include "core/common/db/database.h"
#include "gui/app/mainform.h"
#include "testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

int windowCount()
{
    return sqlScalar("SELECT COUNT(*) FROM seat1.mjtemp", {}, testServerAdmin()).toInt();
}

} // namespace

class TestServerFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addServerRow(); }
    void init() { useEngineOfRow(); }

    void programKeepsWorkingThroughServerFaults()
    {
        TestHome home(Demo::Prices);
        Database::closeShared();
        // The cluster's socket folder reached through a link made later: a
        // server that starts after the program.
        const QString cluster = QRegularExpression("host=(\\S+)").match(testServerConninfo()).captured(1);
        QTemporaryDir links;
        const QString socket = links.filePath("server");
        useConninfo(home, droppableConninfo(QString(testServerConninfo()).replace(cluster, socket)));
        const QString demo = sourcePath("data/demo/demo.xdt");
        writeFile(home.file("big.xdt"), repeatedDemoProject(1500));

        MainForm main;
        main.show();
        main.startup({"tarvex"});
        const QString unreachable = "无法连接数据库服务器 " + socket
            + ":5432 上的数据库 t_gui_tst_serverfaults, "
              "服务器没有响应或拒绝连接: ";
        QVERIFY2(
            home.messages().lastText().startsWith("当前错误:" + unreachable), qPrintable(home.messages().lastText()));
        QVERIFY(!main.OpenFile(demo));
        QVERIFY2(home.messages().lastText().startsWith("打开文件出错:" + unreachable),
            qPrintable(home.messages().lastText()));

        QVERIFY(QFile::link(cluster, socket));
        QTRY_VERIFY_WITH_TIMEOUT(main.OpenFile(demo), 10000);
        QCOMPARE(windowCount(), 12);

        ConnectionDropper dropper(testServerConninfo(), kWhileWriting);
        QVERIFY(!main.OpenFile(home.file("big.xdt")));
        QVERIFY(dropper.finish());
        const QString dropped = home.messages().lastText();
        QVERIFY2(dropped.startsWith("打开文件出错:与数据库服务器 " + socket)
                && dropped.contains("的连接已断开, 操作没有完成 (下一次操作时重新连接)"),
            qPrintable(dropped));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Warning);
        QCOMPARE(windowCount(), 12);
        QVERIFY(main.isVisible());
        QVERIFY2(main.OpenFile(home.file("big.xdt")), qPrintable(home.messages().lastText()));
        QCOMPARE(windowCount(), 12 * 1500);
    }
};

QTEST_MAIN(TestServerFaults)
#include "tst_serverfaults.moc"
