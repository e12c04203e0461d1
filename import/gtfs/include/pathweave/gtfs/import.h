#pragma once

// The GTFS importer: a transit feed in, a network database out.

#include <pathweave/gtfs/findings.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pw::gtfs {

/// What to import and how. Only `feed` and `database` must be set.
struct Options {
    /// A GTFS feed: a zip file (its files at its top or in one folder) or a directory.
    std::string feed;
    /// The network database to write. It is written to a temporary file beside it and renamed
    /// into place when complete.
    std::string database;
    /// Replace an existing database; without it an existing file is refused.
    bool force = false;
    /// Mark every journey selectable, not only the most frequent pattern of each route and
    /// direction.
    bool allPatterns = false;
    /// Half the side of each stop's geo-fence box, in metres.
    double fenceRadius = 30.0;
    /// Keep only the trips that run on this day (YYYYMMDD); empty keeps every trip.
    std::string date;
    /// Keep only the trips of these route_ids; empty keeps every route.
    std::vector<std::string> routes;
    /// The journey id under which the stops that no chosen trip serves are stored.
    std::string nonJourneyPointsId = "NON_JOURNEY";
    /// Called now and then while stop_times.txt is read, with the bytes read so far and its size
    /// (0 when unknown), and with (0, 0) before the database file is made and before it is
    /// renamed into place. Returning false cancels the import, which then leaves no file.
    std::function<bool(uint64_t read, uint64_t total)> progress;
};

/// Where the length of each link came from.
struct DistanceSources {
    uint64_t shapeDistTraveled = 0; ///< the feed's shape_dist_traveled, converted to metres
    uint64_t alongShape = 0;        ///< along shapes.txt, the stops projected onto the shape in order
    uint64_t greatCircle = 0;       ///< the great-circle distance between the two stops
};

/// What an import wrote.
struct Summary {
    uint64_t tripsRead = 0;          ///< rows of trips.txt that were read without a finding
    uint64_t tripsChosen = 0;        ///< trips that passed --date and --route and made a pattern
    uint64_t journeys = 0;           ///< one per trip pattern
    uint64_t selectableJourneys = 0; ///< journeys with SELECTABLE = 1
    uint64_t circularJourneys = 0;   ///< journeys marked IsCircular
    uint64_t linkNodes = 0;          ///< link nodes of the journeys
    uint64_t links = 0;              ///< links of the journeys
    uint64_t nonJourneyPoints = 0;   ///< stops stored under the non-journey points id
    uint64_t shrunkFences = 0;       ///< stops whose fence was shrunk to meet a neighbour's halfway
    uint64_t stopTimesRows = 0;      ///< data rows of stop_times.txt
    bool stopTimesGrouped = true;    ///< whether stop_times.txt held each trip's rows together
    std::string shapeDistUnit;       ///< the unit found for shape_dist_traveled, empty when unused
    DistanceSources distances;
};

/// The outcome of an import.
struct Report {
    Findings findings;
    Summary summary;
    /// Empty when the database was written; else why not, in lower case, naming the file.
    std::string failure;

    bool succeeded() const { return failure.empty(); }
};

/// Imports a feed into a new network database. On failure no file is created or changed. Bad
/// rows are skipped and reported as findings; the import fails on a missing required file or
/// column, malformed CSV, a feed that yields no journey, or an error writing the database.
Report importFeed(const Options& options);

} // namespace pw::gtfs
