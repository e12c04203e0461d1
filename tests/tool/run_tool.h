#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pwtest {

/// What one run of the pathweave program left.
struct ToolRun {
    int exitCode = -1;
    std::string out; ///< standard output
    std::string err; ///< standard error

    bool operator==(const ToolRun& other) const {
        return exitCode == other.exitCode && out == other.out && err == other.err;
    }
};

/// Prints a run in test failures: its exit code, standard output and standard error.
void PrintTo(const ToolRun& run, std::ostream* out);

/// Runs the pathweave program built with these tests (through the emulator on a cross build)
/// with `arguments` and `input` on standard input, and waits for it. Standard output goes to
/// `outPath` when it is given (`out` is then empty).
ToolRun runTool(const std::vector<std::string>& arguments, const std::string& input = "",
                const std::string& outPath = "");

} // namespace pwtest
