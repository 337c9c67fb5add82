#include "core/common/db/database.h"
#include "gui/app/mainform.h"
#include "gui/common/dialogrunner.h"
#include "gui/common/flexgrid.h"
#include "gui/prices/entrydialog.h"
#include "gui/prices/missingpriceform.h"
#include "gui/rawdata/lcform.h"
#include "gui/viewer/dataform.h"
#include "testsupport.h"
#include "widgetsupport.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// The viewer as the main window opens it with "检索数据".
DataForm *openViewer(MainForm &main)
{
    main.show();
    main.actions().viewData->trigger();
    return main.findChild<DataForm *>(QStringLiteral("dataForm"));
}

QString headers(const FlexGrid *grid)
{
    QStringList names;
    for (int c = 0; c < grid->cols(); ++c)
        names.append(grid->headerText(c));
    return names.join(QLatin1Char('|'));
}

void chooseInFilterList(DataForm *form, const QString &value)
{
    auto *combo = child<QComboBox>(form, QStringLiteral("Combo1"));
    QVERIFY2(combo->findText(value) >= 0, qPrintable(value));
    emit combo->activated(combo->findText(value));
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

// Whether the step buttons 上一条 and 下一条 can be pressed, as "01".
QString steps(LcForm *editor)
{
    return QString::number(command(editor, 3)->isEnabled()) + QString::number(command(editor, 4)->isEnabled());
}

QColor rowColour(FlexGrid *grid, int row)
{
    return grid->model()->data(grid->model()->index(row - 1, 0), Qt::BackgroundRole).value<QColor>();
}

} // namespace

class TestDataForm : public QObject {
    Q_OBJECT

private slots:
    void showsEveryPageWithItsRecordCount()
    {
        TestHome home(Demo::PricesAndProject);
        sqlExec("INSERT INTO LcTemp VALUES (1,'KF699',1.25)"); // a profile without a price record
        MainForm main;
        DataForm *form = openViewer(main);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QString("报价原始数据编辑"));
        for (int i : {3, 4, 11, 22})
            QVERIFY(main.button(i)->isEnabled());

        auto *tabs = form->findChild<QTabWidget *>("Tab1");
        // Each page: its grid, the header of the view's fields, its rows, row 1 current.
        const QStringList fields = {"门窗系列|窗号|代号|长度|线重|隔热|材料类别|备注",
            "门窗系列|窗号|名称|规格|技术要求|数量|单位|单价|折扣量|备注", "门窗系列|窗号|名称|面积|单价|折扣量|备注",
            "ID|门窗系列|窗号|框面积|洞口面积"};
        const QStringList counts = {"101", "36", "12", "12"};
        for (int page = 0; page < 4; ++page) {
            tabs->setCurrentIndex(page);
            FlexGrid *grid = form->findChild<FlexGrid *>(QString("Flex%1").arg(page + 1));
            QCOMPARE(grid, form->currentGrid());
            QCOMPARE(headers(grid), fields[page]);
            QCOMPARE(main.panelText(2), "当前记录数:" + counts[page]);
            QCOMPARE(grid->row(), 1);
            QCOMPARE(rowColour(grid, 1), QColor("#FFFFC0"));
        }
        QCOMPARE(form->grid(MaterialKind::Profile)->textMatrix(1, 0)
                + form->grid(MaterialKind::Profile)->textMatrix(1, 4)
                + form->grid(MaterialKind::Window)->textMatrix(12, 2),
            QString("60平开窗1.052M4"));

        // "入单价库" offers itself on a profile without line weight, and on accessories and glass.
        form->setCurrentPage(MaterialKind::Profile);
        QAction *priceButton = form->actions().priceEntry;
        QVERIFY(!priceButton->isEnabled());
        FlexGrid *grid = form->grid(MaterialKind::Profile);
        QCOMPARE(grid->textMatrix(101, 2), QString("KF699"));
        grid->setCurrentCell(101, 3);
        QVERIFY(priceButton->isEnabled());
        grid->setCurrentCell(100, 3);
        QVERIFY(!priceButton->isEnabled());
        // It starts the profile dialog from the row's series and code.
        PriceEntryRequest asked;
        setEntryDialogRunner([&](QDialog *d) { asked = qobject_cast<PriceEntryDialog *>(d)->request(); });
        grid->setCurrentCell(101, 3);
        priceButton->trigger();
        setEntryDialogRunner(nullptr);
        QCOMPARE(asked.keys.series + "|" + asked.keys.code + "|" + asked.caption, QString("60平开窗|KF699|添加数据"));
        QVERIFY(asked.caller == EntryCaller::Viewer && asked.table == PriceTableId::Profile && !asked.showSteps);

        // "缺价清单", beside it, lists every material without a price.
        const QList<QAction *> actions = form->findChild<QToolBar *>("Toolbar1")->actions();
        QCOMPARE(actions.indexOf(form->actions().missingPrices), actions.indexOf(priceButton) + 1);
        QStringList listed;
        setDialogRunner([&](QDialog *d) {
            auto *list = qobject_cast<MissingPriceForm *>(d)->list();
            for (int r = 0; r < list->rowCount(); ++r)
                listed.append(list->item(r, 1)->text() + "|" + list->item(r, 4)->text());
            return int(QDialog::Rejected);
        });
        form->actions().missingPrices->trigger();
        setDialogRunner(nullptr);
        QCOMPARE(listed, QStringList({"KF699|1"}));

        form->setCurrentPage(MaterialKind::Accessory);
        QVERIFY(priceButton->isEnabled());
        form->setCurrentPage(MaterialKind::Window);
        QVERIFY(!priceButton->isEnabled());

        form->actions().close->trigger();
        for (int i : {3, 4, 11, 22})
            QVERIFY(!main.button(i)->isEnabled());
        QVERIFY(main.mdiArea()->subWindowList().isEmpty());

        // Closing its frame, as the main window does, disables them too.
        form = openViewer(main);
        QVERIFY(main.actions().save->isEnabled());
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        main.mdiArea()->subWindowList().first()->close();
        QVERIFY(!main.actions().save->isEnabled());
    }

    void fewAndManyRecords()
    {
        TestHome home;
        sqlExec("INSERT INTO MjTemp VALUES (1,'60平开窗','C1',1.8,1.89)");
        MainForm main;
        DataForm *form = openViewer(main);
        // No profiles at all: the header and one blank row.
        QCOMPARE(main.panelText(2), QString("当前记录数:0"));
        QCOMPARE(form->grid(MaterialKind::Profile)->rows(), 2);
        QCOMPARE(form->grid(MaterialKind::Profile)->row(), 0);
        form->setCurrentPage(MaterialKind::Window);
        QCOMPARE(main.panelText(2), QString("当前记录数:1"));
        QCOMPARE(form->grid(MaterialKind::Window)->row(), 0);
        sqlExec("INSERT INTO MjTemp VALUES (2,'60平开窗','C2',2,2.1)");
        form->actions().refresh->trigger();
        QCOMPARE(main.panelText(2), QString("当前记录数:2"));
        QCOMPARE(form->grid(MaterialKind::Window)->row(), 1);

        // Deleting with no data row chosen asks nothing and deletes nothing.
        form->setCurrentPage(MaterialKind::Profile);
        form->actions().remove->trigger();
        QCOMPARE(home.messages().texts(), QStringList {"当前错误:请先选择要删除的记录"});

        // A page of 200,000 rows counts them all and shows the last one.
        form->actions().close->trigger();
        QTRY_VERIFY(!main.findChild<DataForm *>("dataForm"));
        QSqlDatabase db = Database::shared();
        inTransaction(db, [&] {
            QSqlQuery insert(db);
            insert.prepare("INSERT INTO LcTemp VALUES (1,?,?)");
            for (int i = 0; i < 200000; ++i) {
                insert.addBindValue(QString("KF%1").arg(i % 97));
                insert.addBindValue(1 + (i % 1000) / 1000.0);
                QVERIFY(insert.exec());
            }
        });
        form = openViewer(main);
        QCOMPARE(main.panelText(2), QString("当前记录数:200000"));
        QCOMPARE(form->grid(MaterialKind::Profile)->textMatrix(200000, 2), QString("KF82"));
    }

    void filtersByASeriesAndBackToAll()
    {
        TestHome home(Demo::PricesAndProject);
        sqlExec("INSERT INTO MjTemp VALUES (13,'60''系列','C''1',1,1.1)");
        MainForm main;
        DataForm *form = openViewer(main);
        form->setCurrentPage(MaterialKind::Window);
        FlexGrid *grid = form->grid(MaterialKind::Window);

        // A double click on the header of 门窗系列 lists the series.
        QHeaderView *header = grid->horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2);
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, centre);
        auto *combo = form->findChild<QComboBox *>("Combo1");
        QVERIFY(combo->isVisible());
        QCOMPARE(comboItems(combo), (QStringList {"全部", "50平开门", "60'系列", "60平开窗", "70推拉窗"}));

        chooseInFilterList(form, "70推拉窗");
        QCOMPARE(form->filterText(), QString(" WHERE 门窗系列='70推拉窗'"));
        QCOMPARE(main.panelText(3), QString("当前筛选: WHERE 门窗系列='70推拉窗'"));
        QCOMPARE(main.panelText(2), QString("当前记录数:4"));
        QCOMPARE(grid->textMatrix(1, 2), QString("TC1"));
        QCOMPARE(grid->col(), 1);

        chooseInFilterList(form, "全部");
        QCOMPARE(form->filterText(), QString());
        QCOMPARE(main.panelText(3), QString("当前筛选:"));
        QCOMPARE(main.panelText(2), QString("当前记录数:13"));

        // A series with an apostrophe filters like any other.
        grid->setCurrentCell(1, 1);
        form->ComboFill();
        chooseInFilterList(form, "60'系列");
        QCOMPARE(main.panelText(2), QString("当前记录数:1"));
        QCOMPARE(grid->textMatrix(1, 2), QString("C'1"));

        // Numbers and yes/no values are compared as what they are.
        chooseInFilterList(form, "全部");
        grid->setCurrentCell(1, 3);
        form->ComboFill();
        chooseInFilterList(form, "1.8");
        QCOMPARE(main.panelText(3), QString("当前筛选: WHERE 框面积=1.8"));
        QCOMPARE(main.panelText(2), QString("当前记录数:2"));
        form->setCurrentPage(MaterialKind::Profile);
        form->grid(MaterialKind::Profile)->setCurrentCell(1, 5);
        form->ComboFill();
        chooseInFilterList(form, "否");
        QCOMPARE(main.panelText(3), QString("当前筛选: WHERE 隔热=False"));
        QCOMPARE(main.panelText(2), "当前记录数:" + queryRows("SELECT COUNT(*) FROM PriceLc WHERE 隔热=0").value(0));

        // Another page starts unfiltered.
        form->setCurrentPage(MaterialKind::Glass);
        QCOMPARE(form->filterText(), QString());
        QCOMPARE(main.panelText(3), QString());
        QCOMPARE(main.panelText(2), QString("当前记录数:12"));
        QVERIFY(!combo->isVisible());
        QVERIFY(home.messages().texts().isEmpty());
    }

    void deleteClearAndExportThePage()
    {
        qputenv("TARVEX_NO_OPEN", "1");
        TestHome home;
        home.loadDemoProject();
        MainForm main;
        DataForm *form = openViewer(main);
        form->setCurrentPage(MaterialKind::Window);
        form->grid(MaterialKind::Window)->setCurrentCell(5, 2);
        QCOMPARE(form->grid(MaterialKind::Window)->textMatrix(5, 2), QString("TC1"));

        home.messages().answerQuestion(false);
        form->actions().remove->trigger();
        QCOMPARE(queryRows("SELECT COUNT(*) FROM MjTemp"), QStringList {"12"});

        form->grid(MaterialKind::Window)->setCurrentCell(5, 2);
        home.messages().answerQuestion(true);
        form->actions().remove->trigger();
        QCOMPARE(home.messages().texts(),
            (QStringList {"是否确定要删除当前记录?", "是否确定要删除当前记录?", "记录删除成功!"}));
        QVERIFY(queryRows("SELECT * FROM MjTemp WHERE ID=5").isEmpty());
        QCOMPARE(queryRows("SELECT COUNT(*) FROM LcTemp WHERE ID=5"), QStringList {"8"});
        QCOMPARE(queryRows("SELECT COUNT(*) FROM PjTemp WHERE ID=5"), QStringList {"3"});
        QCOMPARE(main.panelText(2), QString("当前记录数:11"));

        // A profile row goes alone: the first of its window with that code and length.
        form->setCurrentPage(MaterialKind::Profile);
        form->grid(MaterialKind::Profile)->setCurrentCell(2, 0);
        home.messages().answerQuestion(true);
        form->actions().remove->trigger();
        QCOMPARE(queryRows("SELECT COUNT(*) FROM LcTemp WHERE ID=1 AND 代号='KF601' AND 长度=1.2"), QStringList {"1"});
        QCOMPARE(main.panelText(2), QString("当前记录数:99"));

        // Clearing a page asks about it and empties that table alone.
        form->setCurrentPage(MaterialKind::Accessory);
        form->actions().clear->trigger();
        QCOMPARE(home.messages().lastText(), QString("是否确定清除附件数据中所有记录?"));
        QCOMPARE(queryRows("SELECT COUNT(*) FROM PjTemp"), QStringList {"36"});

        home.messages().answerQuestion(true);
        form->actions().clear->trigger();
        QCOMPARE(home.messages().lastText(), QString("记录删除成功!"));
        QCOMPARE(queryRows("SELECT COUNT(*) FROM PjTemp"), QStringList {"0"});
        QCOMPARE(queryRows("SELECT COUNT(*) FROM LcTemp"), QStringList {"99"});
        QCOMPARE(main.panelText(2), QString("当前记录数:0"));

        // The export writes the page to a workbook in temp1.
        form->setCurrentPage(MaterialKind::Window);
        form->actions().exportData->trigger();
        QVERIFY(home.messages().lastText().startsWith("数据导出至Excel成功!"));
        QCOMPARE(QDir(home.file("temp1")).entryList({"*.xlsx"}).size(), 1);

        // A double click on data row 1 opens the filter list, not the editor.
        FlexGrid *grid = form->grid(MaterialKind::Window);
        grid->setCurrentCell(1, 2);
        emit grid->cellDoubleClicked(1, 2);
        QVERIFY(form->findChild<QComboBox *>("Combo1")->isVisible());
        QVERIFY(!form->editor());

        // A page that cannot be read says why and keeps what it showed.
        sqlExec("DROP VIEW PriceBl");
        form->setCurrentPage(MaterialKind::Glass);
        QVERIFY(home.messages().lastText().startsWith("当前错误:"));
        QVERIFY(home.messages().lastText().contains("PriceBl"));
    }

    void addsAProfileAndModifiesAnAccessoryWithoutSpecification()
    {
        TestHome home(Demo::PricesAndProject);
        sqlExec("INSERT INTO PjTemp VALUES (3,'防尘刷',NULL,NULL,2.5)");
        MainForm main;
        DataForm *form = openViewer(main);
        form->grid(MaterialKind::Profile)->setCurrentCell(10, 0);
        form->actions().add->trigger();
        LcForm *editor = form->editor();
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->windowTitle(), QString("添加数据"));
        QVERIFY(!command(editor, 3)->isVisible() && !command(editor, 4)->isVisible());
        const QStringList labels
            = {"门窗系列", "门窗代号", "主材代号", "主材长度", "主材线重", "隔热材", "材料类别", "备 注"};
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(label(editor, n), labels[n - 1]);
            QCOMPARE(text(editor, n)->isEnabled(), n == 3 || n == 4);
        }
        QVERIFY(!text(editor, 9)->isVisible() && !text(editor, 10)->isVisible());
        QCOMPARE(boxTexts(editor, {"Text1", "Text2", "Text5"}), QString("60平开窗|C2|1.052"));

        // A blank length is refused and the dialog stays with what was typed.
        typeInto(editor, {{"Text3", " KF699 "}, {"Text4", " "}});
        click(editor, "Command1");
        QCOMPARE(home.messages().lastText(), QString("项目填写不完整!请填定完整后重试!"));
        QVERIFY(editor->isVisible());
        QCOMPARE(queryRows("SELECT COUNT(*) FROM LcTemp"), QStringList {"100"});

        text(editor, 4)->setText("2.35");
        click(editor, "Command1");
        QCOMPARE(home.messages().lastText(), QString("数据添加成功!"));
        QVERIFY(!editor->isVisible());
        QCOMPARE(queryRows("SELECT ID,代号,长度 FROM LcTemp WHERE 代号='KF699'"), QStringList {"2|KF699|2.35"});
        // The viewer shows the page read again.
        QCOMPARE(main.panelText(2), QString("当前记录数:101"));
        QCOMPARE(form->grid(MaterialKind::Profile)->row(), 1);

        // An accessory whose 规格 was empty is found and modified.
        form->setCurrentPage(MaterialKind::Accessory);
        FlexGrid *grid = form->grid(MaterialKind::Accessory);
        QCOMPARE(grid->textMatrix(37, 2), QString("防尘刷"));
        grid->setCurrentCell(37, 0);
        form->actions().modify->trigger();
        editor = form->editor();
        QCOMPARE(editor->windowTitle(), QString("修改数据"));
        QCOMPARE(label(editor, 10), QString("备 注"));
        QCOMPARE(boxTexts(editor, {"Text2", "Text4", "Text6"}), QString("C3||2.5"));
        QCOMPARE(editor->oldValues(), (QStringList {"防尘刷", "", "", "2.5"}));

        typeInto(editor, {{"Text4", "6mm"}, {"Text6", "3"}});
        click(editor, "Command1");
        QCOMPARE(home.messages().lastText(), QString("数据修改成功!"));
        QCOMPARE(queryRows("SELECT ID,规格,技术要求 IS NULL,数量 FROM PjTemp WHERE 名称='防尘刷'"),
            QStringList {"3|6mm|1|3"});
        QCOMPARE(queryRows("SELECT COUNT(*) FROM PjTemp"), QStringList {"37"});
        // The reloaded page shows the change.
        QCOMPARE(form->grid(MaterialKind::Accessory)->textMatrix(37, 3), QString("6mm"));
    }

    void modifyStepsThroughTheRowsAndFailuresWriteNothing()
    {
        TestHome home;
        home.loadDemoProject();
        MainForm main;
        DataForm *form = openViewer(main);
        const QStringList before = queryRows("SELECT * FROM LcTemp");

        // A double click on a data row below row 1 opens the modify dialog.
        FlexGrid *grid = form->grid(MaterialKind::Profile);
        const QRect cell = grid->cellRect(3, 2);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center() - grid->viewport()->pos());
        LcForm *editor = form->editor();
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->mode(), EntryMode::Modify);
        QCOMPARE(text(editor, 3)->text(), grid->textMatrix(3, 2));

        text(editor, 4)->setText("abc");
        click(editor, "Command1");
        QCOMPARE(home.messages().lastText(), QString("当前错误:主材长度不是有效的数字: abc"));
        QVERIFY(editor->isVisible());
        text(editor, 4)->setText("1.9");
        click(editor, "Command2");
        QVERIFY(!editor->isVisible());
        QCOMPARE(queryRows("SELECT * FROM LcTemp"), before);

        // On the windows page the editor steps through the rows.
        form->setCurrentPage(MaterialKind::Window);
        grid = form->grid(MaterialKind::Window);
        form->actions().modify->trigger();
        editor = form->editor();
        QCOMPARE(label(editor, 1), QString("数据ID"));
        QVERIFY(!text(editor, 1)->isEnabled() && text(editor, 2)->isEnabled());
        for (int n = 6; n <= 10; ++n)
            QVERIFY(!text(editor, n)->isVisible());
        QVERIFY(command(editor, 3)->isVisible());
        QCOMPARE(steps(editor), QString("01"));

        click(editor, "Command4");
        QCOMPARE(grid->row(), 2);
        QCOMPARE(text(editor, 3)->text(), QString("C2"));
        QCOMPARE(editor->oldValues().mid(0, 3), (QStringList {"2", "60平开窗", "C2"}));
        QCOMPARE(steps(editor), QString("11"));
        QCOMPARE(rowColour(grid, 2), QColor("#FFFFC0"));
        QVERIFY(!rowColour(grid, 1).isValid());

        for (int i = 0; i < 10; ++i)
            click(editor, "Command4");
        QCOMPARE(grid->row(), 12);
        QCOMPARE(text(editor, 3)->text(), QString("M4"));
        QCOMPARE(steps(editor), QString("10"));

        click(editor, "Command3");
        QCOMPARE(text(editor, 3)->text(), QString("M3"));
        QCOMPARE(steps(editor), QString("11"));

        // The window changes in place: same ID, new code and areas.
        typeInto(editor, {{"Text3", "M3'A"}, {"Text4", "1234.56"}});
        click(editor, "Command1");
        QCOMPARE(home.messages().lastText(), QString("数据修改成功!"));
        QCOMPARE(queryRows("SELECT * FROM MjTemp WHERE ID=11"), QStringList {"11|50平开门|M3'A|1234.56|1.98"});
        QCOMPARE(grid->row(), 1);
    }
};

QTEST_MAIN(TestDataForm)
#include "tst_dataform.moc"
