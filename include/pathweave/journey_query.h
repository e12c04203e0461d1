#pragma once

#include <pathweave/export.h>

#include <string>

class Csqlite;

/// Field mask bits that `CheckDataFields` returns and `BuildQuery` takes. A mask of 0 means
/// that required columns are missing or that a check statement could not be prepared.
namespace pw::field {
/// Every required column exists.
constexpr unsigned Required = 1;
/// The journey list: `journeys` has `SELECTABLE`. The journey data: `links` has `DISTANCE_TRANSIT`.
constexpr unsigned Selectable = 2;
constexpr unsigned DistanceTransit = 2;
/// The journey data: `link_nodes` has all four of `BBLATMIN`, `BBLATMAX`, `BBLONGMIN`, `BBLONGMAX`.
constexpr unsigned BoundingBox = 4;
} // namespace pw::field

/// The statement that lists journeys, from the table `journeys`.
///
/// Required columns: `JOURNEY_ID`, `JOURNEY_TRANSITION_CUE`, `LINK_TRANSITION_CUE`, `CUES`;
/// optional: `SELECTABLE` (1 marks a journey listed when no journey id is asked for).
class PATHWEAVE_EXPORT CJourneyListQuery {
public:
    /// 0 when `journeys` or one of its required columns is missing; else 1, plus 2 when the
    /// table has `SELECTABLE`. Runs no row.
    unsigned CheckDataFields(Csqlite& database);

    /// "SELECT JOURNEY_ID,JOURNEY_TRANSITION_CUE,LINK_TRANSITION_CUE,CUES FROM journeys..." for
    /// the journey `id` when it is not empty, else for the selectable journeys when the mask has
    /// 2, else for every journey. Single quotes in `id` are doubled.
    std::string BuildQuery(const std::string& id, unsigned mask);
};

/// The statement that reads one journey's links with their start (ln1) and end (ln2) link
/// nodes: sixteen columns in fixed positions, from `Journey_links`, `links` and `link_nodes`.
///
/// Required columns: `links` `LINK_ID`, `LINKNODE_ID1`, `LINKNODE_ID2`; `link_nodes`
/// `LINKNODE_ID`, `POINT_ID`, `CUES`. Optional: `links` `DISTANCE_TRANSIT`, and the four
/// bounding-box columns of `link_nodes` as a group; a missing optional column reads as 0.0.
class PATHWEAVE_EXPORT CJourneyDataQuery {
public:
    /// 0 when a table or one of its required columns is missing; else 1, plus 2 when `links`
    /// has `DISTANCE_TRANSIT`, plus 4 when `link_nodes` has all four bounding-box columns.
    unsigned CheckDataFields(Csqlite& database);

    /// The links of journey `id`, one row a link: positions 0 link id, 1 distance, 2 to 8 the
    /// start node (id, point id, cues, lat min, lat max, long min, long max), 9 to 15 the end
    /// node likewise. Single quotes in `id` are doubled.
    std::string BuildQuery(const std::string& id, unsigned mask);
};
