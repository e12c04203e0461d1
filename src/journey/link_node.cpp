#include "pathweave/journey.h"

namespace pw {

CLinkNode::CLinkNode(const std::string& nodeId, const CPoint& nodePoint, double nodeDistance,
                     const CCueSubset& nodeCues, const CCue* nodeTransitionCue, const CBounds& nodeBounds)
    : id(nodeId), point(nodePoint), distance(nodeDistance), cues(nodeCues), transitionCue(nodeTransitionCue),
      nodeState(0), bounds(nodeBounds) {}

bool CLinkNode::WithinBounds(const CPoint& position) const {
    if (!bounds.valid) {
        return true;
    }
    // Each test asks whether the inside condition fails, so a NaN coordinate is outside.
    if (!(position.latitude >= bounds.latMin)) {
        return false;
    }
    if (!(position.latitude <= bounds.latMax)) {
        return false;
    }
    if (!(position.longitude >= bounds.longMin)) {
        return false;
    }
    return position.longitude <= bounds.longMax;
}

void CLinkNode::reset() {
    cues.SetState(false);
    nodeState = 0;
}

} // namespace pw
