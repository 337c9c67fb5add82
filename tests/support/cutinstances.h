#pragma once

// Bin-packing instances whose best plan is known, generated after the
// families the literature publishes: by construction (triplets, bars cut
// whole) or, for the random ones, by the relaxation's bound, which their
// plans meet (they almost all have the integer round-up property).

#include "core/cutting/cutplan.h"

#include <QString>
#include <QVector>

#include <cstdint>
#include <random>
#include <vector>

namespace tarvex::test {

struct PackInstance {
    QString family;
    std::vector<std::int64_t> sizes;
    std::int64_t capacity = 0;
    int optimum = 0; // bins, when known by construction; else 0
};

// bars bins of capacity 1000, each filled exactly by three pieces of 250
// to 500 (Falkenauer's triplets), shuffled.
PackInstance tripletInstance(std::mt19937 &random, int bars);
// bars bins cut whole into 2 to 5 pieces, shuffled.
PackInstance wholeBarsInstance(std::mt19937 &random, int bars, std::int64_t capacity);
// pieces sizes drawn uniformly from [lowest, highest].
PackInstance uniformInstance(std::mt19937 &random, const QString &family, int pieces, std::int64_t lowest,
    std::int64_t highest, std::int64_t capacity);

// count instances over the families, in turn: triplets of 20 to 167 bars,
// 10 to 60 bars of 6005 cut whole (6 m bars cut in millimetres with a 5 mm
// kerf), uniform 20-100 of 150 (120 to 1000 pieces), 150-200 of
// 1000 (100 or 120 pieces), and 200 pieces of 20-35 % of the bar.
QVector<PackInstance> instanceFamilies(int count, unsigned seed);

// WINDOWS windows of 250 sizes (whole centimetres, a few sizes common, most
// rare) in 8 series of 5 profile codes each, every window cut into 20
// pieces (frame, sash, mullion and glazing beads).
QVector<CutCode> windowProject(int windows, unsigned seed);

} // namespace tarvex::test
