#include "app/appstate.h"
#include "app/mainform.h"
#include "common/database.h"
#include "common/flexgrid.h"
#include "rawdata/lcform.h"
#include "testsupport.h"
#include "viewer/dataform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

DataForm *openViewer(MainForm &main)
{
    main.show();
    main.button(1)->trigger();
    return main.findChild<DataForm *>(QStringLiteral("dataForm"));
}

QLineEdit *text(LcForm *editor, int n)
{
    return editor->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(n));
}

QPushButton *command(LcForm *editor, int n)
{
    return editor->findChild<QPushButton *>(QStringLiteral("Command%1").arg(n));
}

QString label(LcForm *editor, int n)
{
    return editor->findChild<QLabel *>(QStringLiteral("Label%1").arg(n))->text();
}

// The texts of the boxes joined by '|'.
QString boxes(LcForm *editor, std::initializer_list<int> numbers)
{
    QStringList values;
    for (int n : numbers)
        values.append(text(editor, n)->text());
    return values.join(QLatin1Char('|'));
}

QColor rowColour(FlexGrid *grid, int row)
{
    return grid->model()->data(grid->model()->index(row - 1, 0), Qt::BackgroundRole).value<QColor>();
}

} // namespace

class TestLcForm : public QObject {
    Q_OBJECT

private slots:
    void addsAProfileAndModifiesAnAccessoryWithoutSpecification()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        sqlExec("INSERT INTO PjTemp VALUES (3,'防尘刷',NULL,NULL,2.5)");
        MainForm main;
        DataForm *form = openViewer(main);
        form->grid(0)->setCurrentCell(10, 0);
        form->button(3)->trigger();
        LcForm *editor = form->editor();
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(appState().RawEntryMode, short(1));
        QCOMPARE(editor->windowTitle(), QString("添加数据"));
        QVERIFY(!command(editor, 3)->isVisible() && !command(editor, 4)->isVisible());
        const QStringList labels
            = {"门窗系列", "门窗代号", "主材代号", "主材长度", "主材线重", "隔热材", "材料类别", "备 注"};
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(label(editor, n), labels[n - 1]);
            QCOMPARE(text(editor, n)->isEnabled(), n == 3 || n == 4);
        }
        QVERIFY(!text(editor, 9)->isVisible() && !text(editor, 10)->isVisible());
        QCOMPARE(boxes(editor, {1, 2, 5}), QString("60平开窗|C2|1.052"));

        // A blank length is refused and the dialog stays with what was typed.
        text(editor, 3)->setText(" KF699 ");
        text(editor, 4)->setText(" ");
        QTest::mouseClick(command(editor, 1), Qt::LeftButton);
        QCOMPARE(home.messages().lastText(), QString("项目填写不完整!请填定完整后重试!"));
        QVERIFY(editor->isVisible());
        QCOMPARE(queryRows("SELECT COUNT(*) FROM LcTemp"), QStringList {"100"});

        text(editor, 4)->setText("2.35");
        QTest::mouseClick(command(editor, 1), Qt::LeftButton);
        QCOMPARE(home.messages().lastText(), QString("数据添加成功!"));
        QVERIFY(!editor->isVisible());
        QCOMPARE(queryRows("SELECT ID,代号,长度 FROM LcTemp WHERE 代号='KF699'"), QStringList {"2|KF699|2.35"});
        // The viewer shows the page read again.
        QCOMPARE(main.panelText(2), QString("当前记录数:101"));
        QCOMPARE(form->grid(0)->row(), 1);

        // An accessory whose 规格 was empty is found and modified.
        form->setCurrentPage(1);
        FlexGrid *grid = form->grid(1);
        QCOMPARE(grid->textMatrix(37, 2), QString("防尘刷"));
        grid->setCurrentCell(37, 0);
        form->button(4)->trigger();
        editor = form->editor();
        QCOMPARE(editor->windowTitle(), QString("修改数据"));
        QCOMPARE(label(editor, 10), QString("备 注"));
        QCOMPARE(boxes(editor, {2, 4, 6}), QString("C3||2.5"));
        QCOMPARE(editor->oldValues(), (QStringList {"防尘刷", "", "", "2.5"}));

        text(editor, 4)->setText("6mm");
        text(editor, 6)->setText("3");
        QTest::mouseClick(command(editor, 1), Qt::LeftButton);
        QCOMPARE(home.messages().lastText(), QString("数据修改成功!"));
        QCOMPARE(queryRows("SELECT ID,规格,技术要求 IS NULL,数量 FROM PjTemp WHERE 名称='防尘刷'"),
            QStringList {"3|6mm|1|3"});
        QCOMPARE(queryRows("SELECT COUNT(*) FROM PjTemp"), QStringList {"37"});
        // The reloaded page shows the change.
        QCOMPARE(form->grid(1)->textMatrix(37, 3), QString("6mm"));
    }

    void modifyStepsThroughTheRowsAndFailuresWriteNothing()
    {
        TestHome home;
        home.loadDemoProject();
        MainForm main;
        DataForm *form = openViewer(main);
        const QStringList before = queryRows("SELECT * FROM LcTemp");

        // A double click on a data row below row 1 opens the modify dialog.
        FlexGrid *grid = form->grid(0);
        const QRect cell = grid->cellRect(3, 2);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center() - grid->viewport()->pos());
        LcForm *editor = form->editor();
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->mode(), int(LcForm::ModifyMode));
        QCOMPARE(text(editor, 3)->text(), grid->textMatrix(3, 2));

        text(editor, 4)->setText("abc");
        QTest::mouseClick(command(editor, 1), Qt::LeftButton);
        QCOMPARE(home.messages().lastText(), QString("当前错误:主材长度不是有效的数字: abc"));
        QVERIFY(editor->isVisible());
        text(editor, 4)->setText("1.9");
        QTest::mouseClick(command(editor, 2), Qt::LeftButton);
        QVERIFY(!editor->isVisible());
        QCOMPARE(queryRows("SELECT * FROM LcTemp"), before);

        // On the windows page the editor steps through the rows.
        form->setCurrentPage(3);
        grid = form->grid(3);
        form->button(4)->trigger();
        editor = form->editor();
        QCOMPARE(label(editor, 1), QString("数据ID"));
        QVERIFY(!text(editor, 1)->isEnabled());
        QVERIFY(text(editor, 2)->isEnabled());
        for (int n = 6; n <= 10; ++n)
            QVERIFY(!text(editor, n)->isVisible());
        QVERIFY(command(editor, 3)->isVisible());
        QVERIFY(!command(editor, 3)->isEnabled());
        QVERIFY(command(editor, 4)->isEnabled());

        QTest::mouseClick(command(editor, 4), Qt::LeftButton);
        QCOMPARE(grid->row(), 2);
        QCOMPARE(text(editor, 3)->text(), QString("C2"));
        QCOMPARE(editor->oldValues().first(), QString("2"));
        QCOMPARE(editor->oldValues().mid(1, 2), (QStringList {"60平开窗", "C2"}));
        QVERIFY(command(editor, 3)->isEnabled());
        QCOMPARE(rowColour(grid, 2), FlexGrid::highlightColor());
        QVERIFY(!rowColour(grid, 1).isValid());

        for (int i = 0; i < 10; ++i)
            QTest::mouseClick(command(editor, 4), Qt::LeftButton);
        QCOMPARE(grid->row(), 12);
        QCOMPARE(text(editor, 3)->text(), QString("M4"));
        QVERIFY(!command(editor, 4)->isEnabled());
        QVERIFY(command(editor, 3)->isEnabled());

        QTest::mouseClick(command(editor, 3), Qt::LeftButton);
        QCOMPARE(text(editor, 3)->text(), QString("M3"));
        QVERIFY(command(editor, 4)->isEnabled());

        // The window changes in place: same ID, new code and areas.
        text(editor, 3)->setText("M3'A");
        text(editor, 4)->setText("1234.56");
        QTest::mouseClick(command(editor, 1), Qt::LeftButton);
        QCOMPARE(home.messages().lastText(), QString("数据修改成功!"));
        QCOMPARE(queryRows("SELECT * FROM MjTemp WHERE ID=11"), QStringList {"11|50平开门|M3'A|1234.56|1.98"});
        QCOMPARE(grid->row(), 1);
    }
};

QTEST_MAIN(TestLcForm)
#include "tst_lcform.moc"
