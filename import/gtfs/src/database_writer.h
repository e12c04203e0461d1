#pragma once

#include "feed_data.h"
#include "plan.h"

#include <pathweave/gtfs/import.h>

struct sqlite3;

namespace pw::gtfs {

/// Writes the network of `plan` into an empty database in one transaction: the six tables, their
/// rows and the recommended indexes. Asks options.progress whether to go on every few thousand
/// rows. Throws ImportError when SQLite fails or the import is cancelled; the transaction is then
/// left open, and the file is to be thrown away.
void writeNetwork(sqlite3* database, const FeedData& data, const NetworkPlan& plan, const Options& options);

/// The cue names the importer writes. A name cannot hold a comma (lists of names are split on
/// commas), so ',' and '%' and blanks and control bytes of an id are written as %XX.
std::string stopCue(const std::string& stopId);
std::string routeCue(const std::string& routeId);
inline const char* const chimeCue = "chime";
inline const char* const terminusCue = "terminus";

} // namespace pw::gtfs
