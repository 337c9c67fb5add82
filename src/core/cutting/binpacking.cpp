#include "core/cutting/binpacking.h"

#include "core/cutting/arcflow.h"
#include "core/cutting/branchprice.h"
#include "core/cutting/gapsearch.h"
#include "core/cutting/patternip.h"
#include "core/cutting/patternlp.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <unordered_map>

namespace tarvex::packing {

namespace {

Size ceilDiv(Size a, Size b)
{
    return a <= 0 ? 0 : (a + b - 1) / b;
}

// Remaining sizes summed over a range of positions.
class Fenwick {
public:
    explicit Fenwick(int n)
        : m_tree(n + 1, 0)
    {
    }
    void add(int pos, Size delta)
    {
        for (int i = pos + 1; i < int(m_tree.size()); i += i & -i)
            m_tree[i] += delta;
    }
    Size prefix(int end) const // positions [0, end)
    {
        Size s = 0;
        for (int i = end; i > 0; i -= i & -i)
            s += m_tree[i];
        return s;
    }

private:
    std::vector<Size> m_tree;
};

// The next position at or after p whose size still has items; positions that
// run out are skipped from then on.
class NextAlive {
public:
    explicit NextAlive(int n)
        : m_next(n + 1)
    {
        std::iota(m_next.begin(), m_next.end(), 0);
    }
    int find(int p)
    {
        while (m_next[p] != p) {
            m_next[p] = m_next[m_next[p]];
            p = m_next[p];
        }
        return p;
    }
    void remove(int p) { m_next[p] = p + 1; }
    int end() const { return int(m_next.size()) - 1; }

private:
    std::vector<int> m_next;
};

bool stopRequested(const PackOptions &options)
{
    return options.cancel && options.cancel->load();
}

// Bins filled one after the other, each with the largest remaining item and
// the items among the rest that fill it best (a depth-first search with a
// node limit, stopped by an exact fit). A bin's contents are repeated while
// the items last, which makes projects with many equal lengths fast.
class SequentialFill {
public:
    static constexpr long kNodesPerBin = 3000;

    SequentialFill(const std::vector<Size> &sizes, Size capacity)
        : m_groups(sizes)
        , m_capacity(capacity)
        , m_sum(m_groups.count())
        , m_alive(m_groups.count())
    {
        const int n = m_groups.count();
        m_count.resize(n);
        m_used.assign(n, 0);
        for (int p = 0; p < n; ++p) {
            m_count[p] = int(m_groups.items[p].size());
            m_sum.add(p, m_groups.size[p] * m_count[p]);
        }
    }

    // Fills bins until every item is placed; false when stopped early.
    bool run(Bins &bins, const PackOptions &options)
    {
        int filled = 0;
        for (int first = m_alive.find(0); first < m_alive.end(); first = m_alive.find(0)) {
            if ((++filled & 63) == 0 && stopRequested(options))
                return false;
            m_used[first] = 1;
            m_best.clear();
            m_current.clear();
            m_bestFree = m_capacity - m_groups.size[first] + 1;
            m_nodes = 0;
            search(first, m_capacity - m_groups.size[first]);
            m_used[first] = 0;

            std::vector<int> pattern = m_best;
            pattern.push_back(first);
            std::sort(pattern.begin(), pattern.end());
            int repeats = m_count[first];
            for (std::size_t i = 0; i < pattern.size();) {
                std::size_t j = i;
                while (j < pattern.size() && pattern[j] == pattern[i])
                    ++j;
                repeats = std::min(repeats, m_count[pattern[i]] / int(j - i));
                i = j;
            }
            for (int r = 0; r < repeats; ++r) {
                std::vector<int> bin;
                for (int p : pattern)
                    bin.push_back(take(p));
                bins.push_back(std::move(bin));
            }
        }
        return true;
    }

private:
    int take(int p)
    {
        const int item = m_groups.items[p].back();
        m_groups.items[p].pop_back();
        --m_count[p];
        m_sum.add(p, -m_groups.size[p]);
        if (m_count[p] == 0)
            m_alive.remove(p);
        return item;
    }

    void search(int from, Size space)
    {
        if (space < m_bestFree) {
            m_bestFree = space;
            m_best = m_current;
        }
        if (m_bestFree == 0 || ++m_nodes > kNodesPerBin)
            return;
        const Size total = m_sum.prefix(m_groups.count());
        for (int p = m_alive.find(std::max(from, m_groups.firstFitting(space))); p < m_alive.end();
             p = m_alive.find(p + 1)) {
            // Even all the remaining smaller items cannot fill the bin better.
            if (space - (total - m_sum.prefix(p)) >= m_bestFree)
                break;
            if (m_used[p] >= m_count[p])
                continue;
            ++m_used[p];
            m_current.push_back(p);
            search(p, space - m_groups.size[p]);
            m_current.pop_back();
            --m_used[p];
            if (m_bestFree == 0 || m_nodes > kNodesPerBin)
                return;
        }
    }

    SizeGroups m_groups;
    Size m_capacity;
    Fenwick m_sum;
    NextAlive m_alive;
    std::vector<int> m_count;
    std::vector<int> m_used;
    std::vector<int> m_current;
    std::vector<int> m_best;
    Size m_bestFree = 0;
    long m_nodes = 0;
};

// Subset sums as bits: bit v is set when some choice of items adds up to v.
class SumSet {
public:
    void reset(Size limit)
    {
        m_limit = limit;
        m_words.assign(std::size_t(limit / 64 + 1), 0);
        m_words[0] = 1;
    }
    void assign(const SumSet &other)
    {
        m_limit = other.m_limit;
        m_words = other.m_words;
    }
    // Adds up to count items of one size.
    void addItems(Size size, int count)
    {
        for (int left = count, chunk = 1; left > 0; chunk *= 2) {
            const int n = std::min(chunk, left);
            left -= n;
            shiftOr(size * n);
        }
    }
    bool has(Size v) const { return v >= 0 && v <= m_limit && (m_words[std::size_t(v / 64)] >> (v % 64)) & 1; }
    // The largest sum in [lo, hi], or -1.
    Size largestIn(Size lo, Size hi) const
    {
        hi = std::min(hi, m_limit);
        lo = std::max<Size>(lo, 0);
        for (Size v = hi; v >= lo;) {
            const int bit = int(v % 64);
            std::uint64_t word = m_words[std::size_t(v / 64)];
            if (bit < 63)
                word &= (std::uint64_t(1) << (bit + 1)) - 1;
            if (word != 0) {
                const Size found = v - bit + (63 - __builtin_clzll(word));
                return found >= lo ? found : -1;
            }
            v -= bit + 1;
        }
        return -1;
    }

private:
    void shiftOr(Size by)
    {
        if (by > m_limit)
            return;
        const std::size_t w = std::size_t(by / 64);
        const int b = int(by % 64);
        for (std::size_t i = m_words.size(); i-- > w;) {
            std::uint64_t v = m_words[i - w] << b;
            if (b != 0 && i > w)
                v |= m_words[i - w - 1] >> (64 - b);
            m_words[i] |= v;
        }
        const int tail = int(m_limit % 64);
        if (tail < 63)
            m_words.back() &= (std::uint64_t(1) << (tail + 1)) - 1;
    }

    Size m_limit = 0;
    std::vector<std::uint64_t> m_words;
};

// Bin completion: a depth-first search for a plan of a given number of bins.
// Each level takes the largest remaining item and branches over the ways to
// complete its bin, fullest first, skipping completions that another one
// dominates (one that could swap an item, or two, for a larger remaining item
// is never better). The subset sums of the remaining items prune the search:
// every remaining item must still be able to fill its bin to within the free
// space the plan may leave, and the completions are enumerated only along
// sums that exist. Searches run with a node limit and are restarted with the
// completions of equal fill shuffled, so one unlucky early choice does not
// consume the whole time.
class BinCompletion {
public:
    // Completions tried per bin; the searches over more bins try fewer.
    int completionsPerBin = 16;
    static constexpr long kEnumerationNodes = 20000;
    // What a step of the enumeration costs against the work of a search,
    // counted in words of the sum sets.
    static constexpr long kEnumerationCost = 50;

    BinCompletion(const std::vector<Size> &sizes, Size capacity)
        : m_groups(sizes)
        , m_capacity(capacity)
        , m_count(m_groups.count())
        , m_tails(m_groups.count() + 1)
    {
        for (int p = 0; p < m_groups.count(); ++p)
            m_count[p] = int(m_groups.items[p].size());
        m_total = std::accumulate(sizes.begin(), sizes.end(), Size(0));
        m_items = int(sizes.size());
    }

    // A plan of at most binCount bins; false when none was found within the
    // node limit (or the search was stopped).
    // work: what the search may still spend (sum-set words and enumeration
    // steps), shared by the searches of one stage; the search fails when it
    // runs out.
    bool solve(int binCount, long nodeLimit, std::uint64_t seed, const PackOptions &options, long &work, Bins &bins)
    {
        m_work = &work;
        m_nodesLeft = nodeLimit;
        m_random.seed(seed);
        m_shuffle = seed != 0;
        m_options = &options;
        m_stack.clear();
        const Size allowedFree = Size(binCount) * m_capacity - m_total;
        if (allowedFree < 0 || !descend(allowedFree))
            return false;
        std::vector<std::vector<int>> items = m_groups.items;
        bins.clear();
        for (const std::vector<int> &bin : m_stack) {
            std::vector<int> b;
            for (int p : bin) {
                b.push_back(items[p].back());
                items[p].pop_back();
            }
            bins.push_back(std::move(b));
        }
        return true;
    }

private:
    struct Completion {
        std::vector<int> groups; // positions, largest first
        Size sum = 0;
    };

    bool descend(Size freeLeft)
    {
        if (m_items == 0)
            return true;
        *m_work -= long(m_groups.count()) * (m_capacity / 64 + 1);
        if (--m_nodesLeft < 0 || *m_work < 0 || ((m_nodesLeft & 63) == 0 && stopRequested(*m_options)))
            return false;
        if (!prepareSums(freeLeft))
            return false;
        const int first = m_avail.front();
        take(first);
        const Size space = m_capacity - m_groups.size[first];
        const std::vector<Completion> completions = complete(space, freeLeft, completionsPerBin);
        for (const Completion &c : completions) {
            for (int p : c.groups)
                take(p);
            std::vector<int> bin = c.groups;
            bin.insert(bin.begin(), first);
            m_stack.push_back(std::move(bin));
            if (descend(freeLeft - (space - c.sum)))
                return true;
            m_stack.pop_back();
            for (int p : c.groups)
                putBack(p);
            if (m_nodesLeft < 0)
                break;
        }
        putBack(first);
        return false;
    }

    void take(int p)
    {
        --m_count[p];
        --m_items;
        m_total -= m_groups.size[p];
    }
    void putBack(int p)
    {
        ++m_count[p];
        ++m_items;
        m_total += m_groups.size[p];
    }

    // The sums of the remaining items from each group on (m_tails), and the
    // check that every remaining item, the one being placed included, can
    // still be completed.
    bool prepareSums(Size freeLeft)
    {
        m_avail.clear();
        for (int p = 0; p < m_groups.count(); ++p)
            if (m_count[p] > 0)
                m_avail.push_back(p);
        const std::size_t n = m_avail.size();
        m_tails[n].reset(m_capacity);
        for (std::size_t k = n; k-- > 0;) {
            m_tails[k].assign(m_tails[k + 1]);
            m_tails[k].addItems(m_groups.size[m_avail[k]], m_count[m_avail[k]]);
        }
        const SumSet &all = m_tails[0];
        for (int p : m_avail) {
            const Size hi = m_capacity - m_groups.size[p];
            if (all.largestIn(hi - freeLeft, hi) < 0)
                return false;
        }
        return true;
    }

    // The best completions of a bin with space left: sums from space down
    // to space - freeLeft, each enumerated only along existing sums, keeping
    // those no remaining item could be added to and that are not dominated.
    std::vector<Completion> complete(Size space, Size freeLeft, int limit)
    {
        std::vector<Completion> result;
        m_current.clear();
        m_space = space;
        m_enumerated = 0;
        for (Size target = m_tails[0].largestIn(space - freeLeft, space); target >= 0;
             target = target == 0 ? -1 : m_tails[0].largestIn(space - freeLeft, target - 1)) {
            // Fewer items first: the small items are kept for the bins that
            // need them to come out exact.
            const Size smallest = smallestRemaining();
            m_smallest = smallest;
            for (int items = 1; Size(items) * smallest <= target && result.size() < std::size_t(limit); ++items) {
                m_found.clear();
                m_foundLimit = std::size_t(4 * limit);
                enumerate(0, target, items);
                for (Completion &c : m_found)
                    if (isMaximal(c) && !dominated(c, space))
                        result.push_back(std::move(c));
            }
            if (target == 0 && result.empty()) {
                Completion none;
                if (isMaximal(none))
                    result.push_back(none);
            }
            // Below this, the smallest remaining item would still fit.
            if (result.size() >= std::size_t(limit) || space - target >= smallestRemaining())
                break;
        }
        if (m_shuffle) {
            for (std::size_t i = 0; i < result.size();) {
                std::size_t j = i;
                while (j < result.size() && result[j].sum == result[i].sum)
                    ++j;
                std::shuffle(result.begin() + i, result.begin() + j, m_random);
                i = j;
            }
        }
        if (result.size() > std::size_t(limit))
            result.resize(limit);
        return result;
    }

    // Subsets of exactly itemsLeft more items from the groups m_avail[k] on,
    // adding up to exactly need, larger items first.
    void enumerate(std::size_t k, Size need, int itemsLeft)
    {
        if (need == 0 || itemsLeft == 0) {
            if (need == 0 && itemsLeft == 0) {
                Completion c;
                c.groups = m_current;
                for (int p : c.groups)
                    c.sum += m_groups.size[p];
                m_found.push_back(std::move(c));
            }
            return;
        }
        // Sizes that cannot take part are passed over without branching.
        while (k < m_avail.size() && m_groups.size[m_avail[k]] > need)
            ++k;
        if (k >= m_avail.size() || m_found.size() >= m_foundLimit)
            return;
        const int p = m_avail[k];
        const Size size = m_groups.size[p];
        // Even the largest items left cannot add up to need, or the smallest
        // ones already exceed it.
        if (need > itemsLeft * size || need < itemsLeft * m_smallest || ++m_enumerated > kEnumerationNodes
            || (*m_work -= kEnumerationCost) < 0)
            return;
        const int most = int(std::min<Size>(std::min(m_count[p], itemsLeft), need / size));
        // Most items of this size first; restarts take the choices in a
        // random order, so they try other completions than the first attempt.
        std::vector<int> choices(most + 1);
        std::iota(choices.rbegin(), choices.rend(), 0);
        if (m_shuffle)
            std::shuffle(choices.begin(), choices.end(), m_random);
        for (int j : choices) {
            if (!m_tails[k + 1].has(need - j * size))
                continue;
            for (int r = 0; r < j; ++r)
                m_current.push_back(p);
            enumerate(k + 1, need - j * size, itemsLeft - j);
            m_current.resize(m_current.size() - j);
        }
    }

    Size smallestRemaining() const
    {
        for (auto it = m_avail.rbegin(); it != m_avail.rend(); ++it)
            if (m_count[*it] > 0)
                return m_groups.size[*it];
        return m_capacity + 1;
    }

    int inUse(const Completion &c, int p) const
    {
        int n = 0;
        for (int q : c.groups)
            n += q == p;
        return n;
    }

    bool isMaximal(const Completion &c) const
    {
        for (auto it = m_avail.rbegin(); it != m_avail.rend(); ++it)
            if (inUse(c, *it) < m_count[*it])
                return m_groups.size[*it] > m_space - c.sum;
        return true;
    }

    // A remaining item larger than one chosen item, or than two together,
    // that fits in their place makes a fuller bin with the same others.
    bool dominated(const Completion &c, Size space) const
    {
        const Size freeSpace = space - c.sum;
        const std::size_t n = c.groups.size();
        auto replaceable = [&](Size removed) {
            for (int p = m_groups.firstFitting(removed + freeSpace); p < m_groups.count(); ++p) {
                if (m_groups.size[p] <= removed)
                    return false;
                if (m_count[p] > inUse(c, p))
                    return true;
            }
            return false;
        };
        for (std::size_t i = 0; i < n; ++i) {
            if (i > 0 && c.groups[i] == c.groups[i - 1])
                continue;
            if (replaceable(m_groups.size[c.groups[i]]))
                return true;
            for (std::size_t j = i + 1; j < n; ++j)
                if (replaceable(m_groups.size[c.groups[i]] + m_groups.size[c.groups[j]]))
                    return true;
        }
        return false;
    }

    SizeGroups m_groups;
    Size m_capacity;
    std::vector<int> m_count;
    std::vector<SumSet> m_tails;
    Size m_total = 0;
    int m_items = 0;
    std::vector<std::vector<int>> m_stack;
    long m_nodesLeft = 0;
    long *m_work = nullptr;
    std::mt19937_64 m_random;
    bool m_shuffle = false;
    const PackOptions *m_options = nullptr;
    // The completion search in progress.
    std::vector<int> m_avail;
    std::vector<Completion> m_found;
    std::vector<int> m_current;
    std::size_t m_foundLimit = 0;
    long m_enumerated = 0;
    Size m_smallest = 0;
    Size m_space = 0;
};

bool better(const Bins &a, const Bins &b, const std::vector<Size> &sizes, Size capacity)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    return concentration(a, sizes, capacity) > concentration(b, sizes, capacity);
}

// Fullest bin first; in a bin the longest item first.
void order(Bins &bins, const std::vector<Size> &sizes, Size capacity)
{
    const std::vector<Size> free = freeSpace(bins, sizes, capacity);
    std::vector<int> index(bins.size());
    std::iota(index.begin(), index.end(), 0);
    std::stable_sort(index.begin(), index.end(), [&](int a, int b) { return free[a] < free[b]; });
    Bins sorted;
    sorted.reserve(bins.size());
    for (int i : index) {
        std::vector<int> bin = std::move(bins[i]);
        std::stable_sort(bin.begin(), bin.end(), [&](int a, int b) { return sizes[a] > sizes[b]; });
        sorted.push_back(std::move(bin));
    }
    bins = std::move(sorted);
}

// A few bins of the plan, those with the most free space (at least a bin's
// worth in all) and extra others at random, repacked into one bin fewer.
bool repackFewer(Bins &plan, const std::vector<Size> &sizes, Size capacity, int extra, std::mt19937_64 &random,
    const PackOptions &options, long &work)
{
    constexpr long kNodes = 4000;
    const std::vector<Size> free = freeSpace(plan, sizes, capacity);
    std::vector<int> order(plan.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return free[a] > free[b]; });
    std::size_t taken = 0;
    Size freeTaken = 0;
    while (taken < order.size() && freeTaken < capacity)
        freeTaken += free[order[taken++]];
    if (freeTaken < capacity)
        return false;
    std::shuffle(order.begin() + taken, order.end(), random);
    taken = std::min(order.size(), taken + std::size_t(extra));

    std::vector<int> items;
    std::vector<Size> subSizes;
    for (std::size_t k = 0; k < taken; ++k) {
        for (int item : plan[order[k]]) {
            items.push_back(item);
            subSizes.push_back(sizes[item]);
        }
    }
    BinCompletion search(subSizes, capacity);
    Bins found;
    if (!search.solve(int(taken) - 1, kNodes, random(), options, work, found))
        return false;
    std::vector<char> replaced(plan.size(), 0);
    for (std::size_t k = 0; k < taken; ++k)
        replaced[order[k]] = 1;
    Bins next;
    for (std::size_t b = 0; b < plan.size(); ++b)
        if (!replaced[b])
            next.push_back(std::move(plan[b]));
    for (std::vector<int> &bin : found) {
        for (int &i : bin)
            i = items[i];
        next.push_back(std::move(bin));
    }
    plan = std::move(next);
    return true;
}

} // namespace

Bounds lowerBounds(const std::vector<Size> &sizes, Size capacity)
{
    Bounds bounds;
    if (sizes.empty() || capacity <= 0)
        return bounds;
    std::vector<Size> sorted = sizes;
    std::sort(sorted.begin(), sorted.end());
    std::vector<Size> prefix(sorted.size() + 1, 0);
    for (std::size_t i = 0; i < sorted.size(); ++i)
        prefix[i + 1] = prefix[i] + sorted[i];
    const int n = int(sorted.size());
    bounds.l1 = int(ceilDiv(prefix[n], capacity));

    auto firstAbove = [&](Size v) { return int(std::upper_bound(sorted.begin(), sorted.end(), v) - sorted.begin()); };
    auto firstAtLeast = [&](Size v) { return int(std::lower_bound(sorted.begin(), sorted.end(), v) - sorted.begin()); };
    // Items larger than half a bin never share one with each other.
    const int large = firstAbove(capacity / 2);
    int best = 0;
    // For a threshold a (0 or a size of at most half a bin): the items above
    // capacity - a take a bin each, those above half a bin one each as well,
    // and the items of at least a fill what those leave free, then more bins.
    auto boundFor = [&](Size a) {
        const int j1 = firstAbove(capacity - a);
        const int fromA = firstAtLeast(a);
        const Size n2 = j1 - large;
        const Size sum2 = prefix[j1] - prefix[large];
        const Size sum3 = prefix[large] - prefix[std::min(fromA, large)];
        return (n - j1) + int(n2) + int(ceilDiv(sum3 - (n2 * capacity - sum2), capacity));
    };
    best = boundFor(0);
    for (int i = 0; i < large; ++i) {
        if (i > 0 && sorted[i] == sorted[i - 1])
            continue;
        best = std::max(best, boundFor(sorted[i]));
    }
    bounds.l2 = best;
    return bounds;
}

Bins firstFitDecreasing(const std::vector<Size> &sizes, Size capacity)
{
    const int n = int(sizes.size());
    std::vector<int> items(n);
    std::iota(items.begin(), items.end(), 0);
    std::stable_sort(items.begin(), items.end(), [&](int a, int b) { return sizes[a] > sizes[b]; });
    // A tree of the largest free space over ranges of bins finds the first
    // bin an item fits in one descent; unopened bins are empty.
    int leaves = 1;
    while (leaves < std::max(n, 1))
        leaves *= 2;
    std::vector<Size> tree(2 * leaves, capacity);
    Bins bins;
    for (int item : items) {
        int node = 1;
        while (node < leaves)
            node = tree[2 * node] >= sizes[item] ? 2 * node : 2 * node + 1;
        const int bin = node - leaves;
        if (bin >= int(bins.size()))
            bins.resize(bin + 1);
        bins[bin].push_back(item);
        tree[node] -= sizes[item];
        for (node /= 2; node >= 1; node /= 2)
            tree[node] = std::max(tree[2 * node], tree[2 * node + 1]);
    }
    return bins;
}

std::vector<Size> freeSpace(const Bins &bins, const std::vector<Size> &sizes, Size capacity)
{
    std::vector<Size> free;
    free.reserve(bins.size());
    for (const std::vector<int> &bin : bins) {
        Size used = 0;
        for (int item : bin)
            used += sizes[item];
        free.push_back(capacity - used);
    }
    return free;
}

double concentration(const Bins &bins, const std::vector<Size> &sizes, Size capacity)
{
    double sum = 0;
    for (Size f : freeSpace(bins, sizes, capacity))
        sum += double(f) * double(f);
    return sum;
}

namespace {

struct Stage {
    const std::vector<Size> &sizes;
    Size capacity;
    Bounds bounds;
    const PackOptions &options;
    Bins best;
    // The relaxation's prices per piece of each distinct size, largest
    // first, once it was solved to its optimum.
    std::vector<double> prices;

    int target() const { return bounds.best(); }

    bool done() const { return int(best.size()) <= target() || stopRequested(options); }
    void offer(Bins &&bins)
    {
        if (best.empty() || better(bins, best, sizes, capacity))
            best = std::move(bins);
    }
};

// Work limits of the pattern stages: enough for every family of instances
// tried, counted so the plan never depends on the machine.
constexpr int kLargeCodeNodes = 80;

// The relaxation over the distinct sizes gives the bound; whole bars over
// its patterns (CBC), then branch and price, try to reach it.
void solveByPatterns(Stage &stage)
{
    const SizeGroups groups(stage.sizes);
    const StockProblem problem = groups.problem(stage.capacity);
    PatternPlan plan = groups.patternsOf(stage.best, stage.sizes);
    std::vector<Pattern> start;
    for (const PatternCount &pc : plan)
        start.push_back(pc.pattern);
    PatternLp lp(problem, start);
    LpLimits limits;
    limits.wholeBound = true;
    lp.solve(limits);
    stage.bounds.lp = int(std::ceil(lp.bound() - 1e-6));
    if (stage.done())
        return;
    const double target = stage.target();
    // Large codes end within a bar of the bound after a short search: the
    // rest of the work is spent where a bar is a larger share.
    const bool small = stage.sizes.size() <= kSmallSet;
    PriceLimits search;
    if (!small)
        search.nodes = kLargeCodeNodes;
    branchAndPrice(problem, lp, plan, target, search, stage.options.cancel);
    stage.offer(groups.binsOf(plan));
    if (!stage.done() && small && improveOverPatterns(problem, lp.patterns(), plan, target, kIntegerNodes))
        stage.offer(groups.binsOf(plan));
    // The prices of the relaxation's optimum, for the search within the
    // gap (the search above fixed demands of its own).
    if (!stage.done() && small) {
        lp.setDemands(problem);
        LpLimits toTheEnd;
        toTheEnd.firstImproving = true;
        if (lp.solve(toTheEnd)) {
            stage.bounds.lp = std::max(stage.bounds.lp, int(std::ceil(lp.bound() - 1e-6)));
            stage.prices = lp.piecePrices();
        }
    }
}

// An exact search over the best plan's patterns (search(problem, plan)
// gives its ExactOutcome): a cheaper plan is offered, a proof becomes the
// bound.
template <typename Search> void solveExactly(Stage &stage, const Search &search)
{
    const SizeGroups groups(stage.sizes);
    const StockProblem problem = groups.problem(stage.capacity);
    PatternPlan plan = groups.patternsOf(stage.best, stage.sizes);
    const ExactOutcome outcome = search(problem, plan);
    if (outcome.improved)
        stage.offer(groups.binsOf(plan));
    if (outcome.proven)
        stage.bounds.exact = int(stage.best.size());
}

// The work the search over the bins may spend on one code: about a second.
constexpr long kSearchWork = 400'000'000;

// Bin completion for one bin fewer than the best plan, over the whole set
// and over a few bins at a time, from a plan that holds its free space in
// its last bins.
void improveBySearch(Stage &stage)
{
    const std::vector<Size> &sizes = stage.sizes;
    const Size capacity = stage.capacity;
    long work = kSearchWork;
    {
        BinCompletion search(sizes, capacity);
        Bins filled;
        if (search.solve(int(stage.best.size()), long(sizes.size()) + 1, 0, stage.options, work, filled))
            stage.offer(std::move(filled));
    }
    // The searches over the whole set grow up to this many nodes; the
    // attempt limit then ends the stage.
    constexpr long kWholeNodes = 64000;
    long wholeLimit = 1000;
    std::mt19937_64 random(std::uint64_t(sizes.size()) * 7919 + std::uint64_t(capacity));
    for (int attempt = 0; !stage.done() && attempt < stage.options.maxAttempts && work > 0; ++attempt) {
        if (attempt % 16 == 0) {
            // Each search over the whole set goes further than the one
            // before, towards a complete search on small sets.
            BinCompletion search(sizes, capacity);
            search.completionsPerBin = int(std::min<long>(wholeLimit / 64, 1 << 16));
            Bins found;
            if (search.solve(
                    int(stage.best.size()) - 1, wholeLimit, std::uint64_t(attempt), stage.options, work, found))
                stage.best = std::move(found);
            wholeLimit = std::min(wholeLimit * 4, kWholeNodes);
        } else {
            order(stage.best, sizes, capacity);
            repackFewer(stage.best, sizes, capacity, attempt % 16, random, stage.options, work);
        }
    }
}

Bins packScaled(const std::vector<Size> &sizes, Size capacity, const PackOptions &options, Bounds &bounds)
{
    Stage stage {sizes, capacity, lowerBounds(sizes, capacity), options, firstFitDecreasing(sizes, capacity), {}};
    // Run even when the first fit meets the bound: with the same number of
    // bins it usually leaves the offcuts in fewer of them.
    {
        Bins filled;
        SequentialFill fill(sizes, capacity);
        if (fill.run(filled, options))
            stage.offer(std::move(filled));
    }
    if (!stage.done())
        solveByPatterns(stage);
    if (!stage.done() && capacity <= kArcFlowCapacity && sizes.size() <= kSmallSet)
        // Short bars (in units after the common divisor): the exact model
        // over the fills of a bar.
        solveExactly(stage, [&](const StockProblem &problem, PatternPlan &plan) {
            return searchArcFlow(problem, plan, stage.target(), kIntegerNodes);
        });
    if (!stage.done() && !stage.prices.empty())
        // Any bar length: whole bars over every pattern within the gap the
        // relaxation's prices leave.
        solveExactly(stage, [&](const StockProblem &problem, PatternPlan &plan) {
            return searchWithinGap(problem, stage.prices, plan);
        });
    if (!stage.done() && sizes.size() <= kSmallSet)
        improveBySearch(stage);
    bounds = stage.bounds;
    return std::move(stage.best);
}

} // namespace

PackResult pack(const std::vector<Size> &givenSizes, Size givenCapacity, const PackOptions &options)
{
    PackResult result;
    if (givenSizes.empty())
        return result;
    const Size divisor = commonDivisor(givenSizes);
    const std::vector<Size> sizes = dividedBy(givenSizes, divisor);
    const Size capacity = givenCapacity / divisor;
    result.bins = packScaled(sizes, capacity, options, result.bounds);
    order(result.bins, givenSizes, givenCapacity);
    result.remnant.assign(result.bins.size(), -1);
    return result;
}

} // namespace tarvex::packing
