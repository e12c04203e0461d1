#include "map_data.h"

#include "replay.h"

#include <algorithm>
#include <utility>

namespace pwtool {

namespace {

JsonValue position(const pw::CPoint& point) { return JsonValue::array({point.latitude, point.longitude}); }

// Records the replay's events with the position of the fix that showed each.
class EventRecorder : public ReplayListener {
public:
    EventRecorder(const MapData& page, JsonValue& list) : map(page), events(list) {}

    void reached(const pw::track::Fix& fix, const char* event, const pw::CJourney&, const pw::CLinkNode& node,
                 bool onJourney, bool repeated) override {
        add(fix, event, &node, onJourney, repeated);
    }

    void other(const pw::track::Fix& fix, const char* event, const pw::CJourney&, const pw::CLinkNode* node,
               bool onJourney) override {
        add(fix, event, node, onJourney, false);
    }

private:
    void add(const pw::track::Fix& fix, const char* event, const pw::CLinkNode* node, bool onJourney,
             bool repeated) {
        JsonValue item = {{"time", jsonNumber(fix.time)}, {"event", event}, {"at", position(fix.position)}};
        if (node != nullptr && map.nodeIndex(*node) >= 0) {
            item["node"] = map.nodeIndex(*node);
        }
        if (!onJourney) {
            item["points"] = true;
        }
        if (repeated) {
            item["repeated"] = true;
        }
        events.push_back(std::move(item));
    }

    const MapData& map;
    JsonValue& events;
};

} // namespace

MapData::MapData(const Network& network, const std::vector<std::string>& journeyIds,
                 const std::string& database)
    : data({{"database", database},
            {"cues", JsonValue::array()},
            {"nodes", JsonValue::array()},
            {"journeys", JsonValue::array()},
            {"nonJourneyPoints", nullptr},
            {"findings", JsonValue::array()},
            {"unplaced", JsonValue::array()},
            {"track", nullptr},
            {"tiles", nullptr}}) {
    const auto& journeys = network.journeys.journeys;
    const auto first = journeys.begin() + static_cast<std::ptrdiff_t>(network.journeys.nonJourneyPointsCount);
    for (auto journey = first; journey != journeys.end(); ++journey) {
        if (journeyIds.empty() ||
            std::find(journeyIds.begin(), journeyIds.end(), journey->id) != journeyIds.end()) {
            shownJourneys.push_back(journey->id);
            JsonValue item = {{"id", journey->id}, {"order", orderName(journey->order)}};
            item.update(nodeList(*journey, true));
            data["journeys"].push_back(std::move(item));
        }
    }
    if (first != journeys.begin()) {
        JsonValue points = {{"id", journeys.front().id}};
        points.update(nodeList(journeys.front(), false));
        data["nonJourneyPoints"] = std::move(points);
    }
}

// The journey's link nodes in travelling order, ROOT left out, with the distance and transition
// cue of each when `withJourneyData`.
JsonValue MapData::nodeList(const pw::CJourney& journey, bool withJourneyData) {
    JsonValue nodes = JsonValue::array();
    JsonValue distances = JsonValue::array();
    JsonValue transitions = JsonValue::array();
    for (std::size_t i = 1; i < journey.linkNodes.size(); ++i) {
        const pw::CLinkNode& node = journey.linkNodes[i];
        nodes.push_back(addNode(node));
        distances.push_back(jsonNumber(node.distance));
        transitions.push_back(cueIndex(node.transitionCue));
    }
    if (!withJourneyData) {
        return {{"nodes", std::move(nodes)}};
    }
    return {{"nodes", std::move(nodes)},
            {"distances", std::move(distances)},
            {"transitions", std::move(transitions)}};
}

// A link node of several journeys is one row of link_nodes and so the same in each: it is stored
// once. Nodes of one id that differ (a table with the id twice) are stored apart.
long MapData::addNode(const pw::CLinkNode& node) {
    JsonValue item = {{"id", node.id}};
    if (hasCoordinates(node.point)) {
        item["point"] = position(node.point);
    }
    const pw::CBounds& box = node.bounds;
    if (isDrawable(box)) {
        item["box"] = JsonValue::array({box.latMin, box.longMin, box.latMax, box.longMax});
    }
    JsonValue cues = JsonValue::array();
    for (const auto& element : node.cues.cues) {
        cues.push_back(cueIndex(element.second.cue));
    }
    item["cues"] = std::move(cues);

    JsonValue& table = data["nodes"];
    std::vector<long>& same = byId[node.id];
    const auto found = std::find_if(
        same.begin(), same.end(), [&](long index) { return table[static_cast<std::size_t>(index)] == item; });
    const long index = found != same.end() ? *found : static_cast<long>(table.size());
    if (found == same.end()) {
        table.push_back(std::move(item));
        same.push_back(index);
    }
    byNode[&node] = index;
    return index;
}

long MapData::cueIndex(const pw::CCue* cue) {
    if (cue == nullptr) {
        return -1;
    }
    const auto [entry, added] = byCue.emplace(cue->name, static_cast<long>(data["cues"].size()));
    if (added) {
        data["cues"].push_back(cue->name);
    }
    return entry->second;
}

long MapData::nodeIndex(const pw::CLinkNode& node) const {
    const auto found = byNode.find(&node);
    return found != byNode.end() ? found->second : -1;
}

void MapData::addFindings(const check::Findings& findings) {
    JsonValue& unplaced = data["unplaced"];
    for (const check::Findings::Instance& instance : findings.instances()) {
        const check::Subject& subject = *instance.subject;
        if (subject.linkNodes.empty()) {
            if (unplaced.empty() || unplaced.back()["code"] != instance.kind->code) {
                unplaced.push_back({{"severity", check::severityName(instance.severity)},
                                    {"code", instance.kind->code},
                                    {"count", 0}});
            }
            unplaced.back()["count"] = unplaced.back()["count"].get<std::size_t>() + 1;
            continue;
        }
        if (!subject.journey.empty() &&
            std::find(shownJourneys.begin(), shownJourneys.end(), subject.journey) == shownJourneys.end()) {
            continue;
        }
        JsonValue nodes = JsonValue::array();
        for (const std::string& id : subject.linkNodes) {
            const auto found = byId.find(id);
            if (found != byId.end() && !found->second.empty()) {
                nodes.push_back(found->second.front());
            }
        }
        // The link nodes of journeys that are not shown.
        if (nodes.empty()) {
            continue;
        }
        JsonValue item = {{"severity", check::severityName(instance.severity)},
                          {"code", instance.kind->code},
                          {"text", *instance.example},
                          {"nodes", std::move(nodes)}};
        if (!subject.journey.empty()) {
            item["journey"] = subject.journey;
        }
        data["findings"].push_back(std::move(item));
    }
}

void MapData::addReplay(Network& network, const std::string& journeyId, Track& track) {
    pw::CJourney& journey = startJourney(network, journeyId);
    JsonValue fixes = JsonValue::array();
    for (const TrackFix& item : track.fixes) {
        fixes.push_back(JsonValue::array(
            {jsonNumber(item.fix.time), item.fix.position.latitude, item.fix.position.longitude}));
    }
    JsonValue events = JsonValue::array();
    EventRecorder recorder(*this, events);
    const Visits visits = replayFixes(network, journey, track, false, recorder);
    data["track"] = {{"journey", journeyId},
                     {"fixes", std::move(fixes)},
                     {"events", std::move(events)},
                     {"summary", visitsSummary(journey, visits)}};
}

} // namespace pwtool
