#pragma once

#include "feed.h"
#include "feed_data.h"
#include "geometry.h"
#include "patterns.h"
#include "progress.h"

#include <pathweave/gtfs/findings.h>
#include <pathweave/gtfs/import.h>

#include <string>
#include <vector>

namespace pw::gtfs {

/// A journey to write: one trip pattern, its stops as a chain of link nodes.
struct PlannedJourney {
    std::string id;
    uint32_t route = none;
    uint32_t pattern = none; ///< into the patterns it was planned from
    bool selectable = false;
    /// The pattern's first stop is also its last; the chain then leaves that last stop out, since
    /// a closed ring would have no start node.
    bool circular = false;
    std::vector<uint32_t> linkNodes; ///< into NetworkPlan::linkNodes, in stop order
    std::vector<double> distances;   ///< metres, one per link: distances[i] leads to linkNodes[i + 1]
};

/// A link node to write: a stop, or a later visit of a stop within a pattern.
struct PlannedLinkNode {
    std::string id;
    uint32_t stop;
};

/// Everything the database will hold, in the feed's terms.
struct NetworkPlan {
    std::vector<PlannedJourney> journeys;
    std::vector<PlannedLinkNode> linkNodes;
    /// Link nodes of the stops that no chosen trip serves, in stops.txt order.
    std::vector<uint32_t> nonJourneyPoints;
    /// Half the width (east) and height (north) of each stop's fence, in metres.
    std::vector<Offset> fences;
};

/// Names the patterns' journeys, makes their link nodes, fences and non-journey points.
/// Throws ImportError when there is no pattern.
NetworkPlan planNetwork(const FeedData& data, const std::vector<Pattern>& patterns, const Options& options,
                        Findings& findings, Summary& summary);

/// Sets each journey's link distances from shape_dist_traveled, shapes.txt or the great circle,
/// reading shapes.txt for the shapes it needs and asking `progress` whether to go on meanwhile.
void measureDistances(Feed& feed, const FeedData& data, const std::vector<Pattern>& patterns,
                      const Progress& progress, NetworkPlan& plan, Findings& findings, Summary& summary);

} // namespace pw::gtfs
