#include "core/cutting/patternlp.h"

#include "core/cutting/knapsack.h"

#include <ClpSimplex.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tarvex::packing {

namespace {

// A pattern enters when it lowers the cost by more than this (relative to
// the cost of its bar); smaller gains are the solver's rounding.
constexpr double kEntering = 1e-9;

// What a bar's pieces must be worth for its pattern to enter: more than the
// bar costs.
double enteringWorth(const StockKind &kind)
{
    return kind.cost + kEntering * std::max(1.0, kind.cost);
}

} // namespace

PatternLp::PatternLp(const StockProblem &problem, const std::vector<Pattern> &start)
    : m_problem(problem)
    , m_lp(std::make_unique<ClpSimplex>())
{
    m_lp->setLogLevel(0);
    m_lp->setDualTolerance(1e-9);
    m_lp->setRandomSeed(1234567);
    // The counts are small whole numbers: scaling the matrix again before
    // every solve would only cost time.
    m_lp->scaling(0);
    const std::size_t m = problem.sizes.size();
    int rows = int(m);
    for (const StockKind &kind : problem.kinds)
        rows += kind.limited();
    m_lp->resize(rows, 0);
    for (std::size_t i = 0; i < m; ++i) {
        m_lp->setRowLower(int(i), problem.demands[i]);
        m_lp->setRowUpper(int(i), COIN_DBL_MAX);
    }
    int row = int(m);
    for (const StockKind &kind : problem.kinds) {
        if (kind.limited()) {
            m_lp->setRowLower(row, -COIN_DBL_MAX);
            m_lp->setRowUpper(row, kind.available);
            ++row;
        }
    }
    std::vector<Pattern> first;
    for (const Pattern &p : start)
        first.push_back(capped(p, problem.demands));
    // One size alone, as often as the first kind of bar holds it.
    const Size capacity = problem.kinds[0].capacity;
    for (std::size_t i = 0; i < m; ++i) {
        if (problem.demands[i] > 0 && problem.sizes[i] <= capacity) {
            Pattern single {0, std::vector<int>(m, 0)};
            single.counts[i] = int(std::min<Size>(problem.demands[i], capacity / problem.sizes[i]));
            first.push_back(single);
        }
    }
    addColumns(first);
}

PatternLp::~PatternLp() = default;

bool PatternLp::add(const Pattern &pattern)
{
    if (pattern.empty() || !m_known.insert(pattern).second)
        return false;
    m_patterns.push_back(pattern);
    return true;
}

void PatternLp::addColumns(const std::vector<Pattern> &patterns)
{
    const std::size_t before = m_patterns.size();
    for (const Pattern &p : patterns)
        add(p);
    const std::size_t m = m_problem.sizes.size();
    std::vector<int> kindRow(m_problem.kinds.size(), -1);
    for (std::size_t k = 0, row = m; k < m_problem.kinds.size(); ++k)
        if (m_problem.kinds[k].limited())
            kindRow[k] = int(row++);
    std::vector<double> lower, upper, cost, elements;
    std::vector<CoinBigIndex> starts {0};
    std::vector<int> rows;
    for (std::size_t c = before; c < m_patterns.size(); ++c) {
        const Pattern &p = m_patterns[c];
        for (std::size_t i = 0; i < m; ++i) {
            if (p.counts[i] > 0) {
                rows.push_back(int(i));
                elements.push_back(p.counts[i]);
            }
        }
        if (kindRow[std::size_t(p.kind)] >= 0) {
            rows.push_back(kindRow[std::size_t(p.kind)]);
            elements.push_back(1);
        }
        starts.push_back(CoinBigIndex(rows.size()));
        lower.push_back(0);
        upper.push_back(COIN_DBL_MAX);
        cost.push_back(m_problem.kinds[std::size_t(p.kind)].cost);
    }
    if (!lower.empty())
        m_lp->addColumns(
            int(lower.size()), lower.data(), upper.data(), cost.data(), starts.data(), rows.data(), elements.data());
}

void PatternLp::setDemands(const StockProblem &problem)
{
    const std::size_t m = m_problem.sizes.size();
    for (std::size_t i = 0; i < m; ++i)
        m_lp->setRowLower(int(i), problem.demands[i]);
    for (std::size_t k = 0, row = m; k < m_problem.kinds.size(); ++k)
        if (m_problem.kinds[k].limited())
            m_lp->setRowUpper(int(row++), problem.kinds[k].available);
    m_problem = problem;
    m_bound = 0;
    m_centre.clear();
    m_boundsChanged = true;
}

std::vector<double> PatternLp::rowPrices() const
{
    const double *row = m_lp->dualRowSolution();
    std::vector<double> prices(row, row + m_lp->numberRows());
    const std::size_t m = m_problem.sizes.size();
    for (std::size_t r = 0; r < prices.size(); ++r)
        prices[r] = r < m ? std::max(0.0, prices[r]) : std::min(0.0, prices[r]);
    return prices;
}

double PatternLp::price(const std::vector<double> &prices, const LpLimits &limits, bool coarse,
    std::vector<Pattern> &found, bool &exact) const
{
    const std::size_t m = m_problem.sizes.size();
    const std::vector<double> piecePrices(prices.begin(), prices.begin() + std::ptrdiff_t(m));
    double demandWorth = 0;
    for (std::size_t i = 0; i < m; ++i)
        demandWorth += piecePrices[i] * m_problem.demands[i];
    exact = true;
    double scale = 1;
    std::vector<double> worth(m_problem.kinds.size(), 0);
    for (std::size_t k = 0; k < m_problem.kinds.size(); ++k) {
        const StockKind &kind = m_problem.kinds[k];
        if (kind.available == 0)
            continue;
        std::vector<int> bounds(m, 0);
        for (std::size_t i = 0; i < m; ++i)
            if (m_problem.sizes[i] <= kind.capacity)
                bounds[i] = int(std::min<Size>(m_problem.demands[i], kind.capacity / m_problem.sizes[i]));
        const BestPattern best = coarse
            ? coarsePattern(m_problem.sizes, bounds, piecePrices, kind.capacity, limits.coarseCells)
            : bestPattern(m_problem.sizes, bounds, piecePrices, kind.capacity, limits.knapsackNodes,
                limits.firstImproving ? enteringWorth(kind) : std::numeric_limits<double>::infinity());
        worth[k] = best.upper;
        exact = exact && best.upper <= best.value;
        if (!kind.limited())
            scale = std::max(scale, best.upper / kind.cost);
        if (best.value > 0)
            found.push_back({int(k), best.counts});
    }
    // Prices scaled down until no bar of an unlimited kind is worth more
    // than it costs give a bound on every plan; each limited kind takes
    // away what its bars could be worth beyond their cost.
    double bound = demandWorth / scale;
    for (std::size_t k = 0; k < m_problem.kinds.size(); ++k) {
        const StockKind &kind = m_problem.kinds[k];
        if (kind.limited())
            bound += kind.available * std::min(0.0, kind.cost - worth[k] / scale);
    }
    return bound;
}

bool PatternLp::improves(const Pattern &pattern, const std::vector<double> &prices) const
{
    const StockKind &kind = m_problem.kinds[std::size_t(pattern.kind)];
    double worth = 0;
    for (std::size_t i = 0; i < pattern.counts.size(); ++i)
        worth += prices[i] * pattern.counts[i];
    if (kind.limited()) {
        std::size_t row = m_problem.sizes.size();
        for (int k = 0; k < pattern.kind; ++k)
            row += m_problem.kinds[std::size_t(k)].limited();
        worth += prices[row];
    }
    return worth > enteringWorth(kind);
}

bool PatternLp::solve(const LpLimits &limits)
{
    m_optimal = false;
    // The coarse scale pays only where it is much smaller than the bar.
    bool coarse = false;
    for (const StockKind &kind : m_problem.kinds)
        coarse = coarse || (!limits.firstImproving && kind.capacity >= 4 * limits.coarseCells);
    if (m_boundsChanged) {
        m_lp->dual();
        m_boundsChanged = false;
    }
    for (int round = 0; round < limits.rounds; ++round) {
        m_lp->primal();
        if (m_lp->status() != 0)
            return false;
        m_value = m_lp->objectiveValue();
        if (limits.wholeBound) {
            const double reached = std::ceil(m_bound - 1e-6);
            if (reached >= std::ceil(m_value - 1e-6) || (m_value - reached < limits.tail && reached > 0))
                return true;
        }
        const std::vector<double> lpPrices = rowPrices();
        // Prices half way to those of the best bound so far: the patterns
        // they find settle the relaxation in far fewer rounds than the
        // solver's own prices, which jump from one corner to another. Each
        // is priced on the coarse scale first; only when that finds nothing
        // the solver's own prices are priced exactly.
        std::vector<double> smoothed = lpPrices;
        if (!m_centre.empty())
            for (std::size_t r = 0; r < smoothed.size(); ++r)
                smoothed[r] = (smoothed[r] + m_centre[r]) / 2;
        struct Attempt {
            const std::vector<double> *prices;
            bool coarse;
        };
        std::vector<Attempt> attempts;
        if (!m_centre.empty())
            attempts.push_back({&smoothed, coarse});
        if (coarse)
            attempts.push_back({&lpPrices, true});
        attempts.push_back({&lpPrices, false});
        std::vector<Pattern> entering;
        bool exact = false;
        for (const Attempt &attempt : attempts) {
            std::vector<Pattern> found;
            const double bound = price(*attempt.prices, limits, attempt.coarse, found, exact);
            exact = exact && !attempt.coarse;
            if (bound > m_bound || m_centre.empty()) {
                m_bound = std::max(m_bound, bound);
                m_centre = *attempt.prices;
            }
            for (const Pattern &p : found)
                if (improves(p, lpPrices))
                    entering.push_back(p);
            if (!entering.empty())
                break;
        }
        if (entering.empty()) {
            m_optimal = exact;
            return exact;
        }
        const std::size_t before = m_patterns.size();
        addColumns(entering);
        // Nothing new: the solver's tolerances hide what the prices show.
        if (m_patterns.size() == before)
            return false;
    }
    return false;
}

std::vector<double> PatternLp::piecePrices() const
{
    std::vector<double> prices = rowPrices();
    prices.resize(m_problem.sizes.size());
    return prices;
}

std::vector<double> PatternLp::usage() const
{
    const double *x = m_lp->primalColumnSolution();
    return std::vector<double>(x, x + m_patterns.size());
}

} // namespace tarvex::packing
