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
using pw::track::Tracker;

// Positions are given in metres east and north of 50 degrees north, 8 east (metres a degree there).
constexpr double perDegreeNorth = 111195.08023353292, perDegreeEast = 71474.81983221558;
pw::CPoint at(double east, double north) { return {50 + north / perDegreeNorth, 8 + east / perDegreeEast}; }

// A stop: its id and the centre of its square fence, 20 m from each side.
struct Stop {
    const char* id;
    double east, north;
};

pw::CJourney journeyOf(const std::vector<Stop>& stops, pw::CJourney::JourneyOrder order) {
    pw::CJourney journey("J", pw::CCueSubset(), nullptr, nullptr, nullptr);
    journey.insert("ROOT", pw::CPoint{}, 0.0, pw::CCueSubset(), nullptr, pw::CBounds{});
    for (const Stop& stop : stops) {
        const pw::CPoint low = at(stop.east - 20, stop.north - 20);
        const pw::CPoint high = at(stop.east + 20, stop.north + 20);
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

// The events of a drive, as "3 arrived B, 9 completed".
std::string drive(Tracker& tracker, const pw::CJourney& journey, const std::vector<Point>& points) {
    const char* const names[] = {"arrived", "departed", "passed", "skipped", "off", "back on", "completed"};
    std::string words;
    for (const Point& point : points) {
        for (const Event& event : tracker.update(Fix{point.time, at(point.east, point.north)})) {
            words += (words.empty() ? "" : ", ") + std::to_string(int(event.time)) + " " + names[event.type] +
                     (event.node == Event::noNode ? "" : " " + journey.linkNodes[event.node].id);
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
            points.push_back({++time, fromEast + along / length * (toEast - fromEast),
                              fromNorth + along / length * (toNorth - fromNorth)});
        }
    }
    return points;
}

// A track and then another, after an outage.
std::vector<Point> operator+(std::vector<Point> first, const std::vector<Point>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(Tracker, reportsEachStopOnceInOrder) {
    const std::vector<Stop> line = {{"A", 0, 0}, {"B", 200, 0}, {"C", 400, 0}};
    // A track along a fence's edge, in and out of it every fix.
    const std::vector<Point> alongAnEdge = {{0, 0, 19},  {1, 5, 21},  {2, 10, 19}, {3, 15, 22},
                                            {4, 20, 19}, {5, 25, 23}, {6, 60, 0},  {9, 70, 0}};
    const struct {
        std::vector<Stop> stops;
        std::vector<Point> track;
        std::string events;
        pw::CJourney::JourneyOrder order = pw::CJourney::Standard;
        Tracker::Start start = Tracker::Start::FirstNode;
        pw::track::Rules rules = pw::track::Rules();
    } cases[] = {
        {line, alongAnEdge, "1 arrived A, 9 departed A"},
        // Overlapping fences, stood in the overlap: the next one first, then the other.
        {{{"A", 0, 0}, {"B", 6, 0}},
         {{0, 3, 0}, {1, 3, 0}, {2, 3, 0}, {3, 3, 0}, {4, 3, 0}, {5, 3, 0}},
         "2 arrived A, 5 departed A, 5 arrived B, 5 completed"},
        // A detour round B: skipped once C is reached.
        {line, path(0, {{-30, 0}, {100, 0}, {100, 80}, {300, 80}, {300, 0}, {450, 0}}),
         "3 arrived A, 10 departed A, 59 skipped B, 59 arrived C, 59 completed"},
        // Sparse fixes either side of a fence.
        {line,
         {{0, -15, 0}, {5, 0, 0}, {10, 60, 0}, {15, 160, 0}, {20, 260, 0}},
         "5 arrived A, 15 departed A, 20 passed B"},
        // An outage at a corner: the straight step across it passes the stop there.
        {{{"A", 0, 0}, {"B", 200, 0}, {"C", 200, 200}},
         path(0, {{-30, 0}, {130, 0}}) + path(26, {{200, 90}, {200, 250}}),
         "3 arrived A, 10 departed A, 26 passed B, 37 arrived C, 37 completed"},
        // A circular journey starts again at its first stop.
        {{{"A", 0, 0}, {"B", 200, 0}, {"C", 100, 170}},
         path(0, {{-30, 0}, {200, 0}, {100, 170}, {0, 0}, {30, 0}}),
         "3 arrived A, 10 departed A, 23 arrived B, 31 departed B, 43 arrived C, 50 departed C, 62 arrived A",
         pw::CJourney::Circular},
        // A random journey takes any order, each stop once.
        {line, path(0, {{430, 0}, {400, 0}, {400, 100}, {0, 100}, {0, 0}, {0, 100}, {200, 100}, {200, 0}}),
         "3 arrived C, 10 departed C, 63 arrived A, 70 departed A, 103 arrived B, 103 completed",
         pw::CJourney::Random},
        // An outlier 230 m ahead, beyond the next stop, is ignored.
        {line, {{0, -10, 0}, {5, 0, 0}, {10, 230, 0}, {15, 10, 0}, {20, 20, 0}}, "5 arrived A"},
        // Off the journey 20 s after going 150 m from its route, back on when near it.
        {line, path(0, {{0, 0}, {0, 400}, {0, 0}}), "2 arrived A, 7 departed A, 36 off, 65 back on"},
        // Resumed between B and C: C, the nearest stop ahead, comes next; resumed before A: A.
        {line, path(0, {{250, 0}, {400, 0}}), "15 arrived C, 15 completed", pw::CJourney::Standard,
         Tracker::Start::NearestNodeAhead},
        {line, path(0, {{-100, 0}, {450, 0}}),
         "10 arrived A, 17 departed A, 30 arrived B, 37 departed B, 50 arrived C, 50 completed",
         pw::CJourney::Standard, Tracker::Start::NearestNodeAhead},
        // A long outage: the step across it passes every stop on its way.
        {{{"A", 0, 0}, {"B", 200, 0}, {"C", 400, 0}, {"D", 600, 0}},
         path(0, {{-30, 0}, {100, 0}}) + path(60, {{500, 0}, {650, 0}}),
         "3 arrived A, 10 departed A, 60 passed B, 60 passed C, 70 arrived D, 70 completed"},
        // Rules out of range work as the defaults: the track along a fence's edge again.
        {line, alongAnEdge, "1 arrived A, 9 departed A", pw::CJourney::Standard, Tracker::Start::FirstNode,
         pw::track::Rules{0, std::nan(""), -1.0, std::nan(""), 0}},
    };
    for (const auto& test : cases) {
        pw::CJourney journey = journeyOf(test.stops, test.order);
        Tracker tracker(journey, test.rules, test.start);
        EXPECT_EQ(drive(tracker, journey, test.track), test.events);
    }
}

TEST(Tracker, movesTheCurrentNodeThroughTheJourneyAndLogsAsAHostWould) {
    pw::CJourney journey = journeyOf({{"A", 0, 0}, {"B", 200, 0}}, pw::CJourney::Standard);
    Tracker tracker(journey);
    const pwtest::LogCapture log;
    drive(tracker, journey, path(0, {{180, 0}, {200, 0}}));
    EXPECT_EQ(log.lines(), (std::vector<pwtest::LogLine>{{2, "pw::CJourney::SetCurrent: Changing to: J:B"}}));
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
