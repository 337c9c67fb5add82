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

IntegerResult solveWholeNumbers(const IntegerModel &model, const std::vector<double> &start, double startCost,
    double target, int nodeLimit, bool wholeCosts)
{
    const int columns = int(model.cost.size());
    const int rows = int(model.rowLower.size());
    OsiClpSolverInterface solver;
    solver.messageHandler()->setLogLevel(0);
    const std::vector<CoinBigIndex> starts(model.starts.begin(), model.starts.end());
    std::vector<int> lengths;
    for (int c = 0; c < columns; ++c)
        lengths.push_back(model.starts[std::size_t(c) + 1] - model.starts[std::size_t(c)]);
    CoinPackedMatrix matrix(true, rows, columns, CoinBigIndex(model.elements.size()), model.elements.data(),
        model.rowIndex.data(), starts.data(), lengths.data());
    solver.loadProblem(matrix, model.colLower.data(), model.colUpper.data(), model.cost.data(), model.rowLower.data(),
        model.rowUpper.data());
    for (int c = 0; c < columns; ++c)
        solver.setInteger(c);

    const std::lock_guard<std::mutex> guard(cbcLock());
    CoinSeedRandom(1234567);
    CbcModel cbc(solver);
    cbc.setLogLevel(0);
    cbc.messageHandler()->setLogLevel(0);
    cbc.setNumberThreads(0);
    cbc.setRandomSeed(1234567);
    cbc.setMaximumNodes(nodeLimit);
    if (!start.empty())
        cbc.setBestSolution(start.data(), int(start.size()), startCost, false);
    if (wholeCosts) {
        cbc.setCutoffIncrement(1 - 1e-6);
        cbc.setAllowableGap(1 - 1e-6);
    }
    StopAtTarget stopAtTarget(target);
    cbc.passInEventHandler(&stopAtTarget);
    cbc.branchAndBound();

    IntegerResult result;
    result.proven = (cbc.isProvenOptimal() || cbc.isProvenInfeasible()) && !cbc.isNodeLimitReached()
        && !cbc.isSecondsLimitReached() && !cbc.isSolutionLimitReached();
    const double *x = cbc.bestSolution();
    if (x && cbc.getObjValue() < startCost - 1e-7)
        result.x.assign(x, x + columns);
    return result;
}

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

    IntegerModel model;
    model.rowLower.assign(std::size_t(rows), -COIN_DBL_MAX);
    model.rowUpper.assign(std::size_t(rows), COIN_DBL_MAX);
    for (std::size_t i = 0; i < m; ++i)
        model.rowLower[i] = problem.demands[i];
    for (std::size_t k = 0; k < problem.kinds.size(); ++k)
        if (kindRow[k] >= 0)
            model.rowUpper[std::size_t(kindRow[k])] = problem.kinds[k].available;
    for (const Pattern &p : patterns) {
        // More bars of a pattern than its scarcest size needs are never useful.
        double most = 0;
        for (std::size_t i = 0; i < m; ++i) {
            if (p.counts[i] > 0) {
                model.rowIndex.push_back(int(i));
                model.elements.push_back(p.counts[i]);
                most = std::max(most, std::ceil(double(problem.demands[i]) / p.counts[i]));
            }
        }
        const StockKind &kind = problem.kinds[std::size_t(p.kind)];
        if (kind.limited()) {
            model.rowIndex.push_back(kindRow[std::size_t(p.kind)]);
            model.elements.push_back(1);
            most = std::min<double>(most, kind.available);
        }
        model.starts.push_back(int(model.rowIndex.size()));
        model.colLower.push_back(0);
        model.colUpper.push_back(most);
        model.cost.push_back(kind.cost);
    }

    std::vector<double> start(patterns.size(), 0);
    for (const PatternCount &pc : best)
        start[std::size_t(index[pc.pattern])] += pc.times;
    const double bestCost = planCost(best, problem);
    const IntegerResult result = solveWholeNumbers(model, start, bestCost, target, nodeLimit, problem.wholeCosts());
    if (result.x.empty())
        return false;
    PatternPlan found;
    for (std::size_t c = 0; c < patterns.size(); ++c) {
        const int times = int(std::lround(result.x[c]));
        if (times > 0)
            found.push_back({patterns[c], times});
    }
    return takeIfCheaper(problem, found, best);
}

bool takeIfCheaper(const StockProblem &problem, PatternPlan found, PatternPlan &best)
{
    // The rounding of the solver's values must still cover every demand.
    StockProblem rest;
    if (!residual(problem, found, rest)
        || std::any_of(rest.demands.begin(), rest.demands.end(), [](int d) { return d > 0; })
        || planCost(found, problem) >= planCost(best, problem) - 1e-7)
        return false;
    dropSurplus(found, problem);
    best = std::move(found);
    return true;
}

} // namespace tarvex::packing
