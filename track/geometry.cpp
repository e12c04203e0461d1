#include "geometry.h"

#include <algorithm>
#include <cmath>

namespace pw {
namespace track {

CBounds grownBox(const CBounds& box, double metres) {
    const double centre = (box.latMin + box.latMax) / 2.0;
    // Near a pole a degree of longitude shrinks to nothing; a floor keeps the margin finite.
    const double cosine = std::max(std::cos(centre * radiansPerDegree), 1e-6);
    const double latitude = metres / metresPerDegree;
    const double longitude = latitude / cosine;
    return CBounds{true, box.latMin - latitude, box.longMin - longitude, box.latMax + latitude,
                   box.longMax + longitude};
}

// Clips the segment's parameter range [0, 1] against each side of the box in turn (Liang-Barsky).
bool segmentMeetsBox(const CPoint& from, const CPoint& to, const CBounds& box) {
    const double dLatitude = to.latitude - from.latitude;
    const double dLongitude = to.longitude - from.longitude;
    const double directions[4] = {-dLatitude, dLatitude, -dLongitude, dLongitude};
    const double room[4] = {from.latitude - box.latMin, box.latMax - from.latitude,
                            from.longitude - box.longMin, box.longMax - from.longitude};
    double enter = 0.0;
    double leave = 1.0;
    for (int side = 0; side < 4; ++side) {
        if (directions[side] == 0.0) {
            if (room[side] < 0.0) {
                return false;
            }
            continue;
        }
        const double at = room[side] / directions[side];
        if (directions[side] < 0.0) {
            enter = std::max(enter, at);
        } else {
            leave = std::min(leave, at);
        }
        if (enter > leave) {
            return false;
        }
    }
    return true;
}

} // namespace track
} // namespace pw
