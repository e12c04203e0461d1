#pragma once

#include <pathweave/export.h>
#include <pathweave/graph_sorter.h>

#include <string>
#include <utility>

class Csqlite;

namespace pw {

class CCueCollection;
class CJourney;
class CJourneyCollection;

/// The reader of a network database: fills the cue catalogue, the journey collection and
/// journeys from the database that the host opened.
///
/// It holds nothing but the database pointer: no cursor, cache or result survives a call, and
/// copies read the same database. Readers return nothing and throw nothing of their own; what
/// went wrong shows in the objects they fill (an empty catalogue, a journey without link nodes)
/// and on the debug log. Only allocation and log-stream exceptions pass through.
class PATHWEAVE_EXPORT CPersist {
public:
    /// Binds the reader to `database`, which the host opened and keeps open while reading.
    explicit CPersist(Csqlite* database);

    /// Empties `cues` and fills it from "select cue_id, cue_type, cue_arguments from cues;",
    /// the first row of a name winning. When the statement cannot be prepared the catalogue
    /// stays empty and one line is logged at level 16:
    /// "CPersist::ReadCCueCollection: <database file> : <error>".
    void ReadCCueCollection(CCueCollection* cues);

    /// The attribute `symbol` of `id` from the table `attributes`, read as C's `atof` reads a
    /// text (so "12.5 km" is 12.5 and "abc" is 0.0): (value, true), or (0.0, false) when there
    /// is no such row or no readable table. Only the first row is used.
    std::pair<double, bool> getAttrAsDouble(const std::string& id, const std::string& symbol);

    /// `getAttrAsDouble` under each symbol of the null-terminated `list` in turn, until one is
    /// found; the symbol found then changes places with the list's first entry, so that the next
    /// lookup tries it first. (0.0, false) when none is found.
    std::pair<double, bool> getAttrAsDoubleFromList(const std::string& id, const char** list);

    /// The latitude of point `id` under the symbols of `latitudeSymbols`; 0.0 when it has none.
    double getPointLatitude(const std::string& id);

    /// The longitude of point `id` under the symbols of `longitudeSymbols`; 0.0 when it has none.
    double getPointLongitude(const std::string& id);

    /// The attribute `symbol` of `id` as a flag: (true, true) exactly for the text "1",
    /// (false, true) for any other text, (false, false) when there is no such row.
    std::pair<bool, bool> getAttrAsBool(const std::string& id, const std::string& symbol);

    /// The links of journey `journeyId` as an unsorted graph: one node per link node, one edge
    /// per link from its start to its end node, the link's distance credited to its end node.
    /// Links that start and end at one node are left out. A graph without nodes means nothing
    /// was read: see the log, which has a level-2 line per call and per link, level 8 for a
    /// link left out and level 16 when the tables or the statement fail.
    CGraphSorter GetCGraphSorter(const std::string& journeyId);

    /// Replaces the link nodes of `journey` (found by its `id`) with those of the database in
    /// travelling order, headed by the node "ROOT": points from the attributes, distances summed
    /// along the journey, cue subsets, transition cues and geo-fences; sets `linkDistances`,
    /// `order` (from the attributes "IsRandom" and "IsCircular") and makes "ROOT" current.
    /// A journey without readable links is left without link nodes and logged at level 8:
    /// "CPersist::ReadCJourney: error reading: <id>". `cues` must outlive the journey.
    void ReadCJourney(CJourney* journey, const CCueCollection& cues);

    /// Empties `journeys` and fills it: the non-journey points read in full under the journey id
    /// `nonJourneyPointsId` (none when empty), then one journey per row of `journeys` (only
    /// `journeyId` when not empty, else the selectable ones when the table says which), with its
    /// cues and transition cues but without link nodes: read those with `ReadCJourney`.
    /// `cues` must be filled first and must outlive the collection.
    void ReadCJourneyCollection(CJourneyCollection* journeys, const CCueCollection& cues,
                                const std::string& nonJourneyPointsId, const std::string& journeyId);

    /// The database read; never owned.
    Csqlite* database;

    /// The symbols tried for a point's latitude, null-terminated; starts "LAT", "lat", "Lat".
    /// Shared by every reader of the process and reordered by each lookup (see above).
    static const char* latitudeSymbols[4];
    /// The symbols tried for a point's longitude, null-terminated; starts "LONG", "long", "Long".
    static const char* longitudeSymbols[4];
};

} // namespace pw
