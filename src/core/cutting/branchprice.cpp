#include "core/cutting/branchprice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <set>

namespace tarvex::packing {

namespace {

constexpr double kWhole = 1e-6; // how far from a whole number a count may lie
constexpr double kDearPricing = 4e6; // cells of the knapsack's table

// A node of the search: the node above it and what it adds to that node's
// plan. The branches of a node share it, so a deep search keeps each
// node's additions once rather than a whole plan per branch.
struct Node {
    std::shared_ptr<const Node> above;
    PatternPlan added;

    PatternPlan plan() const
    {
        std::vector<const Node *> chain;
        for (const Node *n = this; n; n = n->above.get())
            chain.push_back(n);
        PatternPlan p;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            p.insert(p.end(), (*it)->added.begin(), (*it)->added.end());
        return p;
    }
};
using NodePtr = std::shared_ptr<const Node>;

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
    void visit(const NodePtr &node, std::vector<NodePtr> &open)
    {
        const PatternPlan fixed = node->plan();
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
        PatternPlan wholes;
        std::vector<int> fractional;
        for (std::size_t c = 0; c < patterns.size(); ++c) {
            const int whole = int(std::floor(x[c] + kWhole));
            if (whole > 0)
                wholes.push_back({patterns[c], whole});
            if (x[c] - whole > kWhole)
                fractional.push_back(int(c));
        }
        // The rounded relaxation, its rest by first fit: a plan at once.
        StockProblem left;
        PatternPlan plan = fixed;
        plan.insert(plan.end(), wholes.begin(), wholes.end());
        if (residual(m_problem, plan, left)) {
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
        if (wholes.size() > 1) {
            std::size_t most = 0;
            for (std::size_t c = 1; c < patterns.size(); ++c)
                if (x[c] > x[most])
                    most = c;
            open.push_back(std::make_shared<const Node>(
                Node {node, PatternPlan {PatternCount {capped(patterns[most], rest.demands), 1}}}));
        }
        const auto down = std::make_shared<const Node>(Node {node, std::move(wholes)});
        const int n = std::min<int>(m_limits.children, int(fractional.size()));
        for (int k = n; k-- > 0;) {
            const Pattern up = capped(patterns[std::size_t(fractional[std::size_t(k)])], rest.demands);
            if (up.empty())
                continue;
            open.push_back(std::make_shared<const Node>(Node {down, PatternPlan {PatternCount {up, 1}}}));
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
    std::vector<NodePtr> open {std::make_shared<const Node>()};
    for (int node = 0; node < limits.nodes && !open.empty() && !search.done(); ++node) {
        if (cancel && cancel->load())
            break;
        const NodePtr next = std::move(open.back());
        open.pop_back();
        search.visit(next, open);
        // Branches below the last nodes left to visit are never reached.
        const std::size_t left = std::size_t(limits.nodes - node - 1);
        if (open.size() > left)
            open.erase(open.begin(), open.end() - std::ptrdiff_t(left));
    }
    return search.done();
}

} // namespace tarvex::packing
