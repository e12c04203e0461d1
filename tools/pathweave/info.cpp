// `pathweave info`: what a network database holds, counted the way the library loads it.

#include "tool.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <map>
#include <set>

namespace pwtool {

namespace {

struct InfoOptions {
    std::string database;
    std::string nonJourneyPoints;
};

// The rows of a table, or nothing when the table cannot be read.
std::string rowCount(const Csqlite& database, const std::string& table, const std::string& where = "") {
    Csqlite::CsqliteQuerySelect rows("select count(*) from " + table + where + ";", database);
    return rows.Step() ? rows.GetColumnAsString(0, "0") : "unreadable";
}

const char* typeName(uint32_t type) {
    switch (type) {
    case pw::CCue::EnterTransition:
        return "ENTER_TRANSITION";
    case pw::CCue::ExitTransition:
        return "EXIT_TRANSITION";
    case pw::CCue::Simple:
        return "SIMPLE";
    case pw::CCue::Global:
        return "GLOBAL";
    case pw::CCue::JourneyEntryTransition:
        return "JOURNEY_ENTRY_TRANSITION";
    case pw::CCue::JourneyExitTransition:
        return "JOURNEY_EXIT_TRANSITION";
    case pw::CCue::LinkEntryTransition:
        return "LINK_ENTRY_TRANSITION";
    case pw::CCue::LinkExitTransition:
        return "LINK_EXIT_TRANSITION";
    default:
        return "unknown type";
    }
}

int runInfo(const InfoOptions& options) {
    const std::unique_ptr<Csqlite> database = openNetworkDatabase(options.database);
    Network network;
    loadNetwork(*database, options.nonJourneyPoints, "", network);

    std::map<std::string, std::size_t> cuesByType;
    for (const auto& entry : network.cues.cues) {
        ++cuesByType[typeName(entry.second.type)];
    }
    std::size_t linkNodes = 0;
    std::size_t validBoxes = 0;
    std::set<std::string> nodeIds;
    for (const pw::CJourney& journey : network.journeys.journeys) {
        validBoxes += journey.CountLinkNodesWithValidBounds();
        // The first node of a journey read from the database is its ROOT node, which is no stop.
        for (auto node = journey.linkNodes.begin() + (journey.linkNodes.empty() ? 0 : 1);
             node != journey.linkNodes.end(); ++node) {
            ++linkNodes;
            nodeIds.insert(node->id);
        }
    }
    // A point has coordinates when the library finds both of them under one of its symbols.
    pw::CPersist reader(database.get());
    std::set<std::string> points;
    std::size_t located = 0;
    Csqlite::CsqliteQuerySelect pointIds("select distinct POINT_ID from link_nodes;", *database);
    while (pointIds.Step()) {
        const std::string point = pointIds.GetColumnAsString(0, "");
        points.insert(point);
        if (reader.getAttrAsDoubleFromList(point, pw::CPersist::latitudeSymbols).second &&
            reader.getAttrAsDoubleFromList(point, pw::CPersist::longitudeSymbols).second) {
            ++located;
        }
    }

    std::cout << "database: " << database->GetDatabaseFilename() << '\n';
    std::cout << "cues: " << network.cues.cues.size() << '\n';
    for (const auto& type : cuesByType) {
        std::cout << "  " << type.first << ": " << type.second << '\n';
    }
    std::cout << "journeys: " << rowCount(*database, "journeys") << " in the table, "
              << network.journeys.journeys.size() - network.journeys.nonJourneyPointsCount << " listed"
              << (network.journeys.nonJourneyPointsCount != 0 ? ", and the non-journey points" : "") << '\n';
    std::cout << "links: " << rowCount(*database, "links") << '\n';
    std::cout << "link nodes: " << rowCount(*database, "link_nodes") << " in the table, " << linkNodes
              << " on the journeys read (" << nodeIds.size() << " distinct)\n";
    std::cout << "points with coordinates: " << located << " of " << points.size() << '\n';
    std::cout << "valid boxes: " << validBoxes << " of " << linkNodes << " link nodes on the journeys read\n";
    std::cout << "load time: " << formatNumber(network.loadSeconds * 1000.0) << " ms\n";
    return Success;
}

} // namespace

void addInfoCommand(CLI::App& app, Command& command) {
    CLI::App* info = app.add_subcommand("info", "Count what a network database holds and time its load");
    auto options = std::make_shared<InfoOptions>();
    info->add_option("database", options->database, "The network database")->required();
    info->add_option("--non-journey-points", options->nonJourneyPoints,
                     "Read the non-journey points stored under this journey id");
    info->callback([options, &command] { command = [options] { return runInfo(*options); }; });
}

} // namespace pwtool
