#include "cutinstances.h"

#include <algorithm>
#include <cmath>

namespace tarvex::test {

namespace {

std::int64_t uniform(std::mt19937 &random, std::int64_t lowest, std::int64_t highest)
{
    return std::uniform_int_distribution<std::int64_t>(lowest, highest)(random);
}

} // namespace

PackInstance tripletInstance(std::mt19937 &random, int bars)
{
    PackInstance instance {QStringLiteral("triplets"), {}, 1000, bars};
    for (int b = 0; b < bars; ++b) {
        const std::int64_t first = uniform(random, 380, 490);
        const std::int64_t space = 1000 - first;
        const std::int64_t second = uniform(random, 250, space / 2);
        instance.sizes.insert(instance.sizes.end(), {first, second, space - second});
    }
    std::shuffle(instance.sizes.begin(), instance.sizes.end(), random);
    return instance;
}

PackInstance wholeBarsInstance(std::mt19937 &random, int bars, std::int64_t capacity)
{
    PackInstance instance {QStringLiteral("bars cut whole"), {}, capacity, bars};
    for (int b = 0; b < bars; ++b) {
        const int pieces = 2 + int(random() % 4);
        std::vector<std::int64_t> at {0, capacity};
        while (int(at.size()) < pieces + 1) {
            const std::int64_t cut = uniform(random, capacity / 50, capacity - capacity / 50);
            if (std::find(at.begin(), at.end(), cut) == at.end())
                at.push_back(cut);
        }
        std::sort(at.begin(), at.end());
        for (std::size_t k = 1; k < at.size(); ++k)
            instance.sizes.push_back(at[k] - at[k - 1]);
    }
    std::shuffle(instance.sizes.begin(), instance.sizes.end(), random);
    return instance;
}

PackInstance uniformInstance(std::mt19937 &random, const QString &family, int pieces, std::int64_t lowest,
    std::int64_t highest, std::int64_t capacity)
{
    PackInstance instance {family, {}, capacity, 0};
    for (int i = 0; i < pieces; ++i)
        instance.sizes.push_back(uniform(random, lowest, highest));
    return instance;
}

QVector<PackInstance> instanceFamilies(int count, unsigned seed)
{
    std::mt19937 random(seed);
    QVector<PackInstance> instances;
    const int tripletBars[] = {20, 40, 83, 167};
    const int uniformPieces[] = {120, 250, 500, 1000};
    for (int n = 0; n < count; ++n) {
        const int round = n / 5;
        switch (n % 5) {
        case 0:
            instances.append(tripletInstance(random, tripletBars[round % 4]));
            break;
        case 1:
            instances.append(wholeBarsInstance(random, 10 + int(random() % 51), 6005));
            break;
        case 2:
            instances.append(uniformInstance(
                random, QStringLiteral("uniform 20-100 of 150"), uniformPieces[round % 4], 20, 100, 150));
            break;
        case 3:
            instances.append(
                uniformInstance(random, QStringLiteral("150-200 of 1000"), round % 2 ? 120 : 100, 150, 200, 1000));
            break;
        default:
            instances.append(uniformInstance(random, QStringLiteral("20-35 % of the bar"), 200, 20000, 35000, 100000));
            break;
        }
    }
    return instances;
}

// WINDOWS windows of 250 sizes (whole centimetres, a few sizes common, most
// rare) in 8 series of 5 profile codes each; every window is cut into 20
// pieces: frame, sash, mullion and glazing beads, each its width or height
// less the profile's allowance.
QVector<CutCode> windowProject(int windows, unsigned seed)
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

} // namespace tarvex::test
