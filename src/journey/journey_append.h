#pragma once

#include "pathweave/journey.h"

#include <string>

namespace pw::detail {

/// Appends a journey as `CJourneyCollection::insert` does, without setting the positions of the
/// journeys held already: for a caller that knows each of them has its current and selected link
/// node on its first node, as every insert leaves them, so that the result is the same. It takes
/// constant time where insert takes time in proportion to the journeys held, which makes reading
/// a network of many journeys linear instead of quadratic. Gives the same guarantee as insert when
/// storage cannot be had.
void appendJourney(CJourneyCollection& collection, const std::string& journeyId,
                   const CCueSubset& journeyCues, const CCue* journeyEntryCue, const CCue* journeyExitCue,
                   const CCue* journeyLinkTransitionCue);

} // namespace pw::detail
