#include "cli.h"
#include "common/error.h"
#include "common/numbers.h"
#include "quote/paperpdf.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvex;
using tarvex::test::TestHome;

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
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestPaperPdf : public QObject {
    Q_OBJECT

private slots:
    void writesEveryPageWithItsTexts()
    {
        const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        if (pdfinfo.isEmpty())
            QSKIP("pdfinfo (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("报价.pdf"));
        QuoteRun run = demoRun();
        // A long accessory list carries the second series over to a new page.
        for (int n = 1; n <= 30; ++n)
            run.result.items[1].materials.append(row(Kind::Accessory, QStringLiteral("螺钉"),
                QStringLiteral("M4×%1").arg(n), 0.1, QStringLiteral("个/m2"), 0.2));
        writeQuotationPdf(run, path);
        if (!qEnvironmentVariableIsEmpty("TARVEX_KEEP_PDF"))
            QFile::copy(path, qEnvironmentVariable("TARVEX_KEEP_PDF"));

        const QString info = runTool(pdfinfo, {path});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\n"))), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("612 x 792 pts (letter)")), qPrintable(info));

        const QString fonts = runTool(QStandardPaths::findExecutable(QStringLiteral("pdffonts")), {path});
        QVERIFY2(fonts.contains(QStringLiteral("NotoSerifCJK")), qPrintable(fonts));

        // Text that comes back out of the file was drawn with real glyphs.
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            return;
        // Some ideographs come back as their Kangxi radical twins (same glyph).
        const QString text = runTool(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")})
                                 .normalized(QString::NormalizationForm_KC)
                                 .replace(QChar(0x2EDA), QStringLiteral("页"));
        QVERIFY2(text.contains(QStringLiteral("阳光花园60平开窗报价表")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("直接材料费用")));
        QVERIFY(text.contains(QStringLiteral("Low-E中空玻璃")));
        QVERIFY(text.contains(QStringLiteral("共4页,第3页")));
        QVERIFY(text.contains(QStringLiteral("审核:")));
        QVERIFY(text.contains(format3(run.result.items[2].totalPrice)));
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
