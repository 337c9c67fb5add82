#include "app/mainform.h"
#include "common/database.h"
#include "common/filedialogs.h"
#include "document/pageview.h"
#include "quote/bjshowform.h"
#include "quote/paperquotation.h"
#include "quote/quoteoutputs.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
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

QuoteItem item(const QString &title, int rows)
{
    QuoteItem it;
    it.title = title;
    it.area = 8.64;
    QuoteMaterialRow r;
    r.kind = QuoteMaterialRow::Kind::Accessory;
    r.name = QStringLiteral("合页");
    r.spec = QStringLiteral("4寸");
    r.qty = 0.926;
    r.unit = QStringLiteral("个/m2");
    r.price = 6.5;
    r.total = 6.019;
    it.materials.fill(r, rows);
    QuoteFeeRow fee;
    fee.name = QStringLiteral("安装费");
    fee.rate = fee.value = 35;
    it.fees.append(fee);
    it.unitPrice = 35 + 6.019 * rows;
    it.totalPrice = it.unitPrice * it.area;
    return it;
}

QuoteRun windowRun()
{
    QuoteRun run;
    run.options.scope = QuoteOptions::Scope::Window;
    run.options.sign[0] = true;
    run.options.signText[0] = QStringLiteral("制表:");
    run.result.items = {
        item(QStringLiteral("C1报价表"), 6), item(QStringLiteral("C2报价表"), 40), item(QStringLiteral("M1报价表"), 3)};
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
    void previewFillsTheMainWindowAndPages()
    {
        TestHome home;
        Database::closeShared();
        MainForm main;
        main.startup({QStringLiteral("tarvex")});
        main.resize(1100, 820);
        main.show();

        QVERIFY(showPaperQuotation(windowRun()));
        QMdiSubWindow *sub = main.mdiArea()->activeSubWindow();
        QVERIFY(sub);
        auto *form = qobject_cast<bjShowForm *>(sub->widget());
        QVERIFY(form);
        QCOMPARE(sub->geometry(), main.mdiArea()->viewport()->rect());

        auto *preview = form->findChild<PageView *>(QStringLiteral("Picture1"));
        auto *label = form->findChild<QLabel *>(QStringLiteral("PageLabel"));
        QCOMPARE(preview->pageCount(), 4);
        QCOMPARE(label->text(), QStringLiteral("第1页/共4页"));
        button(form, "cmdNext")->trigger();
        QCOMPARE(preview->currentPage(), 2);
        QCOMPARE(label->text(), QStringLiteral("第2页/共4页"));
        button(form, "cmdLast")->trigger();
        button(form, "cmdNext")->trigger();
        QCOMPARE(preview->currentPage(), 4);
        button(form, "cmdFirst")->trigger();
        button(form, "cmdPrevious")->trigger();
        QCOMPARE(preview->currentPage(), 1);
        // The wheel past the end of a page turns it; the keys page too.
        QWheelEvent down(QPointF(10, 10), preview->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        preview->verticalScrollBar()->setValue(preview->verticalScrollBar()->maximum());
        QApplication::sendEvent(preview->viewport(), &down);
        QCOMPARE(preview->currentPage(), 2);
        QCOMPARE(preview->verticalScrollBar()->value(), 0);
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
        QVERIFY(showPaperQuotation(one));
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        QCOMPARE(preview->pageCount(), 1);
        QCOMPARE(label->text(), QStringLiteral("第1页/共1页"));
        QVERIFY(home.messages().shown().isEmpty());

        QVERIFY(!showPaperQuotation(QuoteRun()));
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
        QFileInfo written(dir.filePath(QStringLiteral("阳光花园.pdf")));
        QVERIFY(written.exists());
        QVERIFY(written.size() > 1000);

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
};

QTEST_MAIN(TestBjShowForm)
#include "tst_bjshowform.moc"
