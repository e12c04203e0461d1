// The length of each link: shape_dist_traveled when the feed has it in a recognisable unit, else
// along the trip's shape, else the great-circle distance.

#include "csv_reader.h"
#include "plan.h"
#include "text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace pw::gtfs {

namespace {

struct Unit {
    const char* name;
    double metres;
};

// The tolerance within which a stop counts as on its shape.
constexpr double shapeTolerance = 200.0;

std::vector<Place> placesOf(const FeedData& data, const Pattern& pattern) {
    std::vector<Place> places;
    for (const uint32_t stop : pattern.stops) {
        places.push_back({data.stops[stop].latitude, data.stops[stop].longitude});
    }
    return places;
}

// The decimal that a float of shape_dist_traveled was read from, when it had up to 7 digits.
double decimal(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double result = 0.0;
    std::from_chars(text, end, result);
    return result;
}

bool usableShapeDistances(const Pattern& pattern) {
    const std::vector<float>& d = pattern.shapeDistances;
    return !d.empty() && std::is_sorted(d.begin(), d.end()) && d.back() > d.front();
}

// The unit of shape_dist_traveled: the one that makes the feed's paths between stops, over all
// patterns, 0.9 to 3 times as long as the straight lines between them, nearest to 1.2 times.
// Nothing when no pattern has the distances, or no unit fits.
const Unit* shapeDistanceUnit(const FeedData& data, const std::vector<Pattern>& patterns,
                              Findings& findings) {
    static const Unit units[] = {
        {"metres", 1.0}, {"kilometres", 1000.0}, {"miles", 1609.344}, {"feet", 0.3048}};
    double path = 0.0;
    double straight = 0.0;
    for (const Pattern& pattern : patterns) {
        if (usableShapeDistances(pattern)) {
            const std::vector<Place> places = placesOf(data, pattern);
            path += pattern.shapeDistances.back() - pattern.shapeDistances.front();
            for (std::size_t i = 0; i + 1 < places.size(); ++i) {
                straight += greatCircle(places[i], places[i + 1]);
            }
        }
    }
    if (path <= 0.0 || straight <= 0.0) {
        return nullptr;
    }
    const Unit* best = nullptr;
    for (const Unit& unit : units) {
        const double detour = path * unit.metres / straight;
        if (detour >= 0.9 && detour <= 3.0 &&
            (best == nullptr ||
             std::fabs(std::log(detour / 1.2)) < std::fabs(std::log(path * best->metres / straight / 1.2)))) {
            best = &unit;
        }
    }
    if (best == nullptr) {
        findings.add("shape-dist-unit", "stop_times.txt", 0,
                     "the paths are " + shortest(path / straight) + " units per metre of straight line");
    }
    return best;
}

// The points of the shapes in `wanted`, in shape_pt_sequence order.
std::map<uint32_t, std::vector<Place>> readShapes(Feed& feed, const FeedData& data,
                                                  const std::vector<bool>& wanted, const Progress& progress,
                                                  Findings& findings) {
    std::map<uint32_t, std::vector<std::pair<uint32_t, Place>>> numbered;
    CsvReader reader(
        feed, "shapes.txt",
        {{"shape_id", true}, {"shape_pt_lat", true}, {"shape_pt_lon", true}, {"shape_pt_sequence", true}},
        findings, askingOnly(progress));
    reader.read([&](const CsvRow& row) {
        const uint32_t shape = data.shapeIds.find(row[0]);
        if (shape == none || !wanted[shape]) {
            return;
        }
        const auto latitude = toNumber(row[1]);
        const auto longitude = toNumber(row[2]);
        const auto sequence = toCount(row[3]);
        if (!latitude || !longitude || std::fabs(*latitude) > 90.0 || std::fabs(*longitude) > 180.0) {
            findings.add("bad-coordinate", reader.name(), row.line, "shape_id '" + std::string(row[0]) + "'");
        } else if (!sequence) {
            findings.add("bad-value", reader.name(), row.line,
                         "shape_pt_sequence '" + std::string(row[3]) + "'");
        } else {
            numbered[shape].push_back({*sequence, {*latitude, *longitude}});
        }
    });
    std::map<uint32_t, std::vector<Place>> shapes;
    for (auto& [shape, points] : numbered) {
        std::stable_sort(points.begin(), points.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<Place>& places = shapes[shape];
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i > 0 && points[i].first == points[i - 1].first) {
                findings.add("duplicate-key", "shapes.txt", 0,
                             "shape_id '" + data.shapeIds[shape] + "', shape_pt_sequence " +
                                 std::to_string(points[i].first));
            } else {
                places.push_back(points[i].second);
            }
        }
    }
    return shapes;
}

} // namespace

void measureDistances(Feed& feed, const FeedData& data, const std::vector<Pattern>& patterns,
                      const Progress& progress, NetworkPlan& plan, Findings& findings, Summary& summary) {
    const Unit* unit = shapeDistanceUnit(data, patterns, findings);
    summary.shapeDistUnit = unit != nullptr ? unit->name : "";
    const auto fromShapeDistances = [unit](const Pattern& pattern) {
        return unit != nullptr && usableShapeDistances(pattern);
    };

    std::vector<bool> wanted(data.shapeIds.size());
    for (const Pattern& pattern : patterns) {
        const uint32_t shape = data.trips[pattern.representative].shape;
        if (!fromShapeDistances(pattern) && shape != none) {
            wanted[shape] = true;
        }
    }
    std::map<uint32_t, std::vector<Place>> shapes;
    if (feed.has("shapes.txt") && std::find(wanted.begin(), wanted.end(), true) != wanted.end()) {
        shapes = readShapes(feed, data, wanted, progress, findings);
    }
    for (uint32_t shape = 0; shape < wanted.size(); ++shape) {
        if (wanted[shape] && shapes.count(shape) == 0) {
            findings.add("unknown-shape", "trips.txt", 0, "shape_id '" + data.shapeIds[shape] + "'");
        }
    }

    for (PlannedJourney& journey : plan.journeys) {
        const Pattern& pattern = patterns[journey.pattern];
        const std::vector<Place> places = placesOf(data, pattern);
        // A circular journey leaves out its last stop, the first one again.
        const std::size_t links = journey.linkNodes.size() - 1;
        journey.distances.assign(links, 0.0);
        if (fromShapeDistances(pattern)) {
            for (std::size_t i = 0; i < links; ++i) {
                journey.distances[i] =
                    (decimal(pattern.shapeDistances[i + 1]) - decimal(pattern.shapeDistances[i])) *
                    unit->metres;
            }
            summary.distances.shapeDistTraveled += links;
            continue;
        }
        std::optional<std::vector<double>> along;
        const auto shape = shapes.find(data.trips[pattern.representative].shape);
        if (shape != shapes.end()) {
            along = distancesAlongShape(shape->second, places, shapeTolerance);
            if (!along) {
                findings.add("shape-far-from-stops", "shapes.txt", 0,
                             "shape_id '" + data.shapeIds[shape->first] + "', journey '" + journey.id + "'");
            }
        }
        for (std::size_t i = 0; i < links; ++i) {
            const double straight = greatCircle(places[i], places[i + 1]);
            // Stops beside the road project a little short of where they are; a path is never
            // shorter than the straight line.
            journey.distances[i] = along ? std::max((*along)[i + 1] - (*along)[i], straight) : straight;
        }
        (along ? summary.distances.alongShape : summary.distances.greatCircle) += links;
    }
}

} // namespace pw::gtfs
