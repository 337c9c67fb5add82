// Paper quotation of a large per-window project: builds the pages of 5,000
// windows and writes them as one PDF, reporting pages per second.
//
//   bench_paper [WINDOWS] [OUT.pdf]

#include "core/common/numbers.h"
#include "core/document/pagepdf.h"
#include "core/quote/paperpdf.h"
#include "core/quote/paperquotation.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

using namespace tarvex;

namespace {

QuoteMaterialRow row(QuoteMaterialRow::Kind kind, const QString &name, const QString &spec, double qty,
    const QString &unit, double price)
{
    QuoteMaterialRow r;
    r.kind = kind;
    r.name = name;
    r.spec = spec;
    r.qty = qty;
    r.unit = unit;
    r.price = price;
    r.total = Round(qty * price, 3);
    return r;
}

QuoteItem window(int n)
{
    using Kind = QuoteMaterialRow::Kind;
    QuoteItem it;
    it.name = QStringLiteral("C%1").arg(n, 4, 10, QLatin1Char('0'));
    it.title = QStringLiteral("阳光花园") + it.name + QStringLiteral("报价表");
    it.area = Round(1.2 + (n % 17) * 0.13, 2);
    const double f = 1 + (n % 7) * 0.05;
    it.materials = {
        row(Kind::Profile, QStringLiteral("断桥铝型材"), QString(), 5.874 * f, QStringLiteral("Kg/m2"), 32.5),
        row(Kind::Profile, QStringLiteral("普通铝型材"), QString(), 0.583 * f, QStringLiteral("Kg/m2"), 23),
        row(Kind::Glass, QStringLiteral("6+12A+6Low-E中空玻璃"), QString(), 0.812, QStringLiteral("m2/m2"), 151.2),
        row(Kind::Accessory, QStringLiteral("执手"), QStringLiteral("7字型"), 0.436 * f, QStringLiteral("个/m2"), 25.2),
        row(Kind::Accessory, QStringLiteral("合页"), QStringLiteral("4寸"), 0.871 * f, QStringLiteral("个/m2"), 6.5),
        row(Kind::Accessory, QStringLiteral("滑轮"), QStringLiteral("双轮"), 0.773, QStringLiteral("个/m2"), 4.2),
        row(Kind::Accessory, QStringLiteral("月牙锁"), QStringLiteral("标准"), 0.387, QStringLiteral("个/m2"), 9.31),
        row(Kind::Accessory, QStringLiteral("密封胶条"), QStringLiteral("EPDM"), 6.425 * f, QStringLiteral("米/m2"),
            1.6),
    };
    it.materials[0].thermal = true;
    it.materials[3].remark = QStringLiteral("黑色");
    for (const QuoteMaterialRow &r : it.materials)
        it.materialTotal += r.total;
    const char *names[] = {"安装费", "运输费", "管理费", "利润"};
    const double rates[] = {35, 12, 5, 8};
    for (int k = 0; k < 4; ++k) {
        QuoteFeeRow fee;
        fee.serial = k + 1;
        fee.name = QString::fromUtf8(names[k]);
        fee.isPercentage = k >= 2;
        fee.rate = rates[k];
        fee.value = fee.isPercentage ? Round(rates[k] / 100 * it.materialTotal, 3) : rates[k];
        it.feeTotal += fee.value;
        it.fees.append(fee);
    }
    it.unitPrice = Round(it.materialTotal + it.feeTotal, 3);
    it.totalPrice = Round((it.materialTotal + it.feeTotal) * it.area, 3);
    return it;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const int windows = args.size() > 1 ? args[1].toInt() : 5000;
    QTemporaryDir dir;
    const QString path = args.size() > 2 ? args[2] : dir.filePath(QStringLiteral("bench.pdf"));

    QuoteRun run;
    run.options.scope = QuoteOptions::Scope::Window;
    run.options.sign[0] = run.options.sign[1] = true;
    run.options.signText[0] = QStringLiteral("制表:");
    run.options.signText[1] = QStringLiteral("审核:");
    for (int n = 1; n <= windows; ++n)
        run.result.items.append(window(n));

    QElapsedTimer timer;
    timer.start();
    const PageDocument document = buildPaperQuotation(run);
    const qint64 layoutMs = timer.restart();
    writePagesPdf(document, path, run.result.items.first().title);
    const qint64 writeMs = timer.elapsed();

    const int pages = document.pages.size();
    const double seconds = (layoutMs + writeMs) / 1000.0;
    out << windows << " windows, " << pages << " pages, " << QFileInfo(path).size() / 1024 << " KiB\n"
        << "layout " << layoutMs << " ms, PDF " << writeMs << " ms\n"
        << QString::number(pages / seconds, 'f', 0) << " pages/s\n";
    return 0;
}
