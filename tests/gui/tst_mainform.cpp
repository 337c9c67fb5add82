#include "app/appstate.h"
#include "app/mainform.h"
#include "common/database.h"
#include "testsupport.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

using namespace tarvex;
using namespace tarvex::test;

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void startsWithToolbarPanelsAndDisabledButtons()
    {
        TestHome home;
        Database::closeShared();
        MainForm form;
        form.startup({QStringLiteral("tarvex")});
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarvex"));
        QVERIFY(Database::isSharedOpen());

        auto *toolbar = form.findChild<QToolBar *>(QStringLiteral("Toolbar1"));
        QVERIFY(toolbar);
        const QList<QAction *> actions = toolbar->actions();
        QCOMPARE(actions.size(), 22);
        // "下料优化" stands after "成本计算" as button 22; the others keep their numbers.
        const QStringList captions = {"检索数据", "打开文件", "保  存", "另存为", "", "主材线重", "配件单价",
            "玻璃单价", "固定费用", "", "成本计算", "下料优化", "", "图库管理", "料单项目", "", "系统帮助", "系统设置",
            "", "关于程序", "", "退出系统"};
        for (int i = 0; i < 22; ++i) {
            QCOMPARE(actions[i]->text(), captions[i]);
            QCOMPARE(actions[i]->isSeparator(), captions[i].isEmpty());
            const int index = i < 11 ? i + 1 : i == 11 ? 22 : i;
            QCOMPARE(form.button(index), actions[i]);
        }
        for (int index : {3, 4, 11, 22})
            QVERIFY(!form.button(index)->isEnabled());
        QVERIFY(form.button(1)->isEnabled());

        auto *bar = form.findChild<QStatusBar *>(QStringLiteral("Bar1"));
        QVERIFY(bar);
        QCOMPARE(bar->findChildren<QLabel *>(QRegularExpression(QStringLiteral("^Panel[1-5]$"))).size(), 5);
        QVERIFY(!form.panelText(4).isEmpty());
        QVERIFY(!form.panelText(5).isEmpty());
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
