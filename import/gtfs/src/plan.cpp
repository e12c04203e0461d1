#include "plan.h"

#include "import_error.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>

namespace pw::gtfs {

namespace {

// Ids of journeys keep letters, digits, '-' and '.', and every byte of a UTF-8 sequence; the rest
// (the '_' that separates the parts of the id included) becomes '-'.
std::string safeName(const std::string& name) {
    std::string safe = name;
    for (char& ch : safe) {
        const auto byte = static_cast<unsigned char>(ch);
        if (!(std::isalnum(byte) != 0 || ch == '-' || ch == '.' || byte >= 0x80)) {
            ch = '-';
        }
    }
    return safe;
}

// A name for each route that has a pattern, unique among them: route_short_name, else route_id;
// a route whose name is taken by a route earlier in route_id order adds its route_id.
std::map<uint32_t, std::string> routeNames(const FeedData& data, const std::vector<Pattern>& patterns) {
    std::map<std::string, uint32_t> byId;
    for (const Pattern& pattern : patterns) {
        byId.emplace(data.routeIds[pattern.route], pattern.route);
    }
    std::map<uint32_t, std::string> names;
    std::set<std::string> used;
    for (const auto& [id, route] : byId) {
        const std::string& shortName = data.routes[route].shortName;
        std::string name = safeName(shortName.empty() ? id : shortName);
        if (!used.insert(name).second) {
            name += "-" + safeName(id);
            for (int k = 2; !used.insert(name).second; ++k) {
                name += "-" + std::to_string(k);
            }
        }
        names[route] = name;
    }
    return names;
}

// The link node ids: a stop's own id for its first visit, "<stop_id>#<visit>" for later visits of
// a pattern and for a stop named ROOT, the name of the library's built-in first node.
class LinkNodeIds {
public:
    LinkNodeIds(const FeedData& feedData, NetworkPlan& networkPlan) : data(feedData), plan(networkPlan) {
        taken.insert("ROOT");
    }

    uint32_t of(uint32_t stop, uint32_t visit) {
        const auto found = made.find({stop, visit});
        if (found != made.end()) {
            return found->second;
        }
        const std::string& stopId = data.stopIds[stop];
        std::string id = stopId;
        if (visit > 1 || stopId == "ROOT") {
            id = stopId + "#" + std::to_string(visit);
            for (int k = 2; taken.count(id) != 0 || data.stopIds.find(id) != none; ++k) {
                id = stopId + "#" + std::to_string(visit) + "-" + std::to_string(k);
            }
        }
        taken.insert(id);
        const auto index = static_cast<uint32_t>(plan.linkNodes.size());
        plan.linkNodes.push_back({id, stop});
        made.emplace(std::make_pair(stop, visit), index);
        return index;
    }

private:
    const FeedData& data;
    NetworkPlan& plan;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> made;
    std::set<std::string> taken;
};

// Patterns of a route and direction, most trips first; then the longest; then the one whose
// representative trip_id sorts first, so that numbers stay the same from run to run.
std::vector<uint32_t> rankedPatterns(const FeedData& data, const std::vector<Pattern>& patterns) {
    std::vector<uint32_t> order(patterns.size());
    for (uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const Pattern& p = patterns[a];
        const Pattern& q = patterns[b];
        const std::string& routeP = data.routeIds[p.route];
        const std::string& routeQ = data.routeIds[q.route];
        if (routeP != routeQ || p.direction != q.direction) {
            return routeP != routeQ ? routeP < routeQ : p.direction < q.direction;
        }
        if (p.trips != q.trips || p.stops.size() != q.stops.size()) {
            return p.trips != q.trips ? p.trips > q.trips : p.stops.size() > q.stops.size();
        }
        return data.tripIds[p.representative] < data.tripIds[q.representative];
    });
    return order;
}

// Left between the shrunk fences of two consecutive stops, so that no position lies in both: a
// box edge shared to the last bit would still hold a position on it.
constexpr double fenceGap = 0.5;

// Two consecutive stops seen along one axis, in degrees as their fences are written: the metres of
// each fence are divided by the metres of a degree at its own stop (for longitude, at its own
// latitude), here as in the database writer.
struct Axis {
    double Offset::*half; // the side of the fence on this axis, in metres
    double apart;         // degrees between the stops
    double perDegreeA;    // metres in a degree at the first stop
    double perDegreeB;    // and at the second

    // Metres in a degree between the two stops, as their two fences measure it together: the
    // harmonic mean of their scales, at which two full fences of radius R meet edge to edge when
    // the stops lie 2 R apart.
    double perDegree() const { return 2.0 / (1.0 / perDegreeA + 1.0 / perDegreeB); }
    double metres() const { return apart * perDegree(); }

    // Both fences reach the same degrees towards each other, so that they end `fenceGap` apart,
    // either side of the middle, whatever their latitudes.
    void shrink(Offset& a, Offset& b) const {
        const double degrees = (metres() - fenceGap) / 2.0 / perDegree();
        a.*half = std::min(a.*half, degrees * perDegreeA);
        b.*half = std::min(b.*half, degrees * perDegreeB);
    }
};

void shrinkFences(const FeedData& data, const std::vector<Pattern>& patterns, const Options& options,
                  NetworkPlan& plan, Findings& findings, Summary& summary) {
    const double radius = options.fenceRadius;
    plan.fences.assign(data.stops.size(), Offset{radius, radius});
    std::set<std::pair<uint32_t, uint32_t>> tooClose;
    for (const Pattern& pattern : patterns) {
        for (std::size_t i = 0; i + 1 < pattern.stops.size(); ++i) {
            const uint32_t a = pattern.stops[i];
            const uint32_t b = pattern.stops[i + 1];
            const Stop& from = data.stops[a];
            const Stop& to = data.stops[b];
            const Axis north{&Offset::north, std::fabs(to.latitude - from.latitude), metresPerDegree,
                             metresPerDegree};
            const Axis east{&Offset::east, std::fabs(eastward(from.longitude, to.longitude)),
                            metresPerLongitudeDegree(from.latitude), metresPerLongitudeDegree(to.latitude)};
            // Full fences that end at least the gap apart on one axis stay as they are.
            if (east.metres() >= 2 * radius + fenceGap || north.metres() >= 2 * radius + fenceGap) {
                continue;
            }
            if (std::max(east.metres(), north.metres()) < 2.0) {
                if (tooClose.insert(std::minmax(a, b)).second) {
                    findings.add("fences-too-close", "stops.txt", 0,
                                 "stop_id '" + data.stopIds[a] + "' and '" + data.stopIds[b] + "'");
                }
                continue;
            }
            // Meet halfway along the axis on which the two stops lie further apart.
            (east.metres() >= north.metres() ? east : north).shrink(plan.fences[a], plan.fences[b]);
        }
    }
    for (const Offset& fence : plan.fences) {
        summary.shrunkFences += fence.east < radius || fence.north < radius ? 1 : 0;
    }
}

} // namespace

NetworkPlan planNetwork(const FeedData& data, const std::vector<Pattern>& patterns, const Options& options,
                        Findings& findings, Summary& summary) {
    if (patterns.empty()) {
        throw ImportError("no-journeys", "", 0, "no journey results from the feed with the options given");
    }
    NetworkPlan plan;
    LinkNodeIds linkNodeIds(data, plan);
    const std::map<uint32_t, std::string> names = routeNames(data, patterns);
    std::vector<bool> served(data.stops.size());
    uint32_t number = 0;
    const Pattern* previous = nullptr;
    for (const uint32_t index : rankedPatterns(data, patterns)) {
        const Pattern& pattern = patterns[index];
        const bool sameGroup = previous != nullptr && previous->route == pattern.route &&
                               previous->direction == pattern.direction;
        number = sameGroup ? number + 1 : 1;
        previous = &pattern;

        PlannedJourney journey;
        journey.id =
            names.at(pattern.route) + "_" + std::to_string(pattern.direction) + "_" + std::to_string(number);
        journey.route = pattern.route;
        journey.pattern = index;
        journey.selectable = number == 1 || options.allPatterns;
        std::vector<uint32_t> stops = pattern.stops;
        journey.circular = stops.size() > 2 && stops.front() == stops.back();
        if (journey.circular) {
            stops.pop_back();
        }
        std::map<uint32_t, uint32_t> visits;
        for (const uint32_t stop : stops) {
            const uint32_t visit = ++visits[stop];
            if (visit == 2) {
                findings.add("stop-visited-again", "stop_times.txt", 0,
                             "journey '" + journey.id + "', stop_id '" + data.stopIds[stop] + "'");
            }
            journey.linkNodes.push_back(linkNodeIds.of(stop, visit));
            served[stop] = true;
        }
        summary.selectableJourneys += journey.selectable ? 1 : 0;
        summary.circularJourneys += journey.circular ? 1 : 0;
        summary.links += journey.linkNodes.size() - 1;
        plan.journeys.push_back(std::move(journey));
    }
    summary.journeys = plan.journeys.size();
    summary.linkNodes = plan.linkNodes.size();

    for (const PlannedJourney& journey : plan.journeys) {
        if (journey.id == options.nonJourneyPointsId) {
            throw ImportError("", "", 0,
                              "the non-journey points id '" + journey.id + "' is also the id of a journey");
        }
    }
    std::vector<uint32_t> unserved;
    for (uint32_t stop = 0; stop < data.stops.size(); ++stop) {
        if (!served[stop] && data.stops[stop].stopOrPlatform) {
            unserved.push_back(stop);
        }
    }
    if (unserved.size() == 1) {
        findings.add("lone-non-journey-point", "stops.txt", 0,
                     "stop_id '" + data.stopIds[unserved.front()] + "'");
    } else {
        for (const uint32_t stop : unserved) {
            plan.nonJourneyPoints.push_back(linkNodeIds.of(stop, 1));
        }
    }
    summary.nonJourneyPoints = plan.nonJourneyPoints.size();
    shrinkFences(data, patterns, options, plan, findings, summary);
    return plan;
}

} // namespace pw::gtfs
