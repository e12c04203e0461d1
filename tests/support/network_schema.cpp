#include "support/network_schema.h"

namespace pwtest {

std::string schemaSql(unsigned missing) {
    const auto has = [missing](unsigned part) { return (missing & part) == 0; };
    std::string sql = "CREATE TABLE journeys (JOURNEY_ID TEXT";
    if (has(without::JourneyColumns)) {
        sql += ", JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT";
    }
    sql += has(without::Selectable) ? ", SELECTABLE INTEGER);\n" : ");\n";
    if (has(without::JourneyLinks)) {
        sql += "CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);\n";
    }
    sql += "CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT";
    sql += has(without::DistanceTransit) ? ", DISTANCE_TRANSIT REAL);\n" : ");\n";
    sql += "CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT";
    if (has(without::BoundingBox)) {
        sql += ", BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL";
        sql += has(without::LastBoundingBox) ? ", BBLONGMAX REAL);\n" : ");\n";
    } else {
        sql += ");\n";
    }
    if (has(without::Cues)) {
        sql += "CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);\n";
    }
    return sql + "CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);\n";
}

} // namespace pwtest
