#pragma once

// Plane geometry for the tracker: over a few kilometres, degrees scaled by the cosine of the
// latitude are a plane to well within a metre.

#include <pathweave/journey.h>

namespace pw {
namespace track {

/// Metres per degree of latitude on a sphere of the Earth's mean radius.
constexpr double metresPerDegree = 6371008.8 * 3.14159265358979323846 / 180.0;

/// Whether `point` lies in `box`, edges included, as CLinkNode::WithinBounds decides for a valid box.
inline bool inBox(const CPoint& point, const CBounds& box) {
    return point.latitude >= box.latMin && point.latitude <= box.latMax && point.longitude >= box.longMin &&
           point.longitude <= box.longMax;
}

/// `box` grown by `metres` on every side, at its own latitude.
CBounds grownBox(const CBounds& box, double metres);

/// Whether the segment from `from` to `to` meets `box`.
bool segmentMeetsBox(const CPoint& from, const CPoint& to, const CBounds& box);

/// The distance from (x, y) to the segment from (ax, ay) to (bx, by), all in one unit.
double distanceToSegment(double x, double y, double ax, double ay, double bx, double by);

} // namespace track
} // namespace pw
