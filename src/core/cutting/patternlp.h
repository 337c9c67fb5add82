#pragma once

// The cutting-stock relaxation: how many bars of each pattern cover the
// demands at the least cost, fractional counts allowed. Gilmore and
// Gomory's column generation: Clp solves the problem over the patterns
// found so far, an exact knapsack finds the pattern its prices say is
// worth adding, until none is.

#include "core/cutting/stockproblem.h"

#include <memory>
#include <set>

class ClpSimplex;

namespace tarvex::packing {

// Work limits: counted, never timed, so the same problem always ends the
// same way.
struct LpLimits {
    int rounds = 3000; // pricing rounds
    long knapsackNodes = 20000; // per pricing, before the knapsack's table
    std::int64_t coarseCells = 4096; // of the coarse pricing tried first
    // Stop once the bound rounded up meets the value rounded up: for plans of
    // whole bars nothing more is to be learnt. Also once the value lies
    // within tail above the whole number the bound reaches: the last
    // hundredths of a bar take the column generation most of its rounds
    // (it tails off) and almost never raise the bound.
    bool wholeBound = false;
    double tail = 0.01;
    // Take the pattern a short knapsack search finds when it lowers the
    // cost, pricing exactly only when it finds none: rounds of far less
    // work, for a relaxation solved to its optimum. Never on the coarse
    // scale: near the optimum it finds nothing, and its tables cost more
    // than the short search.
    bool firstImproving = false;
};

class PatternLp {
public:
    // start: patterns to begin with; single-size patterns are added so that
    // every demand can be covered.
    PatternLp(const StockProblem &problem, const std::vector<Pattern> &start);
    ~PatternLp();
    PatternLp(const PatternLp &) = delete;
    PatternLp &operator=(const PatternLp &) = delete;

    // Other demands and bars available (the same sizes and kinds), for the
    // nodes of a search: the patterns found so far stay.
    void setDemands(const StockProblem &problem);

    // Runs the column generation; true when it reached the optimum.
    bool solve(const LpLimits &limits);

    double value() const { return m_value; } // over the patterns so far
    // No plan costs less: from the prices of every round (a Lagrangian
    // bound, valid whether or not the optimum was reached).
    double bound() const { return m_bound; }
    bool optimal() const { return m_optimal; }

    const std::vector<Pattern> &patterns() const { return m_patterns; }
    // How many bars of each pattern the relaxation cuts.
    std::vector<double> usage() const;
    // What a piece of each size is worth at the last solve's prices (never
    // below 0).
    std::vector<double> piecePrices() const;

private:
    bool add(const Pattern &pattern);
    void addColumns(const std::vector<Pattern> &patterns);
    std::vector<double> rowPrices() const;
    // The best pattern of each kind at the prices, and the bound they give.
    double price(const std::vector<double> &prices, const LpLimits &limits, bool coarse, std::vector<Pattern> &found,
        bool &exact) const;
    // Whether a pattern lowers the cost at the solver's own prices.
    bool improves(const Pattern &pattern, const std::vector<double> &prices) const;

    StockProblem m_problem;
    std::unique_ptr<ClpSimplex> m_lp;
    std::vector<Pattern> m_patterns;
    std::set<Pattern> m_known;
    std::vector<double> m_centre; // the prices of the best bound so far
    double m_value = 0;
    double m_bound = 0;
    bool m_optimal = false;
    bool m_boundsChanged = false;
};

} // namespace tarvex::packing
