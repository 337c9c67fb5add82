#pragma once

// The cutting-stock relaxation: how many bins of each pattern (how many items
// of each size a bin holds) cover the demands, with fractional counts
// allowed. Solved by column generation: a small simplex over the patterns
// found so far, and a knapsack that finds the pattern worth adding.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace tarvex::packing {

struct Pattern {
    std::vector<int> counts; // items of each size
    double bins = 0; // in the solution
};

struct PatternSolution {
    std::vector<Pattern> patterns; // those with a positive count
    double total = 0; // bins in all
    bool optimal = false; // no pattern could improve it
    // A proven lower bound on the bins of any plan (0 when none was proven);
    // the relaxation's optimum once optimal.
    double bound = 0;
};

// sizes (all different, each at most capacity) with their demands.
PatternSolution solvePatternLp(const std::vector<std::int64_t> &sizes, const std::vector<int> &demands,
    std::int64_t capacity, std::chrono::steady_clock::time_point deadline);

} // namespace tarvex::packing
