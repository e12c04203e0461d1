// `pathweave info`: what a network database holds, counted the way the library loads it.

#include "json.h"
#include "tool.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

namespace pwtool {

namespace {

struct InfoOptions {
    std::string database;
    std::string nonJourneyPoints;
    std::string output;
    Format format = Format::Text;
};

// The rows of a table, or nothing when the table cannot be read.
std::optional<double> rowCount(const Csqlite& database, const std::string& table) {
    Csqlite::CsqliteQuerySelect rows("select count(*) from " + table + ";", database);
    return rows.Step() ? std::optional<double>(rows.GetColumnAsDouble(0, 0.0)) : std::nullopt;
}

std::string countText(std::optional<double> count) { return count ? formatNumber(*count) : "unreadable"; }

JsonValue countJson(std::optional<double> count) { return count ? JsonValue(*count) : JsonValue(nullptr); }

struct Counts {
    std::map<std::string, std::size_t> cuesByType;
    std::size_t listedJourneys = 0;
    std::size_t linkNodes = 0;
    std::size_t distinctLinkNodes = 0;
    std::size_t validBoxes = 0;
    std::size_t points = 0;
    std::size_t located = 0;
};

Counts countNetwork(Csqlite& database, const Network& network) {
    Counts counts;
    for (const auto& entry : network.cues.cues) {
        ++counts.cuesByType[cueTypeName(entry.second.type)];
    }
    counts.listedJourneys = network.journeys.journeys.size() - network.journeys.nonJourneyPointsCount;
    std::set<std::string> nodeIds;
    for (const pw::CJourney& journey : network.journeys.journeys) {
        counts.validBoxes += journey.CountLinkNodesWithValidBounds();
        // The first node of a journey read from the database is its ROOT node, which is no stop.
        for (auto node = journey.linkNodes.begin() + (journey.linkNodes.empty() ? 0 : 1);
             node != journey.linkNodes.end(); ++node) {
            ++counts.linkNodes;
            nodeIds.insert(node->id);
        }
    }
    counts.distinctLinkNodes = nodeIds.size();
    // A point has coordinates when the library finds both of them under one of its symbols.
    pw::CPersist reader(&database);
    Csqlite::CsqliteQuerySelect pointIds("select distinct POINT_ID from link_nodes;", database);
    while (pointIds.Step()) {
        const std::string point = pointIds.GetColumnAsString(0, "");
        ++counts.points;
        if (reader.getAttrAsDoubleFromList(point, pw::CPersist::latitudeSymbols).second &&
            reader.getAttrAsDoubleFromList(point, pw::CPersist::longitudeSymbols).second) {
            ++counts.located;
        }
    }
    return counts;
}

void writeText(std::ostream& out, const Csqlite& database, const Network& network, const Counts& counts,
               const InfoOptions& options, const std::vector<std::string>& candidates) {
    out << "database: " << database.GetDatabaseFilename() << '\n';
    out << "cues: " << network.cues.cues.size() << '\n';
    for (const auto& type : counts.cuesByType) {
        out << "  " << type.first << ": " << type.second << '\n';
    }
    out << "journeys: " << countText(rowCount(database, "journeys")) << " in the table, "
        << counts.listedJourneys << " listed"
        << (network.journeys.nonJourneyPointsCount != 0 ? ", and the non-journey points" : "") << '\n';
    if (options.nonJourneyPoints.empty() && !candidates.empty()) {
        out << "non-journey points: not read; Journey_links holds links of " << candidates.front()
            << ", which is not in journeys: --non-journey-points " << candidates.front() << " reads them\n";
    }
    out << "links: " << countText(rowCount(database, "links")) << '\n';
    out << "link nodes: " << countText(rowCount(database, "link_nodes")) << " in the table, "
        << counts.linkNodes << " on the journeys read (" << counts.distinctLinkNodes << " distinct)\n";
    out << "points with coordinates: " << counts.located << " of " << counts.points << '\n';
    out << "valid boxes: " << counts.validBoxes << " of " << counts.linkNodes
        << " link nodes on the journeys read\n";
    out << "load time: " << formatFixed(network.loadSeconds * 1000.0, 1) << " ms\n";
}

JsonValue infoJson(const Csqlite& database, const Network& network, const Counts& counts,
                   const InfoOptions& options, const std::vector<std::string>& candidates) {
    JsonValue byType = JsonValue::object();
    for (const auto& type : counts.cuesByType) {
        byType[type.first] = type.second;
    }
    return JsonValue{
        {"database", database.GetDatabaseFilename()},
        {"cues", {{"total", network.cues.cues.size()}, {"byType", std::move(byType)}}},
        {"journeys",
         {{"inTable", countJson(rowCount(database, "journeys"))}, {"listed", counts.listedJourneys}}},
        {"nonJourneyPoints",
         options.nonJourneyPoints.empty() ? JsonValue(nullptr) : JsonValue(options.nonJourneyPoints)},
        {"nonJourneyPointsCandidates", candidates},
        {"links", countJson(rowCount(database, "links"))},
        {"linkNodes",
         {{"inTable", countJson(rowCount(database, "link_nodes"))},
          {"onJourneys", counts.linkNodes},
          {"distinct", counts.distinctLinkNodes}}},
        {"points", {{"total", counts.points}, {"withCoordinates", counts.located}}},
        {"validBoxes", counts.validBoxes},
        {"loadMilliseconds", std::round(network.loadSeconds * 10000.0) / 10.0}};
}

int runInfo(const InfoOptions& options) {
    Output output(options.output);
    NetworkDatabase database(options.database);
    Network network;
    loadNetwork(database, options.nonJourneyPoints, "", network);
    const Counts counts = countNetwork(database.csqlite(), network);
    // The ids that Journey_links names but journeys does not, most rows first: the likely home of
    // the non-journey points.
    std::vector<std::pair<std::string, double>> unlisted = journeyIdsOnlyInJourneyLinks(database.csqlite());
    std::stable_sort(unlisted.begin(), unlisted.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<std::string> candidates;
    for (const auto& [id, rows] : unlisted) {
        if (id != options.nonJourneyPoints) {
            candidates.push_back(id);
        }
    }
    database.requireFinished();
    if (options.format == Format::Json) {
        writeJson(output.stream(), infoJson(database.csqlite(), network, counts, options, candidates));
    } else {
        writeText(output.stream(), database.csqlite(), network, counts, options, candidates);
    }
    output.finish();
    return Success;
}

} // namespace

void addInfoCommand(CLI::App& app, Command& command) {
    CLI::App* info =
        addCommand(app, "info", "Count what a network database holds and time its load",
                   "pathweave info network.db\npathweave info network.db --non-journey-points NJP "
                   "--format json");
    auto options = std::make_shared<InfoOptions>();
    addDatabaseArgument(*info, options->database);
    addNonJourneyPointsOption(*info, options->nonJourneyPoints);
    addFormatOption(*info, options->format);
    addOutputOption(*info, options->output);
    info->callback([options, &command] { command = [options] { return runInfo(*options); }; });
}

} // namespace pwtool
