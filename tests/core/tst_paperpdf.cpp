#include "clirun.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/document/pagerenderer.h"
#include "core/quote/paperpdf.h"
#include "core/quote/paperquotation.h"
#include "paperfixture.h"
#include "quotefixture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// Top of the text of a body line.
double lineTopOf(int index)
{
    return 0.6 + 0.3 * index;
}

// The texts of the pages that pdftotext does not find on their page, and
// any radical standing in for an ideograph.
QStringList textLayerFaults(const PageDocument &document, const QString &pdf)
{
    const QStringList pages = pdfText(pdf).split(QLatin1Char('\f'));
    QStringList faults;
    if (pages.size() != document.pages.size() + 1)
        faults.append(QStringLiteral("%1 pages of text").arg(pages.size() - 1));
    for (int k = 0; k < document.pages.size() && k < pages.size(); ++k) {
        for (const PageText &text : document.pages[k].texts) {
            if (!pages[k].contains(text.text.trimmed()))
                faults.append(QStringLiteral("page %1: %2").arg(k + 1).arg(text.text.trimmed()));
        }
    }
    for (QChar c : pages.join(QString())) {
        if (c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
            faults.append(QStringLiteral("radical ") + c);
    }
    return faults;
}

} // namespace

class TestPaperPdf : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    // Every text of every page comes back out of the PDF as it was written:
    // ideographs whose glyphs the radicals share (面, 门, 页, 长, 见, 风),
    // digits next to letters (Kg/m2, 5mm白玻, ST4.2×13).
    void pdfTextIsThePagesText_data()
    {
        QTest::addColumn<int>("scope");
        QTest::addColumn<QString>("project");
        QTest::addColumn<QStringList>("accessories"); // 名称, 规格, 技术要求
        QTest::newRow("CJK") << int(QuoteOptions::Scope::Series) << QStringLiteral("长风花园一期")
                             << QStringList({"门用风撑", "长款", "黑色面见光", "页面合页", "大号", "不锈钢"});
        QTest::newRow("digits") << int(QuoteOptions::Scope::Window) << QStringLiteral("2024-0815号")
                                << QStringList({"螺钉", "ST4.2×13", "304-A2-70", "胶条", "Φ12.5mm", "EPDM70"});
    }

    void pdfTextIsThePagesText()
    {
        QFETCH(int, scope);
        QFETCH(QString, project);
        QFETCH(QStringList, accessories);
        TestHome home(Demo::PricesAndProject);
        for (int i = 0; i + 2 < accessories.size(); i += 3) {
            sqlExec("INSERT INTO pjName (类别,名称,规格,技术要求,单位,单价,折扣量) VALUES ('五金',?,?,?,'个',12.35,1)",
                {accessories[i], accessories[i + 1], accessories[i + 2]});
            sqlExec("INSERT INTO PjTemp SELECT ID,?,?,?,2 FROM MjTemp",
                {accessories[i], accessories[i + 1], accessories[i + 2]});
        }
        QuoteRun run = demoQuoteRun(QuoteOptions::Scope(scope));
        run.options.project = project;
        run.result = calculateQuote(run.options, run.lcPriceString, NullPrices::Fail);
        const PageDocument document = buildPaperQuotation(run);
        QVERIFY(document.pages.size() >= 3);
        const QString path = home.file(QStringLiteral("quote.pdf"));
        writeQuotationPdf(run, path);
        if (!qEnvironmentVariableIsEmpty("TARVEX_KEEP_PDF"))
            QFile::copy(path, qEnvironmentVariable("TARVEX_KEEP_PDF") + QTest::currentDataTag() + ".pdf");

        const QString info = runTool(QStringLiteral("pdfinfo"), {path});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(document.pages.size()))),
            qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("612 x 792 pts (letter)")), qPrintable(info));
        QVERIFY(runTool(QStringLiteral("pdffonts"), {path}).contains(QStringLiteral("NotoSerifCJK")));
        QCOMPARE(textLayerFaults(document, path), QStringList());
    }

    // A text wider than its column is made smaller, then wrapped and cut
    // short: on the paper nothing reaches a vertical rule.
    void textsStayInsideTheirColumns()
    {
        QuoteItem item = paperItem(QStringLiteral("阳光花园60平开窗报价表"), 6);
        item.materials[2].name = QStringLiteral("6+12A+6Low-E中空玻璃");
        item.materials[1].price = 12345.678;
        item.materials[1].total = 98765432.109;
        item.materials[3].spec = QStringLiteral("1200×2400mm 钢化6+12A+6Low-E中空玻璃 超白加厚 双银");
        item.materials[3].remark = QStringLiteral("黑色阳极氧化处理,含锁芯");
        item.fees[0].name = QStringLiteral("工程管理及售后服务费用");
        const PageDocument document = buildPaperQuotation(paperRun({item}));
        const Page &page = document.pages.at(0);

        PageRenderer renderer;
        QImage paper(850, 1100, QImage::Format_RGB32);
        paper.fill(Qt::white);
        QPainter painter(&paper);
        const double dpi = 100;
        auto placed = [&](const QString &text) {
            for (const PageText &t : page.texts) {
                if (t.text.trimmed() == text)
                    return renderer.place(t, dpi, &paper);
            }
            return PageRenderer::Placed();
        };
        const PageRenderer::Placed glass = placed(QStringLiteral("6+12A+6Low-E中空玻璃"));
        QCOMPARE(glass.lines.size(), 1);
        QVERIFY2(glass.pointSize >= 7 && glass.pointSize < 10, qPrintable(QString::number(glass.pointSize)));
        const PageRenderer::Placed spec = placed(item.materials[3].spec);
        QCOMPARE(spec.lines.size(), 2);
        QCOMPARE(spec.pointSize, 7.0); // the smallest a cell text is printed
        QVERIFY2(spec.lines[1].text.endsWith(QChar(0x2026)), qPrintable(spec.lines[1].text));
        QCOMPARE(placed(QStringLiteral("98765432.109")).lines.size(), 1);

        Page textsOnly = page;
        textsOnly.lines.clear();
        renderer.drawPage(painter, textsOnly, dpi);
        painter.end();
        int inked = 0;
        for (int y = int(lineTopOf(7) * dpi); y < int(lineTopOf(8) * dpi); ++y) {
            for (int x = 0; x < paper.width(); ++x)
                inked += qGray(paper.pixel(x, y)) < 128;
        }
        QVERIFY(inked > 100); // the row of the long specification was drawn
        for (double rule : {1.15, 2.45, 3.75, 4.55, 5.35, 5.95, 6.95, 7.9}) {
            for (int y = int(1.1 * dpi); y < int(5.6 * dpi); ++y) {
                const int x = int(std::lround(rule * dpi));
                QVERIFY2(qGray(paper.pixel(x, y)) > 200,
                    qPrintable(QStringLiteral("ink on the rule at %1 in, %2 in").arg(rule).arg(y / dpi)));
            }
        }
    }

    void reportsWhatWentWrong()
    {
        QTemporaryDir dir;
        const QString missingFolder = dir.filePath(QStringLiteral("无此目录/报价.pdf"));
        const QString error = errorOf([&] { writeQuotationPdf(paperRun({paperItem("报价", 3)}), missingFolder); });
        QVERIFY2(error.startsWith(QStringLiteral("无法写入文件 ") + missingFolder), qPrintable(error));

        // An empty run leaves an existing file alone.
        const QString existing = dir.filePath(QStringLiteral("old.pdf"));
        writeFile(existing, "previous");
        QVERIFY(errorOf([&] { writeQuotationPdf(QuoteRun(), existing); }).contains("没有可以输出的报价数据"));
        QCOMPARE(readFile(existing), QByteArray("previous"));
    }

    void cliWritesThePdfOrSaysWhy()
    {
        TestHome home(Demo::PricesAndProject);
        const QString path = home.file(QStringLiteral("quote.pdf"));
        const QStringList args = {"quote", "--scope", "window", "--lc-price", "断桥铝型材/True/25", "--lc-price",
            "普通铝型材/False/21", "--pdf"};
        CliResult r = runCli(home, args + QStringList({path}));
        QVERIFY2(r.status == 0 && r.err.isEmpty(), qPrintable(r.err));
        // The first window's profile line as the page shows it.
        QVERIFY(pdfText(path).contains(
            QRegularExpression(QStringLiteral("断桥铝型材\\s+隔热材\\s+5.768\\s+Kg/m2\\s+25.000\\s+144.200"))));

        r = runCli(home, args + QStringList({home.file(QStringLiteral("none/q.pdf"))}));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("当前错误:无法写入文件 ")), qPrintable(r.err));
    }
};

QTEST_MAIN(TestPaperPdf)
#include "tst_paperpdf.moc"
