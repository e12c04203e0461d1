#include "summary.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace pwbench {

double minimum(const std::vector<double>& values) {
    return values.empty() ? std::numeric_limits<double>::quiet_NaN()
                          : *std::min_element(values.begin(), values.end());
}

std::vector<char*> withDefaultFlags(int argc, char** argv) {
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> arguments(argv, argv + argc);
    const bool given = std::any_of(argv, argv + argc, [](const char* argument) {
        return std::strncmp(argument, "--benchmark_enable_random_interleaving", 38) == 0;
    });
    if (!given) {
        arguments.insert(arguments.begin() + 1, interleave);
    }
    // argv ends with a null pointer, which the count leaves out.
    arguments.push_back(nullptr);
    return arguments;
}

CollectingReporter::CollectingReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
    benchmark::ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        const std::string& name = run.run_name.function_name;
        // A benchmark run once has no aggregates: its one time is its best.
        if ((run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") ||
            (run.run_type == Run::RT_Iteration && run.repetitions <= 1)) {
            bestTimes[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        }
    }
}

double CollectingReporter::best(const std::string& name) const {
    const auto found = bestTimes.find(name);
    return found == bestTimes.end() ? std::numeric_limits<double>::quiet_NaN() : found->second.cpu;
}

double CollectingReporter::bestRealTime(const std::string& name) const {
    const auto found = bestTimes.find(name);
    return found == bestTimes.end() ? std::numeric_limits<double>::quiet_NaN() : found->second.real;
}

} // namespace pwbench
