#include "cutinstances.h"

#include <algorithm>

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

} // namespace tarvex::test
