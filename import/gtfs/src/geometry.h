#pragma once

// Distances on the earth, in metres, and the projection of stops onto a shape.

#include <optional>
#include <vector>

namespace pw::gtfs {

struct Place {
    double latitude;
    double longitude;
};

/// Metres per degree of latitude (and of longitude at the equator), on the mean earth sphere.
constexpr double metresPerDegree = 6371008.8 * 3.14159265358979323846 / 180.0;

/// The great-circle distance between two places, in metres.
double greatCircle(const Place& a, const Place& b);

/// How far `b` lies east and north of `a`, in metres on a plane tangent between them.
struct Offset {
    double east;
    double north;
};
Offset offsetBetween(const Place& a, const Place& b);

/// The distance along `shape` of each stop, the stops projected onto it in order: each stop goes
/// to the nearest point of the shape that is not behind the previous stop's. Nothing when a stop
/// lies more than `tolerance` metres from the shape.
std::optional<std::vector<double>> distancesAlongShape(const std::vector<Place>& shape,
                                                       const std::vector<Place>& stops, double tolerance);

} // namespace pw::gtfs
