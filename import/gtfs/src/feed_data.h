#pragma once

// What the importer keeps of a feed: stops, routes and trips with small indexes between them.
// stop_times are never kept as rows; they become patterns (patterns.h).

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace pw::gtfs {

constexpr uint32_t none = std::numeric_limits<uint32_t>::max();
/// The pattern of a trip whose rows made none (reported already).
constexpr uint32_t rejected = none - 1;

/// Texts numbered in the order they were first added, found by a hash table of open addressing:
/// a look-up touches one slot and one text, which matters when every stop_times row looks up a
/// trip that the processor's caches no longer hold.
class Names {
public:
    /// The number of `name`, or `none`.
    uint32_t find(std::string_view name) const;
    /// Adds `name` unless it is there; returns its number and whether it was new.
    std::pair<uint32_t, bool> add(std::string_view name);
    const std::string& operator[](uint32_t number) const { return texts[number]; }
    std::size_t size() const { return texts.size(); }

private:
    // A slot holds the upper half of its text's hash and the text's number plus 1; 0 is empty.
    std::size_t slotOf(std::string_view name, uint64_t hash) const;

    std::vector<std::string> texts;
    std::vector<uint64_t> slots;
};

struct Stop {
    std::string name;
    double latitude = 0.0;
    double longitude = 0.0;
    /// A stop or platform (location_type 0 or empty) rather than a station, entrance, node or
    /// boarding area: only those become non-journey points.
    bool stopOrPlatform = true;
};

struct Route {
    std::string shortName;
    std::string longName;
    bool chosen = true; ///< passes --route
};

struct Trip {
    uint32_t route = none;
    uint32_t shape = none;
    uint32_t weight = 1;     ///< how many trips it stands for: its runs in frequencies.txt, else 1
    uint32_t pattern = none; ///< the pattern it made, once its stop_times are read, or `rejected`
    uint8_t direction = 0;
    bool chosen = true; ///< passes --date and --route
};

struct FeedData {
    Names stopIds;
    std::vector<Stop> stops;
    Names routeIds;
    std::vector<Route> routes;
    Names tripIds;
    std::vector<Trip> trips;
    Names shapeIds;
};

} // namespace pw::gtfs
