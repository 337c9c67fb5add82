#include "core/common/db/database.h"
#include "core/common/io/ini.h"
#include "core/cutting/cutpages.h"
#include "gui/app/mainform.h"
#include "gui/common/filedialogs.h"
#include "gui/common/flexgrid.h"
#include "gui/cutting/cutbarsview.h"
#include "gui/cutting/cutform.h"
#include "gui/cutting/remnantform.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// The window as the user reaches it: the viewer opened on the demo project
// enables "下料优化", which opens the window.
CutForm *openCutForm(MainForm &main)
{
    main.show();
    main.actions().viewData->trigger();
    if (!main.actions().cuttingPlan->isEnabled())
        return nullptr;
    main.actions().cuttingPlan->trigger();
    return main.findChild<CutForm *>(QStringLiteral("CutForm"));
}

bool computeAndWait(CutForm *form)
{
    QSignalSpy done(form, &CutForm::computed);
    return form->compute() && done.wait(20000);
}

} // namespace

class TestCutForm : public QObject {
    Q_OBJECT

private slots:
    void plansTheDemoProject()
    {
        qputenv("TARVEX_NO_OPEN", "1");
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        MainForm main;
        CutForm *form = openCutForm(main);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("下料优化"));

        // A stock length of its own for the first code, kept in lcStock.
        auto *grid = form->findChild<FlexGrid *>(QStringLiteral("Flex1"));
        QCOMPARE(grid->textMatrix(1, 0), QStringLiteral("KF601"));
        home.messages().answerInput(QStringLiteral("6.5"));
        grid->setRow(1);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(queryRows("SELECT 代号, 定尺 FROM lcStock"), QStringList {"KF601|6.5"});
        QCOMPARE(grid->textMatrix(1, 2), QStringLiteral("6.5"));
        // An empty answer gives the code the default again; a bad one changes nothing.
        for (const QString &answer : {QStringLiteral(""), QStringLiteral("0"), QStringLiteral("6.5")}) {
            home.messages().answerInput(answer);
            form->editStock(2);
        }
        QVERIFY(home.messages().texts().contains(QStringLiteral("定尺必须大于0: KF602")));
        QCOMPARE(queryRows("SELECT 代号, 定尺 FROM lcStock"), QStringList({"KF601|6.5", "KF602|6.5"}));
        home.messages().answerInput(QString());
        form->editStock(2);
        QCOMPARE(queryRows("SELECT 代号 FROM lcStock"), QStringList {"KF601"});

        // A refused box says which and keeps cs.ini as it was.
        form->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("abc"));
        QVERIFY(!form->compute());
        QCOMPARE(home.messages().lastText(), QStringLiteral("锯缝不是数字: \"abc\""));
        form->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("0.004"));

        QVERIFY(computeAndWait(form));
        QCOMPARE(ReadIni(home.file("cs.ini"), "cut", "kerf"), QStringLiteral("0.004"));
        const CutPlan &plan = form->plan();
        QCOMPARE(plan.codes.size(), 11);
        QCOMPARE(plan.codes[0].stockMetres(), 6.5);
        int cuts = 0;
        for (const CodePlan &code : plan.codes) {
            cuts += code.pieces.size();
            QVERIFY(code.proven());
        }
        QCOMPARE(cuts, 100);
        auto *summary = form->findChild<QTableView *>(QStringLiteral("Flex2"));
        QCOMPARE(summary->model()->rowCount(), 11);
        QCOMPARE(summary->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("利用率 %"));
        auto *bars = form->findChild<CutBarsView *>(QStringLiteral("Picture1"));
        QCOMPARE(bars->code().code, QStringLiteral("KF601"));
        summary->selectRow(2);
        QCOMPARE(bars->code().code, plan.codes[2].code);
        QVERIFY(!bars->grab().isNull());

        // The three outputs.
        setNextFileName(home.file("plan"));
        QVERIFY(form->exportPdf());
        const QString pdf = pdfText(home.file("plan.pdf"));
        QVERIFY(pdf.contains("下料优化") && pdf.contains("下料清单 KF601"));
        QCOMPARE(pdf.count('\f'), cutPlanPages(plan).pages.size());
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(home.file("printed.pdf"));
        QVERIFY(form->printTo(&printer));
        const QString workbook = form->exportWorkbook();
        QVERIFY(workbook.endsWith(".xlsx") && readFile(workbook).startsWith("PK"));

        // 确认下料 asks first; No records nothing, Yes keeps the long offcuts.
        auto *confirm = form->findChild<QPushButton *>(QStringLiteral("Command5"));
        QVERIFY(confirm->isEnabled());
        QVERIFY(!form->confirmCut());
        QVERIFY(home.messages().lastText().startsWith(QStringLiteral("是否确认按此方案下料?")));
        QCOMPARE(queryRows("SELECT COUNT(*) FROM lcRemnant"), QStringList {"0"});
        home.messages().answerQuestion(true);
        QVERIFY(form->confirmCut());
        QVERIFY(!confirm->isEnabled());
        const QStringList kept = queryRows("SELECT ID FROM lcRemnant ORDER BY 代号, 长度 DESC, ID");
        QVERIFY(!kept.isEmpty());

        // The same plan (without the remnants) confirmed again from another
        // window asks once more; No keeps the stock as it is.
        CutForm again;
        again.findChild<QCheckBox *>(QStringLiteral("Check1"))->setChecked(false);
        QVERIFY(computeAndWait(&again));
        home.messages().answerQuestion(true);
        QVERIFY(!again.confirmCut());
        QVERIFY2(home.messages().lastText().contains(QStringLiteral("确认过 (工程 ")),
            qPrintable(home.messages().lastText()));
        QVERIFY(home.messages().lastText().endsWith(QStringLiteral("是否仍要再次确认?")));
        QCOMPARE(queryRows("SELECT ID FROM lcRemnant ORDER BY 代号, 长度 DESC, ID"), kept);

        // The remnant window lists them; a deletion asks, and No keeps the row.
        RemnantForm remnants(form);
        QCOMPARE(remnants.grid()->rows() - 1, kept.size());
        remnants.grid()->setRow(1);
        QVERIFY(!remnants.removeRemnant());
        QCOMPARE(home.messages().lastText(), QStringLiteral("是否确定要删除当前记录?"));
        home.messages().answerQuestion(true);
        QVERIFY(remnants.removeRemnant());
        QCOMPARE(queryRows("SELECT ID FROM lcRemnant ORDER BY 代号, 长度 DESC, ID"), kept.mid(1));
    }

    void remnantWindowInThePlanUnit_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("mm") << ""
                            << "1234.5"
                            << "1234.5";
        QTest::newRow("m") << "m"
                           << "1.2345"
                           << "1.2345";
    }

    // Lengths are typed and shown in cs.ini's cut/unit, kept in metres.
    void remnantWindowInThePlanUnit()
    {
        QFETCH(QString, unit);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TestHome home;
        if (!unit.isEmpty())
            QVERIFY(WriteIni(home.file("cs.ini"), "cut", "unit", unit));
        sqlExec("INSERT INTO lcRemnant (代号, 长度, 工程, 日期) VALUES ('KF601', 2.1, 'P', '2026-01-05')");
        RemnantForm form;
        const QString name = unit.isEmpty() ? QStringLiteral("mm") : unit;
        QCOMPARE(form.grid()->headerText(2), QStringLiteral("长度") + name);
        QCOMPARE(form.grid()->textMatrix(1, 2), unit.isEmpty() ? QStringLiteral("2100") : QStringLiteral("2.1"));
        form.grid()->setRow(1);
        auto *box = form.findChild<QLineEdit *>(QStringLiteral("Text2"));
        QCOMPARE(box->text(), form.grid()->textMatrix(1, 2));
        box->setText(typed);
        QVERIFY(form.updateRemnant());
        QCOMPARE(queryRows("SELECT 长度 FROM lcRemnant"), QStringList {"1.2345"});
        QCOMPARE(form.grid()->textMatrix(1, 2), shown);
        box->setText("x");
        QVERIFY(!form.updateRemnant());
        QCOMPARE(home.messages().lastText(), QStringLiteral("长度(%1)不是数字: \"x\"").arg(name));
    }

    void emptyProjectAndDisabledButton()
    {
        TestHome home;
        MainForm main;
        main.startup({QStringLiteral("tarvex")});
        QVERIFY(!main.actions().cuttingPlan->isEnabled());
        CutForm form;
        QVERIFY(computeAndWait(&form));
        QVERIFY(form.plan().codes.isEmpty());
        QCOMPARE(home.messages().lastText(), QStringLiteral("工程中没有主材切割数据"));
        QVERIFY(!form.findChild<QPushButton *>(QStringLiteral("Command3"))->isEnabled());
    }
};

QTEST_MAIN(TestCutForm)
#include "tst_cutform.moc"
