#include "gps_simulator.h"
#include "support/counting_allocator.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>
#include <pathweave/track/tracker.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using pw::track::Event;
using pw::track::Fix;
using pw::track::Rules;
using pw::track::Tracker;

// Positions are given in metres east and north of a point at 50 degrees north.
constexpr double metresPerDegree = 6371008.8 * 3.14159265358979323846 / 180.0;
const double metresPerDegreeEast = metresPerDegree * std::cos(50.0 * 3.14159265358979323846 / 180.0);

pw::CPoint at(double east, double north) {
    return pw::CPoint{50.0 + north / metresPerDegree, 8.0 + east / metresPerDegreeEast};
}

// A stop: its id and the centre of its square fence, `half` metres from each side.
struct Stop {
    const char* id;
    double east, north, half = 20.0;
};

pw::CJourney journeyOf(const std::vector<Stop>& stops, pw::CJourney::JourneyOrder order) {
    pw::CJourney journey("J", pw::CCueSubset(), nullptr, nullptr, nullptr);
    journey.insert("ROOT", pw::CPoint{}, 0.0, pw::CCueSubset(), nullptr, pw::CBounds{});
    for (const Stop& stop : stops) {
        const pw::CPoint low = at(stop.east - stop.half, stop.north - stop.half);
        const pw::CPoint high = at(stop.east + stop.half, stop.north + stop.half);
        journey.insert(stop.id, at(stop.east, stop.north), 0.0, pw::CCueSubset(), nullptr,
                       pw::CBounds{true, low.latitude, low.longitude, high.latitude, high.longitude});
    }
    journey.order = order;
    return journey;
}

// A fix at `time` seconds, `east` and `north` metres from the origin.
struct Point {
    double time, east, north;
};

// The events of a drive, one word each: "3 arrived B", "9 completed".
std::vector<std::string> drive(Tracker& tracker, const pw::CJourney& journey,
                               const std::vector<Point>& points) {
    static const char* const names[] = {"arrived", "departed", "passed",   "skipped",
                                        "off",     "back on",  "completed"};
    std::vector<std::string> words;
    for (const Point& point : points) {
        Fix fix;
        fix.time = point.time;
        fix.position = at(point.east, point.north);
        for (const Event& event : tracker.update(fix)) {
            words.push_back(std::to_string(int(event.time)) + " " + names[event.type] +
                            (event.node == Event::noNode ? "" : " " + journey.linkNodes[event.node].id));
        }
    }
    return words;
}

// A fix every second along straight lines through `corners` at 10 m/s, from `time` on.
std::vector<Point> path(double time, const std::vector<std::pair<double, double>>& corners) {
    std::vector<Point> points{{time, corners.front().first, corners.front().second}};
    for (std::size_t leg = 1; leg < corners.size(); ++leg) {
        const auto [fromEast, fromNorth] = corners[leg - 1];
        const auto [toEast, toNorth] = corners[leg];
        const double length = std::hypot(toEast - fromEast, toNorth - fromNorth);
        for (double along = 10.0; along <= length; along += 10.0) {
            const double share = along / length;
            points.push_back(
                {++time, fromEast + share * (toEast - fromEast), fromNorth + share * (toNorth - fromNorth)});
        }
    }
    return points;
}

struct Case {
    const char* what;
    std::vector<Stop> stops;
    pw::CJourney::JourneyOrder order;
    std::vector<Point> track;
    std::vector<std::string> events;
};

TEST(Tracker, reportsEachStopOnceInOrder) {
    const std::vector<Stop> line = {{"A", 0, 0}, {"B", 200, 0}, {"C", 400, 0}};
    const std::vector<Stop> triangle = {{"A", 0, 0}, {"B", 200, 0}, {"C", 100, 170}};
    const Case cases[] = {
        {"a drive through every fence at 10 m/s",
         line,
         pw::CJourney::Standard,
         path(0, {{-50, 0}, {450, 0}}),
         {"5 arrived A", "12 departed A", "25 arrived B", "32 departed B", "45 arrived C", "45 completed"}},
        {"a track along a fence's edge, in and out of it every fix",
         line,
         pw::CJourney::Standard,
         {{0, 0, 19}, {1, 5, 21}, {2, 10, 19}, {3, 15, 22}, {4, 20, 19}, {5, 25, 23}, {6, 60, 0}, {9, 70, 0}},
         {"1 arrived A", "9 departed A"}},
        {"overlapping fences, stood in the overlap: the next one first, then the other",
         {{"A", 0, 0}, {"B", 6, 0}},
         pw::CJourney::Standard,
         {{0, 3, 0}, {1, 3, 0}, {2, 3, 0}, {3, 3, 0}, {4, 3, 0}, {5, 3, 0}},
         {"2 arrived A", "5 departed A", "5 arrived B", "5 completed"}},
        {"a detour round B: skipped once C is reached",
         line,
         pw::CJourney::Standard,
         path(0, {{-30, 0}, {100, 0}, {100, 80}, {300, 80}, {300, 0}, {450, 0}}),
         {"3 arrived A", "10 departed A", "59 skipped B", "59 arrived C", "59 completed"}},
        {"sparse fixes either side of a fence",
         line,
         pw::CJourney::Standard,
         {{0, -15, 0}, {5, 0, 0}, {10, 60, 0}, {15, 160, 0}, {20, 260, 0}},
         {"5 arrived A", "15 departed A", "20 passed B"}},
        {"an outage at a corner: the straight step across it passes the stop there",
         {{"A", 0, 0}, {"B", 200, 0}, {"C", 200, 200}},
         pw::CJourney::Standard,
         [] {
             std::vector<Point> points = path(0, {{-30, 0}, {130, 0}});
             const std::vector<Point> after = path(26, {{200, 90}, {200, 250}});
             points.insert(points.end(), after.begin(), after.end());
             return points;
         }(),
         {"3 arrived A", "10 departed A", "26 passed B", "37 arrived C", "37 completed"}},
        {"a circular journey starts again at its first stop",
         triangle,
         pw::CJourney::Circular,
         path(0, {{-30, 0}, {200, 0}, {100, 170}, {0, 0}, {30, 0}}),
         {"3 arrived A", "10 departed A", "23 arrived B", "31 departed B", "43 arrived C", "50 departed C",
          "62 arrived A"}},
        {"a random journey takes any order, each stop once",
         line,
         pw::CJourney::Random,
         path(0, {{430, 0}, {400, 0}, {400, 100}, {0, 100}, {0, 0}, {0, 100}, {200, 100}, {200, 0}}),
         {"3 arrived C", "10 departed C", "63 arrived A", "70 departed A", "103 arrived B", "103 completed"}},
        {"an outlier 230 m ahead, beyond the next stop, is ignored",
         line,
         pw::CJourney::Standard,
         {{0, -10, 0}, {5, 0, 0}, {10, 230, 0}, {15, 10, 0}, {20, 20, 0}},
         {"5 arrived A"}},
        {"off the journey 20 s after going 150 m from its route, back on when near it",
         line,
         pw::CJourney::Standard,
         path(0, {{0, 0}, {0, 400}, {0, 0}}),
         {"2 arrived A", "7 departed A", "36 off", "65 back on"}},
    };
    for (const Case& test : cases) {
        pw::CJourney journey = journeyOf(test.stops, test.order);
        Tracker tracker(journey);
        EXPECT_EQ(drive(tracker, journey, test.track), test.events) << test.what;
    }
}

TEST(Tracker, movesTheCurrentNodeThroughTheJourneyAndLogsAsAHostWould) {
    pw::CJourney journey = journeyOf({{"A", 0, 0}, {"B", 200, 0}}, pw::CJourney::Standard);
    Tracker tracker(journey);
    const pwtest::LogCapture log;
    drive(tracker, journey, path(0, {{180, 0}, {200, 0}}));
    EXPECT_EQ(journey.current - journey.linkNodes.begin(), 2);
    EXPECT_EQ(log.lines(), (std::vector<pwtest::LogLine>{{2, "pw::CJourney::SetCurrent: Changing to: J:B"}}));
}

TEST(Tracker, resumesAtTheNearestStopAhead) {
    pw::CJourney journey = journeyOf({{"A", 0, 0}, {"B", 200, 0}, {"C", 400, 0}}, pw::CJourney::Standard);
    Tracker tracker(journey, Rules(), Tracker::Start::NearestNodeAhead);
    EXPECT_EQ(drive(tracker, journey, path(0, {{250, 0}, {400, 0}})),
              (std::vector<std::string>{"15 arrived C", "15 completed"}));
}

TEST(Tracker, ignoresAndCountsFixesItCannotUse) {
    pw::CJourney journey = journeyOf({{"A", 0, 0}}, pw::CJourney::Standard);
    Tracker tracker(journey);
    const double nan = std::nan("");
    const Fix fixes[] = {
        {10.0, at(0, 0), 5.0, nan},    {nan, at(0, 0), nan, nan},   {11.0, {nan, 8.0}, nan, nan},
        {12.0, {91.5, 8.0}, nan, nan}, {9.0, at(0, 0), nan, nan},   {13.0, at(0, 0), -1.0, nan},
        {14.0, at(0, 0), 80.0, nan},   {15.0, at(0, 0), nan, 45.0}, {16.0, at(2000, 0), nan, nan},
    };
    for (const Fix& fix : fixes) {
        EXPECT_TRUE(tracker.update(fix).empty());
    }
    EXPECT_EQ(tracker.counts().used, 1U);
    EXPECT_EQ(tracker.counts().invalid, 5U);
    EXPECT_EQ(tracker.counts().inaccurate, 1U);
    EXPECT_EQ(tracker.counts().jumps, 2U);
}

TEST(Tracker, allocatesNothingPerFixOnANoisyDrive) {
    pw::CJourney journey = pwbench::denseStreetJourney(40, 7);
    pwbench::Reception reception;
    reception.outlierShare = 0.02;
    const pwbench::SimulatedDrive simulated =
        pwbench::simulate(pwbench::routeAlongJourney(journey), journey, pwbench::Driving(), reception, 3);
    Tracker tracker(journey);
    std::size_t arrivals = 0;
    const std::size_t before = pwtest::allocations();
    for (const Fix& fix : simulated.fixes) {
        for (const Event& event : tracker.update(fix)) {
            arrivals += event.type == Event::Arrived || event.type == Event::Passed ? 1 : 0;
        }
    }
    EXPECT_EQ(pwtest::allocations() - before, 0U);
    EXPECT_EQ(arrivals, 40U);
}

} // namespace
