#include "core/cutting/cutplan.h"

#include "core/common/error.h"
#include "core/common/numbers.h"
#include "core/cutting/binpacking.h"

#include <QHash>
#include <QThread>

#include <cmath>
#include <mutex>
#include <thread>

namespace tarvex {

namespace {

// One code's pieces into bars. A bar holds pieces l1..lm when
// trim + sum(li) + (m-1)·kerf <= stock, that is when the sizes li + kerf add
// up to at most stock - trim + kerf: plain bin packing on those. Remnants
// are bins of their own lengths, which the same trim and kerfs apply to.
CodePlan planCode(const CutCode &code, qint64 stock, const CutSettings &settings, CutPlan &rejects,
    std::mutex &rejectsLock, const packing::PackOptions &options)
{
    CodePlan plan;
    plan.code = code.code;
    plan.name = code.name;
    plan.weightPerMetre = code.weightPerMetre;
    plan.stock = stock;
    const qint64 kerf = toCutUnits(settings.kerf);
    const qint64 trim = toCutUnits(settings.trim);
    std::vector<std::int64_t> sizes;
    sizes.reserve(std::size_t(code.pieces.size()));
    plan.pieces.reserve(code.pieces.size());
    for (const CutPiece &piece : code.pieces) {
        const qint64 length = std::isfinite(piece.length) ? toCutUnits(piece.length) : 0;
        if (length <= 0) {
            const std::lock_guard<std::mutex> lock(rejectsLock);
            rejects.invalid.append(piece);
        } else if (length + trim > stock) {
            const std::lock_guard<std::mutex> lock(rejectsLock);
            rejects.tooLong.append(piece);
        } else {
            plan.pieces.append(piece);
            sizes.push_back(length + kerf);
        }
    }
    std::vector<std::int64_t> remnants;
    for (const Remnant &r : code.remnants)
        remnants.push_back(toCutUnits(r.length) - trim + kerf);
    const packing::PackResult packed = remnants.empty()
        ? packing::pack(sizes, stock - trim + kerf, options)
        : packing::packWithRemnants(sizes, stock - trim + kerf, remnants, options);
    plan.l1 = packed.bounds.l1;
    plan.l2 = packed.bounds.l2;
    plan.lp = packed.bounds.lp;
    plan.exact = packed.bounds.exact;
    plan.bars.reserve(qsizetype(packed.bins.size()));
    for (std::size_t b = 0; b < packed.bins.size(); ++b) {
        CutBar bar;
        bar.cuts.reserve(qsizetype(packed.bins[b].size()));
        bar.length = stock;
        if (packed.remnant[b] >= 0) {
            bar.remnant = code.remnants[packed.remnant[b]];
            bar.length = toCutUnits(bar.remnant->length);
        }
        qint64 used = trim - kerf;
        for (int i : packed.bins[b]) {
            bar.cuts.append(i);
            used += sizes[std::size_t(i)];
        }
        bar.offcut = offcutOf(bar.length, used, kerf);
        plan.bars.append(bar);
    }
    return plan;
}

// Window numbers that pieces of more than one series carry.
QSet<QString> sharedWindows(const QVector<CutCode> &codes)
{
    QHash<QString, QString> seriesOf;
    QSet<QString> shared;
    for (const CutCode &code : codes) {
        for (const CutPiece &piece : code.pieces) {
            if (piece.window.isEmpty())
                continue;
            const auto it = seriesOf.constFind(piece.window);
            if (it == seriesOf.constEnd())
                seriesOf.insert(piece.window, piece.series);
            else if (*it != piece.series)
                shared.insert(piece.window);
        }
    }
    return shared;
}

} // namespace

double CodePlan::cutMetres() const
{
    qint64 units = 0;
    for (const CutPiece &piece : pieces)
        units += toCutUnits(piece.length);
    return fromCutUnits(units);
}

QString Remnant::origin() const
{
    return project.isEmpty() ? date : project + QLatin1Char(' ') + date;
}

int CodePlan::newBars() const
{
    return int(std::count_if(bars.begin(), bars.end(), [](const CutBar &bar) { return !bar.remnant; }));
}

double CodePlan::offcutMetres() const
{
    qint64 units = 0;
    for (const CutBar &bar : bars)
        units += bar.offcut;
    return fromCutUnits(units);
}

double CodePlan::utilisation() const
{
    qint64 total = 0;
    for (const CutBar &bar : bars)
        total += bar.length;
    return total > 0 ? 100.0 * cutMetres() / fromCutUnits(total) : 0;
}

std::optional<double> CodePlan::weightKg() const
{
    if (!weightPerMetre)
        return std::nullopt;
    return double(newBars()) * stockMetres() * *weightPerMetre;
}

int CutPlan::barCount() const
{
    int n = 0;
    for (const CodePlan &c : codes)
        n += c.newBars();
    return n;
}

int CutPlan::lowerBoundTotal() const
{
    int n = 0;
    for (const CodePlan &c : codes)
        n += c.lowerBound();
    return n;
}

CutPlan planCuts(const QVector<CutCode> &codes, const CutSettings &settings, const CutProgress &progress)
{
    const QString problem = checkCutSettings(settings);
    if (!problem.isEmpty())
        throw Error(problem);
    CutPlan plan;
    plan.settings = settings;
    QVector<qint64> stocks;
    for (const CutCode &code : codes) {
        qint64 stock = toCutUnits(settings.stock);
        if (code.stock) {
            const QString bad = checkStockLength(*code.stock);
            if (bad.isEmpty() && toCutUnits(*code.stock) > toCutUnits(settings.trim))
                stock = toCutUnits(*code.stock);
            else
                plan.warnings.append(QStringLiteral("代号 ") + code.code + QStringLiteral(" 的定尺无效 (")
                    + plainNumber(*code.stock) + QStringLiteral("),按默认定尺计算"));
        }
        stocks.append(stock);
    }

    plan.codes.resize(codes.size());
    std::atomic<int> next {0};
    std::mutex lock;
    int done = 0;
    auto work = [&] {
        for (int i = next++; i < codes.size(); i = next++) {
            packing::PackOptions options;
            options.cancel = progress.cancel;
            plan.codes[i] = planCode(codes[i], stocks[i], settings, plan, lock, options);
            const std::lock_guard<std::mutex> guard(lock);
            ++done;
            if (progress.step)
                progress.step(done, int(codes.size()));
        }
    };
    const int threads = qBound(1, QThread::idealThreadCount(), int(codes.size()));
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread &t : helpers)
        t.join();

    // The rejects came in the order the threads met them.
    auto byCode = [](const CutPiece &a, const CutPiece &b) {
        return std::tie(a.code, a.window, a.length) < std::tie(b.code, b.window, b.length);
    };
    std::stable_sort(plan.tooLong.begin(), plan.tooLong.end(), byCode);
    std::stable_sort(plan.invalid.begin(), plan.invalid.end(), byCode);
    plan.sharedWindows = sharedWindows(codes);
    return plan;
}

QString describePiece(const CutPiece &piece)
{
    const QString length
        = std::isfinite(piece.length) ? formatCutLength(piece.length) + QLatin1Char('m') : QStringLiteral("无长度");
    return piece.code + QLatin1Char(' ') + (piece.window.isEmpty() ? QStringLiteral("(无窗号)") : piece.window)
        + QLatin1Char(' ') + length;
}

QString formatCutLength(double metres)
{
    const qint64 units = toCutUnits(metres);
    return QString::number(fromCutUnits(units), 'f', units % 10 == 0 ? 3 : 4);
}

QString formatPlanLength(double metres, CutUnit unit)
{
    if (unit == CutUnit::Metre)
        return formatCutLength(metres);
    const qint64 units = toCutUnits(metres);
    return QString::number(double(units) / 10, 'f', units % 10 == 0 ? 0 : 1);
}

QString unitName(CutUnit unit)
{
    return unit == CutUnit::Metre ? QStringLiteral("m") : QStringLiteral("mm");
}

QString pieceWindow(const CutPiece &piece, const CutPlan &plan)
{
    if (!plan.sharedWindows.contains(piece.window))
        return piece.window;
    return piece.series + QLatin1Char(' ') + piece.window;
}

qint64 offcutOf(qint64 length, qint64 used, qint64 kerf)
{
    return std::max<qint64>(0, length - used - kerf);
}

} // namespace tarvex
