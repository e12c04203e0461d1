#pragma once

// The data of a `pathweave map` page, one JSON document (docs/map.md describes it): the link nodes
// of the journeys shown, each stored once however many journeys pass it, the journeys as lists of
// them, the findings placed on them and a replayed track.

#include "check_findings.h"
#include "json.h"
#include "tool.h"
#include "track_file.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace pwtool {

class MapData {
public:
    /// The journeys `journeyIds` of `network` (every ordinary journey when it is empty), which must
    /// be loaded, and the network's non-journey points. `database` names the page.
    MapData(const Network& network, const std::vector<std::string>& journeyIds, const std::string& database);

    /// Places the findings that concern what the page shows on its link nodes; those that name no
    /// place are counted by code.
    void addFindings(const check::Findings& findings);

    /// Replays `track` along the shown journey `journeyId` with the journey tracker, as
    /// `pathweave replay` does, and adds the track and the events; the fixes left out are added to
    /// `track.leftOut`.
    void addReplay(Network& network, const std::string& journeyId, Track& track);

    /// A tile layer for the page: a URL template with {z}, {x} and {y}, and the credit line that
    /// its terms ask for (empty: the server's host name).
    void setTiles(const std::string& urlTemplate, const std::string& credit) {
        data["tiles"] = {{"url", urlTemplate}, {"credit", credit}};
    }

    const JsonValue& json() const { return data; }

    /// The index in the node table of a shown link node, or -1.
    long nodeIndex(const pw::CLinkNode& node) const;

private:
    long addNode(const pw::CLinkNode& node);
    long cueIndex(const pw::CCue* cue);
    JsonValue nodeList(const pw::CJourney& journey, bool withJourneyData);

    JsonValue data;
    std::unordered_map<const pw::CLinkNode*, long> byNode;
    std::unordered_map<std::string, std::vector<long>> byId;
    std::unordered_map<std::string, long> byCue;
    std::vector<std::string> shownJourneys;
};

} // namespace pwtool
