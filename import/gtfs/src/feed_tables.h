#pragma once

#include "feed.h"
#include "feed_data.h"

#include <pathweave/gtfs/findings.h>
#include <pathweave/gtfs/import.h>

namespace pw::gtfs {

/// Reads routes.txt, the calendars when a date is chosen, trips.txt, frequencies.txt and
/// stops.txt into `data`, applying --route and --date. Bad rows are reported and skipped; a
/// missing required file or column or an unknown --route throws ImportError.
void readFeedTables(Feed& feed, const Options& options, FeedData& data, Findings& findings);

} // namespace pw::gtfs
