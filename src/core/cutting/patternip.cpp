#include "core/cutting/patternip.h"

#include <CbcEventHandler.hpp>
#include <CbcModel.hpp>
#include <CoinHelperFunctions.hpp>
#include <OsiClpSolverInterface.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

namespace tarvex::packing {

namespace {

// CBC keeps a random generator of its own for the whole process: the
// searches run one at a time and each starts it from the same seed, so a
// code's plan never depends on what the other codes did before it.
std::mutex &cbcLock()
{
    static std::mutex lock;
    return lock;
}

class StopAtTarget : public CbcEventHandler {
public:
    explicit StopAtTarget(double target)
        : m_target(target)
    {
    }
    CbcEventHandler *clone() const override { return new StopAtTarget(*this); }
    CbcAction event(CbcEvent which) override
    {
        if ((which == solution || which == heuristicSolution) && model_->getObjValue() <= m_target + 1e-7)
            return stop;
        return noAction;
    }

private:
    double m_target;
};

} // namespace

bool improveOverPatterns(
    const StockProblem &problem, std::vector<Pattern> patterns, PatternPlan &best, double target, int nodeLimit)
{
    // The plan to beat is one of the columns, so the search starts from it.
    std::map<Pattern, int> index;
    for (const PatternCount &pc : best)
        patterns.push_back(pc.pattern);
    std::sort(patterns.begin(), patterns.end());
    patterns.erase(std::unique(patterns.begin(), patterns.end()), patterns.end());
    for (std::size_t c = 0; c < patterns.size(); ++c)
        index[patterns[c]] = int(c);

    const std::size_t m = problem.sizes.size();
    std::vector<int> kindRow(problem.kinds.size(), -1);
    int rows = int(m);
    for (std::size_t k = 0; k < problem.kinds.size(); ++k)
        if (problem.kinds[k].limited())
            kindRow[k] = rows++;

    OsiClpSolverInterface solver;
    solver.messageHandler()->setLogLevel(0);
    std::vector<double> rowLower(std::size_t(rows), -COIN_DBL_MAX), rowUpper(std::size_t(rows), COIN_DBL_MAX);
    for (std::size_t i = 0; i < m; ++i)
        rowLower[i] = problem.demands[i];
    for (std::size_t k = 0; k < problem.kinds.size(); ++k)
        if (kindRow[k] >= 0)
            rowUpper[std::size_t(kindRow[k])] = problem.kinds[k].available;
    std::vector<CoinBigIndex> starts {0};
    std::vector<int> rowIndex;
    std::vector<double> elements, colLower, colUpper, cost;
    for (const Pattern &p : patterns) {
        // More bars of a pattern than its scarcest size needs are never useful.
        double most = 0;
        for (std::size_t i = 0; i < m; ++i) {
            if (p.counts[i] > 0) {
                rowIndex.push_back(int(i));
                elements.push_back(p.counts[i]);
                most = std::max(most, std::ceil(double(problem.demands[i]) / p.counts[i]));
            }
        }
        const StockKind &kind = problem.kinds[std::size_t(p.kind)];
        if (kind.limited()) {
            rowIndex.push_back(kindRow[std::size_t(p.kind)]);
            elements.push_back(1);
            most = std::min<double>(most, kind.available);
        }
        starts.push_back(CoinBigIndex(rowIndex.size()));
        colLower.push_back(0);
        colUpper.push_back(most);
        cost.push_back(kind.cost);
    }
    std::vector<int> lengths;
    for (std::size_t c = 0; c < patterns.size(); ++c)
        lengths.push_back(int(starts[c + 1] - starts[c]));
    CoinPackedMatrix matrix(true, rows, int(patterns.size()), CoinBigIndex(elements.size()), elements.data(),
        rowIndex.data(), starts.data(), lengths.data());
    solver.loadProblem(matrix, colLower.data(), colUpper.data(), cost.data(), rowLower.data(), rowUpper.data());
    for (int c = 0; c < int(patterns.size()); ++c)
        solver.setInteger(c);

    std::vector<double> start(patterns.size(), 0);
    for (const PatternCount &pc : best)
        start[std::size_t(index[pc.pattern])] += pc.times;
    const double bestCost = planCost(best, problem);

    const std::lock_guard<std::mutex> guard(cbcLock());
    CoinSeedRandom(1234567);
    CbcModel model(solver);
    model.setLogLevel(0);
    model.messageHandler()->setLogLevel(0);
    model.setNumberThreads(0);
    model.setRandomSeed(1234567);
    model.setMaximumNodes(nodeLimit);
    model.setBestSolution(start.data(), int(start.size()), bestCost, false);
    if (problem.wholeCosts()) {
        model.setCutoffIncrement(1 - 1e-6);
        model.setAllowableGap(1 - 1e-6);
    }
    StopAtTarget stopAtTarget(target);
    model.passInEventHandler(&stopAtTarget);
    model.branchAndBound();

    const double *x = model.bestSolution();
    if (!x || model.getObjValue() >= bestCost - 1e-7)
        return false;
    PatternPlan found;
    for (std::size_t c = 0; c < patterns.size(); ++c) {
        const int times = int(std::lround(x[c]));
        if (times > 0)
            found.push_back({patterns[c], times});
    }
    // The rounding of the solver's values must still cover every demand.
    StockProblem rest;
    if (!residual(problem, found, rest)
        || std::any_of(rest.demands.begin(), rest.demands.end(), [](int d) { return d > 0; })
        || planCost(found, problem) >= bestCost - 1e-7)
        return false;
    dropSurplus(found, problem);
    best = found;
    return true;
}

} // namespace tarvex::packing
