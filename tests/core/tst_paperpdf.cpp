#include "cli.h"
#include "common/database.h"
#include "common/error.h"
#include "common/numbers.h"
#include "document/pagerenderer.h"
#include "quote/paperpdf.h"
#include "quote/paperquotation.h"
#include "quotefixture.h"
#include "testsupport.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

using Kind = QuoteMaterialRow::Kind;

QuoteMaterialRow row(Kind kind, const QString &name, const QString &spec, double qty, const QString &unit, double price,
    const QString &remark = QString())
{
    QuoteMaterialRow r;
    r.kind = kind;
    r.name = name;
    r.spec = spec;
    r.thermal = spec == QStringLiteral("隔热材");
    r.qty = qty;
    r.unit = unit;
    r.price = price;
    r.total = Round(qty * price, 3);
    r.remark = remark;
    return r;
}

// One series of the demo project, with the demo fees and figures worked
// out as the calculation does.
QuoteItem series(const QString &name, double area, const QVector<QuoteMaterialRow> &rows)
{
    QuoteItem it;
    it.name = name;
    it.title = QStringLiteral("阳光花园") + name + QStringLiteral("报价表");
    it.area = area;
    it.materials = rows;
    for (int i = 0; i < rows.size(); ++i) {
        it.materials[i].serial = i + 1;
        it.materialTotal += rows[i].total;
    }
    const struct {
        const char *name;
        bool percentage;
        double rate;
    } fees[] = {{"安装费", false, 35}, {"运输费", false, 12}, {"管理费", true, 5}, {"利润", true, 8}};
    for (const auto &f : fees) {
        QuoteFeeRow fee;
        fee.serial = it.fees.size() + 1;
        fee.name = QString::fromUtf8(f.name);
        fee.isPercentage = f.percentage;
        fee.rate = f.rate;
        fee.value = f.percentage ? Round(f.rate / 100 * it.materialTotal, 3) : f.rate;
        it.feeTotal += fee.value;
        it.fees.append(fee);
    }
    it.unitPrice = Round(it.materialTotal + it.feeTotal, 3);
    it.totalPrice = Round((it.materialTotal + it.feeTotal) * area, 3);
    return it;
}

QuoteRun demoRun()
{
    QuoteRun run;
    run.options.scope = QuoteOptions::Scope::Series;
    run.options.sign[0] = run.options.sign[1] = run.options.sign[2] = true;
    run.options.signText[0] = QStringLiteral("制表:");
    run.options.signText[1] = QStringLiteral("审核:");
    run.options.signText[2] = QStringLiteral("客户签字:");
    const QString kg = QStringLiteral("Kg/m2");
    const QString m2 = QStringLiteral("m2/m2");
    run.result.items = {
        series(QStringLiteral("60平开窗"), 9.18,
            {row(Kind::Profile, QStringLiteral("断桥铝型材"), QStringLiteral("隔热材"), 5.874, kg, 32.5),
                row(Kind::Profile, QStringLiteral("普通铝型材"), QStringLiteral("非隔热材"), 0.583, kg, 23),
                row(Kind::Glass, QStringLiteral("6+12A+6Low-E中空玻璃"), QString(), 0.812, m2, 151.2),
                row(Kind::Accessory, QStringLiteral("执手"), QStringLiteral("7字型"), 0.436, QStringLiteral("个/m2"),
                    25.2, QStringLiteral("黑色")),
                row(Kind::Accessory, QStringLiteral("合页"), QStringLiteral("4寸"), 0.871, QStringLiteral("个/m2"), 6.5,
                    QStringLiteral("不锈钢")),
                row(Kind::Accessory, QStringLiteral("密封胶条"), QStringLiteral("EPDM"), 6.425, QStringLiteral("米/m2"),
                    1.6)}),
        series(QStringLiteral("70推拉窗"), 10.35,
            {row(Kind::Profile, QStringLiteral("普通铝型材"), QStringLiteral("非隔热材"), 4.962, kg, 23),
                row(Kind::Glass, QStringLiteral("5mm白玻"), QString(), 0.846, m2, 38),
                row(Kind::Accessory, QStringLiteral("滑轮"), QStringLiteral("双轮"), 0.773, QStringLiteral("个/m2"),
                    4.2),
                row(Kind::Accessory, QStringLiteral("月牙锁"), QStringLiteral("标准"), 0.387, QStringLiteral("个/m2"),
                    9.31)}),
        series(QStringLiteral("50平开门"), 4.83,
            {row(Kind::Profile, QStringLiteral("断桥铝型材"), QStringLiteral("隔热材"), 8.217, kg, 32.5),
                row(Kind::Profile, QStringLiteral("普通铝型材"), QStringLiteral("非隔热材"), 0.402, kg, 23),
                row(Kind::Glass, QStringLiteral("5+12A+5中空玻璃"), QString(), 0.694, m2, 95),
                row(Kind::Accessory, QStringLiteral("门锁"), QStringLiteral("单点"), 0.414, QStringLiteral("套/m2"),
                    73.1, QStringLiteral("C级锁芯")),
                row(Kind::Accessory, QStringLiteral("合页"), QStringLiteral("4寸"), 1.242, QStringLiteral("个/m2"), 6.5,
                    QStringLiteral("不锈钢"))}),
    };
    return run;
}

QString runTool(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(tool, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Top of the text of a body line.
double lineTopOf(int index)
{
    return 0.6 + 0.3 * index;
}

// The texts of the pages that pdftotext does not find on their page, and
// any radical standing in for an ideograph.
QStringList textLayerFaults(const PageDocument &document, const QString &pdf)
{
    const QStringList pages
        = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
              .split(QLatin1Char('\f'));
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
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
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
        QuoteRun run = demoRun();
        QuoteItem &item = run.result.items[0];
        item.materials[1].price = 12345.678;
        item.materials[1].total = 98765432.109;
        item.materials[3].spec = QStringLiteral("1200×2400mm 钢化6+12A+6Low-E中空玻璃 超白加厚 双银");
        item.materials[3].remark = QStringLiteral("黑色阳极氧化处理,含锁芯");
        item.fees[0].name = QStringLiteral("工程管理及售后服务费用");
        const PageDocument document = buildPaperQuotation(run);
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
        QVERIFY2(glass.pointSize >= PageRenderer::kMinimumPointSize && glass.pointSize < 10,
            qPrintable(QString::number(glass.pointSize)));
        const PageRenderer::Placed spec = placed(item.materials[3].spec);
        QCOMPARE(spec.lines.size(), 2);
        QCOMPARE(spec.pointSize, PageRenderer::kMinimumPointSize);
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
        try {
            writeQuotationPdf(demoRun(), missingFolder);
            QFAIL("writing into a missing folder cannot succeed");
        } catch (const Error &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("无法写入文件 ") + missingFolder), qPrintable(e.message()));
        }

        // An empty run leaves an existing file alone.
        const QString existing = dir.filePath(QStringLiteral("old.pdf"));
        QFile old(existing);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous");
        old.close();
        try {
            writeQuotationPdf(QuoteRun(), existing);
            QFAIL("an empty run cannot succeed");
        } catch (const Error &e) {
            QVERIFY(e.message().contains(QStringLiteral("没有可以输出的报价数据")));
        }
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("previous"));
        old.close();
    }

    void cliWritesThePdfOrSaysWhy()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QString path = home.file(QStringLiteral("quote.pdf"));
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const QStringList args = {"tarvex-cli", "quote", "--scope", "window", "--lc-price", "断桥铝型材/True/25",
            "--lc-price", "普通铝型材/False/21", "--pdf"};
        QCOMPARE(cli::run(args + QStringList({path}), out, err), 0);
        QVERIFY2(errText.isEmpty(), qPrintable(errText));
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));

        QCOMPARE(cli::run(args + QStringList({home.file(QStringLiteral("none/q.pdf"))}), out, err), 1);
        QVERIFY2(errText.startsWith(QStringLiteral("当前错误:无法写入文件 ")), qPrintable(errText));
    }
};

QTEST_MAIN(TestPaperPdf)
#include "tst_paperpdf.moc"
