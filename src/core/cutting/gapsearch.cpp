#include "core/cutting/gapsearch.h"

#include "core/cutting/knapsack.h"
#include "core/cutting/patternip.h"
#include "core/cutting/patternlp.h"

#include <algorithm>
#include <functional>

namespace tarvex::packing {

namespace {

// Rounding of the prices: patterns this close to the gap are listed too.
constexpr double kSlack = 1e-7;

// Patterns as columns: the sizes each holds (rows, largest first) with
// their counts, and its reduced cost.
struct Columns {
    std::vector<int> starts {0};
    std::vector<int> rows;
    std::vector<int> counts;
    std::vector<double> reduced;
    std::size_t size() const { return reduced.size(); }
};

// Every pattern whose reduced cost lies within the gap, no size more often
// than it is wanted, and full: no piece still wanted fits into what it
// leaves.
class GapListing {
public:
    GapListing(const StockProblem &problem, const std::vector<double> &prices, double gap)
        : m_problem(problem)
        , m_prices(prices)
        , m_least(1 - gap - kSlack)
        , m_counts(problem.sizes.size(), 0)
        , m_bestRate(problem.sizes.size() + 1, 0)
    {
        // The most a unit of room can still earn from a size on.
        for (std::size_t i = problem.sizes.size(); i-- > 0;) {
            const double rate = problem.demands[i] > 0 ? prices[i] / double(problem.sizes[i]) : 0;
            m_bestRate[i] = std::max(m_bestRate[i + 1], rate);
        }
    }

    // False when a limit stopped the listing.
    bool list()
    {
        visit(0, m_problem.kinds[0].capacity, 0);
        return !m_stopped;
    }

    Columns columns;

private:
    void visit(std::size_t from, Size room, double value)
    {
        if (value >= m_least && full(room))
            add(value);
        const std::vector<Size> &sizes = m_problem.sizes;
        // Sizes largest first: the first that fits, and from there on.
        const auto first
            = std::lower_bound(sizes.begin() + std::ptrdiff_t(from), sizes.end(), room, std::greater<Size>());
        for (std::size_t i = std::size_t(first - sizes.begin()); i < sizes.size(); ++i) {
            // Every size looked at is a step.
            if (++m_steps > kGapSteps || columns.size() > kGapPatterns)
                m_stopped = true;
            if (m_stopped)
                return;
            if (value + double(room) * m_bestRate[i] < m_least)
                return;
            if (m_counts[i] == m_problem.demands[i])
                continue;
            ++m_counts[i];
            visit(i, room - sizes[i], value + m_prices[i]);
            --m_counts[i];
        }
    }

    // No piece still wanted fits into room.
    bool full(Size room) const
    {
        for (std::size_t i = m_counts.size(); i-- > 0;)
            if (m_counts[i] < m_problem.demands[i])
                return m_problem.sizes[i] > room;
        return true;
    }

    void add(double value)
    {
        for (std::size_t i = 0; i < m_counts.size(); ++i) {
            if (m_counts[i] > 0) {
                columns.rows.push_back(int(i));
                columns.counts.push_back(m_counts[i]);
            }
        }
        columns.starts.push_back(int(columns.rows.size()));
        columns.reduced.push_back(1 - value);
    }

    const StockProblem &m_problem;
    const std::vector<double> &m_prices;
    double m_least;
    std::vector<int> m_counts;
    std::vector<double> m_bestRate;
    long m_steps = 0;
    bool m_stopped = false;
};

// Bars one after the other, each holding the largest piece not yet cut as
// its own largest, while their reduced costs add up to no more than the
// gap. Where every piece is worth more than the gap, a plan of that many
// bars cuts no piece too many (a piece beyond the demands would take its
// worth out of the gap too), so none of its bars has room for a piece still
// wanted, and its bars are such a sequence: a search that ends without one
// shows that there is no such plan.
class CoverSearch {
public:
    CoverSearch(const Columns &columns, std::vector<int> demands, double gap)
        : m_columns(columns)
        , m_rest(std::move(demands))
        , m_budget(gap + kSlack)
        , m_byLargest(m_rest.size())
        , m_times(columns.size(), 0)
    {
        for (std::size_t c = 0; c < columns.size(); ++c)
            m_byLargest[std::size_t(columns.rows[std::size_t(columns.starts[c])])].push_back(int(c));
        for (std::vector<int> &list : m_byLargest)
            std::stable_sort(list.begin(), list.end(),
                [&](int a, int b) { return columns.reduced[std::size_t(a)] < columns.reduced[std::size_t(b)]; });
    }

    // A plan of bars within the gap, empty when there is none (or the step
    // limit came first: finished() tells).
    PatternPlan run()
    {
        PatternPlan plan;
        if (!visit(0, 0))
            return plan;
        const std::size_t sizes = m_rest.size();
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            if (m_times[c] == 0)
                continue;
            Pattern p {0, std::vector<int>(sizes, 0)};
            for (int e = m_columns.starts[c]; e < m_columns.starts[c + 1]; ++e)
                p.counts[std::size_t(m_columns.rows[std::size_t(e)])] = m_columns.counts[std::size_t(e)];
            plan.push_back({std::move(p), m_times[c]});
        }
        return plan;
    }

    bool finished() const { return !m_stopped; }

private:
    bool visit(std::size_t row, std::size_t from)
    {
        while (row < m_rest.size() && m_rest[row] == 0) {
            ++row;
            from = 0;
        }
        if (row == m_rest.size())
            return true;
        const std::vector<int> &list = m_byLargest[row];
        for (std::size_t k = from; k < list.size(); ++k) {
            // Every column looked at is a step.
            if (++m_steps > kGapSteps)
                m_stopped = true;
            if (m_stopped)
                return false;
            const std::size_t c = std::size_t(list[k]);
            if (m_columns.reduced[c] > m_budget)
                break;
            if (!fits(c))
                continue;
            take(c, 1);
            if (visit(row, k))
                return true;
            take(c, -1);
        }
        return false;
    }

    bool fits(std::size_t c) const
    {
        for (int e = m_columns.starts[c]; e < m_columns.starts[c + 1]; ++e)
            if (m_columns.counts[std::size_t(e)] > m_rest[std::size_t(m_columns.rows[std::size_t(e)])])
                return false;
        return true;
    }

    void take(std::size_t c, int times)
    {
        for (int e = m_columns.starts[c]; e < m_columns.starts[c + 1]; ++e)
            m_rest[std::size_t(m_columns.rows[std::size_t(e)])] -= times * m_columns.counts[std::size_t(e)];
        m_budget -= times * m_columns.reduced[c];
        m_times[c] += times;
    }

    const Columns &m_columns;
    std::vector<int> m_rest;
    double m_budget;
    std::vector<std::vector<int>> m_byLargest;
    std::vector<int> m_times;
    long m_steps = 0;
    bool m_stopped = false;
};

} // namespace

ExactOutcome searchWithinGap(const StockProblem &problem, std::vector<double> prices, PatternPlan &best)
{
    ExactOutcome outcome;
    const std::size_t m = problem.sizes.size();
    if (problem.kinds.size() != 1 || problem.kinds[0].limited() || problem.kinds[0].cost != 1 || prices.size() != m)
        return outcome;
    const Size capacity = problem.kinds[0].capacity;

    // The argument needs prices at which no bar is worth more than 1.
    std::vector<int> bounds(m, 0);
    for (std::size_t i = 0; i < m; ++i) {
        prices[i] = std::max(0.0, prices[i]);
        bounds[i] = int(std::min<Size>(problem.demands[i], capacity / problem.sizes[i]));
    }
    const BestPattern richest = bestPattern(problem.sizes, bounds, prices, capacity, LpLimits().knapsackNodes);
    double worth = 0;
    for (std::size_t i = 0; i < m; ++i) {
        prices[i] /= std::max(1.0, richest.upper);
        worth += prices[i] * problem.demands[i];
    }
    const double gap = planCost(best, problem) - 1 - worth;
    if (gap < -kSlack)
        return outcome;

    GapListing listing(problem, prices, gap);
    if (!listing.list())
        return outcome;
    CoverSearch search(listing.columns, problem.demands, gap);
    const PatternPlan found = search.run();
    if (!found.empty())
        outcome.improved = takeIfCheaper(problem, found, best);
    const bool noSurplus = *std::min_element(prices.begin(), prices.end()) > gap + kSlack;
    outcome.proven = found.empty() && search.finished() && noSurplus;
    return outcome;
}

} // namespace tarvex::packing
