// `pathweave map`: one self-contained HTML page of a network: the journeys' link nodes as fences
// and points in travelling order, the non-journey points, the findings of `pathweave check` on the
// nodes they concern and, with a track, the replay's events where they happened.

#include "check.h"
#include "map_data.h"
#include "map_page.h"
#include "replay.h"
#include "tool.h"
#include "track_file.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace pwtool {

namespace {

struct MapOptions {
    std::string database;
    std::vector<std::string> journeys;
    std::string track;
    std::string nonJourneyPoints;
    std::string tiles;
    std::string tilesCredit;
    std::string output;
};

void requireUsable(const MapOptions& options) {
    if (!options.track.empty() && options.journeys.size() != 1) {
        throw ToolError(UsageError, "--track needs exactly one --journey, the journey that the track drives");
    }
    for (const char* const part : {"{z}", "{x}", "{y}"}) {
        if (!options.tiles.empty() && options.tiles.find(part) == std::string::npos) {
            throw ToolError(UsageError, "--tiles '" + options.tiles + "' has no " + part +
                                            ": give a URL template such as "
                                            "https://tile.example.org/{z}/{x}/{y}.png");
        }
    }
}

int runMap(const MapOptions& options) {
    requireUsable(options);
    Track track;
    if (!options.track.empty()) {
        track = options.track == "-" ? readTrack(std::cin, "-") : readTrackFile(options.track);
    }
    Output output(options.output);
    NetworkDatabase database(options.database);
    Network network;
    loadNetwork(database, options.nonJourneyPoints,
                options.journeys.size() == 1 ? options.journeys.front() : "", network);
    for (const std::string& id : options.journeys) {
        if (network.journeys.find(id) == network.journeys.journeys.end()) {
            database.noJourney(id);
        }
    }
    check::Findings findings;
    check::checkDatabase(database, options.nonJourneyPoints, findings);

    MapData data(network, options.journeys, database.path());
    data.addFindings(findings);
    if (!options.track.empty()) {
        data.addReplay(network, options.journeys.front(), track);
        reportLeftOut(std::move(track.leftOut), options.track);
    }
    if (!options.tiles.empty()) {
        data.setTiles(options.tiles, options.tilesCredit);
    }
    writeMapPage(output.stream(), database.path(), data.json());
    output.finish();
    return Success;
}

} // namespace

void addMapCommand(CLI::App& app, Command& command) {
    CLI::App* map = addCommand(
        app, "map",
        "Write one offline HTML page of the network on a map, with the check's findings and a replayed track",
        "pathweave map network.db --non-journey-points NJP -o network.html\n"
        "pathweave map network.db --journey MARKET --journey HARBOUR -o two-journeys.html\n"
        "pathweave map network.db --journey MARKET --track drive.csv --non-journey-points NJP -o drive.html\n"
        "pathweave map network.db --tiles 'https://tile.openstreetmap.org/{z}/{x}/{y}.png' \\\n"
        "    --tiles-credit '(c) OpenStreetMap contributors' -o online.html");
    auto options = std::make_shared<MapOptions>();
    addDatabaseArgument(*map, options->database);
    map->add_option("--journey", options->journeys,
                    "Show only this journey (repeat for more); with --track, the journey that it drives")
        ->type_name("ID");
    map->add_option("--track", options->track,
                    "Replay this GPS track along the journey with the journey tracker, as 'pathweave replay' "
                    "does, and show it and its events (- for standard input)")
        ->type_name("FILE");
    addNonJourneyPointsOption(*map, options->nonJourneyPoints);
    CLI::Option* tiles = map->add_option("--tiles", options->tiles,
                                         "Draw map tiles from this URL template ({z}, {x} and {y} in it); "
                                         "without it the page reaches no server")
                             ->type_name("URL-TEMPLATE");
    map->add_option(
           "--tiles-credit", options->tilesCredit,
           "The credit line that the tiles' terms ask for (the tile server's host name if not given)")
        ->type_name("TEXT")
        ->needs(tiles);
    addOutputOption(*map, options->output);
    map->callback([options, &command] { command = [options] { return runMap(*options); }; });
}

} // namespace pwtool
