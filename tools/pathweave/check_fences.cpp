#include "check_fences.h"

#include "tool.h"

#include <algorithm>
#include <cmath>

namespace pwtool::check {

namespace {

// Metres per degree along a meridian, on a sphere of the Earth's mean radius (6,371,008.8 m).
constexpr double metresPerDegree = 111194.93;

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
    const double cosine = std::cos((south + north) / 2.0 * M_PI / 180.0);
    return formatFixed((north - south) * metresPerDegree, 1) + " m x " +
           formatFixed((east - west) * metresPerDegree * cosine, 1) + " m";
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
    for (std::size_t i = 1; i < fences.size(); ++i) {
        if (fences[i].position == fences[i - 1].position + 1) {
            const std::string extent = overlap(fences[i - 1].node->bounds, fences[i].node->bounds);
            if (!extent.empty()) {
                findings.add("overlapping-fences", pairText(label, fences[i - 1], fences[i], extent),
                             pairSubject(journey, fences[i - 1], fences[i]));
            }
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
        latSpread = north->node->bounds.latMin - south->node->bounds.latMin;
        longSpread = (east->node->bounds.longMin - west->node->bounds.longMin) *
                     std::cos(south->node->bounds.latMin * M_PI / 180.0);
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
            if (second.position == first.position + 1) {
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
