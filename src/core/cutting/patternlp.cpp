#include "core/cutting/patternlp.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tarvex::packing {

namespace {

constexpr double kEps = 1e-9;

// The most valuable pattern: a bounded knapsack by depth-first search over
// the items in order of value per unit size, cut off by the fractional fill
// of the rest. Node-limited; exact tells whether the search finished.
struct Knapsack {
    Knapsack(const std::vector<std::int64_t> &sizes, const std::vector<int> &bounds, const std::vector<double> &values,
        std::int64_t capacity, long nodeLimit = 50000)
        : sizes(sizes)
        , bounds(bounds)
        , values(values)
        , capacity(capacity)
        , nodeLimit(nodeLimit)
    {
    }

    const std::vector<std::int64_t> &sizes;
    const std::vector<int> &bounds;
    const std::vector<double> &values;
    std::int64_t capacity;
    long nodeLimit;

    std::vector<int> order;
    std::vector<int> current;
    std::vector<int> best;
    double bestValue = 0;
    long nodes = 0;

    bool solve()
    {
        for (int i = 0; i < int(sizes.size()); ++i)
            if (values[i] > kEps && bounds[i] > 0)
                order.push_back(i);
        std::sort(order.begin(), order.end(),
            [&](int a, int b) { return values[a] * double(sizes[b]) > values[b] * double(sizes[a]); });
        sizeSum.assign(order.size() + 1, 0);
        valueSum.assign(order.size() + 1, 0);
        for (std::size_t k = 0; k < order.size(); ++k) {
            const int i = order[k];
            sizeSum[k + 1] = sizeSum[k] + sizes[i] * bounds[i];
            valueSum[k + 1] = valueSum[k] + values[i] * bounds[i];
        }
        current.assign(sizes.size(), 0);
        best = current;
        bestValue = 0;
        search(0, capacity, 0);
        return nodes <= nodeLimit;
    }

    // The same by a table over the capacity: exact in time proportional to
    // capacity × items, for the searches the node limit cut short.
    void solveByTable()
    {
        struct Part {
            int item;
            int count;
        };
        std::vector<Part> parts; // each item's bound split into 1, 2, 4, ...
        for (int i : order)
            for (int left = bounds[i], chunk = 1; left > 0; chunk *= 2) {
                const int n = std::min(chunk, left);
                parts.push_back({i, n});
                left -= n;
            }
        const std::size_t width = std::size_t(capacity) + 1;
        std::vector<double> value(width, 0);
        std::vector<std::vector<bool>> taken(parts.size(), std::vector<bool>(width, false));
        for (std::size_t k = 0; k < parts.size(); ++k) {
            const std::int64_t size = sizes[parts[k].item] * parts[k].count;
            const double worth = values[parts[k].item] * parts[k].count;
            for (std::int64_t w = capacity; w >= size; --w) {
                if (value[w - size] + worth > value[w] + kEps) {
                    value[w] = value[w - size] + worth;
                    taken[k][w] = true;
                }
            }
        }
        best.assign(sizes.size(), 0);
        std::int64_t w = capacity;
        for (std::size_t k = parts.size(); k-- > 0;) {
            if (taken[k][w]) {
                best[parts[k].item] += parts[k].count;
                w -= sizes[parts[k].item] * parts[k].count;
            }
        }
        bestValue = 0;
        for (std::size_t i = 0; i < sizes.size(); ++i)
            bestValue += best[i] * values[i];
    }

    // Sizes and values of the items in order, summed: the fractional fill
    // of the rest in a binary search.
    std::vector<std::int64_t> sizeSum;
    std::vector<double> valueSum;

    double fractionalBound(std::size_t k, std::int64_t room) const
    {
        const std::int64_t base = sizeSum[k];
        const auto end = std::upper_bound(sizeSum.begin() + k, sizeSum.end(), base + room);
        const std::size_t c = std::size_t(end - sizeSum.begin()) - 1; // items k..c-1 fit whole
        double bound = valueSum[c] - valueSum[k];
        if (c < order.size()) {
            const int i = order[c];
            const std::int64_t left = base + room - sizeSum[c];
            bound += values[i] * double(left) / double(sizes[i]);
        }
        return bound;
    }

    void search(std::size_t k, std::int64_t room, double value)
    {
        if (value > bestValue + kEps) {
            bestValue = value;
            best = current;
        }
        if (k >= order.size() || ++nodes > nodeLimit)
            return;
        if (value + fractionalBound(k, room) <= bestValue + kEps)
            return;
        const int i = order[k];
        const int most = int(std::min<std::int64_t>(bounds[i], room / sizes[i]));
        for (int n = most; n >= 0; --n) {
            current[i] = n;
            search(k + 1, room - n * sizes[i], value + n * values[i]);
            if (nodes > nodeLimit)
                break;
        }
        current[i] = 0;
    }
};

// Revised simplex over min sum(x) with A x - s = d, x, s >= 0, its columns
// the patterns found so far (and the surplus of each size), the basis kept
// as an explicit inverse.
class PatternSimplex {
public:
    PatternSimplex(const std::vector<std::int64_t> &sizes, const std::vector<int> &demands, std::int64_t capacity)
        : m_sizes(sizes)
        , m_demands(demands)
        , m_capacity(capacity)
        , m_rows(int(sizes.size()))
    {
        // Start from one pattern per size: as many of it as fit.
        for (int i = 0; i < m_rows; ++i) {
            std::vector<int> counts(m_rows, 0);
            counts[i] = int(std::max<std::int64_t>(1, std::min<std::int64_t>(demands[i], capacity / sizes[i])));
            addPattern(counts);
            m_basis.push_back(i);
        }
        refactor();
    }

    PatternSolution solve(std::chrono::steady_clock::time_point deadline)
    {
        PatternSolution solution;
        const int iterationLimit = 50 * m_rows + 500;
        for (int iteration = 0; iteration < iterationLimit; ++iteration) {
            if ((iteration & 15) == 0 && std::chrono::steady_clock::now() >= deadline)
                break;
            if (iteration > 0 && iteration % 64 == 0)
                refactor();
            const std::vector<double> duals = dualValues();
            std::vector<double> column;
            int entering = enteringColumn(duals, column);
            if (entering == kNone) {
                solution.optimal = m_pricingExact;
                break;
            }
            // Once the proven bound, rounded up, meets the objective rounded
            // up, more columns change neither the bound nor, much, the plan.
            if (m_bestPatternValue > 0) {
                const double objective = currentObjective();
                if (std::ceil(m_bound - 1e-6) >= std::ceil(objective - 1e-6) || objective - m_bound < gapTolerance)
                    break;
                m_bestPatternValue = 0;
            }
            if (!pivot(entering, column))
                break;
        }
        solution.bound = m_bound;
        for (int r = 0; r < m_rows; ++r) {
            const int c = m_basis[r];
            if (c < int(m_patterns.size()) && m_x[r] > kEps) {
                solution.patterns.push_back({m_patterns[c], m_x[r]});
                solution.total += m_x[r];
            }
        }
        return solution;
    }

private:
    static constexpr int kNone = -1;
    static constexpr long kQuickNodes = 1500;

    // Columns are patterns (index < number of patterns) or surpluses.
    bool isSurplus(int c) const { return c >= kSurplusBase; }
    static constexpr int kSurplusBase = 1 << 28;

    std::vector<double> columnOf(int c) const
    {
        std::vector<double> a(m_rows, 0);
        if (isSurplus(c))
            a[c - kSurplusBase] = -1;
        else
            for (int i = 0; i < m_rows; ++i)
                a[i] = m_patterns[c][i];
        return a;
    }

    double costOf(int c) const { return isSurplus(c) ? 0 : 1; }

    // The demands are raised by distinct tiny amounts: without ties in the
    // ratio test the simplex cannot cycle on degenerate bases.
    double perturbation(int row) const { return 1e-7 * (1 + double(row) / m_rows); }

    double currentObjective() const
    {
        double z = 0;
        for (int r = 0; r < m_rows; ++r)
            z += costOf(m_basis[r]) * m_x[r];
        return z;
    }

    std::vector<double> dualValues() const
    {
        std::vector<double> y(m_rows, 0);
        for (int r = 0; r < m_rows; ++r) {
            const double cost = costOf(m_basis[r]);
            if (cost != 0)
                for (int j = 0; j < m_rows; ++j)
                    y[j] += cost * m_inverse[std::size_t(r) * m_rows + j];
        }
        return y;
    }

    int enteringColumn(const std::vector<double> &duals, std::vector<double> &column)
    {
        m_pricingExact = true;
        for (int i = 0; i < m_rows; ++i) {
            if (duals[i] < -1e-7 && std::find(m_basis.begin(), m_basis.end(), kSurplusBase + i) == m_basis.end()) {
                column = columnOf(kSurplusBase + i);
                return kSurplusBase + i;
            }
        }
        // Patterns found before come back into the basis without a search.
        int pooled = kNone;
        double mostNegative = -1e-7;
        for (int c = 0; c < int(m_patterns.size()); ++c) {
            double value = 0;
            for (const auto &[i, n] : m_sparse[c])
                value += duals[i] * n;
            if (1 - value < mostNegative && std::find(m_basis.begin(), m_basis.end(), c) == m_basis.end()) {
                mostNegative = 1 - value;
                pooled = c;
            }
        }
        if (pooled != kNone) {
            column = columnOf(pooled);
            return pooled;
        }
        // A greedy fill by value per unit size usually finds an improving
        // pattern; the exact search runs when it does not.
        std::vector<int> greedy;
        if (greedyPattern(duals, greedy) > 1 + 1e-7) {
            addPattern(greedy);
            column = columnOf(int(m_patterns.size()) - 1);
            return int(m_patterns.size()) - 1;
        }
        // Then a short search; the full one only to prove there is none.
        Knapsack quick {m_sizes, m_demands, duals, m_capacity, kQuickNodes};
        quick.solve();
        Knapsack full {m_sizes, m_demands, duals, m_capacity};
        Knapsack &knapsack = quick.bestValue > 1 + 1e-7 ? quick : full;
        if (&knapsack == &full) {
            if (!full.solve())
                full.solveByTable();
            m_pricingExact = true;
            {
                m_bestPatternValue = full.bestValue;
                // Farley's bound: each bin holds items worth at most the best
                // pattern's value, all items together are worth y·d, so no
                // plan has fewer than y·d / value bins (y >= 0 taken).
                double worth = 0;
                for (int i = 0; i < m_rows; ++i)
                    worth += std::max(0.0, duals[i]) * m_demands[i];
                if (full.bestValue > kEps)
                    m_bound = std::max(m_bound, worth / full.bestValue);
            }
        }
        if (knapsack.bestValue <= 1 + 1e-7)
            return kNone;
        addPattern(knapsack.best);
        column = columnOf(int(m_patterns.size()) - 1);
        return int(m_patterns.size()) - 1;
    }

    double greedyPattern(const std::vector<double> &duals, std::vector<int> &counts)
    {
        if (m_ratioOrder.empty()) {
            m_ratioOrder.resize(m_rows);
            std::iota(m_ratioOrder.begin(), m_ratioOrder.end(), 0);
        }
        std::sort(m_ratioOrder.begin(), m_ratioOrder.end(),
            [&](int a, int b) { return duals[a] * double(m_sizes[b]) > duals[b] * double(m_sizes[a]); });
        counts.assign(m_rows, 0);
        std::int64_t room = m_capacity;
        double value = 0;
        for (int i : m_ratioOrder) {
            if (duals[i] <= kEps)
                break;
            const int n = int(std::min<std::int64_t>(m_demands[i], room / m_sizes[i]));
            counts[i] = n;
            room -= n * m_sizes[i];
            value += n * duals[i];
        }
        return value;
    }

    void addPattern(const std::vector<int> &counts)
    {
        m_patterns.push_back(counts);
        std::vector<std::pair<int, int>> sparse;
        for (int i = 0; i < m_rows; ++i)
            if (counts[i] > 0)
                sparse.push_back({i, counts[i]});
        m_sparse.push_back(std::move(sparse));
    }

    bool pivot(int entering, const std::vector<double> &column)
    {
        std::vector<double> u(m_rows, 0);
        for (int r = 0; r < m_rows; ++r) {
            double sum = 0;
            const double *row = &m_inverse[std::size_t(r) * m_rows];
            for (int j = 0; j < m_rows; ++j)
                sum += row[j] * column[j];
            u[r] = sum;
        }
        int leave = -1;
        double best = 0;
        for (int r = 0; r < m_rows; ++r) {
            if (u[r] > 1e-9) {
                const double ratio = m_x[r] / u[r];
                if (leave < 0 || ratio < best - 1e-12) {
                    leave = r;
                    best = ratio;
                }
            }
        }
        if (leave < 0)
            return false;
        double *pivotRow = &m_inverse[std::size_t(leave) * m_rows];
        const double p = u[leave];
        for (int j = 0; j < m_rows; ++j)
            pivotRow[j] /= p;
        m_x[leave] /= p;
        for (int r = 0; r < m_rows; ++r) {
            if (r == leave || std::fabs(u[r]) < 1e-15)
                continue;
            double *row = &m_inverse[std::size_t(r) * m_rows];
            const double f = u[r];
            for (int j = 0; j < m_rows; ++j)
                row[j] -= f * pivotRow[j];
            m_x[r] -= f * m_x[leave];
            if (m_x[r] < 0 && m_x[r] > -1e-9)
                m_x[r] = 0;
        }
        m_basis[leave] = entering;
        return true;
    }

    // Inverts the basis afresh (Gauss-Jordan with partial pivoting) and
    // recomputes the basic values, clearing the drift of the updates.
    void refactor()
    {
        const int n = m_rows;
        std::vector<double> b(std::size_t(n) * n, 0);
        for (int r = 0; r < n; ++r) {
            const std::vector<double> a = columnOf(m_basis[r]);
            for (int i = 0; i < n; ++i)
                b[std::size_t(i) * n + r] = a[i];
        }
        m_inverse.assign(std::size_t(n) * n, 0);
        for (int i = 0; i < n; ++i)
            m_inverse[std::size_t(i) * n + i] = 1;
        for (int col = 0; col < n; ++col) {
            int pivotRow = col;
            for (int r = col + 1; r < n; ++r)
                if (std::fabs(b[std::size_t(r) * n + col]) > std::fabs(b[std::size_t(pivotRow) * n + col]))
                    pivotRow = r;
            if (pivotRow != col) {
                for (int j = 0; j < n; ++j) {
                    std::swap(b[std::size_t(col) * n + j], b[std::size_t(pivotRow) * n + j]);
                    std::swap(m_inverse[std::size_t(col) * n + j], m_inverse[std::size_t(pivotRow) * n + j]);
                }
            }
            const double p = b[std::size_t(col) * n + col];
            for (int j = 0; j < n; ++j) {
                b[std::size_t(col) * n + j] /= p;
                m_inverse[std::size_t(col) * n + j] /= p;
            }
            for (int r = 0; r < n; ++r) {
                const double f = b[std::size_t(r) * n + col];
                if (r == col || f == 0)
                    continue;
                for (int j = 0; j < n; ++j) {
                    b[std::size_t(r) * n + j] -= f * b[std::size_t(col) * n + j];
                    m_inverse[std::size_t(r) * n + j] -= f * m_inverse[std::size_t(col) * n + j];
                }
            }
        }
        m_x.assign(n, 0);
        for (int r = 0; r < n; ++r) {
            double sum = 0;
            for (int j = 0; j < n; ++j)
                sum += m_inverse[std::size_t(r) * n + j] * (m_demands[j] + perturbation(j));
            m_x[r] = std::max(0.0, sum);
        }
    }

    const std::vector<std::int64_t> &m_sizes;
    const std::vector<int> &m_demands;
    std::int64_t m_capacity;
    int m_rows;
    std::vector<std::vector<int>> m_patterns;
    std::vector<std::vector<std::pair<int, int>>> m_sparse;
    double m_bestPatternValue = 0;
    double m_bound = 0;
    std::vector<int> m_ratioOrder;

public:
    double gapTolerance = 0.02;

private:
    std::vector<int> m_basis; // column of each row
    std::vector<double> m_inverse; // row-major
    std::vector<double> m_x;
    bool m_pricingExact = true;
};

} // namespace

PatternSolution solvePatternLp(const std::vector<std::int64_t> &sizes, const std::vector<int> &demands,
    std::int64_t capacity, std::chrono::steady_clock::time_point deadline)
{
    if (sizes.empty())
        return PatternSolution {{}, 0, true};
    PatternSimplex simplex(sizes, demands, capacity);
    return simplex.solve(deadline);
}

} // namespace tarvex::packing
