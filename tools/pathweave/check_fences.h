#pragma once

// What `pathweave check` finds in the geo-fences of each loaded journey: boxes of link nodes that
// overlap, so that one position lies in two fences.

#include "check_findings.h"

#include <pathweave/journey.h>

namespace pwtool::check {

/// Records overlapping-fences for the boxes of consecutive link nodes of a journey that overlap,
/// and overlapping-nonconsecutive-fences for those of other link nodes of one journey, with the
/// extent of the overlap in metres. Fast on large networks: each journey is swept in
/// O(n log n) along the axis on which it spreads.
void checkFences(pw::CJourneyCollection& journeys, Findings& findings);

} // namespace pwtool::check
