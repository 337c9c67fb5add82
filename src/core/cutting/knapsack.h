#pragma once

// The pricing step of the cutting-stock relaxation: the bar pattern worth
// the most at given prices per piece.

#include <cstdint>
#include <limits>
#include <vector>

namespace tarvex::packing {

struct BestPattern {
    std::vector<int> counts; // pieces of each size
    double value = 0; // of counts
    // No pattern is worth more than this: value itself when the search
    // finished, a bound when it had to stop.
    double upper = 0;
};

// At most bounds[i] pieces of size sizes[i], worth values[i] each, in a bar
// of the capacity: the most valuable choice. A depth-first search in order
// of value per unit of size, cut off by the fractional fill of the rest;
// when it needs more than nodeLimit nodes, a table over the capacity
// finishes it exactly if that table is not too large.
// A search that runs out of nodes after finding a choice worth more than
// enough returns that choice (with the search's bound) instead of
// building the table.
BestPattern bestPattern(const std::vector<std::int64_t> &sizes, const std::vector<int> &bounds,
    const std::vector<double> &values, std::int64_t capacity, long nodeLimit,
    double enough = std::numeric_limits<double>::infinity());

// The same on a coarse scale, fast however large the capacity: sizes
// rounded up to a unit of about capacity / cells give a choice that surely
// fits, sizes rounded down a bound no choice can beat. Exact when the
// capacity has at most cells units.
BestPattern coarsePattern(const std::vector<std::int64_t> &sizes, const std::vector<int> &bounds,
    const std::vector<double> &values, std::int64_t capacity, std::int64_t cells);

} // namespace tarvex::packing
