#pragma once

#include <cstdint>
#include <string>

namespace pwbench {

/// A generated GTFS feed of a fictional grid city: routes of 40 stops each way, three patterns per
/// direction (the whole route, a short turn, an express), shapes for every pattern,
/// shape_dist_traveled on the stop_times of every other route, two services.
struct GtfsFeedSpec {
    uint64_t stopTimes = 1000000; ///< about this many stop_times rows
    bool unsorted = false;        ///< stop_times rows in random order instead of trip by trip
    uint64_t seed = 1;
};

/// The file name of the feed of `spec`: "gtfs-<rows>[-unsorted].zip".
std::string gtfsFeedFileName(const GtfsFeedSpec& spec);

/// Writes the feed of `spec` as a zip at `path` (deflated as agencies publish them), byte for byte
/// the same for the same spec; its CSV files pass through a scratch folder beside it. Throws
/// std::runtime_error when a file cannot be written.
void writeGtfsFeed(const std::string& path, const GtfsFeedSpec& spec);

/// The feed of `spec` in `directory`, written when missing; returns its path.
std::string ensureGtfsFeed(const std::string& directory, const GtfsFeedSpec& spec);

} // namespace pwbench
