#include "check_tables.h"

#include "tool.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

namespace pwtool::check {

namespace {

using Row = Csqlite::CsqliteQuerySelect;

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

// Why an id is likely a mistake, or the empty text when it looks right.
std::string idProblem(const std::string& id) {
    if (id.empty()) {
        return "empty";
    }
    if (isBlank(id.front())) {
        return "blank at the start";
    }
    if (isBlank(id.back())) {
        return "blank at the end";
    }
    for (const char ch : id) {
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) {
            return "control character";
        }
    }
    return "";
}

void checkId(const std::string& kind, const std::string& id, const std::string& where, Findings& findings) {
    const std::string problem = idProblem(id);
    if (!problem.empty()) {
        findings.add("suspicious-id", kind + ' ' + shown(id) + where + " (" + problem + ")");
    }
}

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (auto comma = list.find(','); comma != std::string::npos; comma = list.find(',', start)) {
        pieces.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    pieces.push_back(list.substr(start));
    return pieces;
}

// What an author may have meant by a cue name that is not in the catalogue.
std::string cueHint(const std::string& name, const pw::CCueCollection& catalogue) {
    const auto first = std::find_if_not(name.begin(), name.end(), isBlank);
    const auto last = std::find_if_not(name.rbegin(), name.rend(), isBlank).base();
    if (first != name.begin() || last != name.end()) {
        const std::string trimmed = first < last ? std::string(first, last) : std::string();
        const char* where = first != name.begin() ? "blank at the start" : "blank at the end";
        return std::string(" (") + where +
               (catalogue.find(trimmed) != nullptr ? "; " + shown(trimmed) + " is a cue)" : ")");
    }
    for (const auto& entry : catalogue.cues) {
        if (sameIgnoringCase(entry.first, name)) {
            return " (names are case-sensitive; " + shown(entry.first) + " is a cue)";
        }
    }
    return "";
}

class CueReferences {
public:
    CueReferences(const pw::CCueCollection& cues, Findings& out) : catalogue(cues), findings(out) {}

    // A comma-separated list of cue names, as the library splits and looks it up.
    void list(const std::string& owner, const char* column, const std::string& names) {
        if (names.empty()) {
            return;
        }
        bool emptyPiece = false;
        for (const std::string& piece : splitList(names)) {
            if (piece.empty()) {
                emptyPiece = true;
                reported.insert(piece);
            } else {
                single(owner, column, piece);
            }
        }
        if (emptyPiece) {
            findings.add("empty-cue-name-piece", owner + ", " + column + ": " + shown(names));
        }
    }

    // One cue name; the empty name means none.
    void single(const std::string& owner, const char* column, const std::string& name) {
        if (!name.empty() && catalogue.find(name) == nullptr) {
            findings.add("unknown-cue",
                         owner + ", " + column + ": " + shown(name) + cueHint(name, catalogue));
            reported.insert(name);
        }
    }

    std::set<std::string> reported;

private:
    const pw::CCueCollection& catalogue;
    Findings& findings;
};

void checkCues(const Csqlite& database, Findings& findings) {
    std::map<std::string, std::size_t> rowsOf;
    std::vector<std::string> order;
    forEachRow(database, "select cue_id, cue_type from cues;", "reading cues", findings, [&](Row& row) {
        const std::string id = columnText(row, 0);
        if (id.empty()) {
            findings.add("suspicious-id", "a row of cues with an empty cue_id, which the library ignores");
            return;
        }
        checkId("cue", id, "", findings);
        if (id.find(',') != std::string::npos) {
            findings.add("suspicious-id", "cue " + shown(id) + " (a comma, so no cue list can name it)");
        }
        if (++rowsOf[id] == 1) {
            order.push_back(id);
        }
        const std::string type = columnText(row, 1);
        if (pw::CCue::toCueType(type) == 0) {
            findings.add("unknown-cue-type", "cue " + shown(id) + ": type " + shown(type));
        }
    });
    for (const std::string& id : order) {
        if (rowsOf[id] > 1) {
            findings.add("duplicate-cue", "cue " + shown(id) + " (" + std::to_string(rowsOf[id]) + " rows)");
        }
    }
}

void checkJourneys(const Csqlite& database, CueReferences* cues, Findings& findings) {
    std::map<std::string, std::size_t> rowsOf;
    std::vector<std::string> order;
    forEachRow(database,
               "select JOURNEY_ID, JOURNEY_TRANSITION_CUE, LINK_TRANSITION_CUE, CUES from journeys;",
               "reading journeys", findings, [&](Row& row) {
                   const std::string id = columnText(row, 0);
                   checkId("journey", id, "", findings);
                   if (++rowsOf[id] == 1) {
                       order.push_back(id);
                   }
                   if (cues != nullptr) {
                       const std::string owner = "journey " + shown(id);
                       cues->single(owner, "JOURNEY_TRANSITION_CUE", columnText(row, 1));
                       cues->single(owner, "LINK_TRANSITION_CUE", columnText(row, 2));
                       cues->list(owner, "CUES", columnText(row, 3));
                   }
               });
    for (const std::string& id : order) {
        if (rowsOf[id] > 1) {
            findings.add("duplicate-journey",
                         "journey " + shown(id) + " (" + std::to_string(rowsOf[id]) + " rows)");
        }
    }
}

// A coordinate as the library reads it: the text of the first symbol found, converted as atof does.
struct Coordinate {
    bool found = false;
    std::string text;
};

struct PointCoordinates {
    Coordinate latitude;
    Coordinate longitude;
};

std::map<std::string, PointCoordinates> readCoordinates(const Csqlite& database, Findings& findings) {
    static const char* const latitudeSymbols[] = {"LAT", "lat", "Lat"};
    static const char* const longitudeSymbols[] = {"LONG", "long", "Long"};
    // The first row of each point and symbol, as the library's lookups take it.
    std::map<std::string, std::map<std::string, std::string>> values;
    forEachRow(database,
               "select id, symbol, value from attributes "
               "where symbol in ('LAT', 'lat', 'Lat', 'LONG', 'long', 'Long');",
               "reading point coordinates", findings,
               [&](Row& row) { values[columnText(row, 0)].emplace(columnText(row, 1), columnText(row, 2)); });
    std::map<std::string, PointCoordinates> points;
    for (const auto& [point, symbols] : values) {
        const auto pick = [&bySymbol = symbols](const char* const(&names)[3], Coordinate& coordinate) {
            for (const char* name : names) {
                const auto value = bySymbol.find(name);
                if (value != bySymbol.end()) {
                    coordinate = {true, value->second};
                    return;
                }
            }
        };
        pick(latitudeSymbols, points[point].latitude);
        pick(longitudeSymbols, points[point].longitude);
    }
    return points;
}

// The number at the start of `text`, as atof reads it; false when there is none or it is not finite.
bool readNumber(const std::string& text, double& value) {
    const char* start = text.c_str();
    char* end = nullptr;
    value = std::strtod(start, &end);
    return end != start && std::isfinite(value);
}

struct Box {
    double latMin = 0.0;
    double latMax = 0.0;
    double longMin = 0.0;
    double longMax = 0.0;
};

// A sensible geo-fence is tens of metres across; one of over 2 km covers several stops.
constexpr double largestFenceMetres = 2000.0;

std::string limitProblem(const char* low, double min, const char* high, double max) {
    return std::string(low) + ' ' + formatNumber(min) + " is not below " + high + ' ' + formatNumber(max) +
           (min == max ? " (a box of no extent)" : "");
}

void checkBox(const std::string& id, const std::string& node, const Box& box, Findings& findings) {
    const Subject subject{"", {id}};
    if (box.latMin == 0.0 && box.latMax == 0.0 && box.longMin == 0.0 && box.longMax == 0.0) {
        findings.add("missing-box", node, subject);
        return;
    }
    std::string problems;
    if (!(box.latMin < box.latMax)) {
        problems += limitProblem("BBLATMIN", box.latMin, "BBLATMAX", box.latMax);
    }
    if (!(box.longMin < box.longMax)) {
        problems +=
            (problems.empty() ? "" : "; ") + limitProblem("BBLONGMIN", box.longMin, "BBLONGMAX", box.longMax);
    }
    if (!problems.empty()) {
        findings.add("invalid-box", node + ": " + problems, subject);
        return;
    }
    const Extent extent = extentInMetres(box.latMin, box.latMax, box.longMin, box.longMax);
    if (extent.northSouth > largestFenceMetres || extent.eastWest > largestFenceMetres) {
        findings.add("oversized-box",
                     node + ": " + formatFixed(extent.northSouth / 1000.0, 2) + " km x " +
                         formatFixed(extent.eastWest / 1000.0, 2) + " km",
                     subject);
    }
}

void checkLinkNodes(const Csqlite& database, const Schema& schema, CueReferences* cues, Findings& findings) {
    const bool boxes = schema.hasBoxColumns;
    const bool attributes = schema.usable("attributes");
    const std::map<std::string, PointCoordinates> coordinates =
        attributes ? readCoordinates(database, findings) : std::map<std::string, PointCoordinates>();
    std::set<std::string> pointsChecked;
    const std::string sql = std::string("select LINKNODE_ID, POINT_ID, CUES") +
                            (boxes ? ", BBLATMIN, BBLATMAX, BBLONGMIN, BBLONGMAX" : "") + " from link_nodes;";
    forEachRow(database, sql, "reading link_nodes", findings, [&](Row& row) {
        const std::string id = columnText(row, 0);
        const std::string point = columnText(row, 1);
        const std::string node = "link node " + shown(id);
        checkId("link node", id, "", findings);
        if (id == "ROOT") {
            findings.add("suspicious-id", node + " (the name of the first node of every loaded journey)");
        }
        checkId("point", point, " of " + node, findings);
        if (cues != nullptr) {
            cues->list(node, "CUES", columnText(row, 2));
        }
        const Box box{row.GetColumnAsDouble(3, 0.0), row.GetColumnAsDouble(4, 0.0),
                      row.GetColumnAsDouble(5, 0.0), row.GetColumnAsDouble(6, 0.0)};
        if (boxes) {
            checkBox(id, node, box, findings);
        }
        if (!attributes) {
            return;
        }
        const auto found = coordinates.find(point);
        const PointCoordinates located = found != coordinates.end() ? found->second : PointCoordinates();
        double latitude = 0.0;
        double longitude = 0.0;
        const bool usableLatitude = located.latitude.found && readNumber(located.latitude.text, latitude);
        const bool usableLongitude = located.longitude.found && readNumber(located.longitude.text, longitude);
        if (!usableLatitude || !usableLongitude) {
            if (pointsChecked.insert(point).second) {
                const auto problem = [](const char* name, const Coordinate& coordinate, bool usable) {
                    if (!coordinate.found) {
                        return std::string("no ") + name;
                    }
                    return usable ? std::string()
                                  : name + (' ' + shown(coordinate.text)) + " is not a number";
                };
                std::string why = problem("latitude", located.latitude, usableLatitude);
                const std::string longitudeWhy = problem("longitude", located.longitude, usableLongitude);
                why += (why.empty() || longitudeWhy.empty() ? "" : " and ") + longitudeWhy;
                findings.add("point-without-coordinates",
                             "point " + shown(point) + " of " + node + ": " + why);
            }
            return;
        }
        if (boxes && box.latMin < box.latMax && box.longMin < box.longMax &&
            !(latitude >= box.latMin && latitude <= box.latMax && longitude >= box.longMin &&
              longitude <= box.longMax)) {
            findings.add("point-outside-box",
                         node + ": point " + shown(point) + " at " + formatNumber(latitude) + ", " +
                             formatNumber(longitude) + " is outside latitude " + formatNumber(box.latMin) +
                             " to " + formatNumber(box.latMax) + ", longitude " + formatNumber(box.longMin) +
                             " to " + formatNumber(box.longMax),
                         Subject{"", {id}});
        }
    });
}

void checkLinks(const Csqlite& database, const Schema& schema, const std::string& nonJourneyPointsId,
                Findings& findings) {
    forEachRow(database, "select LINK_ID from links;", "reading links", findings,
               [&](Row& row) { checkId("link", columnText(row, 0), "", findings); });
    if (!schema.usable("Journey_links")) {
        return;
    }
    forEachRow(database,
               "select jl.JOURNEY_ID, jl.LINK_ID from Journey_links jl "
               "left join links lk on lk.LINK_ID = jl.LINK_ID where lk.LINK_ID is null;",
               "looking for links missing from links", findings, [&](Row& row) {
                   findings.add("missing-link", journeyLabel(columnText(row, 0), nonJourneyPointsId) +
                                                    ": link " + shown(columnText(row, 1)));
               });
    if (!schema.usable("link_nodes")) {
        return;
    }
    forEachRow(database,
               "select lk.LINK_ID, lk.LINKNODE_ID1, lk.LINKNODE_ID2, n1.LINKNODE_ID is not null, "
               "n2.LINKNODE_ID is not null from Journey_links jl "
               "inner join links lk on lk.LINK_ID = jl.LINK_ID "
               "left join link_nodes n1 on n1.LINKNODE_ID = lk.LINKNODE_ID1 "
               "left join link_nodes n2 on n2.LINKNODE_ID = lk.LINKNODE_ID2 "
               "where n1.LINKNODE_ID is null or n2.LINKNODE_ID is null;",
               "looking for link nodes missing from link_nodes", findings, [&](Row& row) {
                   std::vector<std::string> missing;
                   for (const int end : {1, 2}) {
                       if (row.GetColumnAsDouble(end + 2, 0.0) == 0.0) {
                           missing.push_back(columnText(row, end));
                       }
                   }
                   if (!missing.empty()) {
                       findings.add("missing-link-node",
                                    "link " + shown(columnText(row, 0)) + ": " + shownList(missing) +
                                        (missing.size() == 1 ? " is" : " are") + " not in link_nodes");
                   }
               });
}

void checkUnknownJourneys(const Csqlite& database, const std::string& nonJourneyPointsId,
                          Findings& findings) {
    for (const auto& [id, rows] : journeyIdsOnlyInJourneyLinks(database)) {
        if (nonJourneyPointsId.empty() || id != nonJourneyPointsId) {
            findings.add("links-of-unknown-journey", "JOURNEY_ID " + shown(id) + " (" + formatNumber(rows) +
                                                         (rows == 1.0 ? " row" : " rows") +
                                                         " of Journey_links)");
        }
    }
}

void checkFlags(const Csqlite& database, Findings& findings) {
    forEachRow(database,
               "select id, symbol, value from attributes where lower(symbol) in ('israndom', 'iscircular');",
               "reading journey flags", findings, [&](Row& row) {
                   const std::string journey = "journey " + shown(columnText(row, 0));
                   const std::string symbol = columnText(row, 1);
                   const std::string value = columnText(row, 2);
                   if (symbol != "IsRandom" && symbol != "IsCircular") {
                       findings.add("unclear-flag", journey + ": symbol " + shown(symbol) +
                                                        " is not read (the library reads 'IsRandom' and "
                                                        "'IsCircular')");
                   } else if (value != "1" && value != "0") {
                       findings.add("unclear-flag", journey + ": " + symbol + " is " + shown(value) +
                                                        ", which reads as false");
                   }
               });
}

} // namespace

std::string journeyLabel(const std::string& journeyId, const std::string& nonJourneyPointsId) {
    const bool points = !nonJourneyPointsId.empty() && journeyId == nonJourneyPointsId;
    return (points ? "non-journey points " : "journey ") + shown(journeyId);
}

std::set<std::string> checkTables(const Csqlite& database, const Schema& schema,
                                  const pw::CCueCollection& catalogue, const std::string& nonJourneyPointsId,
                                  Findings& findings) {
    // Without a readable catalogue every reference would be unknown: the schema finding says why.
    CueReferences references(catalogue, findings);
    CueReferences* cues = schema.usable("cues") ? &references : nullptr;
    if (cues != nullptr) {
        checkCues(database, findings);
    }
    if (schema.usable("journeys")) {
        checkJourneys(database, cues, findings);
    }
    if (schema.usable("link_nodes")) {
        checkLinkNodes(database, schema, cues, findings);
    }
    if (schema.usable("links")) {
        checkLinks(database, schema, nonJourneyPointsId, findings);
    }
    if (schema.usable("Journey_links") && schema.usable("journeys")) {
        checkUnknownJourneys(database, nonJourneyPointsId, findings);
    }
    if (schema.usable("attributes")) {
        checkFlags(database, findings);
    }
    return references.reported;
}

} // namespace pwtool::check
