#include "pathweave/persist.h"

#include "diag/log.h"
#include "persist/sql_text.h"

#include <csqlite/Csqlite.h>
#include <pathweave/cue.h>
#include <pathweave/journey.h>
#include <pathweave/journey_query.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace pw {

namespace {

using Cursor = Csqlite::CsqliteQuerySelect;

std::string attributeStatement(const std::string& id, const std::string& symbol) {
    std::string sql = "select value from attributes where id = '";
    sql::appendQuoted(sql, id);
    sql += "' and symbol='";
    sql::appendQuoted(sql, symbol);
    sql += "';";
    return sql;
}

// The first attribute row's value text, or nothing.
std::pair<std::string, bool> attributeText(const Csqlite& database, const std::string& id,
                                           const std::string& symbol) {
    Cursor row(attributeStatement(id, symbol), database);
    if (!row.valid || !row.Step()) {
        return {std::string(), false};
    }
    return {row.GetColumnAsString(0, ""), true};
}

} // namespace

const char* CPersist::latitudeSymbols[4] = {"LAT", "lat", "Lat", nullptr};
const char* CPersist::longitudeSymbols[4] = {"LONG", "long", "Long", nullptr};

CPersist::CPersist(Csqlite* db) : database(db) {}

void CPersist::ReadCCueCollection(CCueCollection* cues) {
    cues->clear();
    Cursor rows("select cue_id, cue_type, cue_arguments from cues;", *database);
    if (!rows.valid) {
        diag::writeLine(16, "CPersist::ReadCCueCollection: ", database->GetDatabaseFilename(), " : ",
                        rows.errorMessage);
        return;
    }
    while (rows.Step()) {
        const std::string name = rows.GetColumnAsString(0, "");
        const std::string type = rows.GetColumnAsString(1, "");
        const std::string arguments = rows.GetColumnAsString(2, "");
        cues->insert(name, type, arguments);
    }
}

std::pair<double, bool> CPersist::getAttrAsDouble(const std::string& id, const std::string& symbol) {
    const auto text = attributeText(*database, id, symbol);
    if (!text.second) {
        return {0.0, false};
    }
    return {std::atof(text.first.c_str()), true};
}

std::pair<double, bool> CPersist::getAttrAsDoubleFromList(const std::string& id, const char** list) {
    std::pair<double, bool> result(0.0, false);
    for (const char** entry = list; *entry != nullptr; ++entry) {
        result = getAttrAsDouble(id, *entry);
        if (result.second) {
            // The symbol found last is tried first next time.
            std::swap(*list, *entry);
            return result;
        }
    }
    return result;
}

double CPersist::getPointLatitude(const std::string& id) {
    return getAttrAsDoubleFromList(id, latitudeSymbols).first;
}

double CPersist::getPointLongitude(const std::string& id) {
    return getAttrAsDoubleFromList(id, longitudeSymbols).first;
}

std::pair<bool, bool> CPersist::getAttrAsBool(const std::string& id, const std::string& symbol) {
    const auto text = attributeText(*database, id, symbol);
    if (!text.second) {
        return {false, false};
    }
    return {text.first == "1", true};
}

CGraphSorter CPersist::GetCGraphSorter(const std::string& journeyId) {
    diag::writeLine(2, "CPersist::GetCGraphSorter: reading: ", journeyId);
    CGraphSorter graph;
    CJourneyDataQuery query;
    const unsigned mask = query.CheckDataFields(*database);
    if (mask == 0) {
        diag::writeLine(16, "CPersist::GetCGraphSorter: database: ", database->GetDatabaseFilename(),
                        " : mandatory fields missing.");
        return graph;
    }
    Cursor rows(query.BuildQuery(journeyId, mask), *database);
    if (!rows.valid) {
        diag::writeLine(16, "CPersist::GetCGraphSorter: ", database->GetDatabaseFilename(), " : ",
                        rows.errorMessage);
        return graph;
    }
    while (rows.Step()) {
        const std::string linkId = rows.GetColumnAsString(0, "");
        const std::string startId = rows.GetColumnAsString(2, "");
        const std::string endId = rows.GetColumnAsString(9, "");
        if (startId == endId) {
            diag::writeLine(8, "CPersist::GetCGraphSorter:", journeyId, ": Link ID:", linkId,
                            " Duplicate Node ID:", startId, ". Discarded.");
            continue;
        }
        CGraphSorter::CData start(startId);
        start.pointId = rows.GetColumnAsString(3, "");
        start.cues = rows.GetColumnAsString(4, "");
        start.distance = 0.0;
        start.bbLatMin = rows.GetColumnAsDouble(5, 0.0);
        start.bbLatMax = rows.GetColumnAsDouble(6, 0.0);
        start.bbLongMin = rows.GetColumnAsDouble(7, 0.0);
        start.bbLongMax = rows.GetColumnAsDouble(8, 0.0);

        CGraphSorter::CData end(endId);
        end.pointId = rows.GetColumnAsString(10, "");
        end.cues = rows.GetColumnAsString(11, "");
        end.distance = rows.GetColumnAsDouble(1, 0.0);
        end.bbLatMin = rows.GetColumnAsDouble(12, 0.0);
        end.bbLatMax = rows.GetColumnAsDouble(13, 0.0);
        end.bbLongMin = rows.GetColumnAsDouble(14, 0.0);
        end.bbLongMax = rows.GetColumnAsDouble(15, 0.0);

        diag::writeLine(2, "CPersist::GetCGraphSorter: Journey ", journeyId, ": Add link:", linkId, ": ",
                        startId, " --> ", endId, ".");
        graph.Add(startId, start, endId, end);
    }
    return graph;
}

void CPersist::ReadCJourney(CJourney* journey, const CCueCollection& cues) {
    diag::writeLine(2, "CPersist::ReadCJourney: reading: ", journey->id);
    journey->clear();
    {
        CGraphSorter graph = GetCGraphSorter(journey->id);
        if (graph.nodes.empty()) {
            diag::writeLine(8, "CPersist::ReadCJourney: error reading: ", journey->id);
            return;
        }
        double distance = 0.0;
        for (const CGraphSorter::CData* data : graph.Sort()) {
            CBounds bounds;
            bounds.latMin = data->bbLatMin;
            bounds.longMin = data->bbLongMin;
            bounds.latMax = data->bbLatMax;
            bounds.longMax = data->bbLongMax;
            bounds.valid = data->bbLatMin < data->bbLatMax && data->bbLongMin < data->bbLongMax;

            distance += data->distance;
            const CCueSubset subset = cues.toCueSubset(data->cues);

            // The last entry transition cue in name order wins over the journey's default.
            const CCue* transitionCue = journey->linkTransitionCue;
            for (const auto& element : subset.cues) {
                if (element.second.cue->type & CCue::EntryTransitionMask) {
                    transitionCue = element.second.cue;
                }
            }

            CPoint point;
            point.latitude = getPointLatitude(data->pointId);
            point.longitude = getPointLongitude(data->pointId);
            journey->insert(data->nodeId, point, distance, subset, transitionCue, bounds);
        }
    }
    journey->linkDistances = journey->hasLinkDistances();
    diag::writeLine(2, "CPersist::ReadCJourney: Link Nodes with bounds: ",
                    static_cast<unsigned long>(journey->CountLinkNodesWithValidBounds()), " of ",
                    static_cast<unsigned long>(journey->linkNodes.size() - 1));

    const bool random = getAttrAsBool(journey->id, "IsRandom").first;
    const bool circular = getAttrAsBool(journey->id, "IsCircular").first;
    if (random && circular) {
        diag::writeLine(8, "Journey cannot be both circular and random.  Standard order assumed.");
        journey->order = CJourney::Standard;
    } else if (random) {
        journey->order = CJourney::Random;
    } else if (circular) {
        journey->order = CJourney::Circular;
    } else {
        journey->order = CJourney::Standard;
    }

    journey->current = journey->linkNodes.begin();
    journey->selected = journey->linkNodes.begin();
    diag::writeLine(2, "CPersist::ReadCJourney Exit");
}

void CPersist::ReadCJourneyCollection(CJourneyCollection* journeys, const CCueCollection& cues,
                                      const std::string& nonJourneyPointsId, const std::string& journeyId) {
    journeys->clear();
    if (!nonJourneyPointsId.empty()) {
        journeys->SetNonJourneyPoints(nonJourneyPointsId);
        ReadCJourney(&*journeys->GetNonJourneyPoints(), cues);
    }

    CJourneyListQuery query;
    const unsigned mask = query.CheckDataFields(*database);
    if (mask == 0) {
        diag::writeLine(16, "CPersist::ReadCJourneyCollection: database: ", database->GetDatabaseFilename(),
                        " : mandatory fields missing.");
        return;
    }
    // A statement that cannot be prepared gives no row.
    Cursor rows(query.BuildQuery(journeyId, mask), *database);
    while (rows.Step()) {
        const std::string id = rows.GetColumnAsString(0, "");
        const std::string journeyCueName = rows.GetColumnAsString(1, "");
        const std::string linkCueName = rows.GetColumnAsString(2, "");
        const std::string cueNames = rows.GetColumnAsString(3, "");

        const CCueSubset subset = cues.toCueSubset(cueNames);
        const CCue* entryCue = cues.find(journeyCueName);
        const CCue* exitCue = nullptr;
        const CCue* linkTransitionCue = cues.find(linkCueName);
        // The journey's own cues name its entry and exit: the last of each kind in name order wins.
        for (const auto& element : subset.cues) {
            const uint32_t type = element.second.cue->type;
            if (type & CCue::EntryTransitionMask) {
                entryCue = element.second.cue;
            } else if (type & CCue::ExitTransitionMask) {
                exitCue = element.second.cue;
            }
        }
        journeys->insert(id, subset, entryCue, exitCue, linkTransitionCue);
    }
}

} // namespace pw
