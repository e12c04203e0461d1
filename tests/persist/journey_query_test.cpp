#include "support/network_schema.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/journey_query.h>

namespace {

using pwtest::schemaSql;
namespace without = pwtest::without;

TEST(CJourneyQueries, checkTheColumnsTheReadersNeedByTheirExactNames) {
    const std::tuple<std::string, unsigned, unsigned> cases[] = {
        {schemaSql(), 3, 7},
        {schemaSql(without::Selectable | without::DistanceTransit), 1, 5},
        {schemaSql(without::JourneyColumns | without::BoundingBox), 0, 3},
        {schemaSql(without::LastBoundingBox | without::JourneyLinks), 3, 3},
        {"CREATE TABLE journeys (CUES, LINK_TRANSITION_CUE, JOURNEY_TRANSITION_CUE, JOURNEY_ID);"
         "CREATE TABLE links (LINK_ID, LINKNODE_ID1, DISTANCE_TRANSIT);"
         "CREATE TABLE link_nodes (LINKNODE_ID, POINT_ID, CUES);",
         1, 0},
        {"CREATE TABLE journeys (journey_id, JOURNEY_TRANSITION_CUE, LINK_TRANSITION_CUE, CUES);"
         "CREATE TABLE links (LINK_ID, LINKNODE_ID1, LINKNODE_ID2); CREATE TABLE link_nodes (LINKNODE_ID, "
         "CUES);",
         0, 0},
        {"CREATE TABLE links (LINK_ID, LINKNODE_ID1, LINKNODE_ID2);", 0, 0},
    };
    for (const auto& [sql, listMask, dataMask] : cases) {
        const pwtest::TempDatabase fixture(sql);
        Csqlite db(fixture.path());
        EXPECT_EQ(CJourneyListQuery().CheckDataFields(db), listMask) << sql;
        EXPECT_EQ(CJourneyDataQuery().CheckDataFields(db), dataMask) << sql;
    }
}

TEST(CJourneyListQuery, selectsTheJourneyOfAnIdElseTheSelectableOnesWhenTheMaskSaysSo) {
    CJourneyListQuery query;
    const std::string columns = "SELECT JOURNEY_ID,JOURNEY_TRANSITION_CUE,LINK_TRANSITION_CUE,CUES ";
    EXPECT_EQ(query.BuildQuery("", 1), columns + "FROM journeys;");
    EXPECT_EQ(query.BuildQuery("", 3), columns + "FROM journeys WHERE SELECTABLE=1;");
    EXPECT_EQ(query.BuildQuery("J1", 3), columns + "FROM journeys WHERE JOURNEY_ID='J1';");
    EXPECT_EQ(query.BuildQuery("it's", 1), columns + "FROM journeys WHERE JOURNEY_ID='it''s';");
}

TEST(CJourneyDataQuery, selectsSixteenColumnsWithConstantsForTheOptionalOnesTheMaskLacks) {
    CJourneyDataQuery query;
    const std::string from =
        " FROM Journey_links jl INNER JOIN links lk on jl.LINK_ID = lk.LINK_ID "
        "INNER JOIN link_nodes ln1 on ln1.LINKNODE_ID = lk.LINKNODE_ID1 "
        "INNER JOIN link_nodes ln2 on ln2.LINKNODE_ID = lk.LINKNODE_ID2 WHERE jl.JOURNEY_ID='";
    EXPECT_EQ(query.BuildQuery("J1", 7),
              "SELECT lk.LINK_ID,lk.DISTANCE_TRANSIT,ln1.LINKNODE_ID,ln1.POINT_ID,ln1.CUES,ln1.BBLATMIN,"
              "ln1.BBLATMAX,ln1.BBLONGMIN,ln1.BBLONGMAX,ln2.LINKNODE_ID,ln2.POINT_ID,ln2.CUES,ln2.BBLATMIN,"
              "ln2.BBLATMAX,ln2.BBLONGMIN,ln2.BBLONGMAX" +
                  from + "J1';");
    EXPECT_EQ(
        query.BuildQuery("x' OR '1'='1", 1),
        "SELECT lk.LINK_ID,0.0 as DISTANCE_TRANSIT,ln1.LINKNODE_ID,ln1.POINT_ID,ln1.CUES,0.0 AS LN1_BBLATMIN,"
        "0.0 AS LN1_BBLATMAX,0.0 AS LN1_BBLONGMIN,0.0 AS LN1_BBLONGMAX,ln2.LINKNODE_ID,ln2.POINT_ID,ln2.CUES,"
        "0.0 AS LN2_BBLATMIN,0.0 AS LN2_BBLATMAX,0.0 AS LN2_BBLONGMIN,0.0 AS LN2_BBLONGMAX" +
            from + "x'' OR ''1''=''1';");
}

} // namespace
