#include "core/cutting/arcflow.h"

#include "core/cutting/patternip.h"

#include <CoinFinite.hpp>

#include <cmath>
#include <map>
#include <unordered_map>

namespace tarvex::packing {

namespace {

struct Arc {
    int from = 0;
    int to = 0;
    int size = -1; // index into the sizes; -1 for the waste at a bar's end
};

class Graph {
public:
    explicit Graph(const StockProblem &problem)
        : m_capacity(int(problem.kinds[0].capacity))
        , m_sizes(problem.sizes.size())
    {
        std::vector<char> reached(std::size_t(m_capacity) + 1, 0);
        reached[0] = 1;
        // Sizes largest first: an arc of a size leaves only the fills that
        // sizes at least as large reach, so each plan has one path per bar.
        for (std::size_t i = 0; i < m_sizes; ++i) {
            const int w = int(problem.sizes[i]);
            if (problem.demands[i] == 0)
                continue;
            for (int u = 0; u + w <= m_capacity; ++u) {
                if (reached[std::size_t(u)]) {
                    m_index[key(u, int(i))] = int(arcs.size());
                    arcs.push_back({u, u + w, int(i)});
                    reached[std::size_t(u + w)] = 1;
                }
            }
        }
        for (int u = 1; u < m_capacity; ++u) {
            if (reached[std::size_t(u)]) {
                m_waste[u] = int(arcs.size());
                arcs.push_back({u, m_capacity, -1});
            }
        }
        for (int u = 1; u < m_capacity; ++u)
            if (reached[std::size_t(u)])
                m_row[u] = int(m_row.size());
    }

    std::vector<Arc> arcs;

    int capacity() const { return m_capacity; }
    // The conservation row of a fill inside the bar; -1 at its ends.
    int row(int fill) const
    {
        const auto it = m_row.find(fill);
        return it == m_row.end() ? -1 : it->second;
    }
    int fills() const { return int(m_row.size()); }

    // The arcs of a pattern's path, or an empty list when it has none.
    std::vector<int> path(const Pattern &p, const std::vector<Size> &sizes) const
    {
        std::vector<int> result;
        int u = 0;
        for (std::size_t i = 0; i < p.counts.size(); ++i) {
            for (int c = 0; c < p.counts[i]; ++c) {
                const auto it = m_index.find(key(u, int(i)));
                if (it == m_index.end())
                    return {};
                result.push_back(it->second);
                u += int(sizes[i]);
            }
        }
        if (u > 0 && u < m_capacity)
            result.push_back(m_waste.at(u));
        return result;
    }

private:
    std::int64_t key(int from, int size) const { return std::int64_t(from) * std::int64_t(m_sizes) + size; }

    int m_capacity;
    std::size_t m_sizes;
    std::unordered_map<std::int64_t, int> m_index;
    std::unordered_map<int, int> m_waste;
    std::unordered_map<int, int> m_row;
};

// Whole flows as bars: paths from the empty bar to the full one.
PatternPlan plansOf(const Graph &graph, const std::vector<double> &x, std::size_t sizes)
{
    std::vector<int> flow(x.size());
    std::vector<std::vector<int>> leaving(std::size_t(graph.capacity()) + 1);
    for (std::size_t a = 0; a < x.size(); ++a) {
        flow[a] = int(std::lround(x[a]));
        if (flow[a] > 0)
            leaving[std::size_t(graph.arcs[a].from)].push_back(int(a));
    }
    std::map<Pattern, int> bars;
    for (;;) {
        std::vector<int> path;
        int u = 0;
        while (u != graph.capacity()) {
            int next = -1;
            for (int a : leaving[std::size_t(u)])
                if (flow[std::size_t(a)] > 0) {
                    next = a;
                    break;
                }
            if (next < 0)
                break;
            path.push_back(next);
            u = graph.arcs[std::size_t(next)].to;
        }
        if (path.empty())
            break;
        int times = flow[std::size_t(path.front())];
        for (int a : path)
            times = std::min(times, flow[std::size_t(a)]);
        Pattern p;
        p.counts.assign(sizes, 0);
        for (int a : path) {
            flow[std::size_t(a)] -= times;
            if (graph.arcs[std::size_t(a)].size >= 0)
                ++p.counts[std::size_t(graph.arcs[std::size_t(a)].size)];
        }
        bars[p] += times;
    }
    PatternPlan plan;
    for (const auto &[pattern, times] : bars)
        plan.push_back({pattern, times});
    return plan;
}

} // namespace

ExactOutcome searchArcFlow(const StockProblem &problem, PatternPlan &best, double target, int nodeLimit)
{
    ExactOutcome outcome;
    if (problem.kinds.size() != 1 || problem.kinds[0].limited() || problem.kinds[0].capacity > kArcFlowCapacity)
        return outcome;
    const Graph graph(problem);
    const std::size_t m = problem.sizes.size();
    const double bestCost = planCost(best, problem);

    // Rows: what enters each fill leaves it, then the demand of each size.
    IntegerModel model;
    const int fills = graph.fills();
    model.rowLower.assign(std::size_t(fills), 0);
    model.rowUpper.assign(std::size_t(fills), 0);
    for (std::size_t i = 0; i < m; ++i) {
        model.rowLower.push_back(problem.demands[i]);
        model.rowUpper.push_back(COIN_DBL_MAX);
    }
    for (const Arc &arc : graph.arcs) {
        const int out = graph.row(arc.from);
        const int in = graph.row(arc.to);
        if (out >= 0) {
            model.rowIndex.push_back(out);
            model.elements.push_back(-1);
        }
        if (in >= 0) {
            model.rowIndex.push_back(in);
            model.elements.push_back(1);
        }
        if (arc.size >= 0) {
            model.rowIndex.push_back(fills + arc.size);
            model.elements.push_back(1);
        }
        model.starts.push_back(int(model.rowIndex.size()));
        model.colLower.push_back(0);
        model.colUpper.push_back(std::floor(bestCost));
        model.cost.push_back(arc.from == 0 ? problem.kinds[0].cost : 0);
    }

    std::vector<double> start(graph.arcs.size(), 0);
    for (const PatternCount &pc : best) {
        const std::vector<int> path = graph.path(pc.pattern, problem.sizes);
        if (path.empty() && !pc.pattern.empty()) {
            start.clear();
            break;
        }
        for (int a : path)
            start[std::size_t(a)] += pc.times;
    }
    const IntegerResult result = solveWholeNumbers(model, start, bestCost, target, nodeLimit, problem.wholeCosts());
    if (!result.x.empty())
        outcome.improved = takeIfCheaper(problem, plansOf(graph, result.x, m), best);
    // A proof about a plan found is about the plan kept only when it was kept.
    outcome.proven = result.proven && (result.x.empty() || outcome.improved);
    return outcome;
}

} // namespace tarvex::packing
