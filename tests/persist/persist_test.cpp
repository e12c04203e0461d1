#include "support/log_capture.h"
#include "support/network.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/persist.h>
#include <strutil/strutil.h>

#include <cstdlib>

namespace {

using Lines = std::vector<pwtest::LogLine>;
using Texts = std::vector<std::string>;

TEST(CPersist, loadsEveryFieldOfTheNetworkAndLogsWhatItRejects) {
    const pwtest::TempDatabase fixture(pwtest::readFile(PATHWEAVE_TEST_NETWORK_SQL));
    const std::string bytes = pwtest::readFile(fixture.path());
    Csqlite db(fixture.path());
    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    pwtest::LogCapture capture;
    pwtest::loadNetwork(db, catalogue, network);
    EXPECT_EQ(pwtest::describe(catalogue, network), R"(cue arrive 1 [arrive.wav|]
cue bye 2 []
cue chime 4 []
cue doors 8 [a||b||]
cue goodbye 32 []
cue it's 4 [a'b|]
cue odd 0 []
cue stop 64 [stop.wav|2|]
cue welcome 16 [welcome.wav|en|]
journey NJP [] entry - exit - link - order 1 distances 0 at 0,4,0
  ROOT 0 0 0 [] - state 0 box 0 0 0 0 0
  Q 1.5 3.5 0 [doors] - state 0 box 1 0 3 2 4
  R 0 0 0 [] - state 0 box 1 1 3 2 4
  S 0 0 0 [chime] - state 0 box 1 1 3 2 4
journey north [bye,goodbye] entry welcome exit goodbye link stop order 2 distances 1 at 0,4,0
  ROOT 0 0 0 [] stop state 0 box 0 0 0 0 0
  A 51.05 -0.15 0 [chime] stop state 0 box 1 51 -0.2 51.1 -0.1
  B 52.05 -1.15 100.5 [arrive,chime,stop] stop state 0 box 1 52 -1.2 52.1 0
  C 0 0 300.5 [] stop state 0 box 0 53 0 53 1
journey loop [arrive,chime] entry arrive exit - link - order 0 distances 1 at 0,1,0
  ROOT 0 0 0 [] - state 0 box 0 0 0 0 0
journey empty [] entry - exit - link stop order 0 distances 0 at 0,0,0
journey x' OR '1'='1 [it's] entry - exit - link it's order 2 distances 1 at 0,3,0
  ROOT 0 0 0 [] it's state 0 box 0 0 0 0 0
  O'Hare 9.5 0 0 [it's] it's state 0 box 1 1 3 2 4
  )"
                                                    "\xFF'\xFE"
                                                    R"( 0 8.25 7 [] it's state 0 box 0 0 0 0 0
collection at 5,5,5 non-journey points 1
)");
    const std::string notFound = "CCueCollection::toCueSubset: Cue name not found in cue list:";
    const std::string graph = "CPersist::GetCGraphSorter: ";
    EXPECT_EQ(capture.lines(),
              (Lines{{2, "CPersist::ReadCJourney: reading: NJP"},
                     {2, graph + "reading: NJP"},
                     {2, graph + "Journey NJP: Add link:p1: Q --> R."},
                     {2, graph + "Journey NJP: Add link:p2: R --> S."},
                     {2, "CPersist::ReadCJourney: Link Nodes with bounds: 3 of 3"},
                     {2, "CPersist::ReadCJourney Exit"},
                     {8, notFound + "missing"},
                     {2, "CPersist::ReadCJourney: reading: north"},
                     {2, graph + "reading: north"},
                     {2, graph + "Journey north: Add link:n1: A --> B."},
                     {2, graph + "Journey north: Add link:n2: B --> C."},
                     {8, "CPersist::GetCGraphSorter:north: Link ID:n3 Duplicate Node ID:C. Discarded."},
                     {8, notFound},
                     {8, notFound + "unknown"},
                     {2, "CPersist::ReadCJourney: Link Nodes with bounds: 2 of 3"},
                     {2, "CPersist::ReadCJourney Exit"},
                     {2, "CPersist::ReadCJourney: reading: loop"},
                     {2, graph + "reading: loop"},
                     {2, graph + "Journey loop: Add link:l1: X --> Y."},
                     {2, graph + "Journey loop: Add link:l2: Y --> X."},
                     {2, "CPersist::ReadCJourney: Link Nodes with bounds: 0 of 0"},
                     {8, "Journey cannot be both circular and random.  Standard order assumed."},
                     {2, "CPersist::ReadCJourney Exit"},
                     {2, "CPersist::ReadCJourney: reading: empty"},
                     {2, graph + "reading: empty"},
                     {8, "CPersist::ReadCJourney: error reading: empty"},
                     {2, "CPersist::ReadCJourney: reading: x' OR '1'='1"},
                     {2, graph + "reading: x' OR '1'='1"},
                     {2, graph + "Journey x' OR '1'='1: Add link:%_: O'Hare --> \xFF'\xFE."},
                     {2, "CPersist::ReadCJourney: Link Nodes with bounds: 1 of 2"},
                     {2, "CPersist::ReadCJourney Exit"},
                     {2, "CCueCollection::toCueSubsetGlobal: adding global cue:doors"}}));

    // One journey is read by its id, selectable or not; a hostile id selects its own journey alone.
    capture.clear();
    for (const std::string id : {"hidden", "x' OR '1'='1", "nowhere"}) {
        pw::CJourneyCollection single;
        pw::CPersist(&db).ReadCJourneyCollection(&single, catalogue, "", id);
        EXPECT_EQ(single.journeys.size(), id == "nowhere" ? 0u : 1u) << id;
        EXPECT_TRUE(single.journeys.empty() || single.journeys[0].id == id) << id;
    }
    EXPECT_TRUE(capture.lines().empty());
    EXPECT_EQ(pwtest::readFile(fixture.path()), bytes) << "reading changed the database file";
}

TEST(CPersist, logsWhatTheDatabaseLacksAndReadsNothingOfIt) {
    const std::pair<std::string, Texts> cases[] = {
        {"",
         {"CPersist::ReadCCueCollection: @ : no such table: cues",
          "CPersist::GetCGraphSorter: database: @ : mandatory fields missing.",
          "CPersist::ReadCJourneyCollection: database: @ : mandatory fields missing."}},
        {pwtest::schemaSql(pwtest::without::JourneyLinks),
         {"CPersist::GetCGraphSorter: @ : no such table: Journey_links"}},
    };
    for (const auto& [sql, failures] : cases) {
        const pwtest::TempDatabase fixture(sql);
        Csqlite db(fixture.path());
        pw::CCueCollection catalogue;
        catalogue.insert("stale", "SIMPLE", "");
        pw::CJourneyCollection network;
        network.insert("stale", pw::CCueSubset(), nullptr, nullptr, nullptr);
        pwtest::LogCapture capture;
        pwtest::loadNetwork(db, catalogue, network);
        Texts logged;
        for (pwtest::LogLine line : capture.lines()) {
            if (line.level == 16) {
                logged.push_back(
                    line.text.replace(line.text.find(fixture.path()), fixture.path().size(), "@"));
            }
        }
        EXPECT_EQ(logged, failures);
        EXPECT_EQ(pwtest::describe(catalogue, network),
                  "journey NJP [] entry - exit - link - order 0 distances 0 at 0,0,0\n"
                  "collection at 1,1,1 non-journey points 1\n");
    }
}

TEST(CPersist, readsAttributeNumbersAsAtofDoesAndAFlagAsSetOnlyFromTheTextOne) {
    const Texts texts = CSVsplit("51.5|-0.125|12|007.50|1e3|  12.5 km|abc||-|.5|5.|1.2.3|123456789012345|"
                                 "1234567890123456|0.000000000000001|1|0|true|01|1.0",
                                 "|");
    std::string sql =
        pwtest::schemaSql() + "INSERT INTO attributes VALUES ('n', 'null', NULL), ('n', 'one', 1)";
    for (const std::string& text : texts) {
        sql += ", ('n', '" + text + "', '" + text + "')";
    }
    const pwtest::TempDatabase fixture(sql + ";");
    Csqlite db(fixture.path());
    pw::CPersist reader(&db);
    for (const std::string& text : texts) {
        EXPECT_EQ(reader.getAttrAsDouble("n", text), (std::pair<double, bool>{std::atof(text.c_str()), true}))
            << text;
        EXPECT_EQ(reader.getAttrAsBool("n", text), (std::pair<bool, bool>{text == "1", true})) << text;
    }
    EXPECT_EQ(reader.getAttrAsDouble("n", "null"), (std::pair<double, bool>{0.0, true}));
    EXPECT_EQ(reader.getAttrAsBool("n", "one"), (std::pair<bool, bool>{true, true}));
    EXPECT_EQ(reader.getAttrAsDouble("n", "x"), (std::pair<double, bool>{0.0, false}));
    EXPECT_EQ(reader.getAttrAsBool("x", "one"), (std::pair<bool, bool>{false, false}));
    const char* none[] = {nullptr};
    EXPECT_EQ(reader.getAttrAsDoubleFromList("n", none), (std::pair<double, bool>{0.0, false}));
}

} // namespace
