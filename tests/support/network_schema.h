#pragma once

#include <string>

namespace pwtest {

/// Parts of the network schema that a fixture database can leave out; combine with |.
namespace without {
constexpr unsigned Selectable = 1;      ///< journeys.SELECTABLE
constexpr unsigned DistanceTransit = 2; ///< links.DISTANCE_TRANSIT
constexpr unsigned BoundingBox = 4;     ///< all four bounding-box columns of link_nodes
constexpr unsigned LastBoundingBox = 8; ///< BBLONGMAX only, keeping the other three
constexpr unsigned JourneyColumns = 16; ///< every required column of journeys but JOURNEY_ID
constexpr unsigned JourneyLinks = 32;   ///< the table Journey_links
constexpr unsigned Cues = 64;           ///< the table cues
} // namespace without

/// The CREATE TABLE statements of a network database, less the parts named in `missing`.
std::string schemaSql(unsigned missing = 0);

} // namespace pwtest
