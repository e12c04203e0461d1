#pragma once

// Loading a network database as a host does, and the loaded model as text: shared by the tests and
// the fuzz targets, so it uses no test framework.

#include <csqlite/Csqlite.h>
#include <pathweave/cue.h>
#include <pathweave/journey.h>

#include <string>

namespace pwtest {

/// Loads as a host does, the symbol lists first put back in their first order: the cue catalogue,
/// the journey collection with the non-journey points stored under `nonJourneyPointsId` (none when
/// empty), every ordinary journey's link nodes, then the global cues.
void loadNetwork(Csqlite& database, pw::CCueCollection& catalogue, pw::CJourneyCollection& network,
                 const std::string& nonJourneyPointsId = "NJP");

/// Every field of the model as text, one line per cue, journey and link node, cue pointers by name
/// and positions by index (none shows as the size of its list). Link node lines: id, latitude,
/// longitude, distance, cues, transition cue, state and box (valid, minima, maxima).
std::string describe(const pw::CCueCollection& catalogue, const pw::CJourneyCollection& network);

} // namespace pwtest
