#include "pathweave/journey_query.h"

#include "persist/sql_text.h"

#include <csqlite/Csqlite.h>

#include <initializer_list>

namespace {

using Cursor = Csqlite::CsqliteQuerySelect;

// Whether the prepared statement's result has every one of the columns; runs no row.
bool hasColumns(Cursor& cursor, std::initializer_list<const char*> columns) {
    if (!cursor.valid) {
        return false;
    }
    for (const char* column : columns) {
        if (cursor.GetColumnIndex(column) == -1) {
            return false;
        }
    }
    return true;
}

} // namespace

unsigned CJourneyListQuery::CheckDataFields(Csqlite& database) {
    Cursor journeys("select * from journeys;", database);
    if (!hasColumns(journeys, {"JOURNEY_ID", "JOURNEY_TRANSITION_CUE", "LINK_TRANSITION_CUE", "CUES"})) {
        return 0;
    }
    return hasColumns(journeys, {"SELECTABLE"}) ? pw::field::Required | pw::field::Selectable
                                                : pw::field::Required;
}

std::string CJourneyListQuery::BuildQuery(const std::string& id, unsigned mask) {
    std::string sql = "SELECT JOURNEY_ID,JOURNEY_TRANSITION_CUE,LINK_TRANSITION_CUE,CUES ";
    if (!id.empty()) {
        sql += "FROM journeys WHERE JOURNEY_ID='";
        pw::sql::appendQuoted(sql, id);
        sql += "';";
    } else if (mask & pw::field::Selectable) {
        sql += "FROM journeys WHERE SELECTABLE=1;";
    } else {
        sql += "FROM journeys;";
    }
    return sql;
}

unsigned CJourneyDataQuery::CheckDataFields(Csqlite& database) {
    Cursor links("select * from links;", database);
    if (!hasColumns(links, {"LINK_ID", "LINKNODE_ID1", "LINKNODE_ID2"})) {
        return 0;
    }
    Cursor linkNodes("select * from link_nodes;", database);
    if (!hasColumns(linkNodes, {"LINKNODE_ID", "POINT_ID", "CUES"})) {
        return 0;
    }
    unsigned mask = pw::field::Required;
    if (hasColumns(links, {"DISTANCE_TRANSIT"})) {
        mask |= pw::field::DistanceTransit;
    }
    if (hasColumns(linkNodes, {"BBLATMIN", "BBLATMAX", "BBLONGMIN", "BBLONGMAX"})) {
        mask |= pw::field::BoundingBox;
    }
    return mask;
}

std::string CJourneyDataQuery::BuildQuery(const std::string& id, unsigned mask) {
    // The constant texts are made once per process; only the columns and the id vary.
    static const std::string select = "SELECT ";
    static const std::string from =
        " FROM Journey_links jl INNER JOIN links lk on jl.LINK_ID = lk.LINK_ID"
        " INNER JOIN link_nodes ln1 on ln1.LINKNODE_ID = lk.LINKNODE_ID1"
        " INNER JOIN link_nodes ln2 on ln2.LINKNODE_ID = lk.LINKNODE_ID2 WHERE jl.JOURNEY_ID='";
    static const std::string end = "';";

    const bool distance = (mask & pw::field::DistanceTransit) != 0;
    const bool box = (mask & pw::field::BoundingBox) != 0;
    const char* const columns[] = {
        "lk.LINK_ID",
        distance ? "lk.DISTANCE_TRANSIT" : "0.0 as DISTANCE_TRANSIT",
        "ln1.LINKNODE_ID",
        "ln1.POINT_ID",
        "ln1.CUES",
        box ? "ln1.BBLATMIN" : "0.0 AS LN1_BBLATMIN",
        box ? "ln1.BBLATMAX" : "0.0 AS LN1_BBLATMAX",
        box ? "ln1.BBLONGMIN" : "0.0 AS LN1_BBLONGMIN",
        box ? "ln1.BBLONGMAX" : "0.0 AS LN1_BBLONGMAX",
        "ln2.LINKNODE_ID",
        "ln2.POINT_ID",
        "ln2.CUES",
        box ? "ln2.BBLATMIN" : "0.0 AS LN2_BBLATMIN",
        box ? "ln2.BBLATMAX" : "0.0 AS LN2_BBLATMAX",
        box ? "ln2.BBLONGMIN" : "0.0 AS LN2_BBLONGMIN",
        box ? "ln2.BBLONGMAX" : "0.0 AS LN2_BBLONGMAX",
    };

    std::string sql = select;
    const char* separator = "";
    for (const char* column : columns) {
        sql += separator;
        sql += column;
        separator = ",";
    }
    sql += from;
    pw::sql::appendQuoted(sql, id);
    sql += end;
    return sql;
}
