#pragma once

// What `pathweave check` finds out about a database's tables as a whole: which of the tables that
// the library reads can be read, whether SQLite finds the file sound, which indexes are missing,
// and the links of each journey as the library joins them. Also the helpers that run the check's
// own read-only statements.

#include "check_findings.h"

#include <csqlite/Csqlite.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace pwtool::check {

/// Runs one of the check's own read-only statements, calling `onRow` for each row. A statement
/// that cannot be prepared or run is itself a finding (statement-failed), named by `purpose`, what
/// it was meant to read. Returns whether every row was read.
bool forEachRow(const Csqlite& database, const std::string& sql, const std::string& purpose,
                Findings& findings, const std::function<void(Csqlite::CsqliteQuerySelect&)>& onRow);

/// The text of a column of the current row; the empty text for NULL.
std::string columnText(Csqlite::CsqliteQuerySelect& row, int column);

/// Which of the tables that the library reads can be read with every required column.
class Schema {
public:
    /// Looks at the six tables and records missing-table, missing-column, statement-failed (a table
    /// that cannot be read) and missing-box-columns.
    static Schema inspect(const Csqlite& database, Findings& findings);

    /// Whether the table (or view) exists, can be read and has every required column.
    bool usable(const std::string& table) const { return usableTables.count(table) != 0; }

    /// `journeys` has the column SELECTABLE, so the journey list holds only the selectable ones.
    bool hasSelectable = false;
    /// `link_nodes` has all four bounding-box columns.
    bool hasBoxColumns = false;

private:
    std::set<std::string> usableTables;
};

/// Records quick-check-failed for every problem that `PRAGMA quick_check` reports.
void checkIntegrity(const Csqlite& database, Findings& findings);

/// Records missing-index for each recommended index that is not there: a warning on a table of
/// `largeTableRows` rows or more, else an info.
void checkIndexes(const Csqlite& database, const Schema& schema, Findings& findings);
constexpr double largeTableRows = 10000;

/// The start and end link node of each link that the library reads for a journey (joined through
/// Journey_links, links and link_nodes as the library joins them), by journey id; links from a
/// node to itself are left out, as the library leaves them out.
using JourneyLinks = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;
JourneyLinks readJourneyLinks(const Csqlite& database, Findings& findings);

/// The ids of the journeys that the journey list leaves out because they are not selectable.
std::vector<std::string> unlistedJourneyIds(const Csqlite& database, const Schema& schema,
                                            Findings& findings);

/// Why journey `journeyId` has no link that can be read, for a journey-without-links example.
std::string whyWithoutLinks(const Csqlite& database, const std::string& journeyId);

} // namespace pwtool::check
