#include "database_writer.h"

#include "geometry.h"
#include "import_error.h"
#include "progress.h"
#include "text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace pw::gtfs {

namespace {

const char* const schema = R"(
CREATE TABLE cues (cue_id TEXT PRIMARY KEY, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE journeys (JOURNEY_ID TEXT PRIMARY KEY, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT,
                       CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT PRIMARY KEY, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT PRIMARY KEY, POINT_ID TEXT, CUES TEXT,
                         BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
)";

const char* const indexes = R"(
CREATE INDEX IF NOT EXISTS attributes_id_symbol ON attributes(id, symbol);
CREATE INDEX IF NOT EXISTS Journey_links_JOURNEY_ID ON Journey_links(JOURNEY_ID);
)";

std::string encoded(const std::string& id) {
    std::string text;
    for (const char ch : id) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == ',' || ch == '%' || byte <= 0x20 || byte == 0x7f) {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", byte);
            text += escape;
        } else {
            text += ch;
        }
    }
    return text;
}

// Rows written between two questions to the caller's progress callback whether to go on.
constexpr uint32_t rowsBetweenChecks = 4096;

// One prepared INSERT, its values bound by position. Every few thousand rows it asks `progress`
// whether to go on.
class Insert {
public:
    Insert(sqlite3* connection, const char* sql, const Progress& caller)
        : database(connection), progress(caller) {
        check(sqlite3_prepare_v2(database, sql, -1, &statement, nullptr));
    }
    ~Insert() { sqlite3_finalize(statement); }

    // Owns the statement.
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& text(int position, const std::string& value) {
        check(sqlite3_bind_text(statement, position, value.data(), static_cast<int>(value.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    Insert& number(int position, double value) {
        check(sqlite3_bind_double(statement, position, value));
        return *this;
    }
    Insert& null(int position) {
        check(sqlite3_bind_null(statement, position));
        return *this;
    }
    void run() {
        if (sqlite3_step(statement) != SQLITE_DONE) {
            check(SQLITE_ERROR);
        }
        check(sqlite3_reset(statement));
        if (++rows % rowsBetweenChecks == 0) {
            goOnUnlessCancelled(progress);
        }
    }

private:
    void check(int result) const {
        if (result != SQLITE_OK) {
            throw ImportError("", "", 0,
                              std::string("cannot write the database: ") + sqlite3_errmsg(database));
        }
    }

    sqlite3* database;
    const Progress& progress;
    sqlite3_stmt* statement = nullptr;
    uint32_t rows = 0;
};

void execute(sqlite3* database, const char* sql) {
    if (sqlite3_exec(database, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw ImportError("", "", 0, std::string("cannot write the database: ") + sqlite3_errmsg(database));
    }
}

// Lists of names and arguments are split on commas with nothing trimmed, so a text joined back
// with commas is the original: a stop name with a comma is several arguments, losslessly.
void writeCues(sqlite3* database, const FeedData& data, const NetworkPlan& plan, const Progress& progress) {
    Insert cue(database, "INSERT INTO cues VALUES (?, ?, ?);", progress);
    cue.text(1, chimeCue).text(2, "LINK_ENTRY_TRANSITION").text(3, "").run();
    cue.text(1, terminusCue).text(2, "JOURNEY_EXIT_TRANSITION").text(3, "").run();
    std::set<uint32_t> routes;
    for (const PlannedJourney& journey : plan.journeys) {
        if (routes.insert(journey.route).second) {
            const Route& route = data.routes[journey.route];
            cue.text(1, routeCue(data.routeIds[journey.route]))
                .text(2, "JOURNEY_ENTRY_TRANSITION")
                .text(3, route.longName.empty() ? route.shortName : route.longName)
                .run();
        }
    }
    std::set<uint32_t> stops;
    for (const PlannedLinkNode& node : plan.linkNodes) {
        if (stops.insert(node.stop).second) {
            cue.text(1, stopCue(data.stopIds[node.stop]))
                .text(2, "SIMPLE")
                .text(3, data.stops[node.stop].name)
                .run();
        }
    }
}

void writeLinkNodes(sqlite3* database, const FeedData& data, const NetworkPlan& plan,
                    const Progress& progress) {
    Insert node(database, "INSERT INTO link_nodes VALUES (?, ?, ?, ?, ?, ?, ?);", progress);
    Insert attribute(database, "INSERT INTO attributes VALUES (?, ?, ?);", progress);
    std::set<uint32_t> points;
    for (const PlannedLinkNode& planned : plan.linkNodes) {
        const Stop& stop = data.stops[planned.stop];
        const std::string& stopId = data.stopIds[planned.stop];
        const Offset& fence = plan.fences[planned.stop];
        const double latitudeHalf = fence.north / metresPerDegree;
        // A degree of longitude shrinks with the cosine of the latitude: the stop's own, as when
        // the fence was shrunk.
        const double longitudeHalf = std::min(180.0, fence.east / metresPerLongitudeDegree(stop.latitude));
        node.text(1, planned.id)
            .text(2, stopId)
            .text(3, stopCue(stopId))
            .number(4, stop.latitude - latitudeHalf)
            .number(5, stop.latitude + latitudeHalf)
            .number(6, stop.longitude - longitudeHalf)
            .number(7, stop.longitude + longitudeHalf)
            .run();
        if (points.insert(planned.stop).second) {
            attribute.text(1, stopId).text(2, "LAT").text(3, shortest(stop.latitude)).run();
            attribute.text(1, stopId).text(2, "LONG").text(3, shortest(stop.longitude)).run();
        }
    }
}

void writeChain(Insert& membership, Insert& link, const std::string& journeyId, const NetworkPlan& plan,
                const std::vector<uint32_t>& nodes, const std::vector<double>* distances) {
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i) {
        const std::string linkId = journeyId + "/" + std::to_string(i + 1);
        membership.text(1, journeyId).text(2, linkId).run();
        link.text(1, linkId).text(2, plan.linkNodes[nodes[i]].id).text(3, plan.linkNodes[nodes[i + 1]].id);
        if (distances != nullptr) {
            // Metres to the millimetre: more digits would only show the arithmetic.
            link.number(4, std::round((*distances)[i] * 1000.0) / 1000.0);
        } else {
            link.null(4);
        }
        link.run();
    }
}

void writeJourneys(sqlite3* database, const FeedData& data, const NetworkPlan& plan, const Options& options) {
    Insert journeyRow(database, "INSERT INTO journeys VALUES (?, ?, ?, ?, ?);", options.progress);
    Insert membership(database, "INSERT INTO Journey_links VALUES (?, ?);", options.progress);
    Insert link(database, "INSERT INTO links VALUES (?, ?, ?, ?);", options.progress);
    Insert attribute(database, "INSERT INTO attributes VALUES (?, ?, ?);", options.progress);
    for (const PlannedJourney& journey : plan.journeys) {
        const std::string entry = routeCue(data.routeIds[journey.route]);
        journeyRow.text(1, journey.id)
            .text(2, entry)
            .text(3, chimeCue)
            .text(4, entry + "," + terminusCue)
            .number(5, journey.selectable ? 1 : 0)
            .run();
        writeChain(membership, link, journey.id, plan, journey.linkNodes, &journey.distances);
        if (journey.circular) {
            attribute.text(1, journey.id).text(2, "IsCircular").text(3, "1").run();
        }
    }
    writeChain(membership, link, options.nonJourneyPointsId, plan, plan.nonJourneyPoints, nullptr);
}

} // namespace

std::string stopCue(const std::string& stopId) { return "stop:" + encoded(stopId); }

std::string routeCue(const std::string& routeId) { return "route:" + encoded(routeId); }

void writeNetwork(sqlite3* database, const FeedData& data, const NetworkPlan& plan, const Options& options) {
    execute(database, "BEGIN;");
    execute(database, schema);
    writeCues(database, data, plan, options.progress);
    writeLinkNodes(database, data, plan, options.progress);
    writeJourneys(database, data, plan, options);
    goOnUnlessCancelled(options.progress);
    execute(database, indexes);
    goOnUnlessCancelled(options.progress);
    execute(database, "COMMIT;");
}

} // namespace pw::gtfs
