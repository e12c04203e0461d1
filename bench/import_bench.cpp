// The GTFS import against the floor of reading its feed, measured in the same process: floor A
// decompresses every file of the zip to nothing, floor B also parses every CSV field (with the
// importer's CSV parser and settings). Peak memory of each import is measured in a child process
// of its own. Feeds are generated on first use and kept with the benchmark networks.

#include "bench_support.h"
#include "gtfs_feed_generator.h"
#include "summary.h"

#include <benchmark/benchmark.h>
#include <pathweave/gtfs/import.h>

#include <csv.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <vector>

namespace {

struct Feed {
    pwbench::GtfsFeedSpec spec;
    int repetitions;
    std::string path;
    double zipMiB = 0.0;
    double peakMiB = 0.0;
    pw::gtfs::Summary summary;
};

int noSpace(unsigned char) { return 0; }
void countField(void*, std::size_t, void* fields) { ++*static_cast<uint64_t*>(fields); }
void countRow(int, void*) {}

// Reads every file of the zip; with `parse`, through libcsv as the importer reads it. Returns the
// number of bytes, or of fields.
uint64_t readFeed(const std::string& path, bool parse) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        throw std::runtime_error("cannot open " + path);
    }
    std::vector<char> buffer(1 << 16);
    uint64_t total = 0;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        csv_parser parser;
        csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL);
        csv_set_space_func(&parser, noSpace);
        for (zip_int64_t got; (got = zip_fread(file, buffer.data(), buffer.size())) > 0;) {
            if (parse) {
                csv_parse(&parser, buffer.data(), static_cast<std::size_t>(got), countField, countRow,
                          &total);
            } else {
                total += static_cast<uint64_t>(got);
            }
        }
        csv_fini(&parser, countField, countRow, &total);
        csv_free(&parser);
        zip_fclose(file);
    }
    zip_discard(archive);
    return total;
}

pw::gtfs::Report importFeed(const Feed& feed) {
    pw::gtfs::Options options;
    options.feed = feed.path;
    options.database = feed.path + ".db";
    options.force = true;
    pw::gtfs::Report report = pw::gtfs::importFeed(options);
    std::filesystem::remove(options.database);
    if (!report.succeeded()) {
        throw std::runtime_error("the import of " + feed.path + " failed: " + report.failure);
    }
    return report;
}

// Imports the feed in a child process and returns the child's peak resident size in MiB.
double peakMemoryOfImport(const Feed& feed) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        importFeed(feed);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long kib = usage.ru_maxrss;
        const ssize_t written = write(pipeEnds[1], &kib, sizeof kib);
        _exit(written == sizeof kib ? 0 : 1);
    }
    close(pipeEnds[1]);
    long kib = 0;
    const ssize_t got = read(pipeEnds[0], &kib, sizeof kib);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got != sizeof kib || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the import of " + feed.path + " failed in its child process");
    }
    return static_cast<double>(kib) / 1024.0;
}

std::string label(const Feed& feed) {
    const uint64_t millions = feed.spec.stopTimes / 1000000;
    return std::to_string(millions) + "M" + (feed.spec.unsorted ? "-unsorted" : "");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments = pwbench::withDefaultFlags(argc, argv);
    int count = static_cast<int>(arguments.size() - 1);
    benchmark::Initialize(&count, arguments.data());

    std::vector<Feed> feeds = {{{1000000, false, 1}, 5, "", 0, 0, {}},
                               {{1000000, true, 1}, 3, "", 0, 0, {}},
                               {{10000000, false, 1}, 3, "", 0, 0, {}},
                               {{10000000, true, 1}, 2, "", 0, 0, {}}};
    try {
        for (Feed& feed : feeds) {
            const std::string directory = pwbench::networkDirectory();
            if (!std::filesystem::exists(directory + "/" + pwbench::gtfsFeedFileName(feed.spec))) {
                std::cout << "Generating " << pwbench::gtfsFeedFileName(feed.spec) << " ..." << std::endl;
            }
            feed.path = pwbench::ensureGtfsFeed(directory, feed.spec);
            feed.zipMiB = static_cast<double>(std::filesystem::file_size(feed.path)) / 1048576.0;
            feed.peakMiB = peakMemoryOfImport(feed);
        }
    } catch (const std::exception& error) {
        std::cerr << "bench_import: " << error.what() << '\n';
        return 1;
    }

    for (Feed& feed : feeds) {
        const std::string name = label(feed);
        benchmark::RegisterBenchmark(("import/" + name).c_str(),
                                     [&feed](benchmark::State& state) {
                                         for (auto _ : state) {
                                             feed.summary = importFeed(feed).summary;
                                         }
                                     })
            ->Iterations(1)
            ->Repetitions(feed.repetitions)
            ->ComputeStatistics("min", pwbench::minimum)
            ->Unit(benchmark::kMillisecond);
        for (const bool parse : {false, true}) {
            benchmark::RegisterBenchmark(((parse ? "floorB/" : "floorA/") + name).c_str(),
                                         [&feed, parse](benchmark::State& state) {
                                             for (auto _ : state) {
                                                 benchmark::DoNotOptimize(readFeed(feed.path, parse));
                                             }
                                         })
                ->Iterations(1)
                ->Repetitions(feed.repetitions)
                ->ComputeStatistics("min", pwbench::minimum)
                ->Unit(benchmark::kMillisecond);
        }
    }
    pwbench::CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nGTFS import against reading the feed (CPU seconds, best repetition; peak RSS of an import "
                "in a process of its own)\n");
    std::printf("%-14s %12s %8s %9s %9s %9s %9s %9s %10s %9s %8s\n", "feed", "stop_times", "zip MiB",
                "floor A", "floor B", "import", "imp/A", "imp/B", "peak MiB", "journeys", "grouped");
    for (const Feed& feed : feeds) {
        const std::string name = label(feed);
        const double a = reporter.best("floorA/" + name) / 1000.0;
        const double b = reporter.best("floorB/" + name) / 1000.0;
        const double import = reporter.best("import/" + name) / 1000.0;
        std::printf("%-14s %12llu %8.1f %9.2f %9.2f %9.2f %9.2f %9.2f %10.1f %9llu %8s\n", name.c_str(),
                    static_cast<unsigned long long>(feed.summary.stopTimesRows), feed.zipMiB, a, b, import,
                    import / a, import / b, feed.peakMiB,
                    static_cast<unsigned long long>(feed.summary.journeys),
                    feed.summary.stopTimesGrouped ? "yes" : "no");
    }
    std::printf(
        "Targets: import / floor B at most 2.5 and peak RSS at most 128 MiB with 10M grouped stop_times; "
        "unsorted at most 16 bytes per stop_times row above the grouped import.\n");
    benchmark::Shutdown();
    return 0;
}
