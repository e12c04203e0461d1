#include "tool.h"

#include <CLI/CLI.hpp>

namespace pwtool {

void addGeojsonCommand(CLI::App& app, Command& command) {
    CLI::App* geojson = app.add_subcommand("geojson", "Write the network as GeoJSON");
    geojson->callback([&command] { command = [] { return Success; }; });
}

} // namespace pwtool
