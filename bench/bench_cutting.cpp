// The cutting plan: how close it comes to the proven bounds and how long it
// takes, on generated projects and on instance families with known optima.
// See bench/README.md.

#include "core/cutting/binpacking.h"
#include "core/cutting/cutplan.h"
#include "cutinstances.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>

using namespace tarvex;

namespace {

// CUTS cuts in 10 codes of a large project: each code has 150 to 400
// lengths (whole millimetres, 0.3 to 2.4 m), a few common, most rare.
QVector<CutCode> largeProject(int cuts, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> share(0, 1);
    QVector<CutCode> codes(10);
    for (int c = 0; c < codes.size(); ++c) {
        CutCode &code = codes[c];
        code.code = QStringLiteral("L%1").arg(c + 1, 2, 10, QLatin1Char('0'));
        std::vector<int> lengths(150 + random() % 251);
        for (int &l : lengths)
            l = 300 + int(random() % 2101);
        for (int k = 0; k < cuts / codes.size(); ++k) {
            const int l
                = lengths[std::min(lengths.size() - 1, std::size_t(std::pow(share(random), 2) * lengths.size()))];
            code.pieces.append({code.code, QStringLiteral("系列1"), QStringLiteral("C%1").arg(k / 20 + 1), l / 1000.0});
        }
    }
    return codes;
}

struct Clock {
    QElapsedTimer wall;
    std::clock_t cpu = std::clock();
    Clock() { wall.start(); }
    double wallSeconds() const { return wall.nsecsElapsed() / 1e9; }
    double cpuSeconds() const { return double(std::clock() - cpu) / CLOCKS_PER_SEC; }
};

int planProject(const QVector<CutCode> &codes)
{
    int cuts = 0;
    for (const CutCode &c : codes)
        cuts += c.pieces.size();
    std::printf("%d cuts in %d codes\n", cuts, int(codes.size()));
    const Clock clock;
    const CutPlan plan = planCuts(codes, CutSettings());
    const double wall = clock.wallSeconds();
    const double cpu = clock.cpuSeconds();

    int atBound = 0;
    int worst = 0;
    int byRelaxation = 0;
    for (const CodePlan &code : plan.codes) {
        byRelaxation += code.lp > std::max(code.l1, code.l2);
        atBound += code.proven();
        worst = std::max(worst, code.newBars() - code.lowerBound());
        if (!code.proven())
            std::printf("  %s: %d cuts, %d bars, bound %d (L1 %d, L2 %d, LP %d)\n", qPrintable(code.code),
                int(code.pieces.size()), code.newBars(), code.lowerBound(), code.l1, code.l2, code.lp);
    }
    std::printf("plan: %.2f s wall, %.2f s CPU\n", wall, cpu);
    std::printf("bars %d, bounds %d; codes at the bound %d of %d (%.1f %%), at most %d above\n", plan.barCount(),
        plan.lowerBoundTotal(), atBound, int(plan.codes.size()), 100.0 * atBound / plan.codes.size(), worst);
    std::printf("codes whose bound came from the relaxation: %d\n", byRelaxation);
    return 0;
}

int runFamilies(int count, unsigned seed)
{
    struct Tally {
        int instances = 0, reached = 0, bins = 0, optimum = 0, byConstruction = 0, byExactSearch = 0;
        QVector<double> wall, cpu;
    };
    QMap<QString, Tally> tallies;
    Tally all;
    int index = -1;
    for (const test::PackInstance &instance : test::instanceFamilies(count, seed)) {
        ++index;
        if (getenv("ONLY") && atoi(getenv("ONLY")) != index)
            continue;
        const Clock clock;
        const packing::PackResult result = packing::pack(instance.sizes, instance.capacity);
        const double wall = clock.wallSeconds();
        const double cpu = clock.cpuSeconds();
        const int bins = int(result.bins.size());
        // Known by construction, or else the bound: a plan that meets it is
        // proven optimal, one above it may or may not be.
        const bool byConstruction = instance.optimum > 0;
        const bool byExactSearch
            = !byConstruction && result.bounds.exact > std::max({result.bounds.l1, result.bounds.l2, result.bounds.lp});
        const int optimum = byConstruction ? instance.optimum : result.bounds.best();
        const char *source = byConstruction ? "by construction"
            : byExactSearch                 ? "proven by the exact search"
                                            : "the bound";
        for (Tally *t : {&tallies[instance.family], &all}) {
            ++t->instances;
            t->reached += bins == optimum;
            t->bins += bins;
            t->optimum += optimum;
            t->byConstruction += byConstruction;
            t->byExactSearch += byExactSearch;
            t->wall.append(wall);
            t->cpu.append(cpu);
        }
        if (getenv("TRACE") || bins != optimum || cpu > 5)
            std::printf("  #%d %s, %d pieces: %d bins, optimum %d (%s; L1 %d, L2 %d, LP %d), %.2f s CPU, %.2f s wall\n",
                index, qPrintable(instance.family), int(instance.sizes.size()), bins, optimum, source, result.bounds.l1,
                result.bounds.l2, result.bounds.lp, cpu, wall);
    }
    auto report = [](const QString &name, Tally t) {
        std::sort(t.wall.begin(), t.wall.end());
        std::sort(t.cpu.begin(), t.cpu.end());
        std::printf("%-22s %4d instances (optima: %d by construction, %d by the exact search), %4d at the optimum "
                    "(%.1f %%), bins %d / %d, "
                    "CPU median %.3f s, most %.3f s; wall median %.3f s, most %.3f s\n",
            qPrintable(name), t.instances, t.byConstruction, t.byExactSearch, t.reached,
            100.0 * t.reached / t.instances, t.bins, t.optimum, t.cpu[t.cpu.size() / 2], t.cpu.last(),
            t.wall[t.wall.size() / 2], t.wall.last());
    };
    for (auto it = tallies.cbegin(); it != tallies.cend(); ++it)
        report(it.key(), it.value());
    report(QStringLiteral("all"), all);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    const unsigned seed = args.size() > 3 ? args[3].toUInt() : 1;
    if (mode == QLatin1String("families"))
        return runFamilies(args.size() > 2 ? args[2].toInt() : 500, seed);
    if (mode == QLatin1String("large"))
        return planProject(largeProject(args.size() > 2 ? args[2].toInt() : 100000, seed));
    if (mode == QLatin1String("project"))
        return planProject(test::windowProject(args.size() > 2 ? args[2].toInt() : 5000, seed));
    std::fprintf(stderr, "bench_cutting families [COUNT] [SEED] | large [CUTS] [SEED] | project [WINDOWS] [SEED]\n");
    return 2;
}
