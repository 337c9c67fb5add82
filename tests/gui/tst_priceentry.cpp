#include "app/mainform.h"
#include "common/database.h"
#include "common/flexgrid.h"
#include "prices/priceentry.h"
#include "testsupport.h"
#include "viewer/viewerpages.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// Opens the entry dialog as the browser (caller 1) or the viewer (caller 2)
// does and runs act inside it instead of a modal loop.
void runEntry(FlexGrid *grid, short table, short caller, short mode, const std::function<void(QDialog *)> &act)
{
    PriceEntryRequest request;
    request.caller = EntryCaller(caller);
    request.mode = EntryMode(mode);
    request.table = EntryTable(table);
    request.caption = mode == 1 ? "添加数据" : "修改数据";
    request.showSteps = caller == 1;
    request.grid = grid;
    if (caller == 2) {
        // As the viewer's 入单价库 hands over its current row.
        QStringList row;
        for (int c = 0; c < grid->cols(); ++c)
            row.append(grid->textMatrix(grid->row(), c));
        request.keys = viewerRowKeys(table - 1, row);
    }
    bool ran = false;
    setEntryDialogRunner([&](QDialog *d) {
        ran = true;
        act(d);
    });
    showPriceEntryDialog(nullptr, request);
    setEntryDialogRunner(nullptr);
    QVERIFY(ran);
}

template <typename T> T *child(QDialog *d, const char *name)
{
    T *widget = d->findChild<T *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

QString text(QDialog *d, const char *name)
{
    if (auto *combo = d->findChild<QComboBox *>(QString::fromLatin1(name)))
        return combo->currentText();
    return child<QLineEdit>(d, name)->text();
}

// The texts of several boxes joined by '|', to compare a whole record at once.
QString texts(QDialog *d, std::initializer_list<const char *> names)
{
    QStringList values;
    for (const char *name : names)
        values.append(text(d, name));
    return values.join(QLatin1Char('|'));
}

// Types the values into the boxes in pairs (name, value), then clicks "保存" when asked.
void fill(QDialog *d, std::initializer_list<std::pair<const char *, QString>> values, bool save = true)
{
    for (const auto &[name, value] : values) {
        if (auto *combo = d->findChild<QComboBox *>(QString::fromLatin1(name)))
            combo->setEditText(value);
        else
            child<QLineEdit>(d, name)->setText(value);
    }
    if (save)
        QTest::mouseClick(child<QPushButton>(d, "Command3"), Qt::LeftButton);
}

void click(QDialog *d, const char *name)
{
    QTest::mouseClick(child<QPushButton>(d, name), Qt::LeftButton);
}

QStringList items(QDialog *d, const char *name)
{
    QStringList list;
    auto *combo = child<QComboBox>(d, name);
    for (int i = 0; i < combo->count(); ++i)
        list.append(combo->itemText(i));
    return list;
}

void chooseItem(QDialog *d, const char *name, const QString &item)
{
    auto *combo = child<QComboBox>(d, name);
    const int index = combo->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// A grid over the query with the given row current, as the browser or the viewer has it.
void loadGrid(FlexGrid &grid, const char *sql, int row)
{
    grid.load(QString::fromUtf8(sql), Database::shared());
    grid.setCurrentCell(row, 0);
}

} // namespace

class TestPriceEntry : public QObject {
    Q_OBJECT

private slots:
    void profileFromTheViewerAddsAPriceRecord()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        QFile::copy(sourcePath("data/runtime/cllb.txt"), home.file("cllb.txt"));
        sqlExec("DELETE FROM lcName WHERE 代号='TL703'");
        FlexGrid viewer;
        viewer.load("SELECT * FROM PriceLc", Database::shared());
        int row = 1;
        while (row < viewer.rows() && viewer.textMatrix(row, 2) != "TL703")
            ++row;
        QVERIFY(row < viewer.rows());
        viewer.setCurrentCell(row, 0);

        runEntry(&viewer, 1, 2, 1, [&](QDialog *d) {
            // Series and code from the row, that series' names offered, the rest blank.
            QCOMPARE(texts(d, {"Combo1", "Text2", "Combo2", "Text1", "Text3"}), QString("70推拉窗|TL703|||"));
            QCOMPARE(items(d, "Combo2"), QStringList({"上下框", "下滑轨", "勾企"}));
            QCOMPARE(items(d, "Combo3"), QStringList({"断桥铝型材", "普通铝型材", "塑钢型材", "钢衬", "不锈钢型材"}));
            QVERIFY(child<QPushButton>(d, "Command1")->isHidden());

            click(d, "Command3");
            QCOMPARE(home.messages().lastText(), QString("项目填写不完整!请填定完整后重试!"));
            child<QRadioButton>(d, "Option2")->setChecked(true);
            chooseItem(d, "Combo3", "普通铝型材");
            fill(d, {{"Combo2", "扇料"}, {"Text3", "0.872"}});
            QCOMPARE(home.messages().lastText(), QString("记录添加成功!"));
        });
        QCOMPARE(queryRows("SELECT * FROM lcName WHERE 代号='TL703'"),
            QStringList({"11|70推拉窗|扇料|TL703|0.872|0|普通铝型材|"}));
    }

    void profileStepsThroughTheBrowserRows()
    {
        TestHome home;
        home.loadDemoPrices();
        FlexGrid browser;
        // The last row in 系列,名称 order is 扇料 (编号 6), before it 勾企 (编号 7).
        sqlExec("UPDATE lcName SET 隔热=1, 备注='库存' WHERE 编号=6");
        loadGrid(browser, "SELECT * FROM lcName ORDER BY 系列,名称", 11);

        runEntry(&browser, 1, 1, 2, [&](QDialog *d) {
            QCOMPARE(texts(d, {"Text1", "Combo1", "Combo2", "Text3", "Combo3", "Text4"}),
                QString("6|70推拉窗|扇料|0.872|普通铝型材|库存"));
            QVERIFY(child<QRadioButton>(d, "Option1")->isChecked());
            QVERIFY(!child<QPushButton>(d, "Command2")->isEnabled());

            click(d, "Command1");
            QCOMPARE(browser.row(), 10);
            QCOMPARE(browser.lastRow(), 10); // the highlight moved along
            QCOMPARE(texts(d, {"Text1", "Combo2"}), QString("7|勾企"));
            QVERIFY(child<QRadioButton>(d, "Option2")->isChecked());
            QVERIFY(child<QPushButton>(d, "Command2")->isEnabled());

            // Letters for 线重 are refused and nothing is written.
            fill(d, {{"Text3", "abc"}});
            QCOMPARE(home.messages().lastText(), QString("当前错误:线重必须是数字,填写的“abc”不是数字"));
            QCOMPARE(queryRows("SELECT 线重 FROM lcName WHERE 编号=7"), QStringList({"0.734"}));

            // An emptied remark keeps the stored one.
            click(d, "Command2");
            QCOMPARE(text(d, "Text1"), QString("6"));
            QVERIFY(!child<QPushButton>(d, "Command2")->isEnabled());
            fill(d, {{"Text3", "1.06"}, {"Text4", ""}});
            QCOMPARE(home.messages().lastText(), QString("记录修改成功!"));
        });
        QCOMPARE(queryRows("SELECT 线重, 备注 FROM lcName WHERE 编号=6"), QStringList({"1.06|库存"}));

        browser.setCurrentCell(2, 0);
        runEntry(&browser, 1, 1, 2, [&](QDialog *d) {
            QVERIFY(child<QPushButton>(d, "Command1")->isEnabled());
            click(d, "Command1");
            QVERIFY(!child<QPushButton>(d, "Command1")->isEnabled());
            QCOMPARE(browser.row(), 1);
        });
    }

    void profileAddsToAnEmptyTableWithoutAClassFile()
    {
        TestHome home;
        MainForm main;
        FlexGrid browser;
        loadGrid(browser, "SELECT * FROM lcName ORDER BY 系列,名称", 1);
        runEntry(&browser, 1, 1, 1, [&](QDialog *d) {
            QCOMPARE(texts(d, {"Text1", "Combo1", "Combo2", "Text2", "Text3", "Combo3", "Text4"}), QString("||||||"));
            QCOMPARE(items(d, "Combo3"), QStringList());
            fill(d,
                {{"Combo1", "A's 系列"}, {"Combo2", "边框"}, {"Text2", "X1"}, {"Text3", "0.35"}, {"Combo3", "钢衬"}});
            click(d, "Command3");
        });
        QVERIFY(main.panelText(1).contains("cllb.txt"));
        QCOMPARE(queryRows("SELECT 编号, 系列, 线重 FROM lcName"), QStringList({"0|A's 系列|0.35", "1|A's 系列|0.35"}));
    }

    void accessoryRefusesDuplicatesAndKeepsTheTypedName()
    {
        TestHome home;
        home.loadDemoPrices();
        FlexGrid browser;
        loadGrid(browser, "SELECT * FROM pjName ORDER BY 名称,规格", 3); // 执手 7字型

        runEntry(&browser, 2, 1, 1, [&](QDialog *d) {
            QCOMPARE(texts(d, {"Combo1", "Combo2", "Text3", "Text6"}), QString("五金|执手|黑色|0.9"));
            QStringList names = items(d, "Combo2");
            names.sort();
            QCOMPARE(names, QStringList({"合页", "执手", "月牙锁", "滑轮", "门锁"}));
            click(d, "Command3");
            QCOMPARE(home.messages().lastText(), QString("数据库中已存在相同记录,请核对后重试!"));

            fill(d, {{"Combo2", "执手(新)"}}, false);
            chooseItem(d, "Combo1", "密封");
            QCOMPARE(text(d, "Combo2"), QString("执手(新)"));
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
        runEntry(&viewer, 2, 2, 1, [&](QDialog *d) {
            QCOMPARE(texts(d, {"Combo2", "Text2", "Text3", "Combo1", "Text5"}),
                QStringList({viewer.textMatrix(1, 2), viewer.textMatrix(1, 3), viewer.textMatrix(1, 4), "", ""})
                    .join('|'));
        });
    }

    void glassAndFeeLayouts()
    {
        TestHome home;
        home.loadDemoPrices();
        FlexGrid browser;
        loadGrid(browser, "SELECT * FROM FyTable ORDER BY 费用名称", 2); // 安装费

        runEntry(&browser, 4, 1, 2, [&](QDialog *d) {
            QCOMPARE(child<QLabel>(d, "Label2")->text(), QString("平米单价"));
            QVERIFY(child<QLineEdit>(d, "Text4")->isHidden() && child<QLabel>(d, "Label4")->isHidden());
            QVERIFY(child<QLineEdit>(d, "Text1")->isEnabled());
            QCOMPARE(texts(d, {"Text1", "Text2"}), QString("安装费|35"));

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
        runEntry(&browser, 3, 1, 1, [&](QDialog *d) {
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
        runEntry(&viewer, 3, 2, 1, [&](QDialog *d) {
            QCOMPARE(texts(d, {"Text2", "Text1", "Text3", "Text4"}), viewer.textMatrix(1, 2) + "|||");
        });
    }
};

QTEST_MAIN(TestPriceEntry)
#include "tst_priceentry.moc"
