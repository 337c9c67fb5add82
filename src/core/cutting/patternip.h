#pragma once

// Whole numbers of bars over the patterns the relaxation found: a small
// integer programme that CBC solves by branch and bound.

#include "core/cutting/stockproblem.h"

namespace tarvex::packing {

// Looks for a plan over the patterns cheaper than best, at most nodeLimit
// nodes of search (CBC's own counter, never its clock), and stops as soon as
// a plan costs no more than target. Replaces best and returns true when it
// found a cheaper one.
bool improveOverPatterns(
    const StockProblem &problem, std::vector<Pattern> patterns, PatternPlan &best, double target, int nodeLimit);

} // namespace tarvex::packing
