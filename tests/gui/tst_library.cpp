#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/library/libraryfile.h"
#include "core/library/picklists.h"
#include "gui/app/mainform.h"
#include "gui/common/forms.h"
#include "gui/common/qtmessages.h"
#include "gui/library/dwgform.h"
#include "gui/library/dwgimport.h"
#include "gui/library/imagebox.h"
#include "gui/library/xlditem.h"
#include "librarysupport.h"
#include "testsupport.h"
#include "widgetsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
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

    void staysWithTheRecordWorkedOn()
    {
        LibraryHome home({{"S", 65}, {"R", 2}});
        DwgForm form;
        QVERIFY(shown(form));
        expand(form, "S");
        click(&form, "Command6");
        click(&form, "Command6");
        QTest::mouseClick(form.slot(4), Qt::LeftButton);
        child<QPlainTextEdit>(&form, "Text3")->setPlainText("改过的说明");
        click(&form, "Command1");
        QCOMPARE(home.messages().texts(), QStringList {"记录修改成功!"});
        QCOMPARE(pageState(form), QStringLiteral("共4页|第3页|1111|20|S44|111"));
        QCOMPARE(borderedSlots(form), QStringList {"Tu4"});
        QCOMPARE(form.slot(4)->toolTip(), QStringLiteral("改过的说明"));

        // A template chosen in the tree: its picture, on its page.
        QTreeWidgetItem *series = form.tree()->findItems("S", Qt::MatchExactly).first();
        for (const auto &[name, state] : QList<QPair<QString, QString>> {
                 {"S62", "共4页|第4页|1100|5|S62|111"}, {"S3", "共4页|第1页|0011|20|S3|111"}}) {
            QTreeWidgetItem *item = nullptr;
            for (int i = 0; i < series->childCount(); ++i)
                if (series->child(i)->text(0) == name)
                    item = series->child(i);
            QVERIFY(item);
            form.tree()->scrollToItem(item);
            QTest::mouseClick(form.tree()->viewport(), Qt::LeftButton, {}, form.tree()->visualItemRect(item).center());
            QCOMPARE(pageState(form), state);
        }
        QCOMPARE(borderedSlots(form), QStringList {"Tu3"});
        // With another series shown, a template of S brings S back.
        expand(form, "R");
        QCOMPARE(pageState(form), QStringLiteral("共1页|第1页|0000|2|R1|111"));
        form.showTemplate("S", "S25");
        QCOMPARE(pageState(form), QStringLiteral("共4页|第2页|1111|20|S25|111"));
        QCOMPARE(home.messages().shown().size(), 1);
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
        QVERIFY(home.messages().lastText().startsWith("记录清除成功!\n清除前的记录已备份至: "));
        QVERIFY(seriesNodes(form).isEmpty());
        QCOMPARE(pageState(form), QStringLiteral("||0000|0||000"));
        QVERIFY(!child<QLabel>(&form, "EmptyHint")->isHidden());
        QCOMPARE(readPickList(home.library.db(), PickList::Colours), QStringList {"白色"});
    }

    void enterAnswersNoAndClearingKeepsACopy()
    {
        LibraryHome home({{"A", 2}});
        QtMessages onScreen;
        setMessageService(&onScreen);
        DwgForm form;
        QVERIFY(shown(form));
        expand(form, "A");
        QStringList defaults;
        for (const QString &button : QStringList {"Command2", "Command3"}) {
            // The question as it is shown, answered by Enter.
            QTimer::singleShot(0, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                defaults.append(QString::number(box->standardButton(box->defaultButton()) == QMessageBox::No)
                    + QString::number(box->icon() == QMessageBox::Question));
                QTest::keyClick(box, Qt::Key_Return);
            });
            click(&form, button);
        }
        setMessageService(&home.messages());
        QCOMPARE(defaults, (QStringList {"11", "11"}));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM data", {}, home.library.db()).toInt(), 2);

        home.messages().answerQuestion(true);
        click(&form, "Command3");
        const QStringList lines = home.messages().lastText().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("记录清除成功!"));
        const QString copy = lines[1].mid(QStringLiteral("清除前的记录已备份至: ").size());
        QVERIFY2(lines[1].startsWith("清除前的记录已备份至: " + home.file("xltDb-备份-")), qPrintable(lines[1]));
        LibraryConnection kept(copy);
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM data", {}, kept.db()).toInt(), 2);
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
        addPickEntry(home.library.db(), PickList::Colours, "白色");
        XldItem form;
        QVERIFY(shown(form));
        QCOMPARE(form.windowTitle(), QStringLiteral("料单项目管理"));
        auto *combo1 = child<QComboBox>(&form, "Combo1");
        auto *combo2 = child<QComboBox>(&form, "Combo2");
        auto state = [&]() -> QString {
            return QString::number(child<QRadioButton>(&form, "Option1")->isChecked())
                + QString::number(combo1->isEnabled()) + QString::number(combo2->isEnabled())
                + QString::number(child<QPushButton>(&form, "Command2")->isEnabled())
                + QString::number(child<QPushButton>(&form, "Command3")->isEnabled());
        };
        // Delete and rename follow the list worked on: colours can be kept
        // while there is no item name.
        QCOMPARE(state(), QStringLiteral("11000"));
        child<QRadioButton>(&form, "Option2")->click();
        QCOMPARE(state(), QStringLiteral("00111"));

        combo2->setCurrentText(" ");
        click(&form, "Command1");
        const ScriptedMessages::Shown empty = home.messages().shown().last();
        QVERIFY(empty.kind == ScriptedMessages::Kind::Notice);
        QCOMPARE(empty.title + empty.text, QStringLiteral(" 系统提示添加内容为空,请重试!"));

        // After adding a colour the dialog stays on the colours, the new one chosen.
        combo2->setCurrentText("香槟色");
        click(&form, "Command1");
        QCOMPARE(home.messages().lastText(), QStringLiteral("记录添加成功!"));
        QCOMPARE(state() + combo2->currentText() + form.selColour(), QStringLiteral("00111香槟色香槟色"));
        QCOMPARE(comboItems(combo2), (QStringList {"白色", "香槟色"}));

        // Enter in the entry field adds, as 添加 does.
        child<QRadioButton>(&form, "Option1")->click();
        for (const QString &name : QStringList {"外框", "O'Neil", "外框"}) {
            combo1->setCurrentText(name);
            QTest::keyClick(combo1->lineEdit(), Qt::Key_Return);
        }
        QCOMPARE(readPickList(home.library.db(), PickList::ItemNames), (QStringList {"外框", "O'Neil", "外框"}));
        QCOMPARE(state(), QStringLiteral("11011"));
        // Pick O'Neil, type a new text: 修改 renames the picked entry, which stays chosen.
        choose(combo1, "O'Neil");
        combo1->setCurrentText("压线");
        click(&form, "Command3");
        QCOMPARE(readPickList(home.library.db(), PickList::ItemNames), (QStringList {"外框", "压线", "外框"}));
        QCOMPARE(combo1->currentText() + form.selName(), QStringLiteral("压线压线"));

        // 删除 takes the entry the list shows, after asking: a typed text that
        // is no entry deletes nothing, and No keeps it.
        home.messages().clear();
        combo1->setCurrentText("不存在的项");
        click(&form, "Command2");
        combo1->setCurrentText("压线");
        click(&form, "Command2");
        QCOMPARE(home.messages().texts(),
            (QStringList {
                "项目名称列表中没有“不存在的项”, 没有删除任何记录!", "是否确定要删除当前记录?\n项目名称: 压线"}));
        QVERIFY(home.messages().shown().first().kind == ScriptedMessages::Kind::Warning);
        QCOMPARE(readPickList(home.library.db(), PickList::ItemNames), (QStringList {"外框", "压线", "外框"}));
        home.messages().answerQuestion(true);
        click(&form, "Command2");
        QCOMPARE(home.messages().lastText(), QStringLiteral("记录删除成功!"));
        QCOMPARE(readPickList(home.library.db(), PickList::ItemNames), (QStringList {"外框", "外框"}));
    }

    void itemEditorAndSettingsByKeyboard()
    {
        LibraryHome home({});
        addPickEntry(home.library.db(), PickList::ItemNames, "外框");
        addPickEntry(home.library.db(), PickList::Colours, "白色");
        XldItem items;
        QVERIFY(shown(items));
        QVERIFY(QTest::qWaitForWindowActive(&items));
        // Each list after its option, then the commands; the list not worked on is passed over.
        const QStringList controls
            = {"Option1", "Combo1", "Option2", "Combo2", "Command1", "Command2", "Command3", "Command4"};
        QCOMPARE(tabOrder(&items, controls),
            (QStringList {"Option1", "Combo1", "Option2", "Command1", "Command2", "Command3", "Command4"}));
        child<QRadioButton>(&items, "Option2")->click();
        QCOMPARE(tabOrder(&items, controls),
            (QStringList {"Option1", "Option2", "Combo2", "Command1", "Command2", "Command3", "Command4"}));
        QTest::keyClick(child<QComboBox>(&items, "Combo2"), Qt::Key_Escape);
        QVERIFY(!items.isVisible());

        MainForm main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.actions().settings->trigger();
        auto *settings = main.findChild<QWidget *>("setForm");
        QVERIFY(settings);
        QCOMPARE(tabOrder(settings, {"Text1", "Command3", "Text2", "Command4", "Combo1", "Command1", "Command2"}),
            (QStringList {"Text1", "Command3", "Text2", "Command4", "Combo1", "Command1", "Command2"}));
        // A small window of its own size offers no maximize button.
        QVERIFY(!settings->parentWidget()->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
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

        // A folder without the library file: named, and no empty library made there.
        QDir(home.path()).mkdir("empty");
        appState().libraryFolder = home.file("empty");
        home.messages().clear();
        main.actions().library->trigger();
        main.actions().libraryItems->trigger();
        QVERIFY(!IsFormLoaded("DwgForm") && !IsFormLoaded("xldItem"));
        QCOMPARE(home.messages().texts(),
            QStringList(2,
                "当前错误:图库文件夹 " + QDir::toNativeSeparators(home.file("empty"))
                    + " 中没有图库文件 xltDb.sqlite"));
        QVERIFY(!QFile::exists(home.file("empty/xltDb.sqlite")));
    }

    void picturesFitTheWindowAt1024By768()
    {
        LibraryHome home({{"S", 20}});
        MainForm main;
        main.resize(1024, 768);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.actions().library->trigger();
        auto *form = main.openChild<DwgForm>();
        QVERIFY(form);
        expand(*form, "S");
        QWidget *client = main.mdiArea()->viewport();
        for (int n : {5, 10, 15, 20}) {
            const QRect box(form->slot(n)->mapTo(client, QPoint(0, 0)), form->slot(n)->size());
            QVERIFY2(client->rect().contains(box) && !box.isEmpty(), qPrintable(QString::number(n)));
            const QRect caption(form->caption(n)->mapTo(client, QPoint(0, 0)), form->caption(n)->size());
            QVERIFY(client->rect().contains(caption));
        }
        for (const QString &button : QStringList {"Command1", "Command3", "Command7"}) {
            QWidget *w = child<QWidget>(form, button);
            QVERIFY(client->rect().contains(QRect(w->mapTo(client, QPoint(0, 0)), w->size())));
        }
    }
};

QTEST_MAIN(TestLibraryWindows)
#include "tst_library.moc"
