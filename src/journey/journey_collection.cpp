#include "diag/log.h"
#include "journey/journey_append.h"
#include "pathweave/journey.h"

#include <algorithm>
#include <type_traits>
#include <utility>

namespace pw {

// Growing the collection must move journeys, never copy them: a move keeps the strong guarantee of
// `insert` and cannot fail halfway through the list.
static_assert(std::is_nothrow_move_constructible_v<CJourney>);

namespace {

// Gives `to` every field of `from`, moving them when `from` is an rvalue and copying them otherwise.
// The positions are taken as indices first: once the journeys have moved, `from` has nothing left to
// measure them against.
template <typename Source> void take(CJourneyCollection& to, Source&& from) {
    const detail::PositionIndices<CJourneyCollection, CJourney> positions(from, from.journeys);
    to.journeys = std::forward<Source>(from).journeys;
    to.nonJourneyPointsCount = from.nonJourneyPointsCount;
    positions.applyTo(to, to.journeys);
    if constexpr (!std::is_lvalue_reference_v<Source>) {
        // Its positions would otherwise name journeys that `to` owns now.
        from.clear();
    }
}

} // namespace

CJourneyCollection::CJourneyCollection()
    : current(journeys.end()), active(journeys.end()), selected(journeys.end()), nonJourneyPointsCount(0) {}

CJourneyCollection::CJourneyCollection(const CJourneyCollection& other) { take(*this, other); }

CJourneyCollection::CJourneyCollection(CJourneyCollection&& other) noexcept { take(*this, std::move(other)); }

CJourneyCollection& CJourneyCollection::operator=(const CJourneyCollection& other) {
    // Copying aside first leaves this collection untouched if the copy fails.
    return *this = CJourneyCollection(other);
}

CJourneyCollection& CJourneyCollection::operator=(CJourneyCollection&& other) noexcept {
    if (this != &other) {
        take(*this, std::move(other));
    }
    return *this;
}

CJourneyCollection::Journeys::iterator CJourneyCollection::find(const std::string& journeyId) {
    // The non-journey points are never found by id.
    const auto first = journeys.begin() + static_cast<std::ptrdiff_t>(nonJourneyPointsCount);
    return std::find_if(first, journeys.end(),
                        [&journeyId](const CJourney& journey) { return journey.id == journeyId; });
}

CJourneyCollection::Journeys::iterator CJourneyCollection::SetCurrent(const std::string& journeyId) {
    if (current != journeys.end() && current->id == journeyId) {
        // The host may have moved the journey's current link node; changing to it again would undo that.
        diag::writeLine(8, "pw::CJourneyCollection::SetCurrent: Already on journey with ID: ", journeyId);
        return journeys.end();
    }
    current = find(journeyId);
    selected = current;
    if (current == journeys.end()) {
        diag::writeLine(8, "pw::CJourneyCollection::SetCurrent: journey ID not found: ", journeyId);
        return current;
    }
    diag::writeLine(2, "pw::CJourneyCollection::SetCurrent: Changing to journey ID: ", journeyId,
                    " name:", current->id);
    current->current = current->linkNodes.begin();
    current->selected = current->linkNodes.begin();
    return current;
}

CJourneyCollection::Journeys::iterator CJourneyCollection::GetNonJourneyPoints() {
    return nonJourneyPointsCount != 0 ? journeys.begin() : journeys.end();
}

CJourneyCollection::Journeys::const_iterator CJourneyCollection::GetNonJourneyPoints() const {
    return nonJourneyPointsCount != 0 ? journeys.begin() : journeys.end();
}

void CJourneyCollection::SetActiveFromCurrent() {
    active = current;
    selected = current;
    if (current != journeys.end()) {
        current->active = current->current;
    }
}

void CJourneyCollection::SetActiveFromNonJourneyPoints() {
    active = GetNonJourneyPoints();
    selected = active;
    if (active != journeys.end()) {
        active->active = active->current;
    }
}

void CJourneyCollection::clear() {
    journeys.clear();
    current = journeys.end();
    active = journeys.end();
    selected = journeys.end();
    nonJourneyPointsCount = 0;
}

void CJourneyCollection::insert(const std::string& journeyId, const CCueSubset& journeyCues,
                                const CCue* journeyEntryCue, const CCue* journeyExitCue,
                                const CCue* journeyLinkTransitionCue) {
    detail::appendJourney(*this, journeyId, journeyCues, journeyEntryCue, journeyExitCue,
                          journeyLinkTransitionCue);
    for (CJourney& journey : journeys) {
        journey.current = journey.linkNodes.begin();
        journey.selected = journey.linkNodes.begin();
    }
}

namespace detail {

void appendJourney(CJourneyCollection& collection, const std::string& journeyId,
                   const CCueSubset& journeyCues, const CCue* journeyEntryCue, const CCue* journeyExitCue,
                   const CCue* journeyLinkTransitionCue) {
    // Positions are touched only once the journey is in, so a failed append changes nothing. The
    // journeys may have moved to new storage; their own positions came along (see CJourney's move).
    CJourneyCollection::Journeys& journeys = collection.journeys;
    journeys.emplace_back(journeyId, journeyCues, journeyEntryCue, journeyExitCue, journeyLinkTransitionCue);
    collection.current = journeys.end();
    collection.active = journeys.end();
    collection.selected = journeys.end();
    CJourney& appended = journeys.back();
    appended.current = appended.linkNodes.begin();
    appended.selected = appended.linkNodes.begin();
}

} // namespace detail

void CJourneyCollection::SetNonJourneyPoints(const std::string& nonJourneyPointsId) {
    if (!journeys.empty()) {
        diag::writeLine(8, "pw::CJourneyCollection::SetNonJourneyPoints: preconditions");
        return;
    }
    insert(nonJourneyPointsId, CCueSubset(), nullptr, nullptr, nullptr);
    nonJourneyPointsCount = 1;
}

} // namespace pw
