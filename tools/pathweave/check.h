#pragma once

// `pathweave check` as a function, for commands that show its findings.

#include "check_findings.h"

#include <string>

namespace pwtool {

class NetworkDatabase;

namespace check {

/// Runs every check of `pathweave check` on `database`, with the non-journey points stored under
/// `nonJourneyPoints` when it is not empty, and records what it finds. Throws ToolError(BadDatabase)
/// when a statement over the database's views was given up.
void checkDatabase(NetworkDatabase& database, const std::string& nonJourneyPoints, Findings& findings);

} // namespace check
} // namespace pwtool
