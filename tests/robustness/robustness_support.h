#pragma once

#include <pathweave/cue.h>
#include <pathweave/journey.h>

#include <cstdint>
#include <string>

namespace pwtest {

/// The journey id under which the robustness fixtures store their non-journey points.
inline const std::string nonJourneyPointsId = "points";

/// A small network that takes every reader through its normal and its failure paths: global
/// cues, cue names missing from the catalogue, a link from a node to itself, a journey without
/// links, a ring, contradictory order flags, points under every latitude and longitude symbol,
/// and the non-journey points. The schema included.
std::string failurePathNetworkSql();

/// Loads the database file at `path` the way a host does: opens it, reads the cue catalogue, the
/// journey collection with the non-journey points, then every ordinary journey's link nodes, and
/// collects the global cues. The database is closed again before it returns.
void loadNetwork(const std::string& path, pw::CCueCollection& catalogue, pw::CJourneyCollection& network);

/// Every field of the loaded model as text, cue pointers by name and positions by index, so that
/// two loads can be compared as a whole.
std::string describe(const pw::CCueCollection& catalogue, const pw::CJourneyCollection& network);

/// Puts the process-wide latitude and longitude symbol lists back in their first order, so that a
/// load reads the same statements whatever ran before it.
void resetSymbolLists();

/// Sets the default log sink's threshold while it lives, then puts back the default of 8.
class LogThreshold {
public:
    explicit LogThreshold(int32_t threshold);
    ~LogThreshold();

    // One threshold change, one restore.
    LogThreshold(const LogThreshold&) = delete;
    LogThreshold& operator=(const LogThreshold&) = delete;
};

/// Whether the debug stream's line-end mutex can be taken now, that is, nothing left it locked.
bool logMutexIsFree();

} // namespace pwtest
