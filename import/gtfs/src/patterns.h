#pragma once

#include "csv_reader.h"
#include "feed.h"
#include "feed_data.h"
#include "progress.h"

#include <pathweave/gtfs/findings.h>

#include <cstdint>
#include <vector>

namespace pw::gtfs {

/// A trip pattern: the distinct (route, direction, ordered stops) that one or more chosen trips
/// follow.
struct Pattern {
    uint32_t route = none;
    uint8_t direction = 0;
    std::vector<uint32_t> stops;
    /// The trips that follow it, each counted as the runs it stands for.
    uint64_t trips = 0;
    /// The trip whose shape and shape_dist_traveled describe the pattern: its first in trips.txt.
    uint32_t representative = none;
    /// The representative's shape_dist_traveled at each stop; empty when one is missing.
    std::vector<float> shapeDistances;
};

struct Patterns {
    std::vector<Pattern> patterns;
    uint64_t rows = 0;   ///< data rows of stop_times.txt
    bool grouped = true; ///< whether each trip's rows stood together
};

/// Reads stop_times.txt as a stream into patterns, and sets each chosen trip's pattern. When the
/// file holds each trip's rows together (nearly every feed does) memory grows with trips,
/// patterns and stops only; otherwise the file is read again into 16 bytes a row, held in blocks
/// that are sorted and merged. Bad rows are reported and skipped. `progress` is called with the
/// bytes of the file read, and asked whether to go on while the blocks are merged.
Patterns readPatterns(Feed& feed, FeedData& data, Findings& findings, const Progress& progress);

} // namespace pw::gtfs
