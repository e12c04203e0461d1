#include "tool.h"

#include <CLI/CLI.hpp>

namespace pwtool {

int replayTrack(Network&, const std::string&, std::istream&, Format, std::ostream&) { return Success; }

void addReplayCommand(CLI::App& app, Command& command) {
    CLI::App* replay = app.add_subcommand("replay", "Drive a journey along a GPS track");
    replay->callback([&command] { command = [] { return Success; }; });
}

} // namespace pwtool
