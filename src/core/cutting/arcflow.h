#pragma once

// An exact model for bars of a short capacity (in units after the common
// divisor): every bar is a path through the fills 0 .. capacity, an arc
// for each piece that takes the fill further, pieces largest first along a
// path (Valério de Carvalho's arc flow). Whole flows over that graph are
// exactly the plans, so CBC's search over it either finds a cheaper plan
// or, when it ends by itself, proves that none exists.

#include "core/cutting/stockproblem.h"

namespace tarvex::packing {

// Beyond this capacity the graph grows too large to search.
constexpr Size kArcFlowCapacity = 1000;

// For one unlimited kind of bar of at most kArcFlowCapacity units: looks for
// a plan cheaper than best within nodeLimit nodes, stopping at target.
ExactOutcome searchArcFlow(const StockProblem &problem, PatternPlan &best, double target, int nodeLimit);

} // namespace tarvex::packing
