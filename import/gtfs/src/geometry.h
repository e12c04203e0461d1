#pragma once

// Distances on the earth, in metres, and the projection of stops onto a shape.

#include <optional>
#include <vector>

namespace pw::gtfs {

struct Place {
    double latitude;
    double longitude;
};

/// Radians in a degree: the one place the importer writes pi.
constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;

/// Metres per degree of latitude (and of longitude at the equator), on the mean earth sphere.
constexpr double metresPerDegree = 6371008.8 * radiansPerDegree;

/// Metres per degree of longitude at `latitude`: metresPerDegree times the cosine of the latitude,
/// never below a nanometre so that it can divide. The fences are made and shrunk with it, each at
/// its own stop's latitude.
double metresPerLongitudeDegree(double latitude);

/// The degrees of longitude from `from` east to `to` (negative westward), the short way round
/// across the date line.
double eastward(double from, double to);

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
