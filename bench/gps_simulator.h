#pragma once

// A GPS track simulator: drives a vehicle along a polyline with stops, at realistic speeds with
// dwell at the stops, and gives the fixes a receiver would report (Gaussian jitter, a sampling
// interval, dropouts, multipath outliers, an accuracy column) together with the ground truth of
// the vehicle's visits to each stop's fence. It chooses the tracker's defaults and feeds the
// tracker's tests and benchmark.

#include <pathweave/journey.h>
#include <pathweave/track/tracker.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pwbench {

/// A road to drive: a polyline in decimal degrees and the stops on it.
struct Route {
    struct Stop {
        /// The stop's link node, an index in the journey's `linkNodes`.
        std::size_t node;
        /// Metres along the polyline from its first point.
        double along;
    };
    std::vector<pw::CPoint> points;
    /// In the order driven, `along` never decreasing.
    std::vector<Stop> stops;
};

/// The road along the centres of the fenced link nodes of `journey`, each a stop, driven `laps`
/// times (a circular journey's laps join its last node to its first).
Route routeAlongJourney(const pw::CJourney& journey, unsigned laps = 1);

/// How the vehicle drives.
struct Driving {
    double cruiseSpeed = 12.0; ///< m/s between stops, varied by +-30% per leg
    double acceleration = 1.2; ///< m/s^2, speeding up and braking
    double dwellMin = 5.0;     ///< s at a stop where it stops
    double dwellMax = 40.0;    ///< s
    double passShare = 0.15;   ///< share of the stops that it passes without stopping
};

/// What the receiver does to the truth.
struct Reception {
    double jitter = 10.0;         ///< metres, standard deviation of the error on each axis
    double interval = 1.0;        ///< seconds between fixes
    double outlierShare = 0.0;    ///< share of the fixes thrown 100 to 300 m off in any direction
    double dropoutsPerHour = 0.0; ///< outages in tunnels and street canyons
    double dropoutLength = 30.0;  ///< seconds of each outage
};

/// A stop's fence as the vehicle really visited it: from entering to leaving it, and the latest
/// time at which a report of the visit still counts (the first fix after leaving, plus one
/// interval: a stop passed during a dropout can be known no earlier).
struct Visit {
    std::size_t node;
    double enter;
    double leave;
    double reportBy;
};

/// Fixes and the truth of one drive.
struct SimulatedDrive {
    std::vector<pw::track::Fix> fixes;
    std::vector<Visit> visits;
};

/// Drives `route` once; the same arguments give the same drive on every platform. The fences of the
/// truth are those of `journey`'s link nodes.
SimulatedDrive simulate(const Route& route, const pw::CJourney& journey, const Driving& driving,
                        const Reception& reception, std::uint64_t seed);

/// A journey of `stops` stops along a winding street, spaced 50 to 400 m apart (a fifth of them
/// 50 to 80 m, so that some fences overlap), each with a fence 30 to 60 m across; a ROOT node
/// without a box first, as the reader makes.
pw::CJourney denseStreetJourney(unsigned stops, std::uint64_t seed);

} // namespace pwbench
