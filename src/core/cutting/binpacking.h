#pragma once

// One-dimensional bin packing in whole units: items of given sizes go into as
// few bins of one capacity as possible. The cutting plan turns a bar with its
// kerfs and end trim into such a bin (see cutplan.h).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace tarvex::packing {

// Item indices per bin.
using Bins = std::vector<std::vector<int>>;

// Proven lower bounds on the number of bins. l1 is the total size over the
// capacity, rounded up; l2 is Martello and Toth's bound, which also counts
// the items too large to share a bin with each other; lp, found only when
// the plan stays above the other two, is the bound the cutting-stock
// relaxation proves (Farley's bound from its prices). Sizes must lie in
// (0, capacity].
struct Bounds {
    int l1 = 0;
    int l2 = 0;
    int lp = 0;
    int best() const { return std::max({l1, l2, lp}); }
};
Bounds lowerBounds(const std::vector<std::int64_t> &sizes, std::int64_t capacity);

// First-fit decreasing: the items, largest first, each into the first bin it fits.
Bins firstFitDecreasing(const std::vector<std::int64_t> &sizes, std::int64_t capacity);

struct PackOptions {
    // The improvement stage stops here, or after this many attempts, whichever
    // comes first (the attempt limit keeps the result the same from run to run).
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    int maxAttempts = 400;
    // Set from another thread to stop early; the best plan so far is returned.
    const std::atomic<bool> *cancel = nullptr;
};

struct PackResult {
    Bins bins; // fullest first
    Bounds bounds;
    // The plan uses as few bins as the bounds allow: no plan can use fewer.
    bool proven() const { return int(bins.size()) == bounds.best(); }
};

// Packs with first-fit decreasing and with bins filled one after the other as
// full as possible, then, while the plan is above the bound, tries again with
// the order of the sizes slightly perturbed. Among plans with the same number
// of bins the one whose free space is concentrated in the fewest bins wins.
PackResult pack(const std::vector<std::int64_t> &sizes, std::int64_t capacity, const PackOptions &options = {});

// Free space of every bin, and the measure of its concentration used to
// compare plans of the same size (the sum of the squared free spaces).
std::vector<std::int64_t> freeSpace(const Bins &bins, const std::vector<std::int64_t> &sizes, std::int64_t capacity);
double concentration(const Bins &bins, const std::vector<std::int64_t> &sizes, std::int64_t capacity);

} // namespace tarvex::packing
