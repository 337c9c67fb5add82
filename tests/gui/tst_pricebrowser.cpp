#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/viewer/viewerpages.h"
#include "gui/app/mainform.h"
#include "gui/common/dialogrunner.h"
#include "gui/common/filedialogs.h"
#include "gui/common/flexgrid.h"
#include "gui/common/forms.h"
#include "gui/prices/disform.h"
#include "gui/prices/entrydialog.h"
#include "gui/prices/priceentry.h"
#include "gui/prices/priceimportdialog.h"
#include "testsupport.h"
#include "widgetsupport.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
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
    explicit Desk(Demo demo = Demo::Prices)
        : home(demo)
    {
        main.show();
    }
    // The browser as the main window opens it for one of the four tables.
    DisForm *open(QAction *MainForm::Actions::*entry)
    {
        (main.actions().*entry)->trigger();
        return main.openChild<DisForm>();
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

// Runs act inside the entry dialog of the request instead of a modal loop.
void runEntry(const PriceEntryRequest &request, const std::function<void(QDialog *)> &act)
{
    bool ran = false;
    setEntryDialogRunner([&](QDialog *d) {
        ran = true;
        act(d);
    });
    showPriceEntryDialog(nullptr, request);
    setEntryDialogRunner(nullptr);
    QVERIFY(ran);
}

// The entry dialog as the browser opens it on its grid's current row.
void runEntry(FlexGrid *grid, PriceTableId table, EntryMode mode, const std::function<void(QDialog *)> &act)
{
    PriceEntryRequest request;
    request.caller = EntryCaller::Browser;
    request.mode = mode;
    request.table = table;
    request.caption = mode == EntryMode::Add ? "添加数据" : "修改数据";
    request.showSteps = true;
    request.grid = grid;
    runEntry(request, act);
}

// The entry dialog as the viewer's 入单价库 opens it for its current row.
void runEntry(FlexGrid *grid, MaterialKind kind, const std::function<void(QDialog *)> &act)
{
    QStringList row;
    for (int c = 0; c < grid->cols(); ++c)
        row.append(grid->textMatrix(grid->row(), c));
    runEntry(addPriceRequest(kind, viewerRowKeys(kind, row)), act);
}

// Types the values into the boxes, then clicks "保存" when asked.
void fill(QDialog *d, std::initializer_list<std::pair<QString, QString>> values, bool save = true)
{
    typeInto(d, values);
    if (save)
        click(d, "Command3");
}

QStringList items(QDialog *d, const QString &name)
{
    return comboItems(child<QComboBox>(d, name));
}

// A grid over the query with the given row current, as the browser or the viewer has it.
void loadGrid(FlexGrid &grid, const char *sql, int row)
{
    grid.load(QString::fromUtf8(sql), Database::shared());
    grid.setCurrentCell(row, 0);
}

} // namespace

class TestPriceBrowser : public QObject {
    Q_OBJECT

private slots:
    void loadsTheTableNamedWhenOpenedAndWhenActiveAgain()
    {
        Desk d;
        // Opened while the main window is still in the background.
        DisForm *form = d.open(&MainForm::Actions::accessoryPrices);
        QCOMPARE(form->grid()->rows(), 7);
        QCOMPARE(d.main.panelText(2), QString("当前记录数:6"));
        QVERIFY(QTest::qWaitForWindowActive(&d.main));

        form = d.open(&MainForm::Actions::profilePrices);
        QCOMPARE(form->windowTitle() + d.main.panelText(2), QString("主材线重属性编辑当前记录数:11"));
        // Load order 系列,名称.
        QCOMPARE(column(form->grid(), 1).first() + column(form->grid(), 2).mid(0, 3).join(','),
            QString("50平开门压线,门扇,门框"));
        // The current row is light yellow; the row left loses its colour.
        FlexGrid *grid = form->grid();
        auto background = [grid](int row) { return grid->model()->index(row - 1, 5).data(Qt::BackgroundRole); };
        QCOMPARE(grid->row(), 1);
        QCOMPARE(background(1).value<QColor>(), QColor("#FFFFC0"));
        grid->setCurrentCell(3, 2);
        QVERIFY(!background(1).isValid() && background(3).value<QColor>() == QColor("#FFFFC0"));

        form = d.open(&MainForm::Actions::fees);
        QTRY_COMPARE(d.main.mdiArea()->subWindowList().size(), 1);
        QCOMPARE(form->windowTitle(), QString("固定费用编辑"));
        QCOMPARE(column(form->grid(), 0), QStringList({"利润", "安装费", "管理费", "运输费"}));
        form->actions().close->trigger();
        QTRY_VERIFY(!d.main.openChild<DisForm>());

        // Back from another window, the table is read again.
        form = d.open(&MainForm::Actions::glassPrices);
        QCOMPARE(form->windowTitle(), QString("玻璃价格编辑"));
        auto *own = qobject_cast<QMdiSubWindow *>(form->parentWidget());
        QCOMPARE(d.main.mdiArea()->activeSubWindow(), own);
        QMdiSubWindow *other = d.main.mdiArea()->addSubWindow(new QWidget);
        other->show();
        d.main.mdiArea()->setActiveSubWindow(other);
        sqlExec("DELETE FROM blName WHERE 编号=1");
        QCOMPARE(form->grid()->rows(), 4);
        d.main.mdiArea()->setActiveSubWindow(own);
        QCOMPARE(d.main.panelText(2), QString("当前记录数:2"));

        // The export writes the grid to a workbook in temp1.
        form->actions().exportData->trigger();
        QVERIFY2(
            d.home.messages().lastText().startsWith("数据导出至Excel成功!"), qPrintable(d.home.messages().lastText()));
        QCOMPARE(QDir(d.home.file("temp1")).entryList({"*.xlsx"}).size(), 1);
    }

    void filterSequenceNarrowsAndWidens()
    {
        Desk d(Demo::None);
        sqlExec("INSERT INTO lcName (编号,系列,名称,代号,线重,隔热,材料类别) VALUES "
                "(0,'A','B','K1',1,1,'x'),(1,'A','D','K2',1,1,'x'),(2,'C','B','K3',1,0,'x'),"
                "(3,'C','E','K4',1,0,'x'),(4,'A''s','B','K5',1,0,'x')");
        QVERIFY(QTest::qWaitForWindowActive(&d.main));
        DisForm *form = d.open(&MainForm::Actions::profilePrices);
        FlexGrid *grid = form->grid();
        QComboBox *combo = form->filterList();
        // The filter in force and the record count, as the status bar shows them.
        const auto status = [&]() -> QString { return d.main.panelText(3) + '|' + d.main.panelText(2); };

        doubleClickHeader(grid, 1);
        QVERIFY(combo->isVisible());
        QCOMPARE(comboItems(combo), QStringList({"全部", "A", "A's", "C"}));
        choose(combo, "A");
        QCOMPARE(status(), QString("当前筛选: WHERE 系列='A'|当前记录数:2"));
        QCOMPARE(grid->col(), 1);

        doubleClickHeader(grid, 2);
        QCOMPARE(comboItems(combo), QStringList({"全部", "B", "D"}));
        choose(combo, "B");
        QCOMPARE(status(), QString("当前筛选: WHERE 系列='A' AND 名称='B'|当前记录数:1"));
        QCOMPARE(column(grid, 3), QStringList({"K1"}));

        // With a condition on 系列 in force, its list offers only that value;
        // C stands for any other value on 系列, which replaces the condition.
        doubleClickHeader(grid, 1);
        QCOMPARE(comboItems(combo), QStringList({"全部", "A"}));
        combo->addItem("C");
        choose(combo, "C");
        QCOMPARE(status(), QString("当前筛选: WHERE 系列='C'|当前记录数:2"));
        QCOMPARE(column(grid, 3), QStringList({"K3", "K4"}));

        doubleClickHeader(grid, 1);
        choose(combo, "全部");
        QCOMPARE(status(), QString("当前筛选:|当前记录数:5"));

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
        DisForm *form = d.open(&MainForm::Actions::accessoryPrices);
        QString number;
        probe.act = [&](QDialog *dialog) { number = boxText(dialog, "Text1"); };

        doubleClickCell(form->grid(), 1, 2);
        QVERIFY(form->filterList()->isVisible());
        QCOMPARE(comboItems(form->filterList()),
            QStringList({"全部", "合页", "密封胶条", "执手", "月牙锁", "滑轮", "门锁"}));
        QVERIFY(probe.opened.isEmpty());

        doubleClickCell(form->grid(), 2, 2);
        QVERIFY(!form->filterList()->isVisible());
        QCOMPARE(probe.opened, QStringList({"inData1 修改数据"}));
        QVERIFY(probe.request.caller == EntryCaller::Browser && probe.request.mode == EntryMode::Modify
            && probe.request.table == PriceTableId::Accessory && probe.request.grid == form->grid());
        QCOMPARE(number, QString("5")); // 密封胶条, second in 名称,规格 order

        // Add and modify reload the whole table, without the filter.
        probe.opened.clear();
        form = d.open(&MainForm::Actions::glassPrices);
        doubleClickHeader(form->grid(), 1);
        choose(form->filterList(), "5mm白玻");
        QCOMPARE(d.main.panelText(2), QString("当前记录数:1"));
        bool stepsVisible = true;
        probe.act = [&](QDialog *dialog) {
            // The current record serves as the template.
            QCOMPARE(boxText(dialog, "Text2"), QString("5mm白玻"));
            stepsVisible = !child<QPushButton>(dialog, "Command1")->isHidden();
            typeInto(dialog, {{"Text2", "8mm钢化玻璃"}, {"Text3", "0.35"}});
            click(dialog, "Command3");
        };
        form->actions().add->trigger();
        QVERIFY(!stepsVisible);
        QCOMPARE(QStringList({probe.opened.join(','), d.home.messages().lastText(), d.main.panelText(2)}),
            QStringList({"inData2 添加数据", "记录添加成功!", "当前记录数:4"}));
        QCOMPARE(column(form->grid(), 1),
            QStringList({"5+12A+5中空玻璃", "5mm白玻", "6+12A+6Low-E中空玻璃", "8mm钢化玻璃"}));
        QCOMPARE(column(form->grid(), 2).last(), QString("0.35"));
        // The filter is remembered, not applied.
        QCOMPARE(form->filterText(), QString(" WHERE 名称='5mm白玻'"));

        form->grid()->setCurrentCell(4, 0);
        probe.act = [&](QDialog *dialog) {
            QVERIFY(!child<QPushButton>(dialog, "Command2")->isEnabled());
            stepsVisible = !child<QPushButton>(dialog, "Command1")->isHidden();
            typeInto(dialog, {{"Text3", "120"}});
            click(dialog, "Command3");
        };
        form->actions().modify->trigger();
        QVERIFY(stepsVisible && form->grid()->row() == 1);
        QCOMPARE(d.home.messages().lastText() + form->grid()->textMatrix(4, 2), QString("记录修改成功!120"));
    }

    void deleteAndClearAskFirst()
    {
        Desk d;
        sqlExec("INSERT INTO FyTable VALUES ('O''Neil费', 3, NULL)");
        QVERIFY(QTest::qWaitForWindowActive(&d.main));
        DisForm *form = d.open(&MainForm::Actions::fees);
        FlexGrid *grid = form->grid();
        grid->setCurrentCell(1, 0);
        QCOMPARE(grid->textMatrix(1, 0), QString("O'Neil费"));

        form->actions().remove->trigger(); // answered No
        QCOMPARE(d.home.messages().lastText() + d.main.panelText(2), QString("是否确定要删除当前记录?当前记录数:5"));
        d.home.messages().answerQuestion(true);
        form->actions().remove->trigger();
        QCOMPARE(d.home.messages().lastText(), QString("数据删除成功!"));
        QCOMPARE(column(grid, 0), QStringList({"利润", "安装费", "管理费", "运输费"}));

        form->actions().clear->trigger();
        QCOMPARE(d.home.messages().lastText(), QString("是否确定清除'费用表'中所有记录?"));
        QCOMPARE(grid->rows(), 5);
        d.home.messages().answerQuestion(true);
        form->actions().clear->trigger();
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM FyTable").toInt(), 0);
        // The records cleared are kept beside the database, and the message says where.
        const QStringList done = d.home.messages().lastText().split('\n');
        QCOMPARE(done.size(), 3);
        QCOMPARE(done[0], QString("记录清除成功!"));
        QVERIFY2(done[1].startsWith("清除前的记录已备份至: " + d.home.file("FyTable-备份-")), qPrintable(done[1]));
        QCOMPARE(readFile(done[1].section(": ", 1)).count("\r\n"), 5);
        // The cleared rows leave the grid at once; opened again on the empty
        // table it shows the header and one blank row.
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                form->actions().close->trigger();
                QTRY_VERIFY(!d.main.openChild<DisForm>());
                form = d.open(&MainForm::Actions::fees);
                grid = form->grid();
            }
            QCOMPARE(QStringList({QString::number(grid->rows()), grid->headerText(0), grid->textMatrix(1, 0),
                         d.main.panelText(2)}),
                QStringList({"2", "费用名称", "", "当前记录数:0"}));
        }
        // Deleting the blank row of an empty table is reported, not done.
        d.home.messages().clear();
        d.home.messages().answerQuestion(true);
        form->actions().remove->trigger();
        QCOMPARE(d.home.messages().texts().size(), 2);
        QVERIFY(d.home.messages().lastText().startsWith("当前错误:"));
    }

    void importDataShowsWhatItWouldDoFirst()
    {
        Desk d;
        DisForm *form = d.open(&MainForm::Actions::glassPrices);
        QAction *import = form->actions().importData;
        QCOMPARE(import->text(), QString("导入数据"));
        const QList<QAction *> actions = form->findChild<QToolBar *>("Toolbar1")->actions();
        QCOMPARE(actions.indexOf(import), actions.indexOf(form->actions().exportData) + 1);

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

    void profileFromTheViewerAddsAPriceRecord()
    {
        TestHome home(Demo::PricesAndProject);
        QFile::copy(sourcePath("data/runtime/cllb.txt"), home.file("cllb.txt"));
        sqlExec("DELETE FROM lcName WHERE 代号='TL703'");
        FlexGrid viewer;
        loadGrid(viewer, "SELECT * FROM PriceLc WHERE 代号='TL703'", 1);

        runEntry(&viewer, MaterialKind::Profile, [&](QDialog *d) {
            // Series and code from the row, that series' names offered, the rest blank.
            QCOMPARE(boxTexts(d, {"Combo1", "Text2", "Combo2", "Text1", "Text3"}), QString("70推拉窗|TL703|||"));
            QCOMPARE(items(d, "Combo2"), QStringList({"上下框", "下滑轨", "勾企"}));
            QCOMPARE(items(d, "Combo3"), QStringList({"断桥铝型材", "普通铝型材", "塑钢型材", "钢衬", "不锈钢型材"}));
            QVERIFY(child<QPushButton>(d, "Command1")->isHidden());

            click(d, "Command3");
            QCOMPARE(home.messages().lastText(), QString("项目填写不完整!请填定完整后重试!"));
            child<QRadioButton>(d, "Option2")->setChecked(true);
            choose(child<QComboBox>(d, "Combo3"), "普通铝型材");
            fill(d, {{"Combo2", "扇料"}, {"Text3", "0.872"}});
            QCOMPARE(home.messages().lastText(), QString("记录添加成功!"));
        });
        QCOMPARE(queryRows("SELECT * FROM lcName WHERE 代号='TL703'"),
            QStringList({"11|70推拉窗|扇料|TL703|0.872|0|普通铝型材|"}));
    }

    void profileStepsThroughTheBrowserRows()
    {
        TestHome home(Demo::Prices);
        FlexGrid browser;
        // The last row in 系列,名称 order is 扇料 (编号 6), before it 勾企 (编号 7).
        sqlExec("UPDATE lcName SET 隔热=1, 备注='库存' WHERE 编号=6");
        loadGrid(browser, "SELECT * FROM lcName ORDER BY 系列,名称", 11);

        runEntry(&browser, PriceTableId::Profile, EntryMode::Modify, [&](QDialog *d) {
            QCOMPARE(boxTexts(d, {"Text1", "Combo1", "Combo2", "Text3", "Combo3", "Text4"}),
                QString("6|70推拉窗|扇料|0.872|普通铝型材|库存"));
            QVERIFY(child<QRadioButton>(d, "Option1")->isChecked() && !child<QPushButton>(d, "Command2")->isEnabled());

            click(d, "Command1");
            QVERIFY(browser.row() == 10 && browser.lastRow() == 10); // the highlight moved along
            QCOMPARE(boxTexts(d, {"Text1", "Combo2"}), QString("7|勾企"));
            QVERIFY(child<QRadioButton>(d, "Option2")->isChecked() && child<QPushButton>(d, "Command2")->isEnabled());

            // Letters for 线重 are refused and nothing is written.
            fill(d, {{"Text3", "abc"}});
            QCOMPARE(home.messages().lastText(), QString("当前错误:线重必须是数字,填写的“abc”不是数字"));
            QCOMPARE(queryRows("SELECT 线重 FROM lcName WHERE 编号=7"), QStringList({"0.734"}));

            // An emptied remark keeps the stored one.
            click(d, "Command2");
            QCOMPARE(boxText(d, "Text1"), QString("6"));
            QVERIFY(!child<QPushButton>(d, "Command2")->isEnabled());
            fill(d, {{"Text3", "1.06"}, {"Text4", ""}});
            QCOMPARE(home.messages().lastText(), QString("记录修改成功!"));
        });
        QCOMPARE(queryRows("SELECT 线重, 备注 FROM lcName WHERE 编号=6"), QStringList({"1.06|库存"}));

        browser.setCurrentCell(2, 0);
        runEntry(&browser, PriceTableId::Profile, EntryMode::Modify, [&](QDialog *d) {
            QVERIFY(child<QPushButton>(d, "Command1")->isEnabled());
            click(d, "Command1");
            QVERIFY(!child<QPushButton>(d, "Command1")->isEnabled());
            QCOMPARE(browser.row(), 1);
        });
    }

    void profileAddsToAnEmptyTableWithoutAClassFile()
    {
        Desk d(Demo::None);
        DisForm *form = d.open(&MainForm::Actions::profilePrices);
        bool ran = false;
        setEntryDialogRunner([&](QDialog *dialog) {
            ran = true;
            QCOMPARE(boxTexts(dialog, {"Text1", "Combo1", "Combo2", "Text2", "Text3", "Combo3", "Text4"}),
                QString("||||||"));
            QCOMPARE(items(dialog, "Combo3"), QStringList());
            fill(dialog,
                {{"Combo1", "A's 系列"}, {"Combo2", "边框"}, {"Text2", "X1"}, {"Text3", "0.35"}, {"Combo3", "钢衬"}});
            click(dialog, "Command3");
        });
        form->actions().add->trigger();
        setEntryDialogRunner(nullptr);
        QVERIFY(ran);
        // The dialog's note reaches the main window through the browser.
        QVERIFY(d.main.panelText(1).contains("cllb.txt"));
        QCOMPARE(queryRows("SELECT 编号, 系列, 线重 FROM lcName"), QStringList({"0|A's 系列|0.35", "1|A's 系列|0.35"}));
    }

    void accessoryRefusesDuplicatesAndKeepsTheTypedName()
    {
        TestHome home(Demo::Prices);
        FlexGrid browser;
        loadGrid(browser, "SELECT * FROM pjName ORDER BY 名称,规格", 3); // 执手 7字型

        runEntry(&browser, PriceTableId::Accessory, EntryMode::Add, [&](QDialog *d) {
            QCOMPARE(boxTexts(d, {"Combo1", "Combo2", "Text3", "Text6"}), QString("五金|执手|黑色|0.9"));
            QStringList names = items(d, "Combo2");
            names.sort();
            QCOMPARE(names, QStringList({"合页", "执手", "月牙锁", "滑轮", "门锁"}));
            click(d, "Command3");
            QCOMPARE(home.messages().lastText(), QString("数据库中已存在相同记录,请核对后重试!"));

            fill(d, {{"Combo2", "执手(新)"}}, false);
            choose(child<QComboBox>(d, "Combo1"), "密封");
            QCOMPARE(boxText(d, "Combo2"), QString("执手(新)"));
            QCOMPARE(items(d, "Combo2"), QStringList({"密封胶条"}));
            fill(d, {{"Text5", "十元"}});
            QVERIFY(home.messages().lastText().startsWith("当前错误:单价"));
            fill(d, {{"Text5", "30"}});
            QCOMPARE(home.messages().lastText(), QString("记录添加成功!"));
        });
        QCOMPARE(
            queryRows("SELECT * FROM pjName WHERE 编号=6"), QStringList({"6|密封|执手(新)|7字型|黑色|个|30|0.9|"}));

        // From the viewer: name, spec and requirement come from its row.
        home.loadDemoProject();
        FlexGrid viewer;
        loadGrid(viewer, "SELECT * FROM PricePj", 1);
        runEntry(&viewer, MaterialKind::Accessory, [&](QDialog *d) {
            QCOMPARE(boxTexts(d, {"Combo2", "Text2", "Text3", "Combo1", "Text5"}),
                QStringList({viewer.textMatrix(1, 2), viewer.textMatrix(1, 3), viewer.textMatrix(1, 4), "", ""})
                    .join('|'));
        });
    }

    void glassAndFeeLayouts()
    {
        TestHome home(Demo::Prices);
        FlexGrid browser;
        loadGrid(browser, "SELECT * FROM FyTable ORDER BY 费用名称", 2); // 安装费

        runEntry(&browser, PriceTableId::Fee, EntryMode::Modify, [&](QDialog *d) {
            QCOMPARE(child<QLabel>(d, "Label2")->text(), QString("平米单价"));
            QVERIFY(child<QLineEdit>(d, "Text4")->isHidden() && child<QLabel>(d, "Label4")->isHidden());
            QVERIFY(child<QLineEdit>(d, "Text1")->isEnabled());
            QCOMPARE(boxTexts(d, {"Text1", "Text2"}), QString("安装费|35"));

            fill(d, {{"Text2", ""}, {"Text3", ""}});
            QCOMPARE(home.messages().lastText(), QString("项目填写不完整!请填定完整后重试!"));
            // Renamed and saved twice: the same record both times.
            fill(d, {{"Text1", "安装费's"}, {"Text2", "40"}});
            QCOMPARE(home.messages().lastText(), QString("记录修改成功!"));
            fill(d, {{"Text1", "安装费B"}});
            QCOMPARE(home.messages().lastText(), QString("记录修改成功!"));
        });
        QCOMPARE(queryRows("SELECT * FROM FyTable ORDER BY 费用名称"),
            QStringList({"利润|0|8", "安装费B|40|0", "管理费|0|5", "运输费|12|0"}));

        sqlExec("DELETE FROM blName");
        loadGrid(browser, "SELECT * FROM blName ORDER BY 名称", 1);
        runEntry(&browser, PriceTableId::Glass, EntryMode::Add, [&](QDialog *d) {
            QCOMPARE(child<QLabel>(d, "Label2")->text(), QString("名 称"));
            QVERIFY(!child<QLineEdit>(d, "Text4")->isHidden());
            QVERIFY(!child<QLineEdit>(d, "Text1")->isEnabled());
            fill(d, {{"Text2", "5mm白玻"}, {"Text3", "3x"}, {"Text4", "1"}});
            QVERIFY(home.messages().lastText().startsWith("当前错误:单价"));
            fill(d, {{"Text3", "38"}});
        });
        QCOMPARE(queryRows("SELECT * FROM blName"), QStringList({"0|5mm白玻|38|1|"}));

        // From the viewer only the glass name is taken.
        home.loadDemoProject();
        FlexGrid viewer;
        loadGrid(viewer, "SELECT * FROM PriceBl", 1);
        runEntry(&viewer, MaterialKind::Glass, [&](QDialog *d) {
            QCOMPARE(boxTexts(d, {"Text2", "Text1", "Text3", "Text4"}), viewer.textMatrix(1, 2) + "|||");
        });
    }
};

QTEST_MAIN(TestPriceBrowser)
#include "tst_pricebrowser.moc"
