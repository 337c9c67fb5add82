#include "../core/paperfixture.h"
#include "../core/xlsxread.h"
#include "core/common/db/database.h"
#include "core/quote/paperquotation.h"
#include "gui/app/mainform.h"
#include "gui/common/filedialogs.h"
#include "gui/document/pageview.h"
#include "gui/quote/bjshowform.h"
#include "gui/quote/quoteoutputs.h"
#include "quotefixture.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

using namespace tarvex;
using namespace tarvex::test;

namespace {

QuoteRun windowRun()
{
    QuoteRun run;
    run.options.scope = QuoteOptions::Scope::Window;
    run.options.sign[0] = true;
    run.options.signText[0] = QStringLiteral("制表:");
    run.result.items = {paperItem("C1报价表", 6), paperItem("C2报价表", 40), paperItem("M1报价表", 3)};
    return run;
}

QAction *button(QWidget *form, const char *name)
{
    return form->findChild<QAction *>(QString::fromLatin1(name));
}

} // namespace

class TestBjShowForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("TARVEX_NO_OPEN", "1"); }

    void previewFillsTheMainWindowAndPages()
    {
        TestHome home;
        Database::closeShared();
        MainForm main;
        main.startup({QStringLiteral("tarvex")});
        main.resize(1100, 820);
        main.show();
        const auto show = [&](const PageDocument &pages, const QString &title) { main.showPaperPreview(pages, title); };

        QVERIFY(showPaperQuotation(windowRun(), show));
        QMdiSubWindow *sub = main.mdiArea()->activeSubWindow();
        QVERIFY(sub);
        auto *form = qobject_cast<bjShowForm *>(sub->widget());
        QVERIFY(form);
        QCOMPARE(sub->geometry(), main.mdiArea()->viewport()->rect());

        auto *preview = form->findChild<PageView *>(QStringLiteral("Picture1"));
        auto *label = form->findChild<QLabel *>(QStringLiteral("PageLabel"));
        QCOMPARE(label->text(), QStringLiteral("第1页/共4页"));
        const std::pair<const char *, int> steps[]
            = {{"cmdNext", 2}, {"cmdLast", 4}, {"cmdNext", 4}, {"cmdFirst", 1}, {"cmdPrevious", 1}};
        for (const auto &[name, page] : steps) {
            button(form, name)->trigger();
            QCOMPARE(label->text(), QStringLiteral("第%1页/共4页").arg(page));
        }
        // The wheel past the end of a page turns it; the keys page too.
        QWheelEvent down(QPointF(10, 10), preview->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        preview->verticalScrollBar()->setValue(preview->verticalScrollBar()->maximum());
        QApplication::sendEvent(preview->viewport(), &down);
        QVERIFY(preview->currentPage() == 2 && preview->verticalScrollBar()->value() == 0);
        QTest::keyClick(preview, Qt::Key_End);
        QCOMPARE(label->text(), QStringLiteral("第4页/共4页"));
        QTest::keyClick(preview, Qt::Key_PageUp);
        QCOMPARE(preview->currentPage(), 3);
        button(form, "cmdFirst")->trigger();

        const qreal zoom = preview->zoomFactor();
        button(form, "cmdZoomIn")->trigger();
        QVERIFY(preview->zoomFactor() > zoom);
        button(form, "cmdFitWidth")->trigger();
        QCOMPARE(preview->zoomMode(), PageView::ZoomMode::FitToWidth);
        button(form, "cmdFitPage")->trigger();
        QCOMPARE(preview->zoomMode(), PageView::ZoomMode::FitInView);
        QVERIFY(preview->widget()->height() <= preview->viewport()->height());

        // A second quotation replaces the pages of the open preview.
        QuoteRun one = windowRun();
        one.result.items.resize(1);
        QVERIFY(showPaperQuotation(one, show));
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        QCOMPARE(label->text(), QStringLiteral("第1页/共1页"));
        QVERIFY(home.messages().shown().isEmpty());

        QVERIFY(!showPaperQuotation(QuoteRun(), show));
        QCOMPARE(home.messages().lastText(), QStringLiteral("当前错误:没有可以输出的报价数据(门窗面积为空)"));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Warning);
        QCOMPARE(preview->pageCount(), 1);
    }

    void exportsThePdf()
    {
        TestHome home;
        QTemporaryDir dir;
        bjShowForm form;
        form.setDocument(buildPaperQuotation(windowRun()), QStringLiteral("报价"));

        setNextFileName(QString());
        QVERIFY(!form.exportPdf());
        QVERIFY(home.messages().shown().isEmpty());

        setNextFileName(dir.filePath(QStringLiteral("阳光花园")));
        button(&form, "cmdPdf")->trigger();
        QCOMPARE(lastDialogFilter(), QStringLiteral("PDF 文件 (*.pdf)"));
        QCOMPARE(lastDialogTitle(), QStringLiteral("导出PDF"));
        QCOMPARE(home.messages().lastText(), QStringLiteral("保存文件成功!"));
        const QString text = pdfText(dir.filePath(QStringLiteral("阳光花园.pdf")));
        QCOMPARE(text.count(QLatin1Char('\f')), 4);
        QVERIFY(text.contains(QStringLiteral("共4页,第4页")));

        // Printing honours the range chosen in the print dialog.
        const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        if (!pdfinfo.isEmpty()) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
            printer.setFullPage(true);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 3);
            form.printPages(&printer);
            QProcess info;
            info.start(pdfinfo, {printer.outputFileName()});
            QVERIFY(info.waitForFinished());
            QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                        .contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
        }

        const QString bad = dir.filePath(QStringLiteral("无此目录/x.pdf"));
        setNextFileName(bad);
        QVERIFY(!form.exportPdf());
        QVERIFY(home.messages().lastText().startsWith(QStringLiteral("当前错误:无法写入文件 ")));
    }

    void writesIntoTemp1AndSaysWhere()
    {
        TestHome home(Demo::PricesAndProject);
        QuoteRun run = demoQuoteRun(QuoteOptions::Scope::Series);
        run.options.project = QStringLiteral("演示/工程");
        int rows = 0;
        for (const QuoteItem &item : run.result.items)
            rows += int(item.materials.size());
        const qsizetype items = run.result.items.size();
        int last = 0;
        const QString path = writeExcelQuotation(QuoteRun(run), [&](int n) { last = n; });
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(home.file(QStringLiteral("temp1"))).absolutePath());
        QVERIFY2(QFileInfo(path).fileName().startsWith(QStringLiteral("演示_工程门窗报价单-")), qPrintable(path));
        QVERIFY(path.endsWith(QStringLiteral(".xlsx")));
        QCOMPARE(home.messages().texts(),
            QStringList({QStringLiteral("报价数据输出完成!\n") + QDir::toNativeSeparators(path)}));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Information);
        QCOMPARE(last, rows);
        QCOMPARE(XlsxBook(path).sheetNames().size(), 1 + items);

        // A second run in the same second does not overwrite the first.
        const QString again = writeExcelQuotation(std::move(run), {});
        QVERIFY(!again.isEmpty() && again != path && QFile::exists(path));
    }

    void aFailureIsReportedAndNothingIsClaimed()
    {
        TestHome home(Demo::PricesAndProject);
        QuoteRun run = demoQuoteRun(QuoteOptions::Scope::Whole);
        // temp1 cannot be made: a plain file holds its name.
        QDir(home.file(QStringLiteral("temp1"))).removeRecursively();
        writeFile(home.file(QStringLiteral("temp1")), "blocker");
        QCOMPARE(writeExcelQuotation(std::move(run), {}), QString());
        QCOMPARE(home.messages().shown().size(), 1);
        QVERIFY2(home.messages().lastText().startsWith(QStringLiteral("当前错误:无法创建文件夹")),
            qPrintable(home.messages().lastText()));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Warning);
    }
};

QTEST_MAIN(TestBjShowForm)
#include "tst_bjshowform.moc"
