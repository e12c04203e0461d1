#include "geometry.h"

#include <algorithm>
#include <cmath>

namespace pw::gtfs {

namespace {

constexpr double radians = 3.14159265358979323846 / 180.0;
// A shape that passes a stop this close passes it there.
constexpr double near = 50.0;

} // namespace

double greatCircle(const Place& a, const Place& b) {
    const double dLatitude = (b.latitude - a.latitude) * radians;
    const double dLongitude = (b.longitude - a.longitude) * radians;
    const double h = std::sin(dLatitude / 2) * std::sin(dLatitude / 2) +
                     std::cos(a.latitude * radians) * std::cos(b.latitude * radians) *
                         std::sin(dLongitude / 2) * std::sin(dLongitude / 2);
    return 2.0 * metresPerDegree / radians * std::asin(std::min(1.0, std::sqrt(h)));
}

Offset offsetBetween(const Place& a, const Place& b) {
    double dLongitude = b.longitude - a.longitude;
    // The short way round across the date line.
    if (dLongitude > 180.0) {
        dLongitude -= 360.0;
    } else if (dLongitude < -180.0) {
        dLongitude += 360.0;
    }
    const double middle = (a.latitude + b.latitude) / 2.0 * radians;
    return {dLongitude * metresPerDegree * std::cos(middle), (b.latitude - a.latitude) * metresPerDegree};
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
