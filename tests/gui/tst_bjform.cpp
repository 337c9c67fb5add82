#include "core/common/db/database.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "gui/app/mainform.h"
#include "gui/common/dialogrunner.h"
#include "gui/common/singleline.h"
#include "gui/prices/missingpriceform.h"
#include "gui/prices/priceentry.h"
#include "gui/quote/bjform.h"
#include "testsupport.h"
#include "widgetsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace tarvex;
using namespace tarvex::test;

namespace {

QLineEdit *text(QWidget &form, int n)
{
    return child<QLineEdit>(&form, QStringLiteral("Text%1").arg(n));
}

QRadioButton *option(QWidget &form, int n)
{
    return child<QRadioButton>(&form, QStringLiteral("Option%1").arg(n));
}

QCheckBox *check(QWidget &form, int n)
{
    return child<QCheckBox>(&form, QStringLiteral("Check%1").arg(n));
}

// The lines of section cs1 of cs.ini, in file order.
QStringList cs1Lines()
{
    QFile file(iniPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    const int start = lines.indexOf(QStringLiteral("[cs1]"));
    QStringList section;
    for (int i = start + 1; start >= 0 && i < lines.size() && !lines[i].startsWith('['); ++i) {
        if (!lines[i].isEmpty())
            section.append(lines[i]);
    }
    return section;
}

// The dialog over the demo project and prices, its outputs recorded; the
// missing price lists it offers are counted and closed, or run by inList.
struct Quoting {
    TestHome home {Demo::PricesAndProject};
    BjForm form;
    struct {
        QList<QuoteRun> paperRuns;
        QList<QuoteRun> excelRuns;
    } outputs;
    int listsOffered = 0;
    std::function<void(MissingPriceForm *)> inList;
    Quoting()
    {
        form.setOutputs(
            [this](const QuoteRun &run) {
                outputs.paperRuns.append(run);
                return true;
            },
            [this](const QuoteRun &run, const std::function<void(int)> &progress) {
                outputs.excelRuns.append(run);
                progress(run.progressMaximum);
                return QStringLiteral("/tmp/quote.xlsx");
            });
        form.show();
        setDialogRunner([this](QDialog *dialog) {
            ++listsOffered;
            if (inList)
                inList(qobject_cast<MissingPriceForm *>(dialog));
            return dialog->result();
        });
    }
    ~Quoting() { setDialogRunner(nullptr); }
};

} // namespace

class TestBjForm : public QObject {
    Q_OBJECT

private slots:
    void optionsStartWithDefaultsAndAreSavedOnEveryClose()
    {
        TestHome home;
        {
            BjForm form;
            QCOMPARE(form.windowTitle(), QString("报价计算及输出"));
            QVERIFY(form.isModal());
            QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
            form.show();
            // First run: whole project, frame area, loss factors 1, empty titles.
            QVERIFY(option(form, 1)->isChecked() && option(form, 4)->isChecked());
            QCOMPARE(text(form, 1)->text() + text(form, 3)->text() + text(form, 4)->text(), QString("11"));
            for (int n = 6; n <= 8; ++n)
                QVERIFY(!text(form, n)->isEnabled());
            QVERIFY(child<QProgressBar>(&form, "ProBar")->isHidden());
            for (bool enabled : {true, false}) {
                check(form, 2)->click();
                QCOMPARE(text(form, 6)->isEnabled(), enabled);
            }

            option(form, 3)->setChecked(true);
            option(form, 5)->setChecked(true);
            text(form, 1)->setText(QString()); // an emptied box is written as empty
            text(form, 2)->setText("1.05");
            text(form, 4)->setText("某小区");
            check(form, 1)->setChecked(true);
            check(form, 3)->setChecked(true);
            text(form, 7)->setText("审核:");
            form.close(); // the window's close button
            QVERIFY(!form.isVisible());
        }
        QCOMPARE(cs1Lines(),
            QStringList({"tx1=", "tx2=1.05", "tx3=1", "tx4=某小区", "tx5=", "tx6=", "tx7=审核:", "tx8=", "op1=False",
                "op2=False", "op3=True", "op4=False", "op5=True", "ch1=1", "ch2=0", "ch3=1", "ch4=0"}));
        {
            BjForm form;
            form.show();
            QVERIFY(option(form, 3)->isChecked() && option(form, 5)->isChecked() && check(form, 1)->isChecked());
            // No first-run default any more.
            QCOMPARE(text(form, 1)->text() + '|' + text(form, 7)->text(), QString("|审核:"));
            QVERIFY(text(form, 7)->isEnabled() && !text(form, 6)->isEnabled());
            const QuoteOptions o = form.options();
            QVERIFY(o.scope == QuoteOptions::Scope::Window && o.areaBasis == QuoteOptions::AreaBasis::Opening);
            QVERIFY(o.sign[1] && !o.sign[0]);
            text(form, 5)->setText("报价单");
            click(&form, "Command3");
            QVERIFY(!form.isVisible());
        }
        QCOMPARE(ReadIni(iniPath(), "cs1", "tx5"), QString("报价单"));

        // The toolbar's way in: modal, closed here by its Esc key.
        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            wasModal = dialog && dialog->objectName() == "bjForm";
            if (dialog) {
                text(*dialog, 5)->setText("第三次");
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        });
        MainForm main;
        main.actions().quotation->trigger();
        QVERIFY(wasModal);
        QCOMPARE(ReadIni(iniPath(), "cs1", "tx5"), QString("第三次"));
        QCOMPARE(ReadIni(iniPath(), "sysPath", "path1"), QString()); // other sections kept
        QCOMPARE(cs1Lines().size(), 17);
    }

    void pastedLineBreaksBecomeBlanks()
    {
        TestHome home;
        installSingleLineBoxes(*qApp);
        {
            BjForm form;
            form.show();
            QGuiApplication::clipboard()->setText("阳光花园\r\n[sysPath]\npath1=/nowhere");
            text(form, 4)->setText("工程:");
            text(form, 4)->end(false);
            text(form, 4)->paste();
            QCOMPARE(text(form, 4)->text(), QString("工程:阳光花园 [sysPath] path1=/nowhere"));
            QCOMPARE(text(form, 4)->cursorPosition(), text(form, 4)->text().size());
            text(form, 5)->setText("报价\r单");
            QCOMPARE(text(form, 5)->text(), QString("报价 单"));
            form.close();
        }
        QCOMPARE(ReadIni(iniPath(), "cs1", "tx4"), QString("工程:阳光花园 [sysPath] path1=/nowhere"));
        QCOMPARE(ReadIni(iniPath(), "sysPath", "path1"), QString());
        QCOMPARE(cs1Lines().size(), 17);
    }

    void dataCheckRefusesOrAsks()
    {
        Quoting q;
        // The paper quotation refuses, the spreadsheet asks (answered No here),
        // except for a missing line weight; nothing runs.
        const struct {
            const char *sql, *button, *message;
        } steps[] = {
            {"DELETE FROM pjName WHERE 名称='滑轮'", "Command1", "附件数据中有记录末找到单价!"},
            {"", "Command2", "附件数据中有记录末找到单价!是否继续?"},
            {"DELETE FROM blName WHERE 名称='5mm白玻'", "Command1", "附件数据中有记录末找到单价!"},
            {"INSERT INTO pjName VALUES (9,'五金','滑轮','双轮',NULL,'个',4.2,1,NULL)", "Command2",
                "玻璃数据中有记录末找到单价!是否继续?"},
            {"UPDATE lcName SET 线重=NULL WHERE 代号='M503'", "Command1", "主材数据中有记录末找到线重!"},
            {"", "Command2", "主材数据中有记录末找到线重!"},
        };
        for (const auto &s : steps) {
            if (*s.sql)
                sqlExec(QString::fromUtf8(s.sql));
            q.home.messages().clear();
            click(&q.form, QString::fromUtf8(s.button));
            QCOMPARE(q.home.messages().texts(), QStringList({QString::fromUtf8(s.message)}));
            QVERIFY(q.form.isVisible() && child<QPushButton>(&q.form, "Command1")->isVisible());
        }
        QVERIFY(q.home.messages().shown().last().kind == ScriptedMessages::Kind::Warning);
        QCOMPARE(q.home.messages().shown().last().title, QString("系统提示"));
        QVERIFY(q.outputs.paperRuns.isEmpty() && q.outputs.excelRuns.isEmpty());
        // Every refusal, and every No, offered the missing price list.
        QCOMPARE(q.listsOffered, 6);
    }

    void missingPricesEnteredFromTheListLetTheQuotationGoOn()
    {
        Quoting q;
        sqlExec("DELETE FROM pjName WHERE 名称 IN ('滑轮','执手')");
        sqlExec("UPDATE lcName SET 线重=NULL WHERE 代号='M503'");
        QStringList seen;
        q.inList = [&](MissingPriceForm *list) {
            QVERIFY(list && list->windowTitle() == "缺价清单");
            // Each price entered from the list's first row, until none is missing.
            for (int round = 0; round < 5 && !list->items().isEmpty(); ++round) {
                seen.append(QString::number(list->list()->rowCount()) + ":" + list->list()->item(0, 1)->text());
                setEntryDialogRunner([&](QDialog *entry) {
                    // M503 keeps its record, only without 线重: that one is modified.
                    if (entry->objectName() == "inData")
                        typeInto(entry, {{"Text3", "0.2"}});
                    else
                        typeInto(entry, {{"Combo1", "五金"}, {"Text4", "个"}, {"Text5", "5"}, {"Text6", "1"}});
                    click(entry, "Command3");
                });
                emit list->list()->cellDoubleClicked(0, 0);
                setEntryDialogRunner(nullptr);
            }
        };
        click(&q.form, "Command1");
        QCOMPARE(seen, QStringList({"3:M503", "2:执手", "1:滑轮"}));
        QCOMPARE(q.listsOffered, 1);
        QCOMPARE(q.home.messages().texts().mid(0, 4),
            QStringList({"主材数据中有记录末找到线重!", "记录修改成功!", "记录添加成功!", "记录添加成功!"}));
        QCOMPARE(queryRows("SELECT 编号,线重 FROM lcName WHERE 代号='M503'"), QStringList({"10|0.2"}));
        // The new accessory records took the keys of the list's rows.
        QCOMPARE(queryRows("SELECT 名称,规格,技术要求,单价 FROM pjName WHERE 编号>5 ORDER BY 编号"),
            QStringList({"执手|7字型|黑色|5", "滑轮|双轮||5"}));
        QCOMPARE(q.outputs.paperRuns.size(), 1);
        QVERIFY(!q.form.isVisible());
    }

    void paperRunAsksPricesComputesAndCloses()
    {
        Quoting q;
        RecordingMessages messages;
        setMessageService(&messages);
        option(q.form, 2)->setChecked(true);
        text(q.form, 4)->setText("某小区");
        messages.answerInput(QString("20"));
        messages.answerInput(std::nullopt); // cancelled: 0
        click(&q.form, "Command1");

        QCOMPARE(messages.texts(),
            QStringList({"请输入第1种主材:断桥铝型材;隔热材的单价:", "请输入第1种主材:普通铝型材;非隔热材的单价:"}));
        QCOMPARE(messages.shown().first().title, QString("Tarvex"));
        QCOMPARE(messages.defaults, QStringList({"0", "0"}));
        QCOMPARE(q.outputs.paperRuns.size(), 1);
        const QuoteRun &run = q.outputs.paperRuns.first();
        QCOMPARE(run.lcPriceString, QString("断桥铝型材/True/20\\普通铝型材/False/0"));
        QCOMPARE(run.result.items.size(), 3);
        QCOMPARE(run.progressMaximum, 18);
        QCOMPARE(run.options.project, QString("某小区"));
        QVERIFY(!q.form.isVisible());
        QCOMPARE(ReadIni(iniPath(), "cs1", "op2"), QString("True"));
        setMessageService(&q.home.messages());
    }

    void excelRunGoesOnAfterYes()
    {
        Quoting q;
        sqlExec("DELETE FROM blName WHERE 名称='5mm白玻'");
        q.home.messages().answerQuestion(true);
        q.home.messages().answerInput(QString("20"));
        q.home.messages().answerInput(QString("15"));
        click(&q.form, "Command2");
        QCOMPARE(q.outputs.excelRuns.size(), 1);
        // The unpriced glass counts 0 and is named.
        QCOMPARE(q.home.messages().lastText(), QString("玻璃5mm白玻没有单价,按0计算"));
        QCOMPARE(child<QProgressBar>(&q.form, "ProBar")->value(), 11);
        QVERIFY(!q.form.isVisible());
    }

    void aFailedRunLeavesTheDialogAsItWas()
    {
        Quoting q;
        sqlExec("UPDATE MjTemp SET 框面积=0");
        const int width = q.form.width();
        click(&q.form, "Command1");
        QCOMPARE(q.home.messages().lastText(), QString("当前错误:门窗面积为0,无法计算每平方米的用量"));
        QVERIFY(q.outputs.paperRuns.isEmpty() && q.form.isVisible());
        QVERIFY(child<QPushButton>(&q.form, "Command1")->isHidden());
        QVERIFY(child<QProgressBar>(&q.form, "ProBar")->isVisible());
        // The progress bar takes the buttons' place without widening the dialog.
        q.form.layout()->activate();
        QCOMPARE(q.form.width(), width);
        // The close button still works and keeps the options.
        q.form.close();
        QVERIFY(!q.form.isVisible());
        QCOMPARE(cs1Lines().size(), 17);
    }
};

QTEST_MAIN(TestBjForm)
#include "tst_bjform.moc"
