#include "pathweave/persist.h"

#include "diag/log.h"
#include "journey/journey_append.h"
#include "persist/sql_text.h"

#include <csqlite/Csqlite.h>
#include <pathweave/cue.h>
#include <pathweave/journey.h>
#include <pathweave/journey_query.h>

#include <langinfo.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace pw {

namespace {

using Cursor = Csqlite::CsqliteQuerySelect;

// The default of every column read: built once, not once per value read.
const std::string noText;

// Whether atof reads "." as the decimal point, as it does unless the host chose another locale.
bool isDecimalPoint() {
    const char* point = nl_langinfo(RADIXCHAR);
    return point != nullptr && point[0] == '.' && point[1] == '\0';
}

// atof of an attribute's value text. Coordinates are plain decimals ("57.476653"): for those, made of
// at most 15 digits, the digits as an integer and the power of ten are both exact doubles, so one
// division rounds exactly as atof rounds (in the current rounding mode, the sign taken before the
// division). Any other text, or a locale whose decimal point is not ".", goes to atof itself.
double attributeNumber(const std::string& text) {
    static const double powersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* at = text.c_str();
    const char* const end = at + text.size();
    const bool negative = at != end && *at == '-';
    at += negative ? 1 : 0;
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = 0;
    bool point = false;
    for (; at != end; ++at) {
        if (*at >= '0' && *at <= '9') {
            digits = digits * 10 + static_cast<std::uint64_t>(*at - '0');
            decimals += point ? 1 : 0;
            ++count;
        } else if (*at == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (at != end || count == 0 || count > 15 || (point && !isDecimalPoint())) {
        return std::atof(text.c_str());
    }
    const double mantissa = static_cast<double>(digits);
    return (negative ? -mantissa : mantissa) / powersOfTen[decimals];
}

// Appends `text` as sql::appendQuoted does, in one piece when it holds no quote, as ids do.
void appendBetweenQuotes(std::string& statement, const std::string& text) {
    if (text.find('\'') == std::string::npos) {
        statement += text;
    } else {
        sql::appendQuoted(statement, text);
    }
}

std::string attributeStatement(const std::string& id, const std::string& symbol) {
    static const char head[] = "select value from attributes where id = '";
    static const char middle[] = "' and symbol='";
    static const char tail[] = "';";
    std::string sql;
    // Allocated once: the text is exactly this long unless an id or symbol holds a quote.
    sql.reserve(sizeof head + id.size() + sizeof middle + symbol.size() + sizeof tail - 3);
    sql.append(head, sizeof head - 1);
    appendBetweenQuotes(sql, id);
    sql.append(middle, sizeof middle - 1);
    appendBetweenQuotes(sql, symbol);
    sql.append(tail, sizeof tail - 1);
    return sql;
}

// The first attribute row's value text, or nothing.
std::pair<std::string, bool> attributeText(const Csqlite& database, const std::string& id,
                                           const std::string& symbol) {
    Cursor row(attributeStatement(id, symbol), database);
    if (!row.valid || !row.Step()) {
        return {std::string(), false};
    }
    return {row.GetColumnAsString(0, noText), true};
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
        const std::string name = rows.GetColumnAsString(0, noText);
        const std::string type = rows.GetColumnAsString(1, noText);
        const std::string arguments = rows.GetColumnAsString(2, noText);
        cues->insert(name, type, arguments);
    }
}

std::pair<double, bool> CPersist::getAttrAsDouble(const std::string& id, const std::string& symbol) {
    const auto text = attributeText(*database, id, symbol);
    if (!text.second) {
        return {0.0, false};
    }
    return {attributeNumber(text.first), true};
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
        const std::string linkId = rows.GetColumnAsString(0, noText);
        const std::string startId = rows.GetColumnAsString(2, noText);
        const std::string endId = rows.GetColumnAsString(9, noText);
        if (startId == endId) {
            diag::writeLine(8, "CPersist::GetCGraphSorter:", journeyId, ": Link ID:", linkId,
                            " Duplicate Node ID:", startId, ". Discarded.");
            continue;
        }
        // A node the graph holds already keeps the payload it was made with (CGraphSorter::access
        // ignores a later one), so only a new node's columns are read; of a known end node, only the
        // distance of the link into it counts.
        const bool newStart = graph.nodes.find(startId) == graph.nodes.end();
        const bool newEnd = graph.nodes.find(endId) == graph.nodes.end();
        CGraphSorter::CData start(startId);
        if (newStart) {
            start.pointId = rows.GetColumnAsString(3, noText);
            start.cues = rows.GetColumnAsString(4, noText);
            start.distance = 0.0;
            start.bbLatMin = rows.GetColumnAsDouble(5, 0.0);
            start.bbLatMax = rows.GetColumnAsDouble(6, 0.0);
            start.bbLongMin = rows.GetColumnAsDouble(7, 0.0);
            start.bbLongMax = rows.GetColumnAsDouble(8, 0.0);
        }

        CGraphSorter::CData end(endId);
        if (newEnd) {
            end.pointId = rows.GetColumnAsString(10, noText);
            end.cues = rows.GetColumnAsString(11, noText);
        }
        end.distance = rows.GetColumnAsDouble(1, 0.0);
        if (newEnd) {
            end.bbLatMin = rows.GetColumnAsDouble(12, 0.0);
            end.bbLatMax = rows.GetColumnAsDouble(13, 0.0);
            end.bbLongMin = rows.GetColumnAsDouble(14, 0.0);
            end.bbLongMax = rows.GetColumnAsDouble(15, 0.0);
        }

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
        const std::vector<CGraphSorter::CData*> order = graph.Sort();
        // The journey takes exactly its nodes, in one allocation. Reserving moves nothing (the journey
        // is empty) but ends its positions, which are none again at once, as after every append.
        journey->linkNodes.reserve(order.size());
        journey->current = journey->active = journey->selected = journey->linkNodes.end();
        double distance = 0.0;
        for (const CGraphSorter::CData* data : order) {
            CBounds bounds;
            bounds.latMin = data->bbLatMin;
            bounds.longMin = data->bbLongMin;
            bounds.latMax = data->bbLatMax;
            bounds.longMax = data->bbLongMax;
            bounds.valid = data->bbLatMin < data->bbLatMax && data->bbLongMin < data->bbLongMax;

            distance += data->distance;
            CCueSubset subset = cues.toCueSubset(data->cues);

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
            // As CJourney::insert appends, with the subset moved in instead of copied.
            journey->linkNodes.emplace_back(data->nodeId, point, distance, CCueSubset(), transitionCue,
                                            bounds);
            journey->linkNodes.back().cues.cues.swap(subset.cues);
            journey->current = journey->active = journey->selected = journey->linkNodes.end();
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
    bool first = true;
    while (rows.Step()) {
        const std::string id = rows.GetColumnAsString(0, noText);
        const std::string journeyCueName = rows.GetColumnAsString(1, noText);
        const std::string linkCueName = rows.GetColumnAsString(2, noText);
        const std::string cueNames = rows.GetColumnAsString(3, noText);

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
        // The first insert puts every journey's current and selected link node on its first node, and
        // nothing here moves them again, so the later journeys are appended without revisiting the
        // others: the same collection, read in linear instead of quadratic time.
        if (first) {
            journeys->insert(id, subset, entryCue, exitCue, linkTransitionCue);
            first = false;
        } else {
            detail::appendJourney(*journeys, id, subset, entryCue, exitCue, linkTransitionCue);
        }
    }
}

} // namespace pw
