// The cutting plan of a generated project: how long the whole plan takes and
// how close it comes to the proven bounds. See bench/README.md.

#include "core/cutting/cutplan.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <ctime>
#include <random>

using namespace tarvex;

namespace {

// WINDOWS windows of 250 sizes (whole centimetres, a few sizes common, most
// rare) in 8 series of 5 profile codes each; every window is cut into 20
// pieces: frame, sash, mullion and glazing beads, each its width or height
// less the profile's allowance.
QVector<CutCode> generateProject(int windows, unsigned seed)
{
    std::mt19937 random(seed);
    struct Type {
        int width, height, series;
    };
    QVector<Type> types;
    for (int i = 0; i < 250; ++i)
        types.append({600 + 10 * int(random() % 181), 900 + 10 * int(random() % 151), int(random() % 8)});
    QVector<CutCode> codes(40);
    for (int c = 0; c < codes.size(); ++c)
        codes[c].code = QStringLiteral("P%1%2").arg(c / 5 + 1).arg(c % 5 + 1, 2, 10, QLatin1Char('0'));
    std::uniform_real_distribution<double> share(0, 1);
    for (int w = 1; w <= windows; ++w) {
        const Type &t = types[std::min(249, int(std::pow(share(random), 2) * 250))];
        const QString window = QStringLiteral("C%1").arg(w);
        auto add = [&](int slot, int millimetres, int count) {
            CutCode &code = codes[t.series * 5 + slot];
            for (int k = 0; k < count; ++k)
                code.pieces.append(
                    {code.code, QStringLiteral("系列%1").arg(t.series + 1), window, millimetres / 1000.0});
        };
        const int allowance = 20 + 7 * t.series;
        add(0, t.width - allowance, 2); // frame
        add(0, t.height - allowance, 2);
        add(1, t.width / 2 - allowance - 12, 4); // sashes
        add(1, t.height - 2 * allowance, 4);
        add(2, t.height - 2 * allowance - 5, 1); // mullion
        add(3, t.width / 2 - 2 * allowance, 4); // beads
        add(4, t.height - 2 * allowance - 40, 3);
    }
    return codes;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int windows = argc > 1 ? std::atoi(argv[1]) : 5000;
    const unsigned seed = argc > 2 ? unsigned(std::atoi(argv[2])) : 1;
    const QVector<CutCode> codes = generateProject(windows, seed);
    int cuts = 0;
    for (const CutCode &c : codes)
        cuts += c.pieces.size();
    std::printf("%d windows, %d cuts in %d codes\n", windows, cuts, int(codes.size()));

    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpu = std::clock();
    const CutPlan plan = planCuts(codes, CutSettings());
    const double wallSeconds = wall.elapsed() / 1000.0;
    const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;

    int atBound = 0;
    int worst = 0;
    int byRelaxation = 0;
    for (const CodePlan &code : plan.codes) {
        byRelaxation += code.lp > std::max(code.l1, code.l2);
        atBound += code.proven();
        worst = std::max(worst, int(code.bars.size()) - code.lowerBound());
        if (!code.proven())
            std::printf("  %s: %d cuts, %d bars, bound %d (L1 %d, L2 %d, LP %d)\n", qPrintable(code.code),
                int(code.pieces.size()), int(code.bars.size()), code.lowerBound(), code.l1, code.l2, code.lp);
    }
    std::printf("plan: %.2f s wall, %.2f s CPU\n", wallSeconds, cpuSeconds);
    std::printf("bars %d, bounds %d; codes at the bound %d of %d (%.1f %%), at most %d above\n", plan.barCount(),
        plan.lowerBoundTotal(), atBound, int(plan.codes.size()), 100.0 * atBound / plan.codes.size(), worst);
    std::printf("codes whose bound came from the relaxation: %d\n", byRelaxation);
    return 0;
}
