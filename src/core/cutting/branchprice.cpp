#include "core/cutting/branchprice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <set>

namespace tarvex::packing {

namespace {

constexpr double kWhole = 1e-6; // how far from a whole number a count may lie
constexpr double kDearPricing = 4e6; // cells of the knapsack's table

bool covered(const StockProblem &rest)
{
    return std::all_of(rest.demands.begin(), rest.demands.end(), [](int d) { return d == 0; });
}

class Search {
public:
    Search(const StockProblem &problem, PatternLp &lp, PatternPlan &best, double target, const PriceLimits &limits)
        : m_problem(problem)
        , m_lp(lp)
        , m_best(best)
        , m_bestCost(planCost(best, problem))
        , m_target(target)
        , m_limits(limits)
    {
        for (const StockKind &kind : problem.kinds)
            m_pricingCells = std::max(m_pricingCells, double(kind.capacity) * double(problem.sizes.size()));
    }

    bool done() const { return m_bestCost <= m_target + 1e-9; }

    // Explores a node; appends its branches to open (the first to explore last).
    void visit(const PatternPlan &fixed, std::vector<PatternPlan> &open)
    {
        StockProblem rest;
        if (!residual(m_problem, fixed, rest))
            return;
        const double fixedCost = planCost(fixed, m_problem);
        if (covered(rest)) {
            offer(fixed);
            return;
        }
        // One relaxation for the whole search: each node only changes its
        // demands, and the patterns found anywhere serve everywhere.
        m_lp.setDemands(rest);
        // Where pricing is cheap the nodes solve their relaxation to the
        // end: plans that fill every bar exactly need its exact solution.
        // Where it is dear they stop once the bound is settled.
        LpLimits lpLimits = m_limits.lp;
        lpLimits.wholeBound = m_problem.wholeCosts() && m_pricingCells > kDearPricing;
        m_lp.solve(lpLimits);
        double bound = fixedCost + m_lp.bound();
        if (m_problem.wholeCosts())
            bound = std::ceil(bound - kWhole);
        if (bound >= m_bestCost - 1e-9)
            return;

        const std::vector<Pattern> &patterns = m_lp.patterns();
        const std::vector<double> x = m_lp.usage();
        PatternPlan down = fixed;
        std::vector<int> fractional;
        for (std::size_t c = 0; c < patterns.size(); ++c) {
            const int whole = int(std::floor(x[c] + kWhole));
            if (whole > 0)
                down.push_back({patterns[c], whole});
            if (x[c] - whole > kWhole)
                fractional.push_back(int(c));
        }
        // The rounded relaxation, its rest by first fit: a plan at once.
        StockProblem left;
        if (residual(m_problem, down, left)) {
            PatternPlan plan = down;
            mergePlans(plan, firstFitPlan(left));
            offer(plan);
        }
        if (done() || fractional.empty() || bound >= m_bestCost - 1e-9)
            return;
        // Rounding up the patterns nearest a whole bar first.
        std::stable_sort(fractional.begin(), fractional.end(), [&](int a, int b) {
            const double fa = x[std::size_t(a)] - std::floor(x[std::size_t(a)] + kWhole);
            const double fb = x[std::size_t(b)] - std::floor(x[std::size_t(b)] + kWhole);
            return fa > fb;
        });
        // Besides: one bar of the pattern the relaxation cuts most, the rest
        // left to the relaxation again.
        if (down.size() > fixed.size() + 1) {
            std::size_t most = 0;
            for (std::size_t c = 1; c < patterns.size(); ++c)
                if (x[c] > x[most])
                    most = c;
            PatternPlan child = fixed;
            child.push_back({capped(patterns[most], rest.demands), 1});
            open.push_back(std::move(child));
        }
        const int n = std::min<int>(m_limits.children, int(fractional.size()));
        for (int k = n; k-- > 0;) {
            const Pattern up = capped(patterns[std::size_t(fractional[std::size_t(k)])], rest.demands);
            if (up.empty())
                continue;
            PatternPlan child = down;
            child.push_back({up, 1});
            open.push_back(std::move(child));
        }
    }

private:
    void offer(PatternPlan plan)
    {
        dropSurplus(plan, m_problem);
        const double cost = planCost(plan, m_problem);
        if (cost < m_bestCost - 1e-9) {
            m_best = std::move(plan);
            m_bestCost = cost;
        }
    }

    const StockProblem &m_problem;
    PatternLp &m_lp;
    PatternPlan &m_best;
    double m_bestCost;
    double m_target;
    const PriceLimits &m_limits;
    double m_pricingCells = 0; // the size of the knapsack's table
};

} // namespace

bool branchAndPrice(const StockProblem &problem, PatternLp &lp, PatternPlan &best, double target,
    const PriceLimits &limits, const std::atomic<bool> *cancel)
{
    Search search(problem, lp, best, target, limits);
    std::vector<PatternPlan> open {PatternPlan()};
    for (int node = 0; node < limits.nodes && !open.empty() && !search.done(); ++node) {
        if (cancel && cancel->load())
            break;
        const PatternPlan fixed = std::move(open.back());
        open.pop_back();
        search.visit(fixed, open);
    }
    return search.done();
}

} // namespace tarvex::packing
