#pragma once

// The cutting-stock problem behind a code's plan: pieces of a few distinct
// sizes, each wanted so many times, cut from bars of one or more kinds. A
// plan is a list of patterns (how many pieces of each size one bar holds)
// with how often each is cut, so a code of thousands of pieces costs no
// more than its distinct sizes.

#include <cstdint>
#include <vector>

namespace tarvex::packing {

using Size = std::int64_t;
// Item indices per bin.
using Bins = std::vector<std::vector<int>>;

// Work limits shared by the stages of a plan (counted, never timed): the
// nodes of CBC's search over the patterns, and the number of items up to
// which the searches over items and whole bars run; beyond it the patterns
// alone cover a code better.
constexpr int kIntegerNodes = 2000;
constexpr std::size_t kSmallSet = 1500;

// A kind of bar: its capacity, what one costs and how many there are.
struct StockKind {
    static constexpr int kUnlimited = -1;
    Size capacity = 0;
    double cost = 1;
    int available = kUnlimited;
    bool limited() const { return available != kUnlimited; }
};

struct StockProblem {
    std::vector<Size> sizes; // distinct, largest first
    std::vector<int> demands; // pieces wanted of each size
    std::vector<StockKind> kinds; // the first one is unlimited
    // Every plan costs a whole number (every cost is one): bounds round up.
    bool wholeCosts() const;
};

struct Pattern {
    int kind = 0;
    std::vector<int> counts; // pieces of each size
    bool operator<(const Pattern &o) const { return kind != o.kind ? kind < o.kind : counts < o.counts; }
    bool operator==(const Pattern &o) const { return kind == o.kind && counts == o.counts; }
    bool empty() const;
};

struct PatternCount {
    Pattern pattern;
    int times = 0;
};
using PatternPlan = std::vector<PatternCount>;

double planCost(const PatternPlan &plan, const StockProblem &problem);

// What an exact search over a plan came to.
struct ExactOutcome {
    bool improved = false; // best was replaced by a cheaper plan
    bool proven = false; // no plan costs less than best (as it is now)
};
int barsOfKind(const PatternPlan &plan, int kind);

// The demands a plan leaves uncovered (never below 0) and the bars of each
// kind still available; false when the plan takes more bars of a kind than
// there are.
bool residual(const StockProblem &problem, const PatternPlan &plan, StockProblem &rest);

// A pattern holding no more of a size than is wanted.
Pattern capped(const Pattern &pattern, const std::vector<int> &demands);

// Adds the patterns of other to plan, merging equal ones.
void mergePlans(PatternPlan &plan, const PatternPlan &other);

// Pieces each bar of a plan holds beyond the demands are taken out again
// (from the bars with the most free space first); bars left empty go.
void dropSurplus(PatternPlan &plan, const StockProblem &problem);

// Sizes with a common divisor pack as their quotients into the capacity's
// quotient rounded down: the same plans, found on smaller numbers.
Size commonDivisor(const std::vector<Size> &sizes);
std::vector<Size> dividedBy(const std::vector<Size> &sizes, Size divisor); // rounded down

// First-fit decreasing of the demands into bars of the first kind: a plan
// for any rest.
PatternPlan firstFitPlan(const StockProblem &problem);

// Items by size, largest first: the items of one size are interchangeable,
// so the searches branch over sizes, not items, and the patterns count them.
struct SizeGroups {
    std::vector<Size> size;
    std::vector<std::vector<int>> items; // item indices, taken from the back

    explicit SizeGroups(const std::vector<Size> &sizes);
    int count() const { return int(size.size()); }
    // The first group whose size is at most space.
    int firstFitting(Size space) const;

    // The distinct sizes with their numbers of items, cut from bars of one
    // capacity.
    StockProblem problem(Size capacity) const;
    // The bins' contents as patterns (of kind 0), and back: the items of
    // each size handed out to the bars of a plan that covers every demand
    // exactly, bar after bar in the plan's order.
    PatternPlan patternsOf(const Bins &bins, const std::vector<Size> &sizes) const;
    Bins binsOf(const PatternPlan &plan) const;
};

} // namespace tarvex::packing
