#include "patterns.h"

#include "import_error.h"
#include "text.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <queue>
#include <unordered_map>

namespace pw::gtfs {

namespace {

const std::string fileName = "stop_times.txt";

// One usable row: a stop of a trip. 16 bytes, the budget of a row when the file must be sorted.
struct Visit {
    uint32_t trip;
    uint32_t stop;
    uint32_t sequence;
    float distance; // shape_dist_traveled, NaN when empty
};
static_assert(sizeof(Visit) == 16, "a stop_times row must stay within 16 bytes");

bool visitBefore(const Visit& a, const Visit& b) {
    if (a.trip != b.trip) {
        return a.trip < b.trip;
    }
    if (a.sequence != b.sequence) {
        return a.sequence < b.sequence;
    }
    // Equal sequences are a fault of the feed; which row wins is still the same on every run.
    return a.stop != b.stop ? a.stop < b.stop : a.distance < b.distance;
}

struct PatternKey {
    uint32_t route;
    uint8_t direction;
    std::vector<uint32_t> stops;

    bool operator==(const PatternKey& other) const {
        return route == other.route && direction == other.direction && stops == other.stops;
    }
};

struct PatternKeyHash {
    std::size_t operator()(const PatternKey& key) const {
        uint64_t hash = 1469598103934665603ULL ^ (uint64_t{key.route} << 1 | key.direction);
        for (const uint32_t stop : key.stops) {
            hash = (hash ^ stop) * 1099511628211ULL;
        }
        return static_cast<std::size_t>(hash);
    }
};

class PatternBuilder {
public:
    PatternBuilder(FeedData& feedData, Findings& found) : data(feedData), findings(found) {}

    // Makes a trip's visits, in any order, a pattern. `lines` gives each visit's line when known.
    void addTrip(std::vector<Visit>& visits, std::vector<uint64_t>* lines) {
        const uint32_t trip = visits.front().trip;
        std::vector<std::size_t> order(visits.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::sort(order.begin(), order.end(),
                  [&visits](std::size_t a, std::size_t b) { return visitBefore(visits[a], visits[b]); });
        PatternKey key{data.trips[trip].route, data.trips[trip].direction, {}};
        std::vector<float> distances;
        const Visit* previous = nullptr;
        for (const std::size_t i : order) {
            const Visit& visit = visits[i];
            const uint64_t line = lines != nullptr ? (*lines)[i] : 0;
            if (previous != nullptr && visit.sequence == previous->sequence) {
                findings.add("stop-sequence-not-increasing", fileName, line,
                             "trip_id '" + data.tripIds[trip] + "', stop_sequence " +
                                 std::to_string(visit.sequence));
                continue;
            }
            if (previous != nullptr && visit.stop == previous->stop) {
                findings.add("repeated-stop", fileName, line,
                             "trip_id '" + data.tripIds[trip] + "', stop_id '" + data.stopIds[visit.stop] +
                                 "'");
                previous = &visit;
                continue;
            }
            key.stops.push_back(visit.stop);
            distances.push_back(visit.distance);
            previous = &visit;
        }
        if (key.stops.size() < 2) {
            findings.add("trip-too-short", fileName, 0,
                         "trip_id '" + data.tripIds[trip] + "': " + std::to_string(key.stops.size()) +
                             " stop");
            data.trips[trip].pattern = rejected;
            return;
        }
        const auto found = index.emplace(std::move(key), static_cast<uint32_t>(result.size()));
        if (found.second) {
            Pattern pattern;
            pattern.route = found.first->first.route;
            pattern.direction = found.first->first.direction;
            pattern.stops = found.first->first.stops;
            result.push_back(std::move(pattern));
        }
        Pattern& pattern = result[found.first->second];
        pattern.trips += data.trips[trip].weight;
        data.trips[trip].pattern = found.first->second;
        if (trip < pattern.representative) {
            pattern.representative = trip;
            const bool complete =
                std::none_of(distances.begin(), distances.end(), [](float d) { return std::isnan(d); });
            pattern.shapeDistances = complete ? std::move(distances) : std::vector<float>();
        }
    }

    std::vector<Pattern> take() { return std::move(result); }

private:
    FeedData& data;
    Findings& findings;
    std::unordered_map<PatternKey, uint32_t, PatternKeyHash> index;
    std::vector<Pattern> result;
};

// Turns rows into visits, reporting the bad ones. Rows of trips that are not chosen are only
// checked for their trip.
class RowReader {
public:
    RowReader(FeedData& feedData, Findings& found) : data(feedData), findings(found) {}

    enum { TripId, StopId, Sequence, Distance };
    static std::vector<Column> columns() {
        return {
            {"trip_id", true}, {"stop_id", true}, {"stop_sequence", true}, {"shape_dist_traveled", false}};
    }

    // The row's trip, or `none` for an unknown one; `visit` is set when the row is usable.
    uint32_t read(const CsvRow& row, Visit& visit, bool& usable) {
        usable = false;
        const std::string_view tripId = row[TripId];
        if (tripId != lastTripId || lastTrip == none) {
            lastTripId.assign(tripId);
            lastTrip = data.tripIds.find(tripId);
            if (lastTrip == none) {
                findings.add("unknown-trip", fileName, row.line, "trip_id '" + lastTripId + "'");
                return none;
            }
        }
        if (!data.trips[lastTrip].chosen) {
            return lastTrip;
        }
        const uint32_t stop = data.stopIds.find(row[StopId]);
        const auto sequence = toCount(row[Sequence]);
        const std::string_view distanceText = trimmed(row[Distance]);
        const auto distance =
            distanceText.empty() ? std::optional<double>(std::nan("")) : toNumber(distanceText);
        if (stop == none) {
            findings.add("unknown-stop", fileName, row.line, "stop_id '" + std::string(row[StopId]) + "'");
        } else if (!sequence) {
            findings.add("bad-value", fileName, row.line,
                         "stop_sequence '" + std::string(row[Sequence]) + "'");
        } else if (!distance) {
            findings.add("bad-value", fileName, row.line,
                         "shape_dist_traveled '" + std::string(row[Distance]) + "'");
        } else {
            visit = {lastTrip, stop, *sequence, static_cast<float>(*distance)};
            usable = true;
        }
        return lastTrip;
    }

private:
    FeedData& data;
    Findings& findings;
    std::string lastTripId;
    uint32_t lastTrip = none;
};

// Reads stop_times.txt, counting its rows in `rows`, and calls `handle(trip, visit, line)` for each
// row of a known trip, `visit` null when the row is not usable.
template <typename Handle>
void readRows(Feed& feed, FeedData& data, Findings& findings, uint64_t& rows, const Progress& progress,
              Handle&& handle) {
    RowReader rowReader(data, findings);
    CsvReader reader(feed, fileName, RowReader::columns(), findings, progress);
    reader.read([&](const CsvRow& row) {
        ++rows;
        Visit visit{};
        bool usable = false;
        const uint32_t trip = rowReader.read(row, visit, usable);
        if (trip != none) {
            handle(trip, usable ? &visit : nullptr, row.line);
        }
    });
}

struct NotGrouped {};

// One pass that keeps only the rows of the trip being read; throws NotGrouped when a trip's rows
// turn out not to stand together.
std::vector<Pattern> readGrouped(Feed& feed, FeedData& data, Findings& findings, uint64_t& rows,
                                 const Progress& progress) {
    PatternBuilder builder(data, findings);
    std::vector<bool> seen(data.trips.size());
    std::vector<Visit> visits;
    std::vector<uint64_t> lines;
    uint32_t current = none;
    const auto finishTrip = [&] {
        if (!visits.empty()) {
            builder.addTrip(visits, &lines);
        }
        visits.clear();
        lines.clear();
    };
    readRows(feed, data, findings, rows, progress, [&](uint32_t trip, const Visit* visit, uint64_t line) {
        if (trip != current) {
            finishTrip();
            if (seen[trip]) {
                throw NotGrouped();
            }
            seen[trip] = true;
            current = trip;
        }
        if (visit != nullptr) {
            visits.push_back(*visit);
            lines.push_back(line);
        }
    });
    finishTrip();
    return builder.take();
}

// The usable rows of a file whose trips are not grouped, 16 bytes each, in blocks of 1 MiB. The
// store grows a block at a time and never moves what it holds, so memory holds each row once, and
// reserves nothing on a guess at the number of rows: at most one block's untouched pages. Each
// block is sorted once full; the blocks are then merged, each freed once it is used up.
class VisitStore {
public:
    void add(const Visit& visit) {
        if (blocks.empty() || blocks.back().size == blockSize) {
            if (!blocks.empty()) {
                blocks.back().sort();
            }
            // Not value-initialised: the pages of a block are touched only as rows fill them.
            blocks.push_back({std::unique_ptr<Visit[]>(new Visit[blockSize]), 0, 0});
        }
        Block& block = blocks.back();
        block.visits[block.size++] = visit;
    }

    // Calls `handle` with the visits of each trip in turn, each trip's in stop_sequence order,
    // and `progress` now and then.
    template <typename Handle> void forEachTrip(const Progress& progress, Handle&& handle) {
        if (blocks.empty()) {
            return;
        }
        blocks.back().sort();
        // The blocks by their next visit, the block holding the first one on top.
        const auto later = [this](std::size_t a, std::size_t b) { return visitBefore(next(b), next(a)); };
        std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(later)> heads(later);
        for (std::size_t block = 0; block < blocks.size(); ++block) {
            heads.push(block);
        }
        std::vector<Visit> visits;
        while (!heads.empty()) {
            const std::size_t at = heads.top();
            heads.pop();
            Block& block = blocks[at];
            const Visit visit = block.visits[block.used++];
            if (block.used < block.size) {
                heads.push(at);
            } else {
                block.visits.reset();
            }
            if (!visits.empty() && visits.front().trip != visit.trip) {
                handle(visits);
                visits.clear();
                goOnUnlessCancelledNowAndThen(progress);
            }
            visits.push_back(visit);
        }
        handle(visits);
    }

private:
    static constexpr std::size_t blockSize = (1 << 20) / sizeof(Visit);

    struct Block {
        std::unique_ptr<Visit[]> visits;
        std::size_t size; // rows written
        std::size_t used; // rows merged
        void sort() { std::sort(visits.get(), visits.get() + size, visitBefore); }
    };

    const Visit& next(std::size_t block) const { return blocks[block].visits[blocks[block].used]; }

    void goOnUnlessCancelledNowAndThen(const Progress& progress) {
        if (++trips % 4096 == 0) {
            goOnUnlessCancelled(progress);
        }
    }

    std::vector<Block> blocks;
    uint64_t trips = 0;
};

// Reads every usable row into 16 bytes and makes the patterns from them, trip by trip in
// stop_sequence order.
std::vector<Pattern> readUnordered(Feed& feed, FeedData& data, Findings& findings, uint64_t& rows,
                                   const Progress& progress) {
    VisitStore store;
    readRows(feed, data, findings, rows, progress, [&store](uint32_t, const Visit* visit, uint64_t) {
        if (visit != nullptr) {
            store.add(*visit);
        }
    });
    PatternBuilder builder(data, findings);
    store.forEachTrip(progress, [&builder](std::vector<Visit>& visits) { builder.addTrip(visits, nullptr); });
    return builder.take();
}

} // namespace

Patterns readPatterns(Feed& feed, FeedData& data, Findings& findings, const Progress& progress) {
    Patterns result;
    Findings ofGroupedPass;
    try {
        result.patterns = readGrouped(feed, data, ofGroupedPass, result.rows, progress);
        findings.merge(ofGroupedPass);
    } catch (const ImportError&) {
        // What was found up to a fatal fault stays in the report.
        findings.merge(ofGroupedPass);
        throw;
    } catch (const NotGrouped&) {
        for (Trip& trip : data.trips) {
            trip.pattern = none;
        }
        result.grouped = false;
        result.rows = 0;
        result.patterns = readUnordered(feed, data, findings, result.rows, progress);
    }
    if (result.rows == 0) {
        throw ImportError("no-journeys", fileName, 0, "stop_times.txt has no rows");
    }
    for (uint32_t trip = 0; trip < data.trips.size(); ++trip) {
        if (data.trips[trip].chosen && data.trips[trip].pattern == none) {
            findings.add("trip-too-short", fileName, 0,
                         "trip_id '" + data.tripIds[trip] + "': no usable stop_times row");
        }
    }
    return result;
}

} // namespace pw::gtfs
