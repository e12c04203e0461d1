#include "gps_simulator.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pwbench {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double metresPerDegree = 6371008.8 * pi / 180.0;
// The truth is sampled this often, in seconds.
constexpr double step = 0.1;

// splitmix64 with uniform and Gaussian draws: the same sequence on every platform.
class Draw {
public:
    explicit Draw(std::uint64_t seed) : state(seed) {}

    double uniform(double low = 0.0, double high = 1.0) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        return low + (high - low) * static_cast<double>(z >> 11) * 0x1.0p-53;
    }

    // Box-Muller; the first uniform draw is kept away from 0 so that its logarithm is finite.
    double gaussian() {
        const double radius = std::sqrt(-2.0 * std::log(uniform(0x1.0p-53, 1.0)));
        return radius * std::cos(2.0 * pi * uniform());
    }

private:
    std::uint64_t state;
};

// Metres east and north of an origin, and back.
struct Plane {
    pw::CPoint origin;
    double east; // metres per degree of longitude

    explicit Plane(const pw::CPoint& at)
        : origin(at), east(metresPerDegree * std::cos(at.latitude * pi / 180.0)) {}

    void toMetres(const pw::CPoint& point, double& x, double& y) const {
        x = (point.longitude - origin.longitude) * east;
        y = (point.latitude - origin.latitude) * metresPerDegree;
    }
    pw::CPoint toDegrees(double x, double y) const {
        return pw::CPoint{origin.latitude + y / metresPerDegree, origin.longitude + x / east};
    }
};

// On the plane of the first point, as `drive` measures the route.
double metresBetween(const pw::CPoint& from, const pw::CPoint& to) {
    const Plane plane(from);
    double x = 0.0, y = 0.0;
    plane.toMetres(to, x, y);
    return std::hypot(x, y);
}

pw::CPoint fenceCentre(const pw::CBounds& box) {
    return pw::CPoint{(box.latMin + box.latMax) / 2.0, (box.longMin + box.longMax) / 2.0};
}

// The vehicle's true position every `step` seconds, and when it was at each stop.
struct Truth {
    std::vector<pw::CPoint> positions;
    std::vector<double> atStop;
};

Truth drive(const Route& route, const Driving& driving, Draw& draw) {
    const Plane plane(route.points.front());
    std::vector<double> xs, ys, along{0.0};
    for (std::size_t index = 0; index < route.points.size(); ++index) {
        double x = 0.0, y = 0.0;
        plane.toMetres(route.points[index], x, y);
        if (index > 0) {
            along.push_back(along.back() + metresBetween(route.points[index - 1], route.points[index]));
        }
        xs.push_back(x);
        ys.push_back(y);
    }
    const auto positionAt = [&](double distance) {
        const std::size_t leg = static_cast<std::size_t>(std::max<std::ptrdiff_t>(
            std::upper_bound(along.begin(), along.end(), distance) - along.begin() - 1, 0));
        if (leg + 1 >= xs.size()) {
            return plane.toDegrees(xs.back(), ys.back());
        }
        const double length = along[leg + 1] - along[leg];
        const double share = length > 0.0 ? (distance - along[leg]) / length : 0.0;
        return plane.toDegrees(xs[leg] + share * (xs[leg + 1] - xs[leg]),
                               ys[leg] + share * (ys[leg + 1] - ys[leg]));
    };

    Truth truth;
    double distance = 0.0;
    double speed = 0.0;
    for (const Route::Stop& stop : route.stops) {
        // Service starts and ends at a stop.
        const bool halts = draw.uniform() >= driving.passShare || &stop == &route.stops.front() ||
                           &stop == &route.stops.back();
        const double cruise = driving.cruiseSpeed * draw.uniform(0.7, 1.3);
        // Drives to the stop, braking on the curve that ends at rest on it when it halts there.
        while (distance < stop.along) {
            const double remaining = stop.along - distance;
            const double braking = halts ? std::sqrt(2.0 * driving.acceleration * remaining) : cruise;
            speed = std::min({speed + driving.acceleration * step, cruise, std::max(braking, 0.5)});
            distance = std::min(distance + speed * step, stop.along);
            truth.positions.push_back(positionAt(distance));
        }
        truth.atStop.push_back(static_cast<double>(truth.positions.size()) * step);
        if (halts) {
            speed = 0.0;
            const double dwell = draw.uniform(driving.dwellMin, driving.dwellMax);
            for (double waited = 0.0; waited < dwell; waited += step) {
                truth.positions.push_back(positionAt(distance));
            }
        }
    }
    // Drives on past the last stop until it is well clear of it.
    for (double left = 0.0; left < 300.0; left += speed * step) {
        speed = std::min(speed + driving.acceleration * step, driving.cruiseSpeed);
        truth.positions.push_back(positionAt(distance + left));
    }
    return truth;
}

// The intervals without fixes, as [start, end) pairs.
std::vector<std::pair<double, double>> dropouts(double duration, const Reception& reception, Draw& draw) {
    std::vector<std::pair<double, double>> outages;
    if (reception.dropoutsPerHour <= 0.0) {
        return outages;
    }
    const double meanGap = 3600.0 / reception.dropoutsPerHour;
    for (double start = -std::log(draw.uniform(0x1.0p-53, 1.0)) * meanGap; start < duration;
         start += reception.dropoutLength - std::log(draw.uniform(0x1.0p-53, 1.0)) * meanGap) {
        outages.emplace_back(start, start + reception.dropoutLength);
    }
    return outages;
}

} // namespace

Route routeAlongJourney(const pw::CJourney& journey, unsigned laps) {
    Route route;
    double along = 0.0;
    for (unsigned lap = 0; lap < laps; ++lap) {
        for (std::size_t node = 0; node < journey.linkNodes.size(); ++node) {
            const pw::CBounds& box = journey.linkNodes[node].bounds;
            if (!box.valid) {
                continue;
            }
            const pw::CPoint point = fenceCentre(box);
            if (!route.points.empty()) {
                along += metresBetween(route.points.back(), point);
            }
            route.points.push_back(point);
            route.stops.push_back(Route::Stop{node, along});
        }
    }
    return route;
}

SimulatedDrive simulate(const Route& route, const pw::CJourney& journey, const Driving& driving,
                        const Reception& reception, std::uint64_t seed) {
    Draw draw(seed);
    SimulatedDrive result;
    if (route.points.empty()) {
        return result;
    }
    const Truth truth = drive(route, driving, draw);
    const double duration = static_cast<double>(truth.positions.size()) * step;
    const auto outages = dropouts(duration, reception, draw);
    const Plane plane(route.points.front());

    std::size_t outage = 0;
    for (double time = draw.uniform(0.0, reception.interval); time < duration; time += reception.interval) {
        while (outage < outages.size() && outages[outage].second <= time) {
            ++outage;
        }
        const pw::CPoint& real = truth.positions[static_cast<std::size_t>(time / step)];
        if (outage < outages.size() && outages[outage].first <= time) {
            continue;
        }
        double x = 0.0, y = 0.0;
        plane.toMetres(real, x, y);
        x += reception.jitter * draw.gaussian();
        y += reception.jitter * draw.gaussian();
        if (draw.uniform() < reception.outlierShare) {
            const double distance = draw.uniform(100.0, 300.0);
            const double heading = draw.uniform(0.0, 2.0 * pi);
            x += distance * std::sin(heading);
            y += distance * std::cos(heading);
        }
        pw::track::Fix fix;
        fix.time = time;
        fix.position = plane.toDegrees(x, y);
        // Receivers report roughly the radius that holds two fixes in three; multipath fools them.
        fix.accuracy = reception.jitter * draw.uniform(1.0, 2.0);
        result.fixes.push_back(fix);
    }

    for (std::size_t index = 0; index < route.stops.size(); ++index) {
        const pw::CLinkNode& node = journey.linkNodes[route.stops[index].node];
        const auto at = static_cast<std::size_t>(truth.atStop[index] / step);
        std::size_t first = std::min(at, truth.positions.size() - 1);
        std::size_t last = first;
        while (first > 0 && node.WithinBounds(truth.positions[first - 1])) {
            --first;
        }
        while (last + 1 < truth.positions.size() && node.WithinBounds(truth.positions[last + 1])) {
            ++last;
        }
        Visit visit{route.stops[index].node, static_cast<double>(first) * step,
                    static_cast<double>(last + 1) * step, 0.0};
        const auto after =
            std::find_if(result.fixes.begin(), result.fixes.end(),
                         [&visit](const pw::track::Fix& fix) { return fix.time >= visit.leave; });
        visit.reportBy = (after != result.fixes.end() ? after->time : visit.leave) + reception.interval;
        result.visits.push_back(visit);
    }
    return result;
}

pw::CJourney denseStreetJourney(unsigned stops, std::uint64_t seed) {
    Draw draw(seed);
    pw::CJourney journey("DENSE", pw::CCueSubset(), nullptr, nullptr, nullptr);
    journey.insert("ROOT", pw::CPoint{}, 0.0, pw::CCueSubset(), nullptr, pw::CBounds{});
    const Plane plane(pw::CPoint{40.72, -73.85});
    double x = 0.0, y = 0.0, heading = 0.0, distance = 0.0;
    for (unsigned stop = 0; stop < stops; ++stop) {
        if (stop > 0) {
            const double spacing =
                draw.uniform() < 0.2 ? draw.uniform(50.0, 80.0) : draw.uniform(80.0, 400.0);
            heading += draw.uniform(-0.4, 0.4);
            x += spacing * std::sin(heading);
            y += spacing * std::cos(heading);
            distance += spacing;
        }
        const pw::CPoint low = plane.toDegrees(x - draw.uniform(15.0, 30.0), y - draw.uniform(15.0, 30.0));
        const pw::CPoint high = plane.toDegrees(x + draw.uniform(15.0, 30.0), y + draw.uniform(15.0, 30.0));
        const pw::CBounds box{true, low.latitude, low.longitude, high.latitude, high.longitude};
        journey.insert("S" + std::to_string(stop + 1), plane.toDegrees(x, y), distance, pw::CCueSubset(),
                       nullptr, box);
    }
    return journey;
}

} // namespace pwbench
