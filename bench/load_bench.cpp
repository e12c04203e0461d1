// `load` against SQLite's floors, and what the recommended indexes do to a load.
//
// Every figure is a time per load, taken as the best of several repetitions that run interleaved
// in random order with those of the baselines they are compared with, in this one process.

#include "bench_support.h"
#include "summary.h"

#include <benchmark/benchmark.h>
#include <csqlite/Csqlite.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using pwbench::Model;
using pwbench::NetworkSpec;

// One network measured against its floors.
struct Case {
    std::string label;
    NetworkSpec spec;
    benchmark::IterationCount iterations;
    int repetitions;
    std::unique_ptr<Csqlite> database;
    std::unique_ptr<pwbench::Floors> floors;
    std::size_t linkNodes = 0;
    std::size_t statements = 0;
    std::size_t columnChecks = 0;
    std::size_t shapes = 0;
    std::size_t firstLoadCompilations = 0;
    std::size_t nextLoadCompilations = 0;
};

// A bounded load of a network with and without the recommended indexes.
struct IndexCase {
    std::string label;
    NetworkSpec spec;
    std::size_t journeys;
    std::unique_ptr<Csqlite> plain;
    std::unique_ptr<Csqlite> indexed;
};

void prepareCase(Case& item) {
    const std::string path = pwbench::network(item.spec, true);
    item.database = std::make_unique<Csqlite>(path);
    if (!item.database->valid) {
        throw std::runtime_error(item.database->errorMessage);
    }
    {
        // A fresh connection compiles every shape once; the next load finds them all prepared.
        Csqlite fresh(path);
        const pwbench::CompileCounter counter(fresh.handle());
        Model first;
        pwbench::load(fresh, first);
        item.firstLoadCompilations = counter.compilations();
        item.linkNodes = first.linkNodes();
        Model next;
        pwbench::load(fresh, next);
        item.nextLoadCompilations = counter.compilations() - item.firstLoadCompilations;
    }
    std::vector<pwbench::Statement> statements = pwbench::recordLoad(*item.database);
    item.statements = statements.size();
    for (const pwbench::Statement& statement : statements) {
        item.columnChecks += statement.kind == pwbench::Statement::ColumnCheck ? 1 : 0;
    }
    item.shapes = pwbench::distinctShapes(statements);
    item.floors = std::make_unique<pwbench::Floors>(path, std::move(statements));
}

benchmark::internal::Benchmark* configure(benchmark::internal::Benchmark* bench, const Case& item) {
    return bench->Iterations(item.iterations)
        ->Repetitions(item.repetitions)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->ComputeStatistics("min", pwbench::minimum)
        ->DisplayAggregatesOnly(true);
}

// Loads the network once per iteration; destroying the model afterwards is not timed.
void loadEachIteration(benchmark::State& state, Csqlite& database, bool inTransaction,
                       std::size_t journeys = pwbench::allJourneys) {
    for (auto _ : state) {
        auto model = std::make_unique<Model>();
        if (inTransaction) {
            const Csqlite::ReadTransaction transaction(database);
            pwbench::load(database, *model, journeys);
        } else {
            pwbench::load(database, *model, journeys);
        }
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
}

void registerCase(Case& item) {
    const std::string& label = item.label;
    Csqlite& database = *item.database;
    pwbench::Floors& floors = *item.floors;
    configure(benchmark::RegisterBenchmark(
                  ("load/" + label).c_str(),
                  [&database](benchmark::State& state) { loadEachIteration(state, database, false); }),
              item);
    configure(benchmark::RegisterBenchmark(
                  ("load-txn/" + label).c_str(),
                  [&database](benchmark::State& state) { loadEachIteration(state, database, true); }),
              item);
    configure(benchmark::RegisterBenchmark(("floor-reprepare/" + label).c_str(),
                                           [&floors](benchmark::State& state) {
                                               for (auto _ : state) {
                                                   benchmark::DoNotOptimize(floors.reprepare());
                                               }
                                           }),
              item);
    configure(benchmark::RegisterBenchmark(("floor-bound/" + label).c_str(),
                                           [&floors](benchmark::State& state) {
                                               for (auto _ : state) {
                                                   benchmark::DoNotOptimize(floors.bound());
                                               }
                                           }),
              item);
    configure(benchmark::RegisterBenchmark(("floor-bound-txn/" + label).c_str(),
                                           [&floors](benchmark::State& state) {
                                               for (auto _ : state) {
                                                   benchmark::DoNotOptimize(floors.boundInTransaction());
                                               }
                                           }),
              item);
}

void registerIndexCase(IndexCase& item) {
    for (const bool indexed : {false, true}) {
        for (const std::size_t journeys : {std::size_t{0}, item.journeys}) {
            const std::string name = std::string(indexed ? "indexed/" : "no-index/") + item.label +
                                     "/journeys:" + std::to_string(journeys);
            Csqlite* database = indexed ? item.indexed.get() : item.plain.get();
            benchmark::RegisterBenchmark(name.c_str(),
                                         [database, journeys](benchmark::State& state) {
                                             loadEachIteration(state, *database, false, journeys);
                                         })
                ->Iterations(1)
                ->Repetitions(indexed ? 3 : 1)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->ComputeStatistics("min", pwbench::minimum)
                ->DisplayAggregatesOnly(true);
        }
    }
}

void printLoadTable(const pwbench::CollectingReporter& results, const std::vector<Case>& cases) {
    std::printf(
        "\nLoad against SQLite's floors: CPU ms per load, best of the interleaved repetitions (S, M 9; "
        "L, M-mixed 5)\n");
    std::printf("%-8s %10s %10s %7s %6s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n", "network", "link nodes",
                "statements", "checks", "shapes", "compiled", "again", "load", "load-txn", "reprepare",
                "bound", "bound-txn", "l/repr", "l/bound", "lt/btxn");
    for (const Case& item : cases) {
        const double load = results.best("load/" + item.label);
        const double loadTxn = results.best("load-txn/" + item.label);
        const double reprepare = results.best("floor-reprepare/" + item.label);
        const double bound = results.best("floor-bound/" + item.label);
        const double boundTxn = results.best("floor-bound-txn/" + item.label);
        std::printf("%-8s %10zu %10zu %7zu %6zu %9zu %9zu %9.2f %9.2f %9.2f %9.2f %9.2f %9.3f %9.3f %9.3f\n",
                    item.label.c_str(), item.linkNodes, item.statements, item.columnChecks, item.shapes,
                    item.firstLoadCompilations, item.nextLoadCompilations, load, loadTxn, reprepare, bound,
                    boundTxn, load / reprepare, load / bound, loadTxn / boundTxn);
    }
    std::printf("compiled: SQL compilations of a first load on a fresh connection; again: of the next load.\n"
                "l/repr = load / floor-reprepare, l/bound = load / floor-bound, "
                "lt/btxn = load-in-transaction / floor-bound-txn.\n");
}

void printIndexTable(const pwbench::CollectingReporter& results, const std::vector<IndexCase>& cases,
                     const std::vector<Case>& loads) {
    std::printf(
        "\nThe recommended indexes (the two that `pathweave index` creates): the catalogue, the collection "
        "and the first N journeys, without and with them\n");
    std::printf("%-8s %8s %14s %14s %14s %14s %8s %16s %12s\n", "network", "N", "no-index N ms",
                "indexed N ms", "no-index 0 ms", "indexed 0 ms", "ratio", "no-index full s", "indexed s");
    for (const IndexCase& item : cases) {
        const std::string n = std::to_string(item.journeys);
        const double plainN = results.best("no-index/" + item.label + "/journeys:" + n);
        const double indexedN = results.best("indexed/" + item.label + "/journeys:" + n);
        const double plain0 = results.best("no-index/" + item.label + "/journeys:0");
        const double indexed0 = results.best("indexed/" + item.label + "/journeys:0");
        // Every journey costs about the same: the full load is the fixed part and N journeys scaled.
        const double plainFull = plain0 + (plainN - plain0) * static_cast<double>(item.spec.journeys) /
                                              static_cast<double>(item.journeys);
        double indexedFull = 0.0;
        for (const Case& load : loads) {
            if (load.label == item.label) {
                indexedFull = results.best("load/" + load.label);
            }
        }
        std::printf("%-8s %8zu %14.1f %14.1f %14.1f %14.1f %8.1f %16.1f %12.2f\n", item.label.c_str(),
                    item.journeys, plainN, indexedN, plain0, indexed0,
                    (plainN - plain0) / (indexedN - indexed0), plainFull / 1000.0, indexedFull / 1000.0);
    }
    std::printf(
        "ratio: time per journey without / with the indexes. Without the indexes every attribute lookup "
        "scans the table,\nso a whole load is not run: its time is extrapolated from the first N of the "
        "network's journeys (\"no-index full\").\n");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments = pwbench::withDefaultFlags(argc, argv);
    int count = static_cast<int>(arguments.size() - 1);
    benchmark::Initialize(&count, arguments.data());

    std::vector<Case> cases;
    // Repetitions: the more, the likelier that the best of them saw a quiet machine; L's are long.
    cases.push_back({"S", pwbench::sizeS(), 20, 9, {}, {}});
    cases.push_back({"M", pwbench::sizeM(), 2, 9, {}, {}});
    cases.push_back({"L", pwbench::sizeL(), 1, 5, {}, {}});
    NetworkSpec mixed = pwbench::sizeM();
    mixed.name = "M";
    mixed.mixedSymbols = true;
    cases.push_back({"M-mixed", mixed, 2, 5, {}, {}});

    std::vector<IndexCase> indexCases;
    indexCases.push_back({"M", pwbench::sizeM(), 20, {}, {}});
    indexCases.push_back({"L", pwbench::sizeL(), 2, {}, {}});

    try {
        for (Case& item : cases) {
            prepareCase(item);
            registerCase(item);
        }
        for (IndexCase& item : indexCases) {
            item.plain = std::make_unique<Csqlite>(pwbench::network(item.spec, false));
            item.indexed = std::make_unique<Csqlite>(pwbench::network(item.spec, true));
            registerIndexCase(item);
        }
    } catch (const std::exception& error) {
        std::cerr << "bench_load: " << error.what() << '\n';
        return 1;
    }

    pwbench::CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printLoadTable(reporter, cases);
    printIndexTable(reporter, indexCases, cases);
    benchmark::Shutdown();
    return 0;
}
