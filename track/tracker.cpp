#include "pathweave/track/tracker.h"

#include "geometry.h"

#include <algorithm>
#include <cmath>

namespace pw {
namespace track {

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();

bool usable(double value) { return std::isfinite(value) && value >= 0.0; }

Rules usableRules(Rules rules) {
    const Rules defaults;
    for (auto field :
         {&Rules::entryTime, &Rules::exitMargin, &Rules::exitTime, &Rules::maxAccuracy, &Rules::maxSpeed,
          &Rules::jumpAllowance, &Rules::offJourneyDistance, &Rules::offJourneyTime}) {
        if (!usable(rules.*field)) {
            rules.*field = defaults.*field;
        }
    }
    if (rules.entryFixes == 0) {
        rules.entryFixes = defaults.entryFixes;
    }
    if (rules.window == 0) {
        rules.window = defaults.window;
    }
    return rules;
}

bool validPosition(const CPoint& position) {
    return std::abs(position.latitude) <= 90.0 && std::abs(position.longitude) <= 180.0;
}

CPoint centre(const CBounds& box) {
    return CPoint{(box.latMin + box.latMax) / 2.0, (box.longMin + box.longMax) / 2.0};
}

} // namespace

Tracker::Tracker(CJourney& tracked, const Rules& rules, Start from)
    : journey(tracked), in(usableRules(rules)), start(from) {
    for (std::size_t node = 0; node < journey.linkNodes.size(); ++node) {
        const CBounds& box = journey.linkNodes[node].bounds;
        if (box.valid) {
            fences.push_back(Fence{node, box, grownBox(box, in.exitMargin), 0.0, 0.0, 0.0, 0.0});
        }
    }
    if (!fences.empty()) {
        const CPoint origin = centre(journey.linkNodes[fences.front().node].bounds);
        originLatitude = origin.latitude;
        originLongitude = origin.longitude;
    }
    metresPerDegreeLatitude = metresPerDegree;
    metresPerDegreeLongitude = metresPerDegree * std::cos(originLatitude * radiansPerDegree);
    for (Fence& fence : fences) {
        const CPoint middle = centre(journey.linkNodes[fence.node].bounds);
        fence.x = (middle.longitude - originLongitude) * metresPerDegreeLongitude;
        fence.y = (middle.latitude - originLatitude) * metresPerDegreeLatitude;
    }
    const bool random = journey.order == CJourney::Random;
    if (!random) {
        pointTravel();
    }
    evidence.resize(random ? fences.size() : std::min<std::size_t>(in.window, fences.size()));
    if (random) {
        reached.assign(fences.size(), 0);
    }
    // The most one fix can bring: a departure, every node of the window skipped but one, that one's
    // arrival, completion, and a change of being off the journey.
    events.reserve(evidence.size() + 4);
    departingSince = none;
    farSince = none;
    resetEvidence();
}

// The direction of travel through each fence: from the fence before it to the fence after it. A
// random journey has none.
void Tracker::pointTravel() {
    const std::size_t count = fences.size();
    const bool circular = journey.order == CJourney::Circular;
    for (std::size_t index = 0; index < count; ++index) {
        const Fence& from = fences[index > 0 || !circular ? (index > 0 ? index - 1 : 0) : count - 1];
        const Fence& to = fences[index + 1 < count || !circular ? std::min(index + 1, count - 1) : 0];
        const double length = std::hypot(to.x - from.x, to.y - from.y);
        if (length > 0.0) {
            fences[index].towardsX = (to.x - from.x) / length;
            fences[index].towardsY = (to.y - from.y) / length;
        }
    }
}

const std::vector<Event>& Tracker::update(const Fix& fix) {
    events.clear();
    if (!accept(fix)) {
        return events;
    }
    if (!started && start == Start::NearestNodeAhead) {
        findStart(fix);
    }
    const Fix previous = last;
    const bool hasPrevious = started;
    started = true;
    last = fix;

    const double x = (fix.position.longitude - originLongitude) * metresPerDegreeLongitude;
    const double y = (fix.position.latitude - originLatitude) * metresPerDegreeLatitude;
    watchRoute(fix.time, x, y);
    watchDeparture(fix);
    const bool sparse = hasPrevious && fix.time - previous.time > in.entryTime;
    // A long step can go through several stops: each it passes is reached in turn, the next one
    // looked for once the one before is reached.
    std::size_t passes = 0;
    while (scan(fix, previous, x, y, sparse) && ++passes < fences.size()) {
    }
    return events;
}

// Looks at the fences of the window for this fix; reaches at most one node. Returns whether it was
// passed by a step between two fixes, after which the fences beyond it are looked at again.
bool Tracker::scan(const Fix& fix, const Fix& previous, double x, double y, bool sparse) {
    const bool random = journey.order == CJourney::Random;
    const std::size_t candidates = candidateCount();
    for (std::size_t slot = 0; slot < candidates; ++slot) {
        const std::size_t index = candidate(slot);
        if ((!reached.empty() && reached[index]) || fences[index].node == atNode) {
            continue;
        }
        const Fence& fence = fences[index];
        Evidence& seen = evidence[slot];
        const bool beyond = !inBox(fix.position, fence.grown);
        // Most fixes are far from every fence of the window, with nothing seen of it yet.
        if (beyond && seen.insideFixes == 0 &&
            (!sparse || !spanMeetsBox(previous.position, fix.position, fence.grown))) {
            continue;
        }
        if (!beyond && inBox(fix.position, fence.box)) {
            if (seen.insideFixes++ == 0) {
                seen.firstInside = fix.time;
            }
            if (seen.insideFixes >= in.entryFixes || fix.time - seen.firstInside >= in.entryTime) {
                reach(index, false, fix.time);
                return false;
            }
            continue;
        }
        // Seen inside and now out of it ahead; or, when the fixes are too far apart for the entry
        // rule, a step from before the fence to past it through its margin (a corner cut short).
        // Without a direction of travel (a random journey), out of it means beyond the margin.
        const bool onward =
            random ? beyond : (x - fence.x) * fence.towardsX + (y - fence.y) * fence.towardsY >= 0.0;
        // A step from before the fence to past it went through it if it meets the fence's margin, or
        // if it cuts a corner of the route there: the fence's centre lies within half the step of it.
        const auto steppedThrough = [&] {
            const double previousX =
                (previous.position.longitude - originLongitude) * metresPerDegreeLongitude;
            const double previousY = (previous.position.latitude - originLatitude) * metresPerDegreeLatitude;
            if ((fence.x - previousX) * fence.towardsX + (fence.y - previousY) * fence.towardsY < 0.0) {
                return false;
            }
            const double step2 = (x - previousX) * (x - previousX) + (y - previousY) * (y - previousY);
            return segmentMeetsBox(previous.position, fix.position, fence.grown) ||
                   squaredDistanceToSegment(fence.x, fence.y, previousX, previousY, x, y) <= step2 / 4.0;
        };
        const bool crossing = onward && (seen.insideFixes > 0 || (sparse && steppedThrough()));
        if (crossing) {
            const bool byStep = seen.insideFixes == 0;
            reach(index, beyond, fix.time);
            return byStep;
        }
        if (beyond) {
            seen = Evidence{none, 0};
        }
    }
    return false;
}

double Tracker::squaredMetresBetween(const CPoint& from, const CPoint& to) const {
    const double east = (to.longitude - from.longitude) * metresPerDegreeLongitude;
    const double north = (to.latitude - from.latitude) * metresPerDegreeLatitude;
    return east * east + north * north;
}

bool Tracker::accept(const Fix& fix) {
    const CPoint& position = fix.position;
    if (!std::isfinite(fix.time) || (started && fix.time < last.time) || !validPosition(position) ||
        fix.accuracy < 0.0 || fix.speed < 0.0) {
        ++tally.invalid;
        return false;
    }
    if (fix.accuracy > in.maxAccuracy) {
        ++tally.inaccurate;
        return false;
    }
    if (fix.speed > in.maxSpeed) {
        ++tally.jumps;
        return false;
    }
    const double reach = in.maxSpeed * (fix.time - last.time) + in.jumpAllowance;
    if (started && squaredMetresBetween(last.position, position) > reach * reach) {
        ++tally.jumps;
        return false;
    }
    ++tally.used;
    return true;
}

void Tracker::findStart(const Fix& fix) {
    for (std::size_t index = 0; index < fences.size(); ++index) {
        if (inBox(fix.position, fences[index].box)) {
            expected = index;
            return;
        }
    }
    const double x = (fix.position.longitude - originLongitude) * metresPerDegreeLongitude;
    const double y = (fix.position.latitude - originLatitude) * metresPerDegreeLatitude;
    const bool circular = journey.order == CJourney::Circular;
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t index = circular ? 0 : 1; index < fences.size(); ++index) {
        const Fence& from = fences[(index + fences.size() - 1) % fences.size()];
        const Fence& to = fences[index];
        const double distance = squaredDistanceToSegment(x, y, from.x, from.y, to.x, to.y);
        if (distance < nearest) {
            nearest = distance;
            // A fix before the leg's first fence has that fence still ahead.
            const bool before = (x - from.x) * (to.x - from.x) + (y - from.y) * (to.y - from.y) <= 0.0;
            expected = before && !(circular && index == 0) ? index - 1 : index;
        }
    }
}

std::size_t Tracker::candidateCount() const {
    switch (journey.order) {
    case CJourney::Random:
        return done ? 0 : fences.size();
    case CJourney::Circular:
        // Never the node reached last: the vehicle comes back to it only after a lap.
        return std::min(evidence.size(), std::max<std::size_t>(fences.size(), 2) - 1);
    default:
        return done ? 0 : std::min(evidence.size(), fences.size() - expected);
    }
}

std::size_t Tracker::candidate(std::size_t slot) const {
    return journey.order == CJourney::Random ? slot : (expected + slot) % fences.size();
}

void Tracker::watchDeparture(const Fix& fix) {
    if (atNode == Event::noNode) {
        return;
    }
    if (inBox(fix.position, fences[atFence].grown)) {
        departingSince = none;
        return;
    }
    if (std::isnan(departingSince)) {
        departingSince = fix.time;
    }
    if (fix.time - departingSince >= in.exitTime) {
        events.push_back(Event{Event::Departed, fix.time, atNode});
        atNode = Event::noNode;
    }
}

void Tracker::watchRoute(double time, double x, double y) {
    if (journey.order == CJourney::Random || done || fences.empty()) {
        return;
    }
    if (nearRoute(x, y, in.offJourneyDistance)) {
        farSince = none;
        if (off) {
            off = false;
            events.push_back(Event{Event::BackOnJourney, time, Event::noNode});
        }
        return;
    }
    if (std::isnan(farSince)) {
        farSince = time;
    }
    if (!off && time - farSince >= in.offJourneyTime) {
        off = true;
        events.push_back(Event{Event::OffJourney, time, Event::noNode});
    }
}

// Whether (x, y) is within `metres` of the route near the vehicle: the straight legs between the
// centres of the fence before the expected one and of each fence of the window, nearest first.
bool Tracker::nearRoute(double x, double y, double metres) const {
    const std::size_t count = fences.size();
    const bool circular = journey.order == CJourney::Circular;
    const double limit = metres * metres;
    std::size_t from = circular ? (expected + count - 1) % count : (expected == 0 ? 0 : expected - 1);
    // Most fixes are near the fence reached last: one distance, without a division.
    const double east = x - fences[from].x;
    const double north = y - fences[from].y;
    if (east * east + north * north <= limit) {
        return true;
    }
    for (std::size_t leg = 0; leg < evidence.size(); ++leg) {
        const std::size_t to = (expected + leg) % count;
        if (!circular && to < expected) {
            break;
        }
        if (squaredDistanceToSegment(x, y, fences[from].x, fences[from].y, fences[to].x, fences[to].y) <=
            limit) {
            return true;
        }
        from = to;
    }
    return false;
}

void Tracker::reach(std::size_t index, bool passed, double time) {
    const std::size_t node = fences[index].node;
    if (atNode != Event::noNode) {
        events.push_back(Event{Event::Departed, time, atNode});
    }
    if (reached.empty()) {
        for (std::size_t skipped = expected; skipped != index; skipped = (skipped + 1) % fences.size()) {
            events.push_back(Event{Event::Skipped, time, fences[skipped].node});
        }
    } else {
        reached[index] = 1;
    }
    events.push_back(Event{passed ? Event::Passed : Event::Arrived, time, node});
    journey.SetCurrent(journey.linkNodes[node].id);
    atNode = passed ? Event::noNode : node;
    atFence = index;
    departingSince = none;
    expected = (index + 1) % fences.size();
    if (journey.order == CJourney::Random) {
        done = std::find(reached.begin(), reached.end(), 0) == reached.end();
    } else if (journey.order != CJourney::Circular) {
        done = index + 1 == fences.size();
    }
    if (done) {
        events.push_back(Event{Event::Completed, time, Event::noNode});
    }
    resetEvidence();
}

void Tracker::resetEvidence() { std::fill(evidence.begin(), evidence.end(), Evidence{none, 0}); }

} // namespace track
} // namespace pw
