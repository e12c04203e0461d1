#include "support/network_schema.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/journey_query.h>

namespace {

namespace without = pwtest::without;
using pwtest::schemaSql;
using pwtest::TempDatabase;

unsigned listMask(const std::string& sql) {
    TempDatabase fixture(sql);
    Csqlite db(fixture.path());
    return CJourneyListQuery().CheckDataFields(db);
}

unsigned dataMask(const std::string& sql) {
    TempDatabase fixture(sql);
    Csqlite db(fixture.path());
    return CJourneyDataQuery().CheckDataFields(db);
}

const std::string from =
    "FROM Journey_links jl INNER JOIN links lk on jl.LINK_ID = lk.LINK_ID "
    "INNER JOIN link_nodes ln1 on ln1.LINKNODE_ID = lk.LINKNODE_ID1 "
    "INNER JOIN link_nodes ln2 on ln2.LINKNODE_ID = lk.LINKNODE_ID2 WHERE jl.JOURNEY_ID='";

TEST(CJourneyListQuery, checksTheJourneyColumnsOfEachFixture) {
    EXPECT_EQ(listMask(schemaSql()), 3u);
    EXPECT_EQ(listMask(schemaSql(without::Selectable)), 1u);
    EXPECT_EQ(listMask(schemaSql(without::JourneyColumns)), 0u);
    EXPECT_EQ(listMask(""), 0u) << "no journeys table";
    EXPECT_EQ(
        listMask("CREATE TABLE journeys (CUES, LINK_TRANSITION_CUE, JOURNEY_TRANSITION_CUE, JOURNEY_ID);"),
        1u);
    EXPECT_EQ(
        listMask("CREATE TABLE journeys (journey_id, JOURNEY_TRANSITION_CUE, LINK_TRANSITION_CUE, CUES);"),
        0u)
        << "column names are compared exactly";
}

TEST(CJourneyListQuery, buildsTheStatementForAnIdTheSelectableOrAllJourneys) {
    CJourneyListQuery query;
    const std::string columns = "SELECT JOURNEY_ID,JOURNEY_TRANSITION_CUE,LINK_TRANSITION_CUE,CUES ";
    EXPECT_EQ(query.BuildQuery("", 1), columns + "FROM journeys;");
    EXPECT_EQ(query.BuildQuery("", 3), columns + "FROM journeys WHERE SELECTABLE=1;");
    EXPECT_EQ(query.BuildQuery("J1", 3), columns + "FROM journeys WHERE JOURNEY_ID='J1';");
    EXPECT_EQ(query.BuildQuery("J1", 1), columns + "FROM journeys WHERE JOURNEY_ID='J1';");
    EXPECT_EQ(query.BuildQuery("", 0), columns + "FROM journeys;");
    EXPECT_EQ(query.BuildQuery("it's", 1), columns + "FROM journeys WHERE JOURNEY_ID='it''s';");
}

TEST(CJourneyDataQuery, checksTheLinkAndLinkNodeColumnsOfEachFixture) {
    EXPECT_EQ(dataMask(schemaSql()), 7u);
    EXPECT_EQ(dataMask(schemaSql(without::DistanceTransit)), 5u);
    EXPECT_EQ(dataMask(schemaSql(without::BoundingBox)), 3u);
    EXPECT_EQ(dataMask(schemaSql(without::DistanceTransit | without::LastBoundingBox)), 1u);
    EXPECT_EQ(dataMask(schemaSql(without::LastBoundingBox)), 3u);
    EXPECT_EQ(dataMask(schemaSql(without::JourneyLinks)), 7u) << "the join table is not checked";
    EXPECT_EQ(dataMask("CREATE TABLE links (LINK_ID, LINKNODE_ID1, DISTANCE_TRANSIT);"
                       "CREATE TABLE link_nodes (LINKNODE_ID, POINT_ID, CUES);"),
              0u);
    EXPECT_EQ(dataMask("CREATE TABLE links (LINK_ID, LINKNODE_ID1, LINKNODE_ID2);"
                       "CREATE TABLE link_nodes (LINKNODE_ID, CUES);"),
              0u);
    EXPECT_EQ(dataMask("CREATE TABLE links (LINK_ID, LINKNODE_ID1, LINKNODE_ID2);"), 0u)
        << "no link_nodes table";
}

TEST(CJourneyDataQuery, buildsSixteenColumnsWithConstantsForMissingOptionalColumns) {
    CJourneyDataQuery query;
    EXPECT_EQ(
        query.BuildQuery("J1", 7),
        "SELECT "
        "lk.LINK_ID,lk.DISTANCE_TRANSIT,ln1.LINKNODE_ID,ln1.POINT_ID,ln1.CUES,ln1.BBLATMIN,ln1.BBLATMAX,"
        "ln1.BBLONGMIN,ln1.BBLONGMAX,ln2.LINKNODE_ID,ln2.POINT_ID,ln2.CUES,ln2.BBLATMIN,ln2.BBLATMAX,"
        "ln2.BBLONGMIN,ln2.BBLONGMAX " +
            from + "J1';");
    EXPECT_EQ(
        query.BuildQuery("J1", 1),
        "SELECT lk.LINK_ID,0.0 as DISTANCE_TRANSIT,ln1.LINKNODE_ID,ln1.POINT_ID,ln1.CUES,0.0 AS LN1_BBLATMIN,"
        "0.0 AS LN1_BBLATMAX,0.0 AS LN1_BBLONGMIN,0.0 AS LN1_BBLONGMAX,ln2.LINKNODE_ID,ln2.POINT_ID,ln2.CUES,"
        "0.0 AS LN2_BBLATMIN,0.0 AS LN2_BBLATMAX,0.0 AS LN2_BBLONGMIN,0.0 AS LN2_BBLONGMAX " +
            from + "J1';");
    EXPECT_EQ(
        query.BuildQuery("", 3),
        "SELECT lk.LINK_ID,lk.DISTANCE_TRANSIT,ln1.LINKNODE_ID,ln1.POINT_ID,ln1.CUES,0.0 AS LN1_BBLATMIN,"
        "0.0 AS LN1_BBLATMAX,0.0 AS LN1_BBLONGMIN,0.0 AS LN1_BBLONGMAX,ln2.LINKNODE_ID,ln2.POINT_ID,ln2.CUES,"
        "0.0 AS LN2_BBLATMIN,0.0 AS LN2_BBLATMAX,0.0 AS LN2_BBLONGMIN,0.0 AS LN2_BBLONGMAX " +
            from + "';");
    EXPECT_EQ(query.BuildQuery("J1", 5),
              "SELECT lk.LINK_ID,0.0 as DISTANCE_TRANSIT,ln1.LINKNODE_ID,ln1.POINT_ID,ln1.CUES,ln1.BBLATMIN,"
              "ln1.BBLATMAX,ln1.BBLONGMIN,ln1.BBLONGMAX,ln2.LINKNODE_ID,ln2.POINT_ID,ln2.CUES,ln2.BBLATMIN,"
              "ln2.BBLATMAX,ln2.BBLONGMIN,ln2.BBLONGMAX " +
                  from + "J1';");
}

TEST(CJourneyDataQuery, doublesQuotesSoThatNoIdChangesTheStatement) {
    CJourneyDataQuery query;
    const std::string hostile = "x' OR '1'='1";
    const std::string sql = query.BuildQuery(hostile, 7);
    EXPECT_EQ(sql.substr(sql.size() - 20), "='x'' OR ''1''=''1';");

    TempDatabase fixture(schemaSql() + "INSERT INTO Journey_links VALUES ('J', 'L');"
                                       "INSERT INTO links VALUES ('L', 'A', 'B', 1);"
                                       "INSERT INTO link_nodes VALUES ('A', '', '', 0, 0, 0, 0);"
                                       "INSERT INTO link_nodes VALUES ('B', '', '', 0, 0, 0, 0);");
    Csqlite db(fixture.path());
    Csqlite::CsqliteQuerySelect rows(sql, db);
    ASSERT_TRUE(rows.valid) << rows.errorMessage;
    EXPECT_FALSE(rows.Step()) << "the hostile id must match no journey";
}

} // namespace
