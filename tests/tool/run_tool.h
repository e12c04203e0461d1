#pragma once

#include <string>
#include <vector>

namespace pwtest {

/// What one run of the pathweave program left.
struct ToolRun {
    int exitCode = -1;
    std::string out; ///< standard output
    std::string err; ///< standard error
};

/// Runs the pathweave program built with these tests (through the emulator on a cross build)
/// with `arguments`, standard input empty, and waits for it.
ToolRun runTool(const std::vector<std::string>& arguments);

} // namespace pwtest
