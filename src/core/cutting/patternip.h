#pragma once

// Whole numbers of bars over the patterns the relaxation found: a small
// integer programme that CBC solves by branch and bound.

#include "core/cutting/stockproblem.h"

namespace tarvex::packing {

// A minimisation over whole numbers: columns with their bounds, costs and
// entries (rowIndex and elements from starts[c] to starts[c + 1]), rows with
// their bounds.
struct IntegerModel {
    std::vector<double> rowLower, rowUpper;
    std::vector<int> starts {0};
    std::vector<int> rowIndex;
    std::vector<double> elements, colLower, colUpper, cost;
};

struct IntegerResult {
    std::vector<double> x; // a solution cheaper than the start; empty when none was found
    bool proven = false; // the search ended by itself: nothing is cheaper than the best
};

// CBC's branch and bound from start (which costs startCost), at most
// nodeLimit nodes (its own counter, never its clock), stopped as soon as a
// solution costs no more than target. With whole costs it looks only for
// solutions at least 1 cheaper.
IntegerResult solveWholeNumbers(const IntegerModel &model, const std::vector<double> &start, double startCost,
    double target, int nodeLimit, bool wholeCosts);

// Looks for a plan over the patterns cheaper than best, at most nodeLimit
// nodes of search (CBC's own counter, never its clock), and stops as soon as
// a plan costs no more than target. Replaces best and returns true when it
// found a cheaper one.
bool improveOverPatterns(
    const StockProblem &problem, std::vector<Pattern> patterns, PatternPlan &best, double target, int nodeLimit);

// found, when it covers every demand and costs less than best, replaces
// best (its surplus pieces taken out); true when it did.
bool takeIfCheaper(const StockProblem &problem, PatternPlan found, PatternPlan &best);

} // namespace tarvex::packing
