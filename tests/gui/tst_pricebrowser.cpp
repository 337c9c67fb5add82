#include "app/appstate.h"
#include "app/mainform.h"
#include "common/database.h"
#include "common/dialogrunner.h"
#include "common/filedialogs.h"
#include "common/flexgrid.h"
#include "common/forms.h"
#include "prices/disform.h"
#include "prices/entrydialog.h"
#include "prices/priceimportdialog.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// A program folder and its main window, shown.
struct Desk {
    TestHome home;
    MainForm main;
    explicit Desk(bool demoPrices = true)
    {
        if (demoPrices)
            home.loadDemoPrices();
        main.show();
    }
    // The browser as the main window opens it for one of the four tables.
    DisForm *open(int button)
    {
        main.button(button)->trigger();
        return qobject_cast<DisForm *>(findForm(QStringLiteral("DisForm")));
    }
};

QStringList column(FlexGrid *grid, int col)
{
    QStringList texts;
    for (int r = 1; r < grid->rows(); ++r)
        texts.append(grid->textMatrix(r, col));
    return texts;
}

void doubleClickAt(QWidget *viewport, const QPoint &at)
{
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
}

void doubleClickCell(FlexGrid *grid, int row, int col)
{
    grid->scrollTo(grid->model()->index(row - 1, col));
    doubleClickAt(grid->viewport(), grid->cellRect(row, col).center() - grid->viewport()->pos());
}

void doubleClickHeader(FlexGrid *grid, int col)
{
    QHeaderView *header = grid->horizontalHeader();
    doubleClickAt(header->viewport(),
        QPoint(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2));
}

void choose(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

QStringList items(QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

// Records the dialogs the browser opens and lets a test act inside them.
struct DialogProbe {
    QStringList opened; // "objectName caption"
    PriceEntryRequest request; // of the last dialog
    std::function<void(QDialog *)> act;

    DialogProbe()
    {
        setEntryDialogRunner([this](QDialog *dialog) {
            opened.append(dialog->objectName() + QLatin1Char(' ') + dialog->windowTitle());
            if (auto *entry = qobject_cast<PriceEntryDialog *>(dialog))
                request = entry->request();
            if (act)
                act(dialog);
        });
    }
    ~DialogProbe() { setEntryDialogRunner(nullptr); }
};

} // namespace

class TestPriceBrowser : public QObject {
    Q_OBJECT

private slots:
    void loadsTheTableNamedWhenOpenedAndWhenActiveAgain()
    {
        Desk d;
        // Opened while the main window is still in the background.
        DisForm *form = d.open(7);
        QCOMPARE(form->grid()->rows(), 7);
        QCOMPARE(d.main.panelText(2), QString("当前记录数:6"));
        QVERIFY(QTest::qWaitForWindowActive(&d.main));

        form = d.open(6);
        QCOMPARE(form->windowTitle(), QString("主材线重属性编辑"));
        QCOMPARE(d.main.panelText(2), QString("当前记录数:11"));
        // Load order 系列,名称.
        QCOMPARE(column(form->grid(), 1).first(), QString("50平开门"));
        QCOMPARE(column(form->grid(), 2).mid(0, 3), QStringList({"压线", "门扇", "门框"}));
        // The current row is light yellow; the row left loses its colour.
        FlexGrid *grid = form->grid();
        auto background = [grid](int row) { return grid->model()->index(row - 1, 5).data(Qt::BackgroundRole); };
        QCOMPARE(grid->row(), 1);
        QCOMPARE(background(1).value<QColor>(), QColor("#FFFFC0"));
        grid->setCurrentCell(3, 2);
        QVERIFY(!background(1).isValid());
        QCOMPARE(background(3).value<QColor>(), QColor("#FFFFC0"));

        form = d.open(9);
        QTRY_COMPARE(d.main.mdiArea()->subWindowList().size(), 1);
        QCOMPARE(form->windowTitle(), QString("固定费用编辑"));
        QCOMPARE(column(form->grid(), 0), QStringList({"利润", "安装费", "管理费", "运输费"}));
        form->button(10)->trigger();
        QTRY_VERIFY(!findForm("DisForm"));

        // Back from another window, the table is read again.
        form = d.open(8);
        QCOMPARE(form->windowTitle(), QString("玻璃价格编辑"));
        auto *own = qobject_cast<QMdiSubWindow *>(form->parentWidget());
        QCOMPARE(d.main.mdiArea()->activeSubWindow(), own);
        QMdiSubWindow *other = d.main.mdiArea()->addSubWindow(new QWidget);
        other->show();
        d.main.mdiArea()->setActiveSubWindow(other);
        sqlExec("DELETE FROM blName WHERE 编号=1");
        QCOMPARE(form->grid()->rows(), 4);
        d.main.mdiArea()->setActiveSubWindow(own);
        QCOMPARE(form->grid()->rows(), 3);
        QCOMPARE(d.main.panelText(2), QString("当前记录数:2"));

        // The export writes the grid to a workbook in temp1.
        form->button(8)->trigger();
        QVERIFY2(
            d.home.messages().lastText().startsWith("数据导出至Excel成功!"), qPrintable(d.home.messages().lastText()));
        QCOMPARE(QDir(d.home.file("temp1")).entryList({"*.xlsx"}).size(), 1);
    }

    void filterSequenceNarrowsAndWidens()
    {
        Desk d(false);
        sqlExec("INSERT INTO lcName (编号,系列,名称,代号,线重,隔热,材料类别) VALUES "
                "(0,'A','B','K1',1,1,'x'),(1,'A','D','K2',1,1,'x'),(2,'C','B','K3',1,0,'x'),"
                "(3,'C','E','K4',1,0,'x'),(4,'A''s','B','K5',1,0,'x')");
        QVERIFY(QTest::qWaitForWindowActive(&d.main));
        DisForm *form = d.open(6);
        FlexGrid *grid = form->grid();
        QComboBox *combo = form->filterList();
        QCOMPARE(form->findChild<QComboBox *>("Combo1"), combo);

        doubleClickHeader(grid, 1);
        QVERIFY(combo->isVisible());
        QCOMPARE(items(combo), QStringList({"全部", "A", "A's", "C"}));
        choose(combo, "A");
        QCOMPARE(form->filterText(), QString(" WHERE 系列='A'"));
        QCOMPARE(d.main.panelText(3), QString("当前筛选: WHERE 系列='A'"));
        QCOMPARE(d.main.panelText(2), QString("当前记录数:2"));
        QCOMPARE(grid->col(), 1);

        doubleClickHeader(grid, 2);
        QCOMPARE(items(combo), QStringList({"全部", "B", "D"}));
        choose(combo, "B");
        QCOMPARE(form->filterText(), QString(" WHERE 系列='A' AND 名称='B'"));
        QCOMPARE(column(grid, 3), QStringList({"K1"}));

        // With a condition on 系列 in force, its list offers only that value;
        // C stands for any other value on 系列, which replaces the condition.
        doubleClickHeader(grid, 1);
        QCOMPARE(items(combo), QStringList({"全部", "A"}));
        combo->addItem("C");
        choose(combo, "C");
        QCOMPARE(form->filterText(), QString(" WHERE 系列='C'"));
        QCOMPARE(column(grid, 3), QStringList({"K3", "K4"}));

        doubleClickHeader(grid, 1);
        choose(combo, "全部");
        QCOMPARE(form->filterText(), QString());
        QCOMPARE(d.main.panelText(3), QString("当前筛选:"));
        QCOMPARE(d.main.panelText(2), QString("当前记录数:5"));

        // A value with an apostrophe filters like any other.
        doubleClickHeader(grid, 1);
        choose(combo, "A's");
        QCOMPARE(column(grid, 3), QStringList({"K5"}));
        QVERIFY(!d.home.messages().texts().join("").contains("当前错误"));
    }

    void doubleClickFiltersOrModifiesAndSavesReloadTheWholeTable()
    {
        Desk d;
        QVERIFY(QTest::qWaitForWindowActive(&d.main));
        // A double click on row 1 opens the filter list, on another row the modify dialog.
        DialogProbe probe;
        DisForm *form = d.open(7);
        QString number;
        probe.act = [&](QDialog *dialog) { number = dialog->findChild<QLineEdit *>("Text1")->text(); };

        doubleClickCell(form->grid(), 1, 2);
        QVERIFY(form->filterList()->isVisible());
        QCOMPARE(
            items(form->filterList()), QStringList({"全部", "合页", "密封胶条", "执手", "月牙锁", "滑轮", "门锁"}));
        QVERIFY(probe.opened.isEmpty());

        doubleClickCell(form->grid(), 2, 2);
        QVERIFY(!form->filterList()->isVisible());
        QCOMPARE(probe.opened, QStringList({"inData1 修改数据"}));
        QVERIFY(probe.request.caller == EntryCaller::Browser && probe.request.mode == EntryMode::Modify);
        QVERIFY(probe.request.table == EntryTable::Accessory && probe.request.grid == form->grid());
        QCOMPARE(number, QString("5")); // 密封胶条, second in 名称,规格 order

        // Add and modify reload the whole table, without the filter.
        probe.opened.clear();
        form = d.open(8);
        doubleClickHeader(form->grid(), 1);
        choose(form->filterList(), "5mm白玻");
        QCOMPARE(d.main.panelText(2), QString("当前记录数:1"));
        bool stepsVisible = true;
        auto fill = [&](QDialog *dialog, const char *box, const QString &value) {
            stepsVisible = !dialog->findChild<QPushButton *>("Command1")->isHidden();
            dialog->findChild<QLineEdit *>(QString::fromLatin1(box))->setText(value);
        };
        probe.act = [&](QDialog *dialog) {
            // The current record serves as the template.
            QCOMPARE(dialog->findChild<QLineEdit *>("Text2")->text(), QString("5mm白玻"));
            fill(dialog, "Text2", "8mm钢化玻璃");
            fill(dialog, "Text3", "0.35");
            QTest::mouseClick(dialog->findChild<QPushButton *>("Command3"), Qt::LeftButton);
        };
        form->button(3)->trigger();
        QCOMPARE(probe.opened, QStringList({"inData2 添加数据"}));
        QVERIFY(!stepsVisible);
        QCOMPARE(d.home.messages().lastText(), QString("记录添加成功!"));
        QCOMPARE(d.main.panelText(2), QString("当前记录数:4"));
        QCOMPARE(column(form->grid(), 1),
            QStringList({"5+12A+5中空玻璃", "5mm白玻", "6+12A+6Low-E中空玻璃", "8mm钢化玻璃"}));
        QCOMPARE(column(form->grid(), 2).last(), QString("0.35"));
        // The filter is remembered, not applied.
        QCOMPARE(form->filterText(), QString(" WHERE 名称='5mm白玻'"));

        form->grid()->setCurrentCell(4, 0);
        probe.act = [&](QDialog *dialog) {
            QVERIFY(!dialog->findChild<QPushButton *>("Command2")->isEnabled());
            fill(dialog, "Text3", "120");
            QTest::mouseClick(dialog->findChild<QPushButton *>("Command3"), Qt::LeftButton);
        };
        form->button(4)->trigger();
        QVERIFY(stepsVisible);
        QCOMPARE(d.home.messages().lastText(), QString("记录修改成功!"));
        QCOMPARE(form->grid()->textMatrix(4, 2), QString("120"));
        QCOMPARE(form->grid()->row(), 1);
    }

    void deleteAndClearAskFirst()
    {
        Desk d;
        sqlExec("INSERT INTO FyTable VALUES ('O''Neil费', 3, NULL)");
        QVERIFY(QTest::qWaitForWindowActive(&d.main));
        DisForm *form = d.open(9);
        FlexGrid *grid = form->grid();
        grid->setCurrentCell(1, 0);
        QCOMPARE(grid->textMatrix(1, 0), QString("O'Neil费"));

        form->button(5)->trigger(); // answered No
        QCOMPARE(d.home.messages().lastText(), QString("是否确定要删除当前记录?"));
        QCOMPARE(d.main.panelText(2), QString("当前记录数:5"));
        d.home.messages().answerQuestion(true);
        form->button(5)->trigger();
        QCOMPARE(d.home.messages().lastText(), QString("数据删除成功!"));
        QCOMPARE(column(grid, 0), QStringList({"利润", "安装费", "管理费", "运输费"}));

        form->button(6)->trigger();
        QCOMPARE(d.home.messages().lastText(), QString("是否确定清除'费用表'中所有记录?"));
        QCOMPARE(grid->rows(), 5);
        d.home.messages().answerQuestion(true);
        form->button(6)->trigger();
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM FyTable").toInt(), 0);
        // The cleared rows leave the grid at once; opened again on the empty
        // table it shows the header and one blank row.
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                form->button(10)->trigger();
                QTRY_VERIFY(!findForm("DisForm"));
                form = d.open(9);
                grid = form->grid();
            }
            QCOMPARE(grid->rows(), 2);
            QCOMPARE(grid->headerText(0), QString("费用名称"));
            QCOMPARE(grid->textMatrix(1, 0), QString());
            QCOMPARE(d.main.panelText(2), QString("当前记录数:0"));
        }
        // Deleting the blank row of an empty table is reported, not done.
        d.home.messages().clear();
        d.home.messages().answerQuestion(true);
        form->button(5)->trigger();
        QCOMPARE(d.home.messages().texts().size(), 2);
        QVERIFY(d.home.messages().lastText().startsWith("当前错误:"));
    }

    void importDataShowsWhatItWouldDoFirst()
    {
        Desk d;
        DisForm *form = d.open(8);
        QAction *import = form->button(11);
        QCOMPARE(import->text(), QString("导入数据"));
        const QList<QAction *> actions = form->findChild<QToolBar *>("Toolbar1")->actions();
        QCOMPARE(actions.indexOf(import), actions.indexOf(form->button(8)) + 1);

        const QString path = d.home.file("bl.csv");
        writeFile(path, "名称,单价,折扣量\n5mm白玻,40,1\n夹胶玻璃,abc,1\n中空玻璃,210,1\n");
        QStringList seen;
        setDialogRunner([&](QDialog *dialog) {
            auto *preview = qobject_cast<PriceImportDialog *>(dialog);
            const auto look = [&] {
                seen.append(preview->summary()->text());
                for (int r = 0; r < preview->problems()->rowCount(); ++r)
                    seen.append(
                        preview->problems()->item(r, 0)->text() + ":" + preview->problems()->item(r, 1)->text());
                seen.append(QString::fromUtf8(preview->importButton()->isEnabled() ? "导入" : "不能导入"));
            };
            look();
            // The file mended and read again; a replacement asks first.
            writeFile(path, "名称,单价,折扣量\n5mm白玻,40,1\n中空玻璃,210,1\n");
            preview->openFile(path);
            preview->setMode(ImportMode::Replace);
            look();
            QTest::mouseClick(preview->importButton(), Qt::LeftButton);
            preview->setMode(ImportMode::Merge);
            QTest::mouseClick(preview->importButton(), Qt::LeftButton);
            return preview->result();
        });
        setNextFileName(path);
        import->trigger();
        setDialogRunner(nullptr);
        QCOMPARE(seen,
            QStringList({"新增 1 修改 1 未变 0 无效 1\n有无效的行,改正文件后才能导入:", "3:单价“abc”不是数字",
                "不能导入", "新增 1 修改 1 未变 0 无效 0\n表中另有2条记录不在文件中,替换后将被删除。", "导入"}));
        QCOMPARE(d.home.messages().texts(),
            QStringList({"是否确定清除'玻璃单价表'中所有记录,换为文件中的2条记录?",
                "数据导入成功!新增 1 修改 1 未变 0 无效 0"}));
        QCOMPARE(d.main.panelText(2), QString("当前记录数:4"));
        // The grid shows the table as it is now, in its load order.
        QCOMPARE(column(form->grid(), 1) + column(form->grid(), 2),
            QStringList({"5+12A+5中空玻璃", "5mm白玻", "6+12A+6Low-E中空玻璃", "中空玻璃", "95", "40", "168", "210"}));
    }
};

QTEST_MAIN(TestPriceBrowser)
#include "tst_pricebrowser.moc"
