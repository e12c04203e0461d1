#pragma once

// The replay of a GPS track along a journey, which `pathweave replay` reports and `pathweave map`
// draws: the journey tracker by default, or every fix against every geo-fence (naive).

#include "tool.h"
#include "track_file.h"

#include <pathweave/track/tracker.h>

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace pwtool {

/// What a replay tells as it goes. `fix` is the fix on which the event was seen; `onJourney` is
/// false for the non-journey points, which are watched fix by fix.
class ReplayListener {
public:
    virtual ~ReplayListener() = default;

    /// A node reached: arrived at, passed, or entered (naive). `repeated` when the journey's
    /// current lap had reached it already.
    virtual void reached(const pw::track::Fix& fix, const char* event, const pw::CJourney& journey,
                         const pw::CLinkNode& node, bool onJourney, bool repeated) = 0;

    /// Any other event; `node` null for an event about the journey as a whole.
    virtual void other(const pw::track::Fix& fix, const char* event, const pw::CJourney& journey,
                       const pw::CLinkNode* node, bool onJourney) = 0;
};

/// What a replay saw of the journey's stops, its link nodes with a box. A circular journey starts a
/// new lap whenever it reaches a stop before the one reached last.
class Visits {
public:
    explicit Visits(const pw::CJourney& journey);

    /// Records the node at this index as reached; true when this lap had reached it already.
    bool reach(std::size_t node);
    void skip(std::size_t node);

    /// Each stop skipped or never reached, in journey order.
    std::vector<std::string> missed() const;
    std::size_t stops() const;
    std::size_t visited() const;
    std::size_t repeatedEntries() const { return repeated; }
    /// Whether the stops came in journey order; none for a random journey, which has no order.
    std::optional<bool> inOrder() const;

private:
    const pw::CJourney::LinkNodes* nodes;
    pw::CJourney::JourneyOrder order;
    std::vector<bool> seen, inLap, skipped;
    std::size_t last = std::numeric_limits<std::size_t>::max();
    std::size_t repeated = 0;
    bool ordered = true;
};

/// "Visited N of M stops", the stops missed, the entries repeated, whether in journey order, and
/// the current link node, as one sentence.
std::string visitsSummary(const pw::CJourney& journey, const Visits& visits);

/// Makes journey `journeyId` the network's current and active journey and returns it. Throws
/// ToolError(Failed) when the network has no such journey.
pw::CJourney& startJourney(Network& network, const std::string& journeyId);

/// Replays the fixes of `track` along `journey`, a journey of `network`, telling `listener` each
/// event in order; the non-journey points of the network are watched too. `naive` tests every fix
/// against every fence instead of using the tracker. The fixes that the tracker leaves out are
/// added to `track.leftOut`. Returns what the track visited.
Visits replayFixes(Network& network, pw::CJourney& journey, Track& track, bool naive,
                   ReplayListener& listener);

/// Tells standard error, in line order, which fixes of the track `name` were left out and why.
void reportLeftOut(std::vector<LeftOut> leftOut, const std::string& name);

} // namespace pwtool
