#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace pwbench {

/// The least of the repetitions' times: the run least disturbed by the rest of the machine.
double minimum(const std::vector<double>& values);

/// The program's arguments with the flags that every benchmark program of the project runs with
/// unless the command line says otherwise: repetitions interleaved in random order, so that a
/// figure and its baseline see the same machine. Ends with a null pointer, not counted in argc.
std::vector<char*> withDefaultFlags(int argc, char** argv);

/// Prints like the console reporter and keeps each benchmark's "min" aggregate, in its time unit.
///
/// The summaries compare process CPU times: on a machine shared with other work the wall-clock time
/// of a run also holds the time the process waited for a processor, which says nothing about the
/// code. With the database in the operating system's cache, as here, a load waits for nothing else.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    CollectingReporter();

    void ReportRuns(const std::vector<Run>& runs) override;

    /// The best CPU time per iteration of the benchmark `name`, or NaN when it did not run.
    double best(const std::string& name) const;
    /// The best wall-clock time per iteration of the benchmark `name`, or NaN.
    double bestRealTime(const std::string& name) const;

private:
    struct Times {
        double real;
        double cpu;
    };
    std::map<std::string, Times> bestTimes;
};

} // namespace pwbench
