#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/library/libraryfile.h"
#include "core/library/picklists.h"
#include "gui/app/mainform.h"
#include "gui/common/forms.h"
#include "gui/library/dwgform.h"
#include "gui/library/dwgimport.h"
#include "gui/library/imagebox.h"
#include "gui/library/xlditem.h"
#include "librarysupport.h"
#include "testsupport.h"
#include "widgetsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// Loads the window from the library and shows it.
template <typename Form> bool shown(Form &form)
{
    const bool loaded = form.load();
    form.show();
    return loaded;
}

int visibleSlots(DwgForm &form)
{
    int count = 0;
    for (int n = 1; n <= DwgForm::kSlots; ++n)
        count += form.slot(n)->isHidden() ? 0 : 1;
    return count;
}

// "Label4|Label5|enabled page buttons|visible slots|Text2|record buttons".
QString pageState(DwgForm &form)
{
    QString buttons, records;
    for (int i = 4; i <= 7; ++i)
        buttons += child<QPushButton>(&form, QStringLiteral("Command%1").arg(i))->isEnabled() ? '1' : '0';
    for (int i = 1; i <= 3; ++i)
        records += child<QPushButton>(&form, QStringLiteral("Command%1").arg(i))->isEnabled() ? '1' : '0';
    return QStringList {child<QLabel>(&form, "Label4")->text(), child<QLabel>(&form, "Label5")->text(), buttons,
        QString::number(visibleSlots(form)), child<QLineEdit>(&form, "Text2")->text(), records}
        .join('|');
}

// "series|name|description" as the boxes beside the pictures show them.
QString shownRecord(DwgForm &form)
{
    return boxTexts(&form, {"Text1", "Text2"}) + '|' + child<QPlainTextEdit>(&form, "Text3")->toPlainText();
}

QStringList borderedSlots(DwgForm &form)
{
    QStringList bordered;
    for (ImageBox *box : form.findChildren<ImageBox *>())
        if (box->property("BorderStyle").toInt() == 1)
            bordered.append(box->objectName());
    return bordered;
}

QStringList captions(DwgForm &form)
{
    QStringList texts;
    for (int n = 1; n <= visibleSlots(form); ++n)
        texts.append(form.caption(n)->text());
    return texts;
}

// The series nodes of the tree; with expandedOnly, the open ones.
QStringList seriesNodes(DwgForm &form, bool expandedOnly = false)
{
    QStringList names;
    for (int i = 0; i < form.tree()->topLevelItemCount(); ++i)
        if (!expandedOnly || form.tree()->topLevelItem(i)->isExpanded())
            names.append(form.tree()->topLevelItem(i)->text(0));
    return names;
}

void expand(DwgForm &form, const QString &series, bool expanded = true)
{
    const QList<QTreeWidgetItem *> items = form.tree()->findItems(series, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    items.first()->setExpanded(expanded);
}

// A test home with a library holding the given series (name → records).
struct LibraryHome : TestHome {
    explicit LibraryHome(const QList<QPair<QString, int>> &series)
    {
        for (const auto &[name, count] : series)
            addLibrarySeries(library.db(), name, count, name);
    }
    LibraryConnection library;
};

} // namespace

class TestLibraryWindows : public QObject {
    Q_OBJECT

private slots:
    void init() { qputenv("TARVEX_NO_OPEN", "1"); }

    void walkingThePagesOfSixtyFiveRecords()
    {
        LibraryHome home({{"S", 65}, {"R", 3}});
        DwgForm form;
        QVERIFY(shown(form));
        QCOMPARE(form.windowTitle(), QStringLiteral("下料单图库管理"));
        QCOMPARE(seriesNodes(form), (QStringList {"S", "R"}));
        QVERIFY(child<QLabel>(&form, "EmptyHint")->isHidden());
        QCOMPARE(pageState(form), QStringLiteral("||0000|0||000"));

        expand(form, "S");
        QCOMPARE(pageState(form), QStringLiteral("共4页|第1页|0011|20|S1|111"));
        QCOMPARE(child<QLineEdit>(&form, "Text1")->text(), QStringLiteral("S"));
        const QList<QPair<QString, QString>> walk = {
            {"Command6", "共4页|第2页|1111|20|S21|111"},
            {"Command6", "共4页|第3页|1111|20|S41|111"},
            {"Command7", "共4页|第4页|1100|5|S61|111"},
            {"Command5", "共4页|第3页|1111|20|S41|111"},
            {"Command4", "共4页|第1页|0011|20|S1|111"},
        };
        for (const auto &[button, state] : walk) {
            click(&form, button);
            QCOMPARE(pageState(form), state);
            QCOMPARE(borderedSlots(form), QStringList {"Tu1"});
        }
        // The three records of R fill slots 1..3 and none of S stays.
        expand(form, "R");
        QCOMPARE(pageState(form), QStringLiteral("共1页|第1页|0000|3|R1|111"));
        QCOMPARE(captions(form), (QStringList {"R1", "R2", "R3"}));
    }

    void clickingAPictureMovesTheBorderAndShowsItsRecord()
    {
        LibraryHome home({});
        addLibraryRecord(home.library.db(), "A", "有说明", "推拉窗说明");
        addLibraryRecord(home.library.db(), "A", "无说明");
        addLibraryRecord(home.library.db(), "A", "坏图片", QVariant(), "not a picture");
        DwgForm form;
        QVERIFY(shown(form));
        expand(form, "A");
        QCOMPARE(form.slot(1)->toolTip(), QStringLiteral("推拉窗说明"));
        QCOMPARE(shownRecord(form), QStringLiteral("A|有说明|推拉窗说明"));
        QTest::mouseClick(form.slot(2), Qt::LeftButton);
        QCOMPARE(borderedSlots(form), QStringList {"Tu2"});
        QCOMPARE(form.slot(2)->toolTip(), QString());
        QCOMPARE(shownRecord(form), QStringLiteral("A|无说明|"));
        // A picture that cannot be decoded leaves an empty box that still selects.
        QVERIFY(form.slot(1)->hasPicture() && !form.slot(3)->hasPicture());
        QTest::mouseClick(form.slot(3), Qt::LeftButton);
        QCOMPARE(borderedSlots(form), QStringList {"Tu3"});
        QCOMPARE(form.caption(3)->text() + '|' + shownRecord(form), QStringLiteral("坏图片|A|坏图片|"));

        // Keyboard: arrows move the selection.
        form.slot(3)->setFocus();
        QTest::keyClick(form.slot(3), Qt::Key_Left);
        QCOMPARE(borderedSlots(form), QStringList {"Tu2"});
        QVERIFY(home.messages().shown().isEmpty());

        // Collapsing empties both frames and disables every command.
        expand(form, "A", false);
        QCOMPARE(pageState(form), QStringLiteral("||0000|0||000"));
        QCOMPARE(shownRecord(form), QStringLiteral("||"));
        QCOMPARE(child<QLabel>(&form, "Label1")->text(), QStringLiteral("门窗系列:"));
    }

    void modifyMovesARecordToAnotherSeries()
    {
        LibraryHome home({{"A", 3}, {"B", 2}});
        DwgForm form;
        QVERIFY(shown(form));
        expand(form, "A");
        QTest::mouseClick(form.slot(2), Qt::LeftButton);
        child<QLineEdit>(&form, "Text1")->setText("B");
        click(&form, "Command1");
        QCOMPARE(home.messages().texts(), QStringList {"记录修改成功!"});
        QCOMPARE(seriesNodes(form, true), QStringList {"B"});
        QCOMPARE(captions(form), (QStringList {"A2", "B1", "B2"}));
        QCOMPARE(pageState(form), QStringLiteral("共1页|第1页|0000|3|A2|111"));

        // A new series with an apostrophe gets its node and is shown.
        child<QLineEdit>(&form, "Text1")->setText("C'新");
        child<QLineEdit>(&form, "Text2")->setText("改名'1");
        click(&form, "Command1");
        // Series stand in the order of their first record.
        QCOMPARE(seriesNodes(form), (QStringList {"A", "C'新", "B"}));
        QCOMPARE(seriesNodes(form, true), QStringList {"C'新"});
        QCOMPARE(captions(form), QStringList {"改名'1"});
    }

    void deleteAndClearAskFirstAndLeaveNothingStale()
    {
        LibraryHome home({{"A", 1}, {"B", 2}});
        addPickEntry(home.library.db(), PickList::Colours, "白色");
        DwgForm form;
        QVERIFY(shown(form));
        expand(form, "A");
        for (const QString &button : QStringList {"Command2", "Command3"}) {
            home.messages().answerQuestion(false);
            click(&form, button);
        }
        QCOMPARE(home.messages().texts(),
            (QStringList {"确实要删除当前记录吗?", "确实要清除所有记录吗?此操作是不可逆的,请谨慎使用!"}));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM data", {}, home.library.db()).toInt(), 3);

        // The only record of A: its node goes, the first series is shown.
        home.messages().clear();
        home.messages().answerQuestion(true);
        click(&form, "Command2");
        QCOMPARE(home.messages().lastText(), QStringLiteral("记录删除成功!"));
        QCOMPARE(seriesNodes(form), QStringList {"B"});
        QCOMPARE(pageState(form), QStringLiteral("共1页|第1页|0000|2|B1|111"));

        // Removed meanwhile by another program: reported, no success claimed.
        sqlExec("DELETE FROM data WHERE xl = 'B1'", {}, home.library.db());
        home.messages().clear();
        click(&form, "Command1");
        QCOMPARE(home.messages().shown().size(), 1);
        QVERIFY(home.messages().lastText().startsWith("当前错误:图库中已没有编号为"));
        // Selecting it again says so too and leaves 修改 and 删除 nothing to act on.
        QTest::mouseClick(form.slot(1), Qt::LeftButton);
        QVERIFY(home.messages().lastText().startsWith("当前错误:图库中已没有编号为"));
        QCOMPARE(pageState(form), QStringLiteral("共1页|第1页|0000|2||001"));

        home.messages().answerQuestion(true);
        click(&form, "Command3");
        QCOMPARE(home.messages().lastText(), QStringLiteral("记录清除成功!"));
        QVERIFY(seriesNodes(form).isEmpty());
        QCOMPARE(pageState(form), QStringLiteral("||0000|0||000"));
        QVERIFY(!child<QLabel>(&form, "EmptyHint")->isHidden());
        QCOMPARE(readPickList(home.library.db(), PickList::Colours), QStringList {"白色"});
    }

    void importShowsTheNewRecord()
    {
        LibraryHome home({{"S", 21}});
        writeFile(home.file("new.png"), testPicture());
        setLibraryDialogRunner([&](QDialog *dialog) {
            child<QComboBox>(dialog, "Combo1")->setCurrentText("S");
            child<QLineEdit>(dialog, "Text3")->setText(home.file("new.png"));
            click(dialog, "Command1"); // no name yet
            child<QLineEdit>(dialog, "Text1")->setText("新模板");
            click(dialog, "Command1");
        });
        DwgForm form;
        QVERIFY(shown(form));
        click(&form, "Command8");
        setLibraryDialogRunner(nullptr);
        QCOMPARE(home.messages().texts(), (QStringList {"项目填写不完整!请填定完整后重试!", "数据添加成功!"}));
        QCOMPARE(pageState(form), QStringLiteral("共2页|第2页|1100|2|新模板|111"));
        QCOMPARE(borderedSlots(form), QStringList {"Tu2"});
    }

    void doubleClickWritesTheWorkbook()
    {
        LibraryHome home({});
        addLibraryRecord(home.library.db(), "A", "C/1", QVariant(), testPicture(), "PK\x03\x04 xl/workbook.xml");
        addLibraryRecord(home.library.db(), "A", "plain");
        DwgForm form;
        QVERIFY(shown(form));
        expand(form, "A");
        QTest::mouseDClick(form.slot(1), Qt::LeftButton);
        QTest::mouseDClick(form.slot(2), Qt::LeftButton);
        const QString path = home.file("temp1/C_1.xlsx");
        QCOMPARE(home.messages().texts(),
            (QStringList {"下料单工作簿已写入:\n" + QDir::toNativeSeparators(path), "此模板没有下料单工作簿!"}));
        QCOMPARE(readFile(path), QByteArray("PK\x03\x04 xl/workbook.xml"));
    }

    void itemEditorKeepsItsRules()
    {
        LibraryHome home({});
        XldItem form;
        QVERIFY(shown(form));
        QCOMPARE(form.windowTitle(), QStringLiteral("料单项目管理"));
        auto *combo1 = child<QComboBox>(&form, "Combo1");
        auto *combo2 = child<QComboBox>(&form, "Combo2");
        auto enabled = [&]() -> QString {
            return QString::number(child<QPushButton>(&form, "Command2")->isEnabled())
                + QString::number(child<QPushButton>(&form, "Command3")->isEnabled());
        };
        QCOMPARE(enabled(), QStringLiteral("00"));

        click(&form, "Command1"); // empty
        QCOMPARE(home.messages().shown().last().title, QStringLiteral(" 系统提示"));
        QCOMPARE(home.messages().lastText(), QStringLiteral("添加内容为空,请重试!"));

        child<QRadioButton>(&form, "Option2")->click();
        QVERIFY(combo2->isEnabled() && !combo1->isEnabled());
        combo2->setCurrentText("香槟色");
        click(&form, "Command1");
        QCOMPARE(home.messages().lastText(), QStringLiteral("记录添加成功!"));
        QVERIFY(child<QRadioButton>(&form, "Option1")->isChecked() && !combo2->isEnabled() && combo1->isEnabled());
        QCOMPARE(combo2->itemText(0), QStringLiteral("香槟色"));
        QCOMPARE(enabled(), QStringLiteral("00"));

        for (const QString &name : QStringList {"外框", "O'Neil", "外框"}) {
            combo1->setCurrentText(name);
            click(&form, "Command1");
        }
        QCOMPARE(enabled(), QStringLiteral("11"));
        QCOMPARE(form.selName(), QStringLiteral("外框"));
        // Pick O'Neil, type a new text: 修改 renames the picked entry.
        combo1->setCurrentIndex(1);
        emit combo1->activated(1);
        combo1->setCurrentText("压线");
        click(&form, "Command3");
        QCOMPARE(readPickList(home.library.db(), PickList::ItemNames), (QStringList {"外框", "压线", "外框"}));
        // A typed text is not what 删除 deletes: the entry chosen last (the first, at load) is.
        combo1->setCurrentText("压线");
        click(&form, "Command2");
        QCOMPARE(home.messages().lastText(), QStringLiteral("记录删除成功!"));
        QCOMPARE(readPickList(home.library.db(), PickList::ItemNames), (QStringList {"压线", "外框"}));
    }

    void toolbarOpensTheWindowsOrReportsTheMissingFolder()
    {
        LibraryHome home({{"S", 2}});
        Database::closeShared();
        MainForm main;
        main.startup({"tarvex"});
        main.actions().library->trigger();
        QVERIFY(IsFormLoaded("DwgForm"));
        main.actions().libraryItems->trigger();
        QVERIFY(!IsFormLoaded("DwgForm") && IsFormLoaded("xldItem"));

        appState().libraryFolder = home.file("nowhere");
        main.actions().library->trigger();
        QVERIFY(!IsFormLoaded("DwgForm") && !IsFormLoaded("xldItem"));
        QCOMPARE(home.messages().texts(),
            QStringList {"当前错误:图库文件夹不存在: " + QDir::toNativeSeparators(home.file("nowhere"))});
        main.actions().libraryItems->trigger();
        QVERIFY(!IsFormLoaded("xldItem"));
        QCOMPARE(home.messages().shown().size(), 2);
    }
};

QTEST_MAIN(TestLibraryWindows)
#include "tst_library.moc"
