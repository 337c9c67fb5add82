#pragma once

// One-dimensional bin packing in whole units: items of given sizes go into as
// few bins of one capacity as possible. The cutting plan turns a bar with its
// kerfs and end trim into such a bin (see cutplan.h).

#include "core/cutting/stockproblem.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

namespace tarvex::packing {

// Proven lower bounds on the number of bins. l1 is the total size over the
// capacity, rounded up; l2 is Martello and Toth's bound, which also counts
// the items too large to share a bin with each other; lp, found only when
// the plan stays above the other two, is the cutting-stock relaxation's
// optimum rounded up (proven from its prices). Sizes must lie in
// (0, capacity].
struct Bounds {
    int l1 = 0;
    int l2 = 0;
    int lp = 0;
    int exact = 0; // the optimum itself, when an exact search proved it
    int best() const { return std::max({l1, l2, lp, exact}); }
};
Bounds lowerBounds(const std::vector<std::int64_t> &sizes, std::int64_t capacity);

// First-fit decreasing: the items, largest first, each into the first bin it fits.
Bins firstFitDecreasing(const std::vector<std::int64_t> &sizes, std::int64_t capacity);

// Every stage stops after a counted amount of work (attempts, nodes,
// pricing rounds), never on the clock: the same sizes always give the same
// plan, however busy the machine.
struct PackOptions {
    int maxAttempts = 400; // of the search over the bins, for small sets
    // Set from another thread to stop early; the best plan so far is returned.
    const std::atomic<bool> *cancel = nullptr;
};

struct PackResult {
    Bins bins; // new bins fullest first, then the remnants taken
    std::vector<int> remnant; // per bin: the remnant it is, -1 for a new bin
    Bounds bounds; // on the new bins
    int newBins() const { return int(std::count(remnant.begin(), remnant.end(), -1)); }
    // The plan uses as few new bins as the bounds allow: no plan can use fewer.
    bool proven() const { return newBins() == bounds.best(); }
};

// Packs with first-fit decreasing and with bins filled one after the other as
// full as possible. While that plan is above the bound: the cutting-stock
// relaxation over the distinct sizes (its bound), whole bars over its
// patterns, a search over the bins for small sets, and branch and price.
// Among plans with the same number of bins the one whose free space is
// concentrated in the fewest bins wins.
PackResult pack(const std::vector<std::int64_t> &sizes, std::int64_t capacity, const PackOptions &options = {});

// The same with remnants: bins of their own capacities, each to be used at
// most once. New bins are what costs: the plan uses as few of them as it
// can, and of the plans with that many the one taking the least capacity of
// remnants (none when they save no new bin). The bounds are on new bins.
PackResult packWithRemnants(const std::vector<std::int64_t> &sizes, std::int64_t capacity,
    const std::vector<std::int64_t> &remnants, const PackOptions &options = {});

// Free space of every bin, and the measure of its concentration used to
// compare plans of the same size (the sum of the squared free spaces).
std::vector<std::int64_t> freeSpace(const Bins &bins, const std::vector<std::int64_t> &sizes, std::int64_t capacity);
double concentration(const Bins &bins, const std::vector<std::int64_t> &sizes, std::int64_t capacity);

} // namespace tarvex::packing
