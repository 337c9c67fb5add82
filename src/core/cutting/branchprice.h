#pragma once

// Branch and price for the codes the patterns did not bring to their bound.

#include "core/cutting/patternlp.h"

#include <atomic>

namespace tarvex::packing {

struct PriceLimits {
    int nodes = 120; // nodes of the search tree
    int children = 3; // branches tried below a node
    LpLimits lp;
};

// A depth-first search: each node fixes the whole bars of every pattern its
// relaxation cuts and one bar more of a pattern cut in part (the branches
// take them in turn), then solves the relaxation of what is left. A node
// whose bound cannot beat the best plan is cut off; below it the rounded
// relaxation, completed by first fit, offers a plan. New patterns join
// the relaxation lp (of problem, solved at the root), whose demands the
// nodes change. Replaces best with any cheaper plan; true once best costs
// target.
bool branchAndPrice(const StockProblem &problem, PatternLp &lp, PatternPlan &best, double target,
    const PriceLimits &limits, const std::atomic<bool> *cancel);

} // namespace tarvex::packing
