#pragma once

#include <cstdint>
#include <string>

namespace pwbench {

/// What a generated network database holds. Every journey is a chain of link nodes with distances
/// and bounding boxes, whose links are stored in shuffled order; every link node has its own point
/// with a latitude and a longitude in `attributes` and one or two cues; the non-journey points are
/// stored as the links of the pseudo-journey "NJP". Ids are up to 15 bytes long. The same spec
/// always gives the same database, byte for byte in its content.
struct NetworkSpec {
    /// Short name, part of the file name ("S", "M", "L", ...).
    std::string name = "S";
    unsigned journeys = 50;
    /// Link nodes of each journey (each journey has one link fewer).
    unsigned linkNodesPerJourney = 20;
    /// Link nodes of the non-journey points.
    unsigned nonJourneyPoints = 12;
    std::uint64_t seed = 1;
    /// Coordinates under a mix of LAT/lat/Lat and LONG/long/Long; else under LAT and LONG only.
    bool mixedSymbols = false;
    /// When not 0, the journeys are routes through one town of this many stops, about 400 m apart
    /// on a grid, and share their link nodes as bus routes share stops (a route ends early where
    /// it finds no stop it has not passed); else every link node is a journey's own.
    unsigned sharedStops = 0;
};

/// The journey id under which the non-journey points are stored.
extern const char* const nonJourneyPointsId;

/// The standard sizes: S 50 journeys x 20 link nodes, M 500 x 40, L 5,000 x 40.
NetworkSpec sizeS();
NetworkSpec sizeM();
NetworkSpec sizeL();

/// Writes the network of `spec` into a new database file `path`, without the recommended indexes.
/// An existing file is replaced. Throws std::runtime_error when SQLite fails.
void writeNetwork(const std::string& path, const NetworkSpec& spec);

/// Creates the recommended indexes in the database `path`, with the statements that
/// `pathweave index` runs: attributes(id, symbol) and Journey_links(JOURNEY_ID).
void createRecommendedIndexes(const std::string& path);

/// The file name of a generated network, e.g. "L-5000x40-12-LAT-seed1-indexed.db".
std::string networkFileName(const NetworkSpec& spec, bool indexed);

/// The path of the network under `directory`, which is made when missing. The database is written
/// only when the file is missing; an indexed one is a copy of the unindexed one with the
/// recommended indexes added. Files appear complete or not at all.
std::string ensureNetwork(const std::string& directory, const NetworkSpec& spec, bool indexed);

} // namespace pwbench
