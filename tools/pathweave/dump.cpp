// `pathweave dump`: the loaded model, as text or as JSON.

#include "json.h"
#include "tool.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace pwtool {

namespace {

struct DumpOptions {
    std::string database;
    std::string journey;
    std::string nonJourneyPoints;
    std::string output;
    Format format = Format::Text;
};

JsonValue cueName(const pw::CCue* cue) { return cue != nullptr ? JsonValue(cue->name) : JsonValue(nullptr); }

JsonValue cueNames(const pw::CCueSubset& subset) {
    JsonValue names = JsonValue::array();
    for (const auto& element : subset.cues) {
        names.push_back(element.first);
    }
    return names;
}

JsonValue linkNodeJson(const pw::CLinkNode& node) {
    return JsonValue{{"id", node.id},
                     {"latitude", jsonNumber(node.point.latitude)},
                     {"longitude", jsonNumber(node.point.longitude)},
                     {"distance", jsonNumber(node.distance)},
                     {"cues", cueNames(node.cues)},
                     {"transitionCue", cueName(node.transitionCue)},
                     {"bounds",
                      {{"valid", node.bounds.valid},
                       {"latMin", jsonNumber(node.bounds.latMin)},
                       {"longMin", jsonNumber(node.bounds.longMin)},
                       {"latMax", jsonNumber(node.bounds.latMax)},
                       {"longMax", jsonNumber(node.bounds.longMax)}}}};
}

JsonValue journeyJson(const pw::CJourney& journey) {
    JsonValue linkNodes = JsonValue::array();
    for (const pw::CLinkNode& node : journey.linkNodes) {
        linkNodes.push_back(linkNodeJson(node));
    }
    return JsonValue{{"id", journey.id},
                     {"cues", cueNames(journey.cues)},
                     {"entryCue", cueName(journey.entryCue)},
                     {"exitCue", cueName(journey.exitCue)},
                     {"linkTransitionCue", cueName(journey.linkTransitionCue)},
                     {"order", orderName(journey.order)},
                     {"linkDistances", journey.linkDistances},
                     {"linkNodes", std::move(linkNodes)}};
}

void writeJsonDump(std::ostream& out, const Csqlite& database, Network& network) {
    JsonValue cues = JsonValue::array();
    for (const auto& entry : network.cues.cues) {
        cues.push_back(JsonValue{
            {"name", entry.second.name}, {"type", entry.second.type}, {"arguments", entry.second.arguments}});
    }
    const auto points = network.journeys.GetNonJourneyPoints();
    JsonValue journeys = JsonValue::array();
    for (auto journey = firstOrdinaryJourney(network.journeys); journey != network.journeys.journeys.end();
         ++journey) {
        journeys.push_back(journeyJson(*journey));
    }
    writeJson(out,
              JsonValue{{"database", database.GetDatabaseFilename()},
                        {"cues", std::move(cues)},
                        {"nonJourneyPoints", points != network.journeys.journeys.end() ? journeyJson(*points)
                                                                                       : JsonValue(nullptr)},
                        {"journeys", std::move(journeys)}});
}

std::string cueText(const pw::CCue* cue) { return cue != nullptr ? cue->name : "-"; }

std::string cueList(const pw::CCueSubset& subset) {
    std::string names;
    for (const auto& element : subset.cues) {
        names += names.empty() ? "" : ",";
        names += element.first;
    }
    return names.empty() ? "-" : names;
}

void writeTextJourney(std::ostream& out, const pw::CJourney& journey, const char* kind) {
    out << kind << ' ' << journey.id << ": order " << orderName(journey.order) << ", link distances "
        << (journey.linkDistances ? "yes" : "no") << ", cues " << cueList(journey.cues) << ", entry "
        << cueText(journey.entryCue) << ", exit " << cueText(journey.exitCue) << ", link transition "
        << cueText(journey.linkTransitionCue) << '\n';
    for (const pw::CLinkNode& node : journey.linkNodes) {
        out << "  " << node.id << "  at " << formatNumber(node.point.latitude) << ','
            << formatNumber(node.point.longitude) << "  distance " << formatFixed(node.distance, 2)
            << "  cues " << cueList(node.cues) << "  transition " << cueText(node.transitionCue) << "  box ";
        if (node.bounds.valid) {
            out << formatNumber(node.bounds.latMin) << ',' << formatNumber(node.bounds.longMin) << " .. "
                << formatNumber(node.bounds.latMax) << ',' << formatNumber(node.bounds.longMax) << '\n';
        } else {
            out << "none\n";
        }
    }
}

void writeTextDump(Output& output, const Csqlite& database, Network& network) {
    std::ostream& out = output.stream();
    out << "database " << database.GetDatabaseFilename() << '\n';
    out << "cues: " << network.cues.cues.size() << '\n';
    for (const auto& entry : network.cues.cues) {
        const pw::CCue& cue = entry.second;
        out << "  " << cue.name << "  type " << cueTypeName(cue.type) << "  arguments ";
        const char* separator = "";
        for (const std::string& argument : cue.arguments) {
            out << separator << argument;
            separator = ",";
        }
        out << '\n';
    }
    const auto points = network.journeys.GetNonJourneyPoints();
    if (points != network.journeys.journeys.end()) {
        writeTextJourney(out, *points, "non-journey points");
    }
    for (auto journey = firstOrdinaryJourney(network.journeys); journey != network.journeys.journeys.end();
         ++journey) {
        writeTextJourney(out, *journey, "journey");
        output.check();
    }
}

int runDump(const DumpOptions& options) {
    Output output(options.output);
    NetworkDatabase database(options.database);
    Network network;
    loadNetwork(database, options.nonJourneyPoints, options.journey, network);
    if (options.format == Format::Json) {
        writeJsonDump(output.stream(), database.csqlite(), network);
    } else {
        writeTextDump(output, database.csqlite(), network);
    }
    output.finish();
    return Success;
}

} // namespace

void addDumpCommand(CLI::App& app, Command& command) {
    CLI::App* dump =
        addCommand(app, "dump", "Write the network as the library loads it",
                   "pathweave dump network.db --journey MARKET\n"
                   "pathweave dump network.db --non-journey-points NJP --format json -o network.json");
    auto options = std::make_shared<DumpOptions>();
    addDatabaseArgument(*dump, options->database);
    addJourneyOption(*dump, options->journey, false);
    addNonJourneyPointsOption(*dump, options->nonJourneyPoints);
    addFormatOption(*dump, options->format);
    addOutputOption(*dump, options->output);
    dump->callback([options, &command] { command = [options] { return runDump(*options); }; });
}

} // namespace pwtool
