#pragma once

// An exact search for bars of any length. At prices per piece that make no
// bar worth more than it costs, a plan of n bars costs what its pieces are
// worth plus the reduced cost of each bar (what the bar costs less what its
// pieces are worth, never below 0). So a plan of n bars uses only patterns
// whose reduced cost is at most the gap n - (the demands' worth): a search
// over those alone finds such a plan or, when it ends, shows that none
// exists.

#include "core/cutting/stockproblem.h"

namespace tarvex::packing {

// Counted limits: the patterns within the gap, and the steps of listing
// them and of the search over them. Beyond either it gives up.
constexpr std::size_t kGapPatterns = 2'000'000;
constexpr long kGapSteps = 50'000'000;

// For one unlimited kind of bar of cost 1, at prices per piece of each size
// (the relaxation's; scaled down here until no bar is worth more than 1):
// looks for a plan of fewer bars than best.
ExactOutcome searchWithinGap(const StockProblem &problem, std::vector<double> prices, PatternPlan &best);

} // namespace tarvex::packing
