#pragma once

// The checks that `pathweave check` makes on the rows of the tables with its own read-only
// statements: cues, journeys, link nodes, links, Journey_links and journey flags.

#include "check_findings.h"
#include "check_schema.h"

#include <set>
#include <string>

namespace pw {
class CCueCollection;
} // namespace pw

namespace pwtool::check {

/// Checks the rows of the tables against each other and against the loaded cue catalogue: cue
/// rows and types, journey rows, cue references, link nodes' boxes and points, links that name
/// missing rows, Journey_links rows of unknown journeys, journey flags and ids. Returns every
/// cue name that it reported as unknown or as an empty piece, so that the library's own
/// not-found lines can be matched against them.
std::set<std::string> checkTables(const Csqlite& database, const Schema& schema,
                                  const pw::CCueCollection& catalogue, const std::string& nonJourneyPointsId,
                                  Findings& findings);

/// "journey 'ID'", or "non-journey points 'ID'" for the non-journey points.
std::string journeyLabel(const std::string& journeyId, const std::string& nonJourneyPointsId);

} // namespace pwtool::check
