#include "check_fences.h"

#include "tool.h"

#include <algorithm>
#include <cmath>

namespace pwtool::check {

namespace {

struct Fence {
    std::size_t position; // in travelling order, from 1
    const pw::CLinkNode* node;
};

// The overlap of two boxes as "H m x W m" (north-south by east-west), or empty when they do not
// share a point. Edges count: a position on a shared edge lies in both fences.
std::string overlap(const pw::CBounds& a, const pw::CBounds& b) {
    const double south = std::max(a.latMin, b.latMin);
    const double north = std::min(a.latMax, b.latMax);
    const double west = std::max(a.longMin, b.longMin);
    const double east = std::min(a.longMax, b.longMax);
    if (south > north || west > east) {
        return "";
    }
    const Extent extent = extentInMetres(south, north, west, east);
    return formatFixed(extent.northSouth, 1) + " m x " + formatFixed(extent.eastWest, 1) + " m";
}

std::string pairText(const std::string& journey, const Fence& a, const Fence& b, const std::string& extent) {
    return journey + ": link nodes " + std::to_string(a.position) + " " + shown(a.node->id) + " and " +
           std::to_string(b.position) + " " + shown(b.node->id) + " overlap over " + extent;
}

Subject pairSubject(const pw::CJourney& journey, const Fence& a, const Fence& b) {
    return {journey.id, {a.node->id, b.node->id}};
}

void checkJourney(const pw::CJourney& journey, Findings& findings) {
    std::vector<Fence> fences;
    // The first link node of a loaded journey is its ROOT, which is no place.
    for (std::size_t i = 1; i < journey.linkNodes.size(); ++i) {
        if (isDrawable(journey.linkNodes[i].bounds)) {
            fences.push_back({i, &journey.linkNodes[i]});
        }
    }
    const std::string label = "journey " + shown(journey.id);
    // Consecutive in travelling order; a circular journey goes on from its last node to its first,
    // and the order of a random one means nothing.
    const std::size_t last = journey.linkNodes.size() - 1;
    const auto consecutive = [&journey, last](const Fence& first, const Fence& second) {
        return journey.order != pw::CJourney::Random &&
               (second.position == first.position + 1 ||
                (journey.order == pw::CJourney::Circular && first.position == 1 && second.position == last &&
                 last > 2));
    };
    for (std::size_t i = 0; i < fences.size(); ++i) {
        const Fence& first = i + 1 < fences.size() ? fences[i] : fences.front();
        const Fence& second = i + 1 < fences.size() ? fences[i + 1] : fences[i];
        const std::string extent =
            consecutive(first, second) ? overlap(first.node->bounds, second.node->bounds) : "";
        if (!extent.empty()) {
            findings.add("overlapping-fences", pairText(label, first, second, extent),
                         pairSubject(journey, first, second));
        }
    }
    // Sweep along the axis on which the journey spreads more, so that a route compares each fence
    // with its neighbours along the way and not with every other fence.
    double latSpread = 0.0;
    double longSpread = 0.0;
    if (!fences.empty()) {
        const auto [south, north] =
            std::minmax_element(fences.begin(), fences.end(), [](const Fence& a, const Fence& b) {
                return a.node->bounds.latMin < b.node->bounds.latMin;
            });
        const auto [west, east] =
            std::minmax_element(fences.begin(), fences.end(), [](const Fence& a, const Fence& b) {
                return a.node->bounds.longMin < b.node->bounds.longMin;
            });
        const Extent spread = extentInMetres(south->node->bounds.latMin, north->node->bounds.latMin,
                                             west->node->bounds.longMin, east->node->bounds.longMin);
        latSpread = spread.northSouth;
        longSpread = spread.eastWest;
    }
    const bool byLatitude = latSpread >= longSpread;
    const auto low = [byLatitude](const Fence& f) {
        return byLatitude ? f.node->bounds.latMin : f.node->bounds.longMin;
    };
    const auto high = [byLatitude](const Fence& f) {
        return byLatitude ? f.node->bounds.latMax : f.node->bounds.longMax;
    };
    std::sort(fences.begin(), fences.end(),
              [&low](const Fence& a, const Fence& b) { return low(a) < low(b); });
    for (std::size_t i = 0; i < fences.size(); ++i) {
        for (std::size_t j = i + 1; j < fences.size() && low(fences[j]) <= high(fences[i]); ++j) {
            const Fence& first = fences[i].position < fences[j].position ? fences[i] : fences[j];
            const Fence& second = fences[i].position < fences[j].position ? fences[j] : fences[i];
            if (consecutive(first, second)) {
                continue;
            }
            const std::string extent = overlap(first.node->bounds, second.node->bounds);
            if (!extent.empty()) {
                findings.add("overlapping-nonconsecutive-fences", pairText(label, first, second, extent),
                             pairSubject(journey, first, second));
            }
        }
    }
}

} // namespace

void checkFences(pw::CJourneyCollection& journeys, Findings& findings) {
    for (auto journey = firstOrdinaryJourney(journeys); journey != journeys.journeys.end(); ++journey) {
        checkJourney(*journey, findings);
    }
}

} // namespace pwtool::check
