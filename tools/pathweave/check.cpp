#include "tool.h"

#include <CLI/CLI.hpp>

namespace pwtool {

void addCheckCommand(CLI::App& app, Command& command) {
    CLI::App* check =
        app.add_subcommand("check", "Load everything and report what is wrong with a network database");
    check->callback([&command] { command = [] { return Success; }; });
}

} // namespace pwtool
