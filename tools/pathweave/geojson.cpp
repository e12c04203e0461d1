// `pathweave geojson`: the network as a GeoJSON FeatureCollection (RFC 7946) to put on a map: the
// link nodes as points, their geo-fences as polygons and every journey as a line through its nodes.

#include "json.h"
#include "tool.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <sstream>

namespace pwtool {

namespace {

struct GeojsonOptions {
    std::string database;
    std::string journey;
    std::string nonJourneyPoints;
    std::string output;
};

// GeoJSON positions are longitude first.
JsonValue position(double latitude, double longitude) { return JsonValue::array({longitude, latitude}); }

JsonValue feature(const char* type, JsonValue coordinates, JsonValue properties) {
    return JsonValue{{"type", "Feature"},
                     {"geometry", {{"type", type}, {"coordinates", std::move(coordinates)}}},
                     {"properties", std::move(properties)}};
}

JsonValue pointFeature(const pw::CJourney& journey, const pw::CLinkNode& node) {
    JsonValue cues = JsonValue::array();
    for (const auto& element : node.cues.cues) {
        cues.push_back(element.first);
    }
    return feature("Point", position(node.point.latitude, node.point.longitude),
                   {{"journey", journey.id},
                    {"id", node.id},
                    {"distance", jsonNumber(node.distance)},
                    {"cues", std::move(cues)},
                    {"transitionCue", node.transitionCue != nullptr ? JsonValue(node.transitionCue->name)
                                                                    : JsonValue(nullptr)}});
}

// The box as one closed ring, counterclockwise from its south-west corner.
JsonValue boxFeature(const pw::CJourney& journey, const pw::CLinkNode& node) {
    const pw::CBounds& box = node.bounds;
    JsonValue ring = JsonValue::array({position(box.latMin, box.longMin), position(box.latMin, box.longMax),
                                       position(box.latMax, box.longMax), position(box.latMax, box.longMin),
                                       position(box.latMin, box.longMin)});
    return feature("Polygon", JsonValue::array({std::move(ring)}),
                   {{"journey", journey.id}, {"id", node.id}});
}

// A journey's features: its line first, then every node's box and point. The first node of a
// journey read from a database is its ROOT, which is no place. The non-journey points are no
// journey and get no line.
void addJourney(const pw::CJourney& journey, bool isJourney, JsonValue& features) {
    JsonValue line = JsonValue::array();
    JsonValue nodes = JsonValue::array();
    for (std::size_t index = 1; index < journey.linkNodes.size(); ++index) {
        const pw::CLinkNode& node = journey.linkNodes[index];
        if (isDrawable(node.bounds)) {
            nodes.push_back(boxFeature(journey, node));
        }
        if (hasCoordinates(node.point)) {
            nodes.push_back(pointFeature(journey, node));
            line.push_back(position(node.point.latitude, node.point.longitude));
        }
    }
    // A LineString needs two positions.
    if (isJourney && line.size() >= 2) {
        features.push_back(feature("LineString", std::move(line), {{"journey", journey.id}}));
    }
    for (JsonValue& node : nodes) {
        features.push_back(std::move(node));
    }
}

// One feature per line, so that the file reads and compares well.
void writeCollection(Output& output, const JsonValue& features) {
    std::ostream& out = output.stream();
    out << "{\"type\":\"FeatureCollection\",\"features\":[";
    const char* separator = "\n";
    for (const JsonValue& item : features) {
        output.check();
        std::ostringstream text;
        writeJson(text, item, 0);
        std::string line = text.str();
        line.pop_back();
        out << separator << line;
        separator = ",\n";
    }
    out << "\n]}\n";
}

int runGeojson(const GeojsonOptions& options) {
    Output output(options.output);
    NetworkDatabase database(options.database);
    Network network;
    loadNetwork(database, options.nonJourneyPoints, options.journey, network);
    auto& journeys = network.journeys;
    JsonValue features = JsonValue::array();
    const auto first = firstOrdinaryJourney(journeys);
    for (auto journey = journeys.journeys.begin(); journey != journeys.journeys.end(); ++journey) {
        addJourney(*journey, journey >= first, features);
    }
    writeCollection(output, features);
    output.finish();
    return Success;
}

} // namespace

void addGeojsonCommand(CLI::App& app, Command& command) {
    CLI::App* geojson =
        addCommand(app, "geojson",
                   "Write the link nodes, their geo-fences and the journeys as a GeoJSON FeatureCollection",
                   "pathweave geojson network.db -o network.geojson\n"
                   "pathweave geojson network.db --journey MARKET --non-journey-points NJP");
    auto options = std::make_shared<GeojsonOptions>();
    addDatabaseArgument(*geojson, options->database);
    addJourneyOption(*geojson, options->journey, false);
    addNonJourneyPointsOption(*geojson, options->nonJourneyPoints);
    addOutputOption(*geojson, options->output);
    geojson->callback([options, &command] { command = [options] { return runGeojson(*options); }; });
}

} // namespace pwtool
