#include "gtfs_feed_generator.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace pwbench {

namespace {

constexpr int gridSide = 100;
constexpr int routeLength = 40;

struct City {
    std::vector<std::vector<int>> routes; // each a path of grid stops
};

double latitudeOf(int stop) { return 52.30 + (stop / gridSide) * 0.0027; }
double longitudeOf(int stop) { return 4.80 + (stop % gridSide) * 0.0044; }

// A path of distinct, neighbouring grid stops.
std::vector<int> randomPath(std::mt19937_64& random) {
    for (;;) {
        std::vector<int> path{static_cast<int>(random() % (gridSide * gridSide))};
        while (path.size() < routeLength) {
            const int at = path.back();
            std::vector<int> next;
            for (const int step : {1, -1, gridSide, -gridSide}) {
                const int to = at + step;
                const bool sameRow = step == 1 || step == -1 ? to / gridSide == at / gridSide : true;
                if (to >= 0 && to < gridSide * gridSide && sameRow &&
                    std::find(path.begin(), path.end(), to) == path.end()) {
                    next.push_back(to);
                }
            }
            if (next.empty()) {
                break;
            }
            path.push_back(next[random() % next.size()]);
        }
        if (path.size() == routeLength) {
            return path;
        }
    }
}

// The stops of a pattern: 0 the whole route, 1 a short turn, 2 an express; direction 1 runs back.
std::vector<int> patternStops(const std::vector<int>& route, int pattern, int direction) {
    std::vector<int> stops;
    for (int i = 0; i < routeLength; ++i) {
        if ((pattern == 1 && i >= 28) || (pattern == 2 && i % 3 == 1)) {
            continue;
        }
        stops.push_back(route[static_cast<std::size_t>(i)]);
    }
    if (direction == 1) {
        std::reverse(stops.begin(), stops.end());
    }
    return stops;
}

double metresBetween(int a, int b) {
    const double north = (latitudeOf(b) - latitudeOf(a)) * 111195.0;
    const double east = (longitudeOf(b) - longitudeOf(a)) * 111195.0 * 0.6101; // cos 52.4
    return std::sqrt(north * north + east * east);
}

std::string time(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::ofstream create(const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return out;
}

struct TripPlan {
    int route;
    int direction;
    int pattern;
    int number;
};

} // namespace

std::string gtfsFeedFileName(const GtfsFeedSpec& spec) {
    return "gtfs-" + std::to_string(spec.stopTimes) + (spec.unsorted ? "-unsorted" : "") + ".zip";
}

void writeGtfsFeed(const std::string& path, const GtfsFeedSpec& spec) {
    std::mt19937_64 random(spec.seed);
    const int routes = spec.stopTimes >= 5000000 ? 300 : 60;
    City city;
    for (int r = 0; r < routes; ++r) {
        city.routes.push_back(randomPath(random));
    }
    // Per route and direction: 2 runs of the whole route for every short turn and express.
    const uint64_t rowsPerUnit =
        static_cast<uint64_t>(routes) * 2 *
        (2 * patternStops(city.routes[0], 0, 0).size() + patternStops(city.routes[0], 1, 0).size() +
         patternStops(city.routes[0], 2, 0).size());
    const int unit =
        static_cast<int>(std::max<uint64_t>(1, (spec.stopTimes + rowsPerUnit / 2) / rowsPerUnit));

    const std::filesystem::path scratch = path + ".files";
    std::filesystem::create_directories(scratch);
    create(scratch / "agency.txt") << "agency_id,agency_name,agency_url,agency_timezone\n"
                                      "GRID,Grid City Transit,https://example.org/grid,Europe/Amsterdam\n";
    create(scratch / "calendar.txt") << "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,"
                                        "start_date,end_date\nWD,1,1,1,1,1,0,0,20260101,20261231\n"
                                        "WE,0,0,0,0,0,1,1,20260101,20261231\n";
    {
        std::ofstream stops = create(scratch / "stops.txt");
        stops << "stop_id,stop_code,stop_name,stop_lat,stop_lon,location_type,parent_station\n";
        for (int s = 0; s < gridSide * gridSide; ++s) {
            stops << "S" << s << "," << s << ","
                  << (s % 10 == 0 ? "\"Main Street, " + std::to_string(s) + "\""
                                  : "Street " + std::to_string(s))
                  << "," << latitudeOf(s) << "," << longitudeOf(s) << ",0,\n";
        }
    }
    std::vector<TripPlan> trips;
    {
        std::ofstream routesFile = create(scratch / "routes.txt");
        std::ofstream shapes = create(scratch / "shapes.txt");
        std::ofstream tripsFile = create(scratch / "trips.txt");
        routesFile << "route_id,agency_id,route_short_name,route_long_name,route_type\n";
        shapes << "shape_id,shape_pt_lat,shape_pt_lon,shape_pt_sequence\n";
        tripsFile << "route_id,service_id,trip_id,trip_headsign,direction_id,shape_id\n";
        shapes.precision(8);
        for (int r = 0; r < routes; ++r) {
            routesFile << "R" << r << ",GRID," << r + 1 << ",Line " << r + 1 << ",3\n";
            for (int direction = 0; direction < 2; ++direction) {
                for (int pattern = 0; pattern < 3; ++pattern) {
                    const std::string shapeId = "SH" + std::to_string(r) + "_" + std::to_string(direction) +
                                                "_" + std::to_string(pattern);
                    const std::vector<int> stops =
                        patternStops(city.routes[static_cast<std::size_t>(r)], pattern, direction);
                    int sequence = 0;
                    for (std::size_t i = 0; i < stops.size(); ++i) {
                        shapes << shapeId << "," << latitudeOf(stops[i]) << "," << longitudeOf(stops[i])
                               << "," << ++sequence << "\n";
                        if (i + 1 < stops.size()) {
                            // A bend of the road halfway, 15 m off the straight line.
                            shapes << shapeId << ","
                                   << (latitudeOf(stops[i]) + latitudeOf(stops[i + 1])) / 2 + 0.000135 << ","
                                   << (longitudeOf(stops[i]) + longitudeOf(stops[i + 1])) / 2 << ","
                                   << ++sequence << "\n";
                        }
                    }
                    const int runs = pattern == 0 ? 2 * unit : unit;
                    for (int k = 0; k < runs; ++k) {
                        const TripPlan trip{r, direction, pattern, k};
                        tripsFile << "R" << r << "," << (k % 5 == 4 ? "WE" : "WD") << ",T" << r << "_"
                                  << direction << "_" << pattern << "_" << k << ",Terminus " << stops.back()
                                  << "," << direction << "," << shapeId << "\n";
                        trips.push_back(trip);
                    }
                }
            }
        }
    }
    {
        // The stops of each pattern, numbered route * 6 + direction * 3 + pattern, and the
        // distance along the road to each.
        std::vector<std::vector<int>> stopsOf;
        std::vector<std::vector<double>> alongOf;
        for (int r = 0; r < routes; ++r) {
            for (int k = 0; k < 6; ++k) {
                stopsOf.push_back(patternStops(city.routes[static_cast<std::size_t>(r)], k % 3, k / 3));
                std::vector<double> along{0.0};
                for (std::size_t i = 1; i < stopsOf.back().size(); ++i) {
                    along.push_back(along.back() +
                                    metresBetween(stopsOf.back()[i - 1], stopsOf.back()[i]) * 1.1);
                }
                alongOf.push_back(along);
            }
        }
        const auto patternOf = [](const TripPlan& trip) {
            return static_cast<std::size_t>(trip.route * 6 + trip.direction * 3 + trip.pattern);
        };
        std::vector<std::pair<uint32_t, uint16_t>> rows;
        for (std::size_t t = 0; t < trips.size(); ++t) {
            for (std::size_t i = 0; i < stopsOf[patternOf(trips[t])].size(); ++i) {
                rows.emplace_back(static_cast<uint32_t>(t), static_cast<uint16_t>(i));
            }
        }
        if (spec.unsorted) {
            std::shuffle(rows.begin(), rows.end(), random);
        }
        std::ofstream stopTimes = create(scratch / "stop_times.txt");
        stopTimes << "trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,drop_off_type,"
                     "shape_dist_traveled\n";
        stopTimes.setf(std::ios::fixed);
        stopTimes.precision(1);
        for (const auto& [t, i] : rows) {
            const TripPlan& trip = trips[t];
            const std::size_t pattern = patternOf(trip);
            const int at = 5 * 3600 + (trip.number * 600) % (18 * 3600) + i * 90;
            stopTimes << "T" << trip.route << "_" << trip.direction << "_" << trip.pattern << "_"
                      << trip.number << "," << time(at) << "," << time(at + 20) << ",S" << stopsOf[pattern][i]
                      << "," << i + 1 << ",0,0,";
            if (trip.route % 2 == 0) {
                stopTimes << alongOf[pattern][i];
            }
            stopTimes << "\n";
        }
    }

    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        throw std::runtime_error("cannot write " + path);
    }
    for (const char* name : {"agency.txt", "calendar.txt", "routes.txt", "stops.txt", "trips.txt",
                             "shapes.txt", "stop_times.txt"}) {
        zip_source_t* source = zip_source_file(archive, (scratch / name).c_str(), 0, -1);
        const zip_int64_t index = source != nullptr ? zip_file_add(archive, name, source, 0) : -1;
        if (index < 0 ||
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6) != 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + std::string(name) + " to " + path);
        }
    }
    if (zip_close(archive) != 0) {
        const std::string why = zip_strerror(archive);
        zip_discard(archive);
        throw std::runtime_error("cannot write " + path + ": " + why);
    }
    std::filesystem::remove_all(scratch);
}

std::string ensureGtfsFeed(const std::string& directory, const GtfsFeedSpec& spec) {
    const std::string path = directory + "/" + gtfsFeedFileName(spec);
    if (!std::filesystem::exists(path)) {
        std::filesystem::create_directories(directory);
        const std::string partial = path + ".partial";
        writeGtfsFeed(partial, spec);
        std::filesystem::rename(partial, path);
    }
    return path;
}

} // namespace pwbench
