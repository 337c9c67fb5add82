#include "core/cutting/stockproblem.h"

#include "core/cutting/binpacking.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace tarvex::packing {

namespace {

Size usedBy(const Pattern &p, const std::vector<Size> &sizes)
{
    Size used = 0;
    for (std::size_t i = 0; i < p.counts.size(); ++i)
        used += sizes[i] * p.counts[i];
    return used;
}

// Equal patterns merged, empty ones and those cut no times left out, in
// pattern order: the same plan always comes out the same.
PatternPlan normalised(const PatternPlan &plan)
{
    std::map<Pattern, int> merged;
    for (const PatternCount &pc : plan)
        if (pc.times > 0 && !pc.pattern.empty())
            merged[pc.pattern] += pc.times;
    PatternPlan result;
    for (const auto &[pattern, times] : merged)
        result.push_back({pattern, times});
    return result;
}

} // namespace

bool StockProblem::wholeCosts() const
{
    return std::all_of(kinds.begin(), kinds.end(), [](const StockKind &k) { return k.cost == 1; });
}

bool Pattern::empty() const
{
    return std::all_of(counts.begin(), counts.end(), [](int c) { return c == 0; });
}

double planCost(const PatternPlan &plan, const StockProblem &problem)
{
    double cost = 0;
    for (const PatternCount &pc : plan)
        cost += problem.kinds[std::size_t(pc.pattern.kind)].cost * pc.times;
    return cost;
}

int barsOfKind(const PatternPlan &plan, int kind)
{
    int n = 0;
    for (const PatternCount &pc : plan)
        if (pc.pattern.kind == kind)
            n += pc.times;
    return n;
}

bool residual(const StockProblem &problem, const PatternPlan &plan, StockProblem &rest)
{
    rest = problem;
    for (const PatternCount &pc : plan) {
        for (std::size_t i = 0; i < rest.demands.size(); ++i)
            rest.demands[i] = std::max(0, rest.demands[i] - pc.pattern.counts[i] * pc.times);
        StockKind &kind = rest.kinds[std::size_t(pc.pattern.kind)];
        if (kind.limited()) {
            kind.available -= pc.times;
            if (kind.available < 0)
                return false;
        }
    }
    return true;
}

Pattern capped(const Pattern &pattern, const std::vector<int> &demands)
{
    Pattern p = pattern;
    for (std::size_t i = 0; i < p.counts.size(); ++i)
        p.counts[i] = std::min(p.counts[i], demands[i]);
    return p;
}

void mergePlans(PatternPlan &plan, const PatternPlan &other)
{
    PatternPlan all = plan;
    all.insert(all.end(), other.begin(), other.end());
    plan = normalised(all);
}

void dropSurplus(PatternPlan &plan, const StockProblem &problem)
{
    const std::size_t m = problem.sizes.size();
    std::vector<int> surplus(m, 0);
    for (const PatternCount &pc : plan)
        for (std::size_t i = 0; i < m; ++i)
            surplus[i] += pc.pattern.counts[i] * pc.times;
    bool any = false;
    for (std::size_t i = 0; i < m; ++i) {
        surplus[i] -= problem.demands[i];
        any = any || surplus[i] > 0;
    }
    if (!any)
        return;
    // The pieces come out of the emptiest bars, so the free space gathers
    // where there is most of it already.
    std::vector<Size> freeSpace;
    for (const PatternCount &pc : plan)
        freeSpace.push_back(problem.kinds[std::size_t(pc.pattern.kind)].capacity - usedBy(pc.pattern, problem.sizes));
    std::vector<std::size_t> order(plan.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return freeSpace[a] > freeSpace[b]; });
    PatternPlan split;
    for (std::size_t k : order) {
        // One bar after the other takes out what it holds of the sizes in surplus.
        PatternCount &pc = plan[k];
        while (pc.times > 0) {
            Pattern fewer = pc.pattern;
            for (std::size_t i = 0; i < m; ++i) {
                const int out = std::min(surplus[i], fewer.counts[i]);
                fewer.counts[i] -= out;
                surplus[i] -= out;
            }
            if (fewer == pc.pattern)
                break;
            // The same again for as many bars as the surplus allows.
            int bars = pc.times;
            for (std::size_t i = 0; i < m; ++i) {
                const int out = pc.pattern.counts[i] - fewer.counts[i];
                if (out > 0)
                    bars = std::min(bars, 1 + surplus[i] / out);
            }
            for (std::size_t i = 0; i < m; ++i)
                surplus[i] -= (bars - 1) * (pc.pattern.counts[i] - fewer.counts[i]);
            split.push_back({fewer, bars});
            pc.times -= bars;
        }
    }
    plan.insert(plan.end(), split.begin(), split.end());
    plan = normalised(plan);
}

PatternPlan firstFitPlan(const StockProblem &problem)
{
    std::vector<Size> items;
    std::vector<int> sizeOf;
    for (std::size_t i = 0; i < problem.sizes.size(); ++i)
        for (int n = 0; n < problem.demands[i]; ++n) {
            items.push_back(problem.sizes[i]);
            sizeOf.push_back(int(i));
        }
    PatternPlan plan;
    for (const std::vector<int> &bin : firstFitDecreasing(items, problem.kinds[0].capacity)) {
        Pattern p {0, std::vector<int>(problem.sizes.size(), 0)};
        for (int item : bin)
            ++p.counts[std::size_t(sizeOf[std::size_t(item)])];
        plan.push_back({p, 1});
    }
    return normalised(plan);
}

SizeGroups::SizeGroups(const std::vector<Size> &sizes)
{
    std::vector<int> order(sizes.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return sizes[std::size_t(a)] != sizes[std::size_t(b)] ? sizes[std::size_t(a)] > sizes[std::size_t(b)] : a > b;
    });
    for (int item : order) {
        if (size.empty() || size.back() != sizes[std::size_t(item)]) {
            size.push_back(sizes[std::size_t(item)]);
            items.emplace_back();
        }
        items.back().push_back(item);
    }
}

int SizeGroups::firstFitting(Size space) const
{
    return int(std::partition_point(size.begin(), size.end(), [&](Size s) { return s > space; }) - size.begin());
}

StockProblem SizeGroups::problem(Size capacity) const
{
    StockProblem problem;
    problem.sizes = size;
    for (const std::vector<int> &group : items)
        problem.demands.push_back(int(group.size()));
    problem.kinds.push_back({capacity});
    return problem;
}

PatternPlan SizeGroups::patternsOf(const Bins &bins, const std::vector<Size> &sizes) const
{
    PatternPlan plan;
    for (const std::vector<int> &bin : bins) {
        Pattern p {0, std::vector<int>(size.size(), 0)};
        for (int item : bin)
            ++p.counts[std::size_t(firstFitting(sizes[std::size_t(item)]))];
        plan.push_back({p, 1});
    }
    return normalised(plan);
}

Bins SizeGroups::binsOf(const PatternPlan &plan) const
{
    std::vector<std::vector<int>> left = items;
    Bins bins;
    for (const PatternCount &pc : plan) {
        for (int t = 0; t < pc.times; ++t) {
            std::vector<int> bin;
            for (std::size_t i = 0; i < pc.pattern.counts.size(); ++i)
                for (int n = 0; n < pc.pattern.counts[i]; ++n) {
                    bin.push_back(left[i].back());
                    left[i].pop_back();
                }
            bins.push_back(std::move(bin));
        }
    }
    return bins;
}

Size commonDivisor(const std::vector<Size> &sizes)
{
    Size divisor = 0;
    for (Size s : sizes)
        divisor = std::gcd(divisor, s);
    return divisor;
}

std::vector<Size> dividedBy(const std::vector<Size> &sizes, Size divisor)
{
    std::vector<Size> quotients(sizes.size());
    std::transform(sizes.begin(), sizes.end(), quotients.begin(), [&](Size s) { return s / divisor; });
    return quotients;
}

} // namespace tarvex::packing
