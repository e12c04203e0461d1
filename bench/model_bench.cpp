// `sort`: CGraphSorter on a 1,000,000-node chain and on a wide branching graph, against a name map
// and a breadth-first walk over plain indices. `bounds`: WithinBounds over every link node of L,
// against the same test on a plain array of boxes. Times are nanoseconds per node or per test, the
// best of interleaved repetitions.

#include "bench_support.h"
#include "summary.h"

#include <benchmark/benchmark.h>
#include <pathweave/graph_sorter.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// A graph given as links between numbered nodes, added in the order listed.
struct Graph {
    std::string label;
    std::vector<std::string> names;
    std::vector<std::pair<std::size_t, std::size_t>> links;
};

std::string nodeName(std::size_t number) {
    char name[16];
    std::snprintf(name, sizeof name, "N%07zu", number);
    return name;
}

// Shuffles deterministically: a database returns a journey's links in no particular order.
void shuffle(std::vector<std::pair<std::size_t, std::size_t>>& links) {
    std::uint64_t state = 12345;
    for (std::size_t i = links.size(); i > 1; --i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        std::swap(links[i - 1], links[(state >> 33) % i]);
    }
}

Graph chain(std::size_t nodes) {
    Graph graph{"chain", {}, {}};
    for (std::size_t i = 0; i < nodes; ++i) {
        graph.names.push_back(nodeName(i));
        if (i > 0) {
            graph.links.emplace_back(i - 1, i);
        }
    }
    shuffle(graph.links);
    return graph;
}

// One start node with `width` children, each with `width - 1` children of its own.
Graph wide(std::size_t width) {
    Graph graph{"wide", {nodeName(0)}, {}};
    for (std::size_t child = 0; child < width; ++child) {
        const std::size_t middle = graph.names.size();
        graph.names.push_back(nodeName(middle));
        graph.links.emplace_back(0, middle);
        for (std::size_t leaf = 1; leaf < width; ++leaf) {
            graph.names.push_back(nodeName(graph.names.size()));
            graph.links.emplace_back(middle, graph.names.size() - 1);
        }
    }
    shuffle(graph.links);
    return graph;
}

// Adds every link as the journey reader does: a payload made for each end of each link.
std::unique_ptr<CGraphSorter> build(const Graph& graph) {
    auto sorter = std::make_unique<CGraphSorter>();
    for (const auto& link : graph.links) {
        CGraphSorter::CData start(graph.names[link.first]);
        start.pointId = "P" + graph.names[link.first].substr(1);
        CGraphSorter::CData end(graph.names[link.second]);
        end.pointId = "P" + graph.names[link.second].substr(1);
        end.distance = 100.0;
        sorter->Add(graph.names[link.first], start, graph.names[link.second], end);
    }
    return sorter;
}

// The baseline of building: the same names looked up in an ordered map, twice per link.
std::size_t buildNameMap(const Graph& graph) {
    std::map<std::string, std::size_t> nodes;
    for (const auto& link : graph.links) {
        nodes.try_emplace(graph.names[link.first], link.first);
        nodes.try_emplace(graph.names[link.second], link.second);
    }
    return nodes.size();
}

// The baseline of ordering: start nodes found and a breadth-first walk, over plain indices.
std::size_t walkIndices(const std::vector<std::vector<std::size_t>>& children, std::vector<char>& hasParent) {
    std::vector<std::size_t> queue;
    queue.reserve(children.size());
    std::vector<char> visited(children.size(), 0);
    for (std::size_t node = 0; node < children.size(); ++node) {
        if (!hasParent[node]) {
            visited[node] = 1;
            queue.push_back(node);
        }
    }
    for (std::size_t next = 0; next < queue.size(); ++next) {
        for (const std::size_t child : children[queue[next]]) {
            if (!visited[child]) {
                visited[child] = 1;
                queue.push_back(child);
            }
        }
    }
    return queue.size();
}

void registerSort(const Graph& graph) {
    const auto perNode = [&graph](benchmark::State& state) {
        state.counters["ns/node"] =
            benchmark::Counter(static_cast<double>(graph.names.size()),
                               benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    };
    const auto options = [](benchmark::internal::Benchmark* bench) {
        bench->Iterations(1)
            ->Repetitions(3)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->ComputeStatistics("min", pwbench::minimum)
            ->DisplayAggregatesOnly(true);
    };
    options(benchmark::RegisterBenchmark(("sort/" + graph.label + "/build").c_str(),
                                         [&graph, perNode](benchmark::State& state) {
                                             for (auto _ : state) {
                                                 auto sorter = build(graph);
                                                 state.PauseTiming();
                                                 sorter.reset();
                                                 state.ResumeTiming();
                                             }
                                             perNode(state);
                                         }));
    options(benchmark::RegisterBenchmark(("sort/" + graph.label + "/order").c_str(),
                                         [&graph, perNode](benchmark::State& state) {
                                             for (auto _ : state) {
                                                 state.PauseTiming();
                                                 auto sorter = build(graph);
                                                 state.ResumeTiming();
                                                 benchmark::DoNotOptimize(sorter->Sort().size());
                                                 state.PauseTiming();
                                                 sorter.reset();
                                                 state.ResumeTiming();
                                             }
                                             perNode(state);
                                         }));
    options(benchmark::RegisterBenchmark(("sort/" + graph.label + "/baseline-build").c_str(),
                                         [&graph, perNode](benchmark::State& state) {
                                             for (auto _ : state) {
                                                 benchmark::DoNotOptimize(buildNameMap(graph));
                                             }
                                             perNode(state);
                                         }));
    options(benchmark::RegisterBenchmark(
        ("sort/" + graph.label + "/baseline-order").c_str(), [&graph, perNode](benchmark::State& state) {
            std::vector<std::vector<std::size_t>> children(graph.names.size());
            std::vector<char> hasParent(graph.names.size(), 0);
            for (const auto& link : graph.links) {
                children[link.first].push_back(link.second);
                hasParent[link.second] = 1;
            }
            for (auto _ : state) {
                benchmark::DoNotOptimize(walkIndices(children, hasParent));
            }
            perNode(state);
        }));
}

// Every link node of the loaded network with the position it is tested against: its own point for
// every other node (inside), a point elsewhere for the rest.
struct BoundsCase {
    std::vector<const pw::CLinkNode*> nodes;
    std::vector<pw::CPoint> positions;
    std::vector<pw::CBounds> boxes;
};

// The same test as WithinBounds, on a plain box.
inline bool inside(const pw::CBounds& box, const pw::CPoint& position) {
    return !box.valid || (position.latitude >= box.latMin && position.latitude <= box.latMax &&
                          position.longitude >= box.longMin && position.longitude <= box.longMax);
}

void registerBounds(const BoundsCase& data) {
    const double tests = static_cast<double>(data.nodes.size());
    const auto options = [](benchmark::internal::Benchmark* bench) {
        bench->Repetitions(5)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime()
            ->ComputeStatistics("min", pwbench::minimum)
            ->DisplayAggregatesOnly(true);
    };
    options(benchmark::RegisterBenchmark("bounds/L/WithinBounds", [&data, tests](benchmark::State& state) {
        for (auto _ : state) {
            std::size_t hits = 0;
            for (std::size_t i = 0; i < data.nodes.size(); ++i) {
                hits += data.nodes[i]->WithinBounds(data.positions[i]) ? 1 : 0;
            }
            benchmark::DoNotOptimize(hits);
        }
        state.counters["ns/test"] = benchmark::Counter(tests, benchmark::Counter::kIsIterationInvariantRate |
                                                                  benchmark::Counter::kInvert);
    }));
    options(benchmark::RegisterBenchmark("bounds/L/baseline", [&data, tests](benchmark::State& state) {
        for (auto _ : state) {
            std::size_t hits = 0;
            for (std::size_t i = 0; i < data.boxes.size(); ++i) {
                hits += inside(data.boxes[i], data.positions[i]) ? 1 : 0;
            }
            benchmark::DoNotOptimize(hits);
        }
        state.counters["ns/test"] = benchmark::Counter(tests, benchmark::Counter::kIsIterationInvariantRate |
                                                                  benchmark::Counter::kInvert);
    }));
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments = pwbench::withDefaultFlags(argc, argv);
    int count = static_cast<int>(arguments.size() - 1);
    benchmark::Initialize(&count, arguments.data());

    const Graph chainGraph = chain(1000000);
    const Graph wideGraph = wide(1000);
    registerSort(chainGraph);
    registerSort(wideGraph);

    pwbench::Model model;
    BoundsCase boundsCase;
    try {
        Csqlite database(pwbench::network(pwbench::sizeL(), true));
        pwbench::load(database, model);
    } catch (const std::exception& error) {
        std::cerr << "bench_model: " << error.what() << '\n';
        return 1;
    }
    std::uint64_t state = 99;
    for (const pw::CJourney& journey : model.journeys.journeys) {
        for (const pw::CLinkNode& node : journey.linkNodes) {
            boundsCase.nodes.push_back(&node);
            boundsCase.boxes.push_back(node.bounds);
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const double u = static_cast<double>(state >> 11) * 0x1.0p-53;
            boundsCase.positions.push_back(
                boundsCase.nodes.size() % 2 == 0 ? node.point : pw::CPoint{50.0 + 8.0 * u, 2.0 - 8.0 * u});
        }
    }
    registerBounds(boundsCase);

    pwbench::CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nGraph sorter: CPU ns per node, best of 3 interleaved repetitions\n");
    std::printf("%-8s %10s %10s %10s %10s %10s %10s %10s\n", "graph", "nodes", "build", "baseline", "ratio",
                "order", "baseline", "ratio");
    for (const Graph* graph : {&chainGraph, &wideGraph}) {
        const std::string prefix = "sort/" + graph->label + "/";
        const double nodes = static_cast<double>(graph->names.size());
        // Times are in milliseconds per iteration.
        const double perNode = 1e6 / nodes;
        const double buildTime = reporter.best(prefix + "build") * perNode;
        const double buildBase = reporter.best(prefix + "baseline-build") * perNode;
        const double orderTime = reporter.best(prefix + "order") * perNode;
        const double orderBase = reporter.best(prefix + "baseline-order") * perNode;
        std::printf("%-8s %10zu %10.1f %10.1f %10.2f %10.1f %10.1f %10.2f\n", graph->label.c_str(),
                    graph->names.size(), buildTime, buildBase, buildTime / buildBase, orderTime, orderBase,
                    orderTime / orderBase);
    }
    std::printf(
        "build: Add of every link (payloads made as the journey reader makes them); baseline: the same "
        "names in a std::map.\norder: Sort; baseline: the same breadth-first walk over plain indices.\n");

    const double tests = static_cast<double>(boundsCase.nodes.size());
    const double within = reporter.best("bounds/L/WithinBounds") * 1000.0 / tests;
    const double plain = reporter.best("bounds/L/baseline") * 1000.0 / tests;
    std::printf(
        "\nWithinBounds over every link node of L: CPU ns per test, best of 5 interleaved repetitions\n");
    std::printf("%-8s %10s %12s %10s %10s\n", "network", "tests", "WithinBounds", "baseline", "ratio");
    std::printf("%-8s %10zu %12.2f %10.2f %10.2f\n", "L", boundsCase.nodes.size(), within, plain,
                within / plain);
    std::printf("baseline: the same four comparisons on a contiguous array of boxes, inlined.\n");
    benchmark::Shutdown();
    return 0;
}
