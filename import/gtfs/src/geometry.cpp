#include "geometry.h"

#include <algorithm>
#include <cmath>

namespace pw::gtfs {

namespace {

// A shape that passes a stop this close passes it there.
constexpr double near = 50.0;

} // namespace

double metresPerLongitudeDegree(double latitude) {
    return metresPerDegree * std::max(std::cos(latitude * radiansPerDegree), 1e-9);
}

double eastward(double from, double to) {
    const double degrees = to - from;
    return degrees > 180.0 ? degrees - 360.0 : degrees < -180.0 ? degrees + 360.0 : degrees;
}

double greatCircle(const Place& a, const Place& b) {
    const double dLatitude = (b.latitude - a.latitude) * radiansPerDegree;
    const double dLongitude = (b.longitude - a.longitude) * radiansPerDegree;
    const double h = std::sin(dLatitude / 2) * std::sin(dLatitude / 2) +
                     std::cos(a.latitude * radiansPerDegree) * std::cos(b.latitude * radiansPerDegree) *
                         std::sin(dLongitude / 2) * std::sin(dLongitude / 2);
    return 2.0 * metresPerDegree / radiansPerDegree * std::asin(std::min(1.0, std::sqrt(h)));
}

Offset offsetBetween(const Place& a, const Place& b) {
    return {eastward(a.longitude, b.longitude) * metresPerLongitudeDegree((a.latitude + b.latitude) / 2.0),
            (b.latitude - a.latitude) * metresPerDegree};
}

std::optional<std::vector<double>> distancesAlongShape(const std::vector<Place>& shape,
                                                       const std::vector<Place>& stops, double tolerance) {
    if (shape.size() < 2) {
        return std::nullopt;
    }
    // Shape points as offsets from its first point, and the distance along it to each point.
    std::vector<Offset> points(shape.size());
    std::vector<double> along(shape.size(), 0.0);
    for (std::size_t i = 0; i < shape.size(); ++i) {
        points[i] = offsetBetween(shape.front(), shape[i]);
        if (i > 0) {
            along[i] = along[i - 1] +
                       std::hypot(points[i].east - points[i - 1].east, points[i].north - points[i - 1].north);
        }
    }
    std::vector<double> result;
    result.reserve(stops.size());
    std::size_t segment = 0;
    double fraction = 0.0;
    for (const Place& stop : stops) {
        const Offset p = offsetBetween(shape.front(), stop);
        double best = INFINITY;
        std::size_t bestSegment = segment;
        double bestFraction = fraction;
        for (std::size_t i = segment; i + 1 < points.size(); ++i) {
            const double dx = points[i + 1].east - points[i].east;
            const double dy = points[i + 1].north - points[i].north;
            const double length2 = dx * dx + dy * dy;
            double t = length2 > 0.0
                           ? ((p.east - points[i].east) * dx + (p.north - points[i].north) * dy) / length2
                           : 0.0;
            t = std::clamp(t, i == segment ? fraction : 0.0, 1.0);
            const double distance =
                std::hypot(points[i].east + t * dx - p.east, points[i].north + t * dy - p.north);
            if (distance < best) {
                best = distance;
                bestSegment = i;
                bestFraction = t;
            } else if (best <= near && distance > best + 2 * near) {
                // The shape passed close by and left: a later pass of a loop is not this stop.
                break;
            }
        }
        if (best > tolerance) {
            return std::nullopt;
        }
        segment = bestSegment;
        fraction = bestFraction;
        result.push_back(along[segment] + fraction * (along[segment + 1] - along[segment]));
    }
    return result;
}

} // namespace pw::gtfs
