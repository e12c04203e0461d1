#pragma once

#include "feed.h"
#include "feed_data.h"
#include "patterns.h"
#include "plan.h"

#include <pathweave/gtfs/import.h>

struct sqlite3;

namespace pw::gtfs {

/// A feed read and planned, ready to be written.
struct BuiltNetwork {
    FeedData data;
    std::vector<Pattern> patterns;
    NetworkPlan plan;
};

/// Reads the feed and plans its network, filling the report's findings and summary. Throws
/// ImportError when the import cannot go on.
void buildNetwork(Feed& feed, const Options& options, Report& report, BuiltNetwork& network);

/// Reads the feed and writes its network into an empty, open database; the whole import but the
/// file handling. Returns the report; its failure is set instead of throwing.
Report importInto(Feed& feed, const Options& options, sqlite3* database);

} // namespace pw::gtfs
