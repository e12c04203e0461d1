#include "feed_tables.h"

#include "csv_reader.h"
#include "import_error.h"
#include "text.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_set>

namespace pw::gtfs {

namespace {

void requireFile(Feed& feed, const std::string& name) {
    if (!feed.has(name)) {
        throw ImportError("missing-file", name, 0, "the feed has no " + name);
    }
}

std::string quotedField(std::string_view field) { return "'" + std::string(field) + "'"; }

void readRoutes(Feed& feed, const Options& options, FeedData& data, Findings& findings) {
    requireFile(feed, "routes.txt");
    enum { Id, ShortName, LongName };
    CsvReader reader(feed, "routes.txt",
                     {{"route_id", true}, {"route_short_name", false}, {"route_long_name", false}}, findings,
                     askingOnly(options.progress));
    reader.read([&](const CsvRow& row) {
        if (!data.routeIds.add(row[Id]).second) {
            findings.add("duplicate-key", reader.name(), row.line, "route_id " + quotedField(row[Id]));
            return;
        }
        data.routes.push_back(
            {std::string(row[ShortName]), std::string(row[LongName]), options.routes.empty()});
    });
    for (const std::string& id : options.routes) {
        const uint32_t route = data.routeIds.find(id);
        if (route == none) {
            throw ImportError("unknown-route-option", "routes.txt", 0,
                              "routes.txt has no route_id '" + id + "'");
        }
        data.routes[route].chosen = true;
    }
}

// The service_ids that run on `day`, and every service_id the calendars name.
struct Services {
    std::unordered_set<std::string> running;
    std::unordered_set<std::string> known;
};

Services readServices(Feed& feed, int64_t day, const Progress& progress, Findings& findings) {
    Services services;
    if (!feed.has("calendar.txt") && !feed.has("calendar_dates.txt")) {
        throw ImportError("missing-file", "calendar.txt", 0,
                          "choosing trips by date needs calendar.txt or calendar_dates.txt, and the feed "
                          "has neither");
    }
    if (feed.has("calendar.txt")) {
        static const char* const days[] = {"monday", "tuesday",  "wednesday", "thursday",
                                           "friday", "saturday", "sunday"};
        std::vector<Column> columns{{"service_id", true}, {"start_date", true}, {"end_date", true}};
        for (const char* name : days) {
            columns.push_back({name, true});
        }
        CsvReader reader(feed, "calendar.txt", columns, findings, askingOnly(progress));
        const int today = weekday(day);
        reader.read([&](const CsvRow& row) {
            const auto start = toDay(row[1]);
            const auto end = toDay(row[2]);
            const auto runs = toCount(row[3 + static_cast<std::size_t>(today)]);
            if (!start || !end || !runs || *runs > 1) {
                findings.add("bad-value", reader.name(), row.line, "a date or a day flag");
                return;
            }
            if (!services.known.insert(std::string(row[0])).second) {
                findings.add("duplicate-key", reader.name(), row.line, "service_id " + quotedField(row[0]));
                return;
            }
            if (*runs == 1 && *start <= day && day <= *end) {
                services.running.insert(std::string(row[0]));
            }
        });
    }
    if (feed.has("calendar_dates.txt")) {
        CsvReader reader(feed, "calendar_dates.txt",
                         {{"service_id", true}, {"date", true}, {"exception_type", true}}, findings,
                         askingOnly(progress));
        std::set<std::pair<std::string, int64_t>> seen;
        reader.read([&](const CsvRow& row) {
            const auto date = toDay(row[1]);
            const auto type = toCount(row[2]);
            if (!date || !type || *type < 1 || *type > 2) {
                findings.add("bad-value", reader.name(), row.line, "date or exception_type");
                return;
            }
            if (!seen.emplace(std::string(row[0]), *date).second) {
                findings.add("duplicate-key", reader.name(), row.line,
                             "service_id " + quotedField(row[0]) + " and date " + std::string(row[1]));
                return;
            }
            services.known.insert(std::string(row[0]));
            if (*date == day) {
                if (*type == 1) {
                    services.running.insert(std::string(row[0]));
                } else {
                    services.running.erase(std::string(row[0]));
                }
            }
        });
    }
    return services;
}

void readTrips(Feed& feed, const Options& options, FeedData& data, Findings& findings) {
    requireFile(feed, "trips.txt");
    std::optional<int64_t> day;
    Services services;
    if (!options.date.empty()) {
        // The import checked the date before it read the feed.
        day = toDay(options.date).value();
        services = readServices(feed, *day, options.progress, findings);
    }
    enum { Id, RouteId, ServiceId, Direction, ShapeId };
    CsvReader reader(feed, "trips.txt",
                     {{"trip_id", true},
                      {"route_id", true},
                      {"service_id", true},
                      {"direction_id", false},
                      {"shape_id", false}},
                     findings, askingOnly(options.progress));
    reader.read([&](const CsvRow& row) {
        const uint32_t route = data.routeIds.find(row[RouteId]);
        const std::string_view direction = trimmed(row[Direction]);
        if (route == none) {
            findings.add("unknown-route", reader.name(), row.line, "route_id " + quotedField(row[RouteId]));
            return;
        }
        if (!direction.empty() && direction != "0" && direction != "1") {
            findings.add("bad-value", reader.name(), row.line, "direction_id " + quotedField(row[Direction]));
            return;
        }
        if (!data.tripIds.add(row[Id]).second) {
            findings.add("duplicate-key", reader.name(), row.line, "trip_id " + quotedField(row[Id]));
            return;
        }
        Trip trip;
        trip.route = route;
        trip.direction = direction == "1" ? 1 : 0;
        trip.chosen = data.routes[route].chosen;
        if (!row[ShapeId].empty()) {
            trip.shape = data.shapeIds.add(row[ShapeId]).first;
        }
        if (day) {
            const std::string service(row[ServiceId]);
            if (services.known.count(service) == 0) {
                findings.add("unknown-service", reader.name(), row.line,
                             "service_id " + quotedField(service));
            }
            trip.chosen = trip.chosen && services.running.count(service) != 0;
        }
        data.trips.push_back(trip);
    });
}

void readFrequencies(Feed& feed, const Options& options, FeedData& data, Findings& findings) {
    if (!feed.has("frequencies.txt")) {
        return;
    }
    CsvReader reader(feed, "frequencies.txt",
                     {{"trip_id", true}, {"start_time", true}, {"end_time", true}, {"headway_secs", true}},
                     findings, askingOnly(options.progress));
    std::set<uint32_t> counted;
    reader.read([&](const CsvRow& row) {
        const uint32_t trip = data.tripIds.find(row[0]);
        const auto start = toSeconds(row[1]);
        const auto end = toSeconds(row[2]);
        const auto headway = toCount(row[3]);
        if (trip == none) {
            findings.add("unknown-trip", reader.name(), row.line, "trip_id " + quotedField(row[0]));
            return;
        }
        if (!start || !end || !headway || *headway == 0 || *end < *start) {
            findings.add("bad-value", reader.name(), row.line, "start_time, end_time or headway_secs");
            return;
        }
        // The first row of a trip replaces the one trip it stood for; the others add theirs.
        const uint32_t runs = std::max<uint32_t>(1, (*end - *start + *headway - 1) / *headway);
        Trip& counts = data.trips[trip];
        const uint64_t before = counted.insert(trip).second ? 0 : counts.weight;
        counts.weight = static_cast<uint32_t>(std::min<uint64_t>(before + runs, none));
    });
}

void readStops(Feed& feed, const Options& options, FeedData& data, Findings& findings) {
    requireFile(feed, "stops.txt");
    enum { Id, Name, Latitude, Longitude, LocationType };
    CsvReader reader(feed, "stops.txt",
                     {{"stop_id", true},
                      {"stop_name", false},
                      {"stop_lat", false},
                      {"stop_lon", false},
                      {"location_type", false}},
                     findings, askingOnly(options.progress));
    reader.read([&](const CsvRow& row) {
        const std::string_view type = trimmed(row[LocationType]);
        const auto typeNumber = type.empty() ? std::optional<uint32_t>(0) : toCount(type);
        if (!typeNumber || *typeNumber > 4) {
            findings.add("bad-value", reader.name(), row.line,
                         "location_type " + quotedField(row[LocationType]));
            return;
        }
        // Generic nodes and boarding areas may go without a place; nothing can stop there.
        if (*typeNumber >= 3 && trimmed(row[Latitude]).empty() && trimmed(row[Longitude]).empty()) {
            return;
        }
        const auto latitude = toNumber(row[Latitude]);
        const auto longitude = toNumber(row[Longitude]);
        if (!latitude || !longitude || std::fabs(*latitude) > 90.0 || std::fabs(*longitude) > 180.0) {
            findings.add("bad-coordinate", reader.name(), row.line,
                         "stop_id " + quotedField(row[Id]) + ": " + quotedField(row[Latitude]) + ", " +
                             quotedField(row[Longitude]));
            return;
        }
        if (!data.stopIds.add(row[Id]).second) {
            findings.add("duplicate-key", reader.name(), row.line, "stop_id " + quotedField(row[Id]));
            return;
        }
        data.stops.push_back({std::string(row[Name]), *latitude, *longitude, *typeNumber == 0});
    });
}

} // namespace

void readFeedTables(Feed& feed, const Options& options, FeedData& data, Findings& findings) {
    requireFile(feed, "stop_times.txt");
    readRoutes(feed, options, data, findings);
    readTrips(feed, options, data, findings);
    readFrequencies(feed, options, data, findings);
    readStops(feed, options, data, findings);
    if (data.stops.empty()) {
        throw ImportError("no-journeys", "stops.txt", 0, "stops.txt has no usable stop");
    }
    if (data.trips.empty()) {
        throw ImportError("no-journeys", "trips.txt", 0, "trips.txt has no usable trip");
    }
}

} // namespace pw::gtfs
