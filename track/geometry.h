#pragma once

// Plane geometry for the tracker: over a few kilometres, degrees scaled by the cosine of the
// latitude are a plane to well within a metre.

#include <pathweave/journey.h>

#include <algorithm>

namespace pw {
namespace track {

constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;

/// Metres per degree of latitude on a sphere of the Earth's mean radius.
constexpr double metresPerDegree = 6371008.8 * radiansPerDegree;

/// Whether `point` lies in `box`, edges included, as CLinkNode::WithinBounds decides for a valid box.
inline bool inBox(const CPoint& point, const CBounds& box) {
    return point.latitude >= box.latMin && point.latitude <= box.latMax && point.longitude >= box.longMin &&
           point.longitude <= box.longMax;
}

/// Whether the box spanned by two points meets `box`: a quick test before segmentMeetsBox.
inline bool spanMeetsBox(const CPoint& a, const CPoint& b, const CBounds& box) {
    return std::max(a.latitude, b.latitude) >= box.latMin && std::min(a.latitude, b.latitude) <= box.latMax &&
           std::max(a.longitude, b.longitude) >= box.longMin &&
           std::min(a.longitude, b.longitude) <= box.longMax;
}

/// `box` grown by `metres` on every side, at its own latitude.
CBounds grownBox(const CBounds& box, double metres);

/// Whether the segment from `from` to `to` meets `box`.
bool segmentMeetsBox(const CPoint& from, const CPoint& to, const CBounds& box);

/// The square of the distance from (x, y) to the segment from (ax, ay) to (bx, by), all in one unit.
inline double squaredDistanceToSegment(double x, double y, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    const double along =
        length2 > 0.0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / length2, 0.0, 1.0) : 0.0;
    const double east = x - (ax + along * dx);
    const double north = y - (ay + along * dy);
    return east * east + north * north;
}

} // namespace track
} // namespace pw
