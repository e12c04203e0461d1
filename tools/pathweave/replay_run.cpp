#include "replay.h"

#include <algorithm>
#include <iostream>

namespace pwtool {

Visits::Visits(const pw::CJourney& journey)
    : nodes(&journey.linkNodes), order(journey.order), seen(nodes->size(), false),
      inLap(nodes->size(), false), skipped(nodes->size(), false) {}

bool Visits::reach(std::size_t node) {
    if (last < nodes->size() && node < last) {
        if (order == pw::CJourney::Circular) {
            std::fill(inLap.begin(), inLap.end(), false);
        } else if (order == pw::CJourney::Standard) {
            ordered = false;
        }
    }
    const bool again = inLap[node];
    repeated += again ? 1 : 0;
    inLap[node] = true;
    seen[node] = true;
    last = node;
    return again;
}

void Visits::skip(std::size_t node) { skipped[node] = true; }

std::vector<std::string> Visits::missed() const {
    std::vector<std::string> ids;
    for (std::size_t node = 0; node < nodes->size(); ++node) {
        if ((*nodes)[node].bounds.valid && (skipped[node] || !seen[node])) {
            ids.push_back((*nodes)[node].id);
        }
    }
    return ids;
}

std::size_t Visits::stops() const {
    return std::size_t(std::count_if(nodes->begin(), nodes->end(),
                                     [](const pw::CLinkNode& node) { return node.bounds.valid; }));
}

std::size_t Visits::visited() const { return std::size_t(std::count(seen.begin(), seen.end(), true)); }

std::optional<bool> Visits::inOrder() const {
    return order == pw::CJourney::Random ? std::nullopt : std::optional<bool>(ordered);
}

std::string visitsSummary(const pw::CJourney& journey, const Visits& visits) {
    std::string text =
        "Visited " + std::to_string(visits.visited()) + " of " + std::to_string(visits.stops()) + " stops";
    const std::vector<std::string> missed = visits.missed();
    for (std::size_t i = 0; i < missed.size(); ++i) {
        text += (i == 0 ? ", missed " : ", ") + missed[i];
    }
    if (visits.repeatedEntries() > 0) {
        text += ", " + std::to_string(visits.repeatedEntries()) +
                (visits.repeatedEntries() == 1 ? " entry" : " entries") + " repeated";
    }
    const std::optional<bool> inOrder = visits.inOrder();
    if (inOrder && visits.visited() > 1) {
        text += *inOrder ? ", in journey order" : ", not in journey order";
    }
    const bool hasCurrent = journey.current != journey.linkNodes.end();
    return text + "; " + (hasCurrent ? journey.current->id + " is current" : "no link node is current") + ".";
}

namespace {

// A geo-fenced link node that the replay tests every fix against.
struct Fence {
    pw::CJourney* journey;
    std::size_t index;
    bool onJourney;
    bool inside = false;
};

// The link nodes of `journey` with a usable box. The first node, the journey's ROOT, is no place;
// a box that is not valid would contain every position.
void addFences(pw::CJourney& journey, bool onJourney, std::vector<Fence>& fences) {
    for (std::size_t index = 1; index < journey.linkNodes.size(); ++index) {
        if (journey.linkNodes[index].bounds.valid) {
            fences.push_back(Fence{&journey, index, onJourney});
        }
    }
}

// One replay: the journey, the fences tested fix by fix, and what they saw.
class Replay {
public:
    Replay(Network& network, pw::CJourney& tracked, ReplayListener& listener)
        : journey(tracked), visits(tracked), tell(listener) {
        const auto points = network.journeys.GetNonJourneyPoints();
        if (points != network.journeys.journeys.end()) {
            addFences(*points, false, fences);
        }
    }

    // Every fix against every fence, moving the current node on entering one of the journey's.
    void naive(const std::vector<TrackFix>& fixes) {
        std::vector<Fence> points = std::move(fences);
        fences.clear();
        addFences(journey, true, fences);
        fences.insert(fences.end(), points.begin(), points.end());
        for (const TrackFix& item : fixes) {
            watchFences(item.fix);
        }
    }

    // The journey tracker; the non-journey points fix by fix.
    void tracked(const std::vector<TrackFix>& fixes, std::vector<LeftOut>& leftOut) {
        pw::track::Tracker tracker(journey);
        for (const TrackFix& item : fixes) {
            const pw::track::FixCounts before = tracker.counts();
            for (const pw::track::Event& event : tracker.update(item.fix)) {
                show(item.fix, event);
            }
            const pw::track::FixCounts& after = tracker.counts();
            if (after.used == before.used) {
                leftOut.push_back(LeftOut{
                    item.line, after.jumps != before.jumps ? "a jump the vehicle cannot make"
                               : after.inaccurate != before.inaccurate
                                   ? "accuracy " + formatNumber(item.fix.accuracy) + " m is worse than " +
                                         formatNumber(tracker.rules().maxAccuracy) + " m"
                                   : "a negative accuracy or speed"});
            }
            watchFences(item.fix);
        }
    }

    pw::CJourney& journey;
    Visits visits;

private:
    // Events carry the time of the fix that confirmed them, which is this fix.
    void show(const pw::track::Fix& fix, const pw::track::Event& event) {
        static const char* const names[] = {"arrived",     "departed",        "passed",   "skipped",
                                            "off journey", "back on journey", "completed"};
        const char* name = names[event.type];
        const pw::CLinkNode* node =
            event.node == pw::track::Event::noNode ? nullptr : &journey.linkNodes[event.node];
        if (event.type == pw::track::Event::Arrived || event.type == pw::track::Event::Passed) {
            const bool repeated = visits.reach(event.node);
            tell.reached(fix, name, journey, *node, true, repeated);
            return;
        }
        if (event.type == pw::track::Event::Skipped) {
            visits.skip(event.node);
        }
        tell.other(fix, name, journey, node, true);
    }

    // Leaving comes before entering, so that a fix that moves from one fence to the next says so
    // in that order.
    void watchFences(const pw::track::Fix& fix) {
        for (Fence& fence : fences) {
            const pw::CLinkNode& node = fence.journey->linkNodes[fence.index];
            if (fence.inside && !node.WithinBounds(fix.position)) {
                fence.inside = false;
                tell.other(fix, "leave", *fence.journey, &node, fence.onJourney);
            }
        }
        for (Fence& fence : fences) {
            const pw::CLinkNode& node = fence.journey->linkNodes[fence.index];
            if (fence.inside || !node.WithinBounds(fix.position)) {
                continue;
            }
            fence.inside = true;
            const bool repeated = fence.onJourney && visits.reach(fence.index);
            tell.reached(fix, "enter", *fence.journey, node, fence.onJourney, repeated);
            if (fence.onJourney) {
                const auto current = journey.SetCurrent(node.id);
                if (current != journey.linkNodes.end()) {
                    tell.other(fix, "current", journey, &*current, true);
                }
            }
        }
    }

    ReplayListener& tell;
    std::vector<Fence> fences;
};

} // namespace

pw::CJourney& startJourney(Network& network, const std::string& journeyId) {
    auto& journeys = network.journeys;
    if (journeys.find(journeyId) == journeys.journeys.end()) {
        throw ToolError(Failed, "no journey '" + journeyId + "' in the network");
    }
    // The journey may be current already, which SetCurrent answers with none.
    journeys.SetCurrent(journeyId);
    journeys.SetActiveFromCurrent();
    return *journeys.current;
}

Visits replayFixes(Network& network, pw::CJourney& journey, Track& track, bool naive,
                   ReplayListener& listener) {
    Replay replay(network, journey, listener);
    if (naive) {
        replay.naive(track.fixes);
    } else {
        replay.tracked(track.fixes, track.leftOut);
    }
    return replay.visits;
}

void reportLeftOut(std::vector<LeftOut> leftOut, const std::string& name) {
    std::stable_sort(leftOut.begin(), leftOut.end(),
                     [](const LeftOut& a, const LeftOut& b) { return a.line < b.line; });
    for (const LeftOut& line : leftOut) {
        std::cerr << "pathweave: " << trackLabel(name) << " line " << line.line << ": " << line.why
                  << "; the fix is left out\n";
    }
}

} // namespace pwtool
