// Memory of a loaded L network: heap bytes per link node, counted by replacing the global operator
// new and delete of this program (the library's allocations come here too), and the peak resident
// size. SQLite's own memory (its page cache, prepared statements) is not C++ heap and is not
// counted in the heap figures; it is in the resident size.

#include "bench_support.h"
#include "summary.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
std::atomic<std::size_t> allocations{0};

// Each block carries its size in front, in a header that keeps the alignment new promises.
constexpr std::size_t header = alignof(std::max_align_t);

void* allocate(std::size_t size) {
    void* block = std::malloc(size + header);
    if (block == nullptr) {
        return nullptr;
    }
    *static_cast<std::size_t*>(block) = size;
    const std::size_t live = liveBytes.fetch_add(size, std::memory_order_relaxed) + size;
    allocations.fetch_add(1, std::memory_order_relaxed);
    std::size_t peak = peakBytes.load(std::memory_order_relaxed);
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
    return static_cast<char*>(block) + header;
}

void release(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    void* block = static_cast<char*>(pointer) - header;
    liveBytes.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

void* allocateOrThrow(std::size_t size) {
    void* pointer = allocate(size);
    if (pointer == nullptr) {
        throw std::bad_alloc();
    }
    return pointer;
}

} // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* pointer) noexcept { release(pointer); }
void operator delete[](void* pointer) noexcept { release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { release(pointer); }

namespace {

struct Figures {
    std::size_t linkNodes = 0;
    std::size_t journeys = 0;
    std::size_t modelBytes = 0;
    std::size_t modelAllocations = 0;
    std::size_t linkNodeStorage = 0;
    std::size_t transientPeak = 0;
    std::size_t residentBefore = 0;
    std::size_t residentAfter = 0;
    std::size_t peakResident = 0;
};

Figures measure(const std::string& path) {
    Figures figures;
    Csqlite database(path);
    {
        // The connection's statement cache is made by the first load; it is not the model's.
        pwbench::Model warmUp;
        pwbench::load(database, warmUp, 1);
    }
    figures.residentBefore = pwbench::residentBytes();
    const std::size_t before = liveBytes.load();
    const std::size_t allocationsBefore = allocations.load();
    peakBytes.store(before);
    auto model = std::make_unique<pwbench::Model>();
    pwbench::load(database, *model);
    figures.transientPeak = peakBytes.load() - before;
    figures.residentAfter = pwbench::residentBytes();
    // The kernel updates the peak now and then; the present size may be newer.
    figures.peakResident = std::max(pwbench::peakResidentBytes(), figures.residentAfter);
    figures.linkNodes = model->linkNodes();
    figures.journeys = model->journeys.journeys.size();
    for (const pw::CJourney& journey : model->journeys.journeys) {
        figures.linkNodeStorage += journey.linkNodes.capacity() * sizeof(pw::CLinkNode);
    }
    const std::size_t allocationsAfter = allocations.load();
    const std::size_t live = liveBytes.load();
    model.reset();
    // What destroying the model gives back is exactly what it held.
    figures.modelBytes = live - liveBytes.load();
    figures.modelAllocations = allocationsAfter - allocationsBefore;
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments = pwbench::withDefaultFlags(argc, argv);
    int count = static_cast<int>(arguments.size() - 1);
    benchmark::Initialize(&count, arguments.data());

    std::string path;
    try {
        path = pwbench::network(pwbench::sizeL(), true);
    } catch (const std::exception& error) {
        std::cerr << "bench_memory: " << error.what() << '\n';
        return 1;
    }
    Figures figures;
    benchmark::RegisterBenchmark("memory/L",
                                 [&path, &figures](benchmark::State& state) {
                                     for (auto _ : state) {
                                         figures = measure(path);
                                     }
                                     const double nodes = static_cast<double>(figures.linkNodes);
                                     state.counters["heap B/node"] =
                                         static_cast<double>(figures.modelBytes) / nodes;
                                     state.counters["peak RSS MiB"] =
                                         static_cast<double>(figures.peakResident) / 1048576.0;
                                 })
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

    pwbench::CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double nodes = static_cast<double>(figures.linkNodes);
    std::printf("\nMemory after loading L (x86-64: sizeof(CLinkNode) = %zu, sizeof(CJourney) = %zu)\n",
                sizeof(pw::CLinkNode), sizeof(pw::CJourney));
    std::printf("%-8s %10s %12s %12s %14s %12s %14s %12s %12s %12s\n", "network", "link nodes", "heap B/node",
                "x node size", "node storage", "load allocs/n", "load peak B/n", "RSS before", "RSS after",
                "peak RSS");
    std::printf("%-8s %10zu %12.1f %12.2f %14.1f %12.2f %14.1f %10.1f M %10.1f M %10.1f M\n", "L",
                figures.linkNodes, static_cast<double>(figures.modelBytes) / nodes,
                static_cast<double>(figures.modelBytes) / nodes / static_cast<double>(sizeof(pw::CLinkNode)),
                static_cast<double>(figures.linkNodeStorage) / nodes,
                static_cast<double>(figures.modelAllocations) / nodes,
                static_cast<double>(figures.transientPeak) / nodes,
                static_cast<double>(figures.residentBefore) / 1048576.0,
                static_cast<double>(figures.residentAfter) / 1048576.0,
                static_cast<double>(figures.peakResident) / 1048576.0);
    std::printf(
        "heap B/node: C++ heap bytes the loaded model holds (catalogue, %zu journeys, their link nodes), "
        "requested sizes,\nper link node (ROOT nodes and the non-journey points included); x node size: "
        "that over sizeof(CLinkNode);\nnode storage: the link node vectors' capacity; load allocs: "
        "allocations made by the load; load peak: the "
        "most heap the load held at once, per node.\n",
        figures.journeys);
    benchmark::Shutdown();
    return 0;
}
