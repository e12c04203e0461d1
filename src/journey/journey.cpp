#include "pathweave/journey.h"

#include "diag/log.h"

#include <algorithm>
#include <type_traits>
#include <utility>

namespace pw {

// A journey relies on this to append a node with the strong guarantee and without copying nodes.
static_assert(std::is_nothrow_move_constructible_v<CLinkNode>);

namespace {

// Gives `to` every field of `from`, moving them when `from` is an rvalue and copying them otherwise.
// The positions are taken as indices first: once the link nodes have moved, `from` has nothing left
// to measure them against.
template <typename Source> void take(CJourney& to, Source&& from) {
    const detail::PositionIndices<CJourney, CLinkNode> positions(from, from.linkNodes);
    to.linkNodes = std::forward<Source>(from).linkNodes;
    to.id = std::forward<Source>(from).id;
    to.cues = std::forward<Source>(from).cues;
    to.entryCue = from.entryCue;
    to.exitCue = from.exitCue;
    to.linkTransitionCue = from.linkTransitionCue;
    to.linkDistances = from.linkDistances;
    to.order = from.order;
    positions.applyTo(to, to.linkNodes);
    if constexpr (!std::is_lvalue_reference_v<Source>) {
        // Its positions would otherwise name nodes that `to` owns now.
        from.clear();
    }
}

} // namespace

CJourney::CJourney(const std::string& journeyId, const CCueSubset& journeyCues, const CCue* journeyEntryCue,
                   const CCue* journeyExitCue, const CCue* journeyLinkTransitionCue)
    : id(journeyId), cues(journeyCues), entryCue(journeyEntryCue), exitCue(journeyExitCue),
      linkTransitionCue(journeyLinkTransitionCue), current(linkNodes.end()), active(linkNodes.end()),
      selected(linkNodes.end()), linkDistances(false), order(Standard) {}

CJourney::CJourney(const CJourney& other) { take(*this, other); }

CJourney::CJourney(CJourney&& other) noexcept { take(*this, std::move(other)); }

CJourney& CJourney::operator=(const CJourney& other) {
    // Copying aside first leaves this journey untouched if the copy fails.
    return *this = CJourney(other);
}

CJourney& CJourney::operator=(CJourney&& other) noexcept {
    if (this != &other) {
        take(*this, std::move(other));
    }
    return *this;
}

CJourney::LinkNodes::iterator CJourney::find(const std::string& linkNodeId) {
    return std::find_if(linkNodes.begin(), linkNodes.end(),
                        [&linkNodeId](const CLinkNode& node) { return node.id == linkNodeId; });
}

CJourney::LinkNodes::iterator CJourney::SetCurrent(const std::string& linkNodeId) {
    const LinkNodes::iterator found = find(linkNodeId);
    if (found == linkNodes.end()) {
        diag::writeLine(8, "pw::CJourney::SetCurrent: Link Node not found: ", id, ":", linkNodeId);
        return found;
    }
    diag::writeLine(2, "pw::CJourney::SetCurrent: Changing to: ", id, ":", found->id);
    current = found;
    selected = found;
    return found;
}

void CJourney::reset() {
    cues.SetState(false);
    current = linkNodes.begin();
    active = linkNodes.begin();
    selected = linkNodes.begin();
    for (CLinkNode& node : linkNodes) {
        node.reset();
    }
}

bool CJourney::hasLinkDistances() const {
    if (linkNodes.size() <= 2) {
        return true;
    }
    // The first two nodes of a journey read from the database are at distance 0 anyway.
    return std::none_of(linkNodes.begin() + 2, linkNodes.end(),
                        [](const CLinkNode& node) { return node.distance == 0.0; });
}

void CJourney::clear() {
    linkNodes.clear();
    current = linkNodes.end();
    active = linkNodes.end();
    selected = linkNodes.end();
}

void CJourney::insert(const std::string& nodeId, const CPoint& nodePoint, double nodeDistance,
                      const CCueSubset& nodeCues, const CCue* nodeTransitionCue, const CBounds& nodeBounds) {
    // Positions are touched only once the node is in, so a failed append changes nothing.
    linkNodes.emplace_back(nodeId, nodePoint, nodeDistance, nodeCues, nodeTransitionCue, nodeBounds);
    current = linkNodes.end();
    active = linkNodes.end();
    selected = linkNodes.end();
}

unsigned CJourney::CountLinkNodesWithValidBounds() const {
    return static_cast<unsigned>(std::count_if(linkNodes.begin(), linkNodes.end(),
                                               [](const CLinkNode& node) { return node.bounds.valid; }));
}

} // namespace pw
