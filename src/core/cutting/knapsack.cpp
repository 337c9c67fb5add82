#include "core/cutting/knapsack.h"

#include <algorithm>
#include <numeric>

namespace tarvex::packing {

namespace {

using Size = std::int64_t;

// Prices this small add nothing a bar could be chosen for.
constexpr double kNoValue = 1e-12;
// The table is used up to this many cells (bits of choice memory).
constexpr std::int64_t kTableCells = std::int64_t(1) << 26;

// The most valuable choice by a table over the capacity, each piece count
// split into 1, 2, 4, ...: exact, in time capacity × parts.
double tableKnapsack(const std::vector<Size> &sizes, const std::vector<int> &bounds, const std::vector<double> &values,
    Size capacity, std::vector<int> *counts)
{
    struct Part {
        std::size_t item;
        int count;
    };
    std::vector<Part> parts;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (values[i] <= kNoValue)
            continue;
        const int most = int(std::min<Size>(bounds[i], sizes[i] > 0 ? capacity / sizes[i] : bounds[i]));
        for (int left = most, chunk = 1; left > 0; chunk *= 2) {
            const int n = std::min(chunk, left);
            parts.push_back({i, n});
            left -= n;
        }
    }
    const std::size_t width = std::size_t(capacity) + 1;
    const std::size_t words = width / 64 + 1;
    std::vector<double> value(width, 0);
    std::vector<std::uint64_t> taken(counts ? parts.size() * words : 0, 0);
    double free = 0; // parts of no size
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const std::size_t size = std::size_t(sizes[parts[p].item] * parts[p].count);
        const double worth = values[parts[p].item] * parts[p].count;
        if (size == 0) {
            free += worth;
            continue;
        }
        std::uint64_t *bits = counts ? taken.data() + p * words : nullptr;
        for (std::size_t w = width - 1; w >= size; --w) {
            const double with = value[w - size] + worth;
            if (with > value[w]) {
                value[w] = with;
                if (bits)
                    bits[w / 64] |= std::uint64_t(1) << (w % 64);
            }
        }
    }
    if (counts) {
        counts->assign(sizes.size(), 0);
        std::size_t w = width - 1;
        for (std::size_t p = parts.size(); p-- > 0;) {
            if ((taken[p * words + w / 64] >> (w % 64)) & 1) {
                (*counts)[parts[p].item] += parts[p].count;
                w -= std::size_t(sizes[parts[p].item] * parts[p].count);
            }
        }
    }
    return value[width - 1] + free;
}

class Search {
public:
    Search(const std::vector<Size> &sizes, const std::vector<int> &bounds, const std::vector<double> &values,
        Size capacity)
        : m_capacity(capacity)
    {
        for (int i = 0; i < int(sizes.size()); ++i)
            if (values[i] > kNoValue && bounds[i] > 0 && sizes[i] <= capacity)
                m_items.push_back(i);
        // Densest first; of equal density the larger first, then by index,
        // so the order never depends on the sort.
        std::sort(m_items.begin(), m_items.end(), [&](int a, int b) {
            const double da = values[a] * double(sizes[b]);
            const double db = values[b] * double(sizes[a]);
            if (da != db)
                return da > db;
            return sizes[a] != sizes[b] ? sizes[a] > sizes[b] : a < b;
        });
        const std::size_t n = m_items.size();
        m_size.resize(n);
        m_value.resize(n);
        m_bound.resize(n);
        m_sizeSum.assign(n + 1, 0);
        m_valueSum.assign(n + 1, 0);
        m_smallest.assign(n + 1, capacity + 1);
        for (std::size_t k = 0; k < n; ++k) {
            const int i = m_items[k];
            m_size[k] = sizes[i];
            m_value[k] = values[i];
            m_bound[k] = int(std::min<Size>(bounds[i], capacity / sizes[i]));
            m_sizeSum[k + 1] = m_sizeSum[k] + m_size[k] * m_bound[k];
            m_valueSum[k + 1] = m_valueSum[k] + m_value[k] * m_bound[k];
        }
        for (std::size_t k = n; k-- > 0;)
            m_smallest[k] = std::min(m_smallest[k + 1], m_size[k]);
        m_current.assign(n, 0);
        m_best.assign(n, 0);
    }

    // The fractional fill of the items from k on into room: no choice
    // among them is worth more.
    double upperBound(std::size_t k, Size room) const
    {
        const auto end = m_sizeSum.begin() + std::ptrdiff_t(m_size.size()) + 1;
        const auto it = std::upper_bound(m_sizeSum.begin() + std::ptrdiff_t(k), end, m_sizeSum[k] + room);
        const std::size_t j = std::size_t(it - m_sizeSum.begin()) - 1; // items k..j-1 fit whole
        double bound = m_valueSum[j] - m_valueSum[k];
        if (j < m_size.size())
            bound += double(room - (m_sizeSum[j] - m_sizeSum[k])) * m_value[j] / double(m_size[j]);
        return bound;
    }

    bool run(long nodeLimit)
    {
        m_nodesLeft = nodeLimit;
        m_bestValue = 0;
        descend(0, m_capacity, 0);
        return m_nodesLeft >= 0;
    }

    double rootBound() const { return upperBound(0, m_capacity); }
    double bestValue() const { return m_bestValue; }

    BestPattern result(std::size_t sizeCount, double upper) const
    {
        BestPattern found;
        found.counts.assign(sizeCount, 0);
        for (std::size_t k = 0; k < m_items.size(); ++k)
            found.counts[std::size_t(m_items[k])] = m_best[k];
        found.value = m_bestValue;
        found.upper = std::max(upper, m_bestValue);
        return found;
    }

private:
    void descend(std::size_t k, Size room, double value)
    {
        if (value > m_bestValue) {
            m_bestValue = value;
            std::copy(m_current.begin(), m_current.end(), m_best.begin());
            std::fill(m_best.begin() + std::ptrdiff_t(k), m_best.end(), 0);
        }
        if (k == m_size.size() || room < m_smallest[k] || --m_nodesLeft < 0)
            return;
        if (value + upperBound(k, room) <= m_bestValue * (1 + 1e-12) + kNoValue)
            return;
        const int most = int(std::min<Size>(m_bound[k], room / m_size[k]));
        for (int t = most; t >= 0 && m_nodesLeft >= 0; --t) {
            m_current[k] = t;
            descend(k + 1, room - t * m_size[k], value + t * m_value[k]);
        }
        m_current[k] = 0;
    }

    Size m_capacity;
    std::vector<int> m_items; // sorted position -> size index
    std::vector<Size> m_size;
    std::vector<double> m_value;
    std::vector<int> m_bound;
    std::vector<Size> m_sizeSum;
    std::vector<double> m_valueSum;
    std::vector<Size> m_smallest; // of the items from k on
    std::vector<int> m_current;
    std::vector<int> m_best;
    double m_bestValue = 0;
    long m_nodesLeft = 0;
};

} // namespace

BestPattern coarsePattern(const std::vector<Size> &sizes, const std::vector<int> &bounds,
    const std::vector<double> &values, Size capacity, Size cells)
{
    const Size unit = std::max<Size>(1, (capacity + cells - 1) / cells);
    std::vector<Size> up(sizes.size()), down(sizes.size());
    std::vector<int> fitting = bounds;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        up[i] = (sizes[i] + unit - 1) / unit;
        down[i] = sizes[i] / unit;
        if (sizes[i] > capacity)
            fitting[i] = 0;
    }
    BestPattern found;
    tableKnapsack(up, fitting, values, capacity / unit, &found.counts);
    for (std::size_t i = 0; i < sizes.size(); ++i)
        found.value += found.counts[i] * values[i];
    found.upper = unit == 1 ? found.value : tableKnapsack(down, fitting, values, capacity / unit, nullptr);
    found.upper = std::max(found.upper, found.value);
    return found;
}

BestPattern bestPattern(const std::vector<Size> &sizes, const std::vector<int> &bounds,
    const std::vector<double> &values, Size capacity, long nodeLimit, double enough)
{
    Search search(sizes, bounds, values, capacity);
    if (search.run(nodeLimit))
        return search.result(sizes.size(), 0);
    if (search.bestValue() > enough)
        return search.result(sizes.size(), search.rootBound());
    std::int64_t parts = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        if (values[i] > kNoValue && sizes[i] <= capacity)
            for (int left = int(std::min<Size>(bounds[i], capacity / sizes[i])); left > 0; left /= 2)
                ++parts;
    if (parts * (capacity + 1) > kTableCells)
        return search.result(sizes.size(), search.rootBound());
    BestPattern found;
    tableKnapsack(sizes, bounds, values, capacity, &found.counts);
    for (std::size_t i = 0; i < sizes.size(); ++i)
        found.value += found.counts[i] * values[i];
    found.upper = found.value;
    return found;
}

} // namespace tarvex::packing
