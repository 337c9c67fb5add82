#include "core/cutting/binpacking.h"

#include "core/cutting/branchprice.h"
#include "core/cutting/knapsack.h"
#include "core/cutting/patternip.h"
#include "core/cutting/patternlp.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace tarvex::packing {

namespace {

// The remnants that hold at least the smallest item, grouped by capacity
// (largest first): kind k + 1 of the problem is group k.
struct RemnantKinds {
    std::vector<Size> capacity;
    std::vector<std::vector<int>> remnants; // indices, in the order given
    Size total = 0;

    RemnantKinds(const std::vector<Size> &given, Size smallest)
    {
        std::map<Size, std::vector<int>, std::greater<>> groups;
        for (int r = 0; r < int(given.size()); ++r)
            if (given[std::size_t(r)] >= smallest)
                groups[given[std::size_t(r)]].push_back(r);
        for (const auto &[c, list] : groups) {
            capacity.push_back(c);
            remnants.push_back(list);
            total += c * Size(list.size());
        }
    }
};

// Each remnant filled as full as it can be, the longest first; the rest in
// new bins by first fit.
PatternPlan greedyPlan(const StockProblem &problem)
{
    StockProblem rest = problem;
    PatternPlan plan;
    for (std::size_t k = 1; k < problem.kinds.size(); ++k) {
        const StockKind &kind = problem.kinds[k];
        std::vector<double> fill(problem.sizes.begin(), problem.sizes.end());
        for (int n = 0; n < kind.available; ++n) {
            std::vector<int> bounds(problem.sizes.size());
            for (std::size_t i = 0; i < bounds.size(); ++i)
                bounds[i] = int(std::min<Size>(rest.demands[i], kind.capacity / problem.sizes[i]));
            const BestPattern best = bestPattern(problem.sizes, bounds, fill, kind.capacity, LpLimits().knapsackNodes);
            if (best.value <= 0)
                break;
            plan.push_back({{int(k), best.counts}, 1});
            for (std::size_t i = 0; i < bounds.size(); ++i)
                rest.demands[i] -= best.counts[i];
        }
    }
    mergePlans(plan, firstFitPlan(rest));
    return plan;
}

} // namespace

PackResult packWithRemnants(const std::vector<Size> &givenSizes, Size givenCapacity,
    const std::vector<Size> &givenRemnants, const PackOptions &options)
{
    PackResult plain = pack(givenSizes, givenCapacity, options);
    if (givenSizes.empty())
        return plain;
    const Size divisor = commonDivisor(givenSizes);
    const std::vector<Size> sizes = dividedBy(givenSizes, divisor);
    const std::vector<Size> remnantCapacity = dividedBy(givenRemnants, divisor);
    const RemnantKinds kinds(remnantCapacity, *std::min_element(sizes.begin(), sizes.end()));
    if (kinds.capacity.empty())
        return plain;

    // Remnants cost nothing: the relaxation bounds the new bins.
    const SizeGroups groups(sizes);
    StockProblem problem = groups.problem(givenCapacity / divisor);
    for (std::size_t k = 0; k < kinds.capacity.size(); ++k)
        problem.kinds.push_back({kinds.capacity[k], 0, int(kinds.remnants[k].size())});
    const PatternPlan plainPlan = groups.patternsOf(plain.bins, sizes);
    std::vector<Pattern> start;
    for (const PatternCount &pc : plainPlan)
        start.push_back(pc.pattern);
    PatternLp lp(problem, start);
    lp.solve(LpLimits());
    Bounds bounds;
    const Size total = std::accumulate(sizes.begin(), sizes.end(), Size(0));
    const Size capacity = problem.kinds[0].capacity;
    bounds.l1 = int(std::max<Size>(0, (total - kinds.total + capacity - 1) / capacity));
    bounds.lp = int(std::ceil(lp.bound() - 1e-6));
    // Bounds without remnants do not hold once there are remnants.
    if (bounds.best() >= plain.newBins()) {
        plain.bounds = bounds;
        return plain;
    }

    // Of the plans with the fewest new bins the one taking the least
    // remnant capacity: each remnant costs its share of nine tenths of a
    // bin, so all of them together weigh less than one new bin.
    for (std::size_t k = 1; k < problem.kinds.size(); ++k)
        problem.kinds[k].cost = 0.9 * double(problem.kinds[k].capacity) / double(kinds.total);
    PatternPlan plan = greedyPlan(problem);
    dropSurplus(plan, problem);
    PatternLp weighted(problem, lp.patterns());
    weighted.solve(LpLimits());
    const double target = bounds.best() + 0.95;
    branchAndPrice(problem, weighted, plan, target, PriceLimits(), options.cancel);
    if (sizes.size() <= kSmallSet && planCost(plan, problem) > target)
        improveOverPatterns(problem, weighted.patterns(), plan, target, kIntegerNodes);

    // The new bins' items planned again on their own, which may save one.
    PackResult result;
    result.bounds = bounds;
    const Bins bins = groups.binsOf(plan);
    std::vector<int> kindOf;
    for (const PatternCount &pc : plan)
        kindOf.insert(kindOf.end(), std::size_t(pc.times), pc.pattern.kind);
    std::vector<int> newItems;
    std::vector<Size> newSizes;
    std::vector<std::size_t> taken(kinds.capacity.size(), 0);
    Bins remnantBins;
    std::vector<int> remnantOf;
    for (std::size_t b = 0; b < bins.size(); ++b) {
        if (kindOf[b] == 0) {
            for (int item : bins[b]) {
                newItems.push_back(item);
                newSizes.push_back(givenSizes[std::size_t(item)]);
            }
            continue;
        }
        const std::size_t k = std::size_t(kindOf[b] - 1);
        std::vector<int> bin = bins[b];
        std::stable_sort(bin.begin(), bin.end(),
            [&](int a, int c) { return givenSizes[std::size_t(a)] > givenSizes[std::size_t(c)]; });
        remnantBins.push_back(std::move(bin));
        remnantOf.push_back(kinds.remnants[k][taken[k]++]);
    }
    const PackResult fresh = pack(newSizes, givenCapacity, options);
    for (const std::vector<int> &bin : fresh.bins) {
        std::vector<int> items;
        for (int i : bin)
            items.push_back(newItems[std::size_t(i)]);
        result.bins.push_back(std::move(items));
        result.remnant.push_back(-1);
    }
    // The remnants in the order they were given.
    std::vector<std::size_t> order(remnantBins.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return remnantOf[a] < remnantOf[b]; });
    for (std::size_t i : order) {
        result.bins.push_back(remnantBins[i]);
        result.remnant.push_back(remnantOf[i]);
    }
    if (result.newBins() < plain.newBins())
        return result;
    plain.bounds = bounds;
    return plain;
}

} // namespace tarvex::packing
