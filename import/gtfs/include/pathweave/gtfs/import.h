#pragma once

// The GTFS importer: a transit feed in, a network database out.

#include <pathweave/gtfs/findings.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pw::gtfs {

/// What to import and how. Only `feed` and `database` must be set. The options that can be checked
/// without the feed are checked before it is read; an option that is not as said here fails the
/// import (Report::failure) and no file is left.
struct Options {
    /// A GTFS feed: a zip file (its files at its top or in one folder) or a directory.
    std::string feed;
    /// The network database to write; not empty, and not a directory. It is written to a temporary
    /// file beside it (`.<name>.import-XXXXXX`, made before the feed is read, so that a folder that
    /// cannot be written is refused at once) and put in place only when complete. The file gets
    /// the permissions of any new file: 0666 less the process's umask.
    std::string database;
    /// Replace an existing database. Without it an existing file is refused before the feed is
    /// read, and the complete file is put in place with link(), which fails rather than replace a
    /// file made meanwhile; with it, rename() replaces the file.
    bool force = false;
    /// Mark every journey selectable, not only the most frequent pattern of each route and
    /// direction.
    bool allPatterns = false;
    /// Half the side of each stop's geo-fence box, in metres: positive and finite, or the import
    /// fails before the feed is read.
    double fenceRadius = 30.0;
    /// Keep only the trips that run on this day, YYYYMMDD (a day of the calendar: 20260230 is
    /// none); empty keeps every trip. A text that is not such a day fails the import before the
    /// feed is read; a day fails it too when the feed has neither calendar.txt nor
    /// calendar_dates.txt.
    std::string date;
    /// Keep only the trips of these route_ids; empty keeps every route. A route_id that routes.txt
    /// does not have fails the import (finding `unknown-route-option`).
    std::vector<std::string> routes;
    /// The journey id under which the stops that no chosen trip serves are stored. It must not be
    /// empty (checked before the feed is read) nor the id of one of the imported journeys (known
    /// once the feed is read; the import then fails).
    std::string nonJourneyPointsId = "NON_JOURNEY";
    /// Called by importFeed on the thread that calls it, now and then: with the bytes of
    /// stop_times.txt read so far and its size (0 when unknown) while that file is read (twice
    /// when its trips are not grouped), and with (0, 0), nothing to show, while the other files
    /// are read and the database is written and before the file is put in place. Returning false
    /// cancels the import, which then leaves no file; an exception it throws passes out of
    /// importFeed, which leaves no file either.
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
    uint64_t tripsChosen = 0;        ///< trips kept by Options::date and routes that made a pattern
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
    /// Empty when the database was written; else why not: one phrase in lower case that names the
    /// feed's file or the database it is about but not the feed itself, which the caller knows
    /// ("stops.txt has no column stop_id", "will not overwrite 'network.db': it exists").
    std::string failure;

    bool succeeded() const { return failure.empty(); }
};

/// Imports a feed into a new network database. Bad rows are skipped and reported as findings; the
/// import fails on options that are not as Options says, a missing required file or column,
/// malformed CSV, a feed that yields no journey, an error writing the database or a cancel, and
/// then reports why in Report::failure: such failures are returned, not thrown. On failure no file
/// is left and an existing database is as it was.
///
/// Throws std::bad_alloc when memory runs out, and passes on what `progress` throws; the
/// temporary file is removed then too.
Report importFeed(const Options& options);

} // namespace pw::gtfs
