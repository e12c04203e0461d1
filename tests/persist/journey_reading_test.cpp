#include "persist/persist_fixture.h"

#include <pathweave/cue.h>
#include <pathweave/journey.h>

#include <algorithm>

namespace {

using pw::CJourney;
using pwtest::Lines;
using pwtest::schemaSql;
using pwtest::Texts;
namespace without = pwtest::without;

class ReadCJourney : public pwtest::PersistTest {
protected:
    // Reads journey `id` against `catalogue`, with `linkTransition` as its link transition cue.
    CJourney read(const std::string& id, const pw::CCue* linkTransition = nullptr) {
        CJourney journey(id, pw::CCueSubset(), nullptr, nullptr, linkTransition);
        persist->ReadCJourney(&journey, catalogue);
        return journey;
    }

    static Texts ids(const CJourney& journey) {
        Texts result;
        for (const pw::CLinkNode& node : journey.linkNodes) {
            result.push_back(node.id);
        }
        return result;
    }

    pw::CCueCollection catalogue;
};

TEST_F(ReadCJourney, headsTheLinkNodesWithRootAndMakesItCurrent) {
    open(schemaSql() +
         "INSERT INTO Journey_links VALUES ('J', 'L1');"
         "INSERT INTO links VALUES ('L1', 'A', 'B', 4);"
         "INSERT INTO link_nodes VALUES ('A', 'PA', '', 1, 2, 3, 4), ('B', 'PB', '', 0, 0, 0, 0);"
         "INSERT INTO attributes VALUES ('PA', 'LAT', '1.5'), ('PA', 'LONG', '3.5');");
    const CJourney journey = read("J");

    EXPECT_EQ(ids(journey), (Texts{"ROOT", "A", "B"}));
    EXPECT_EQ(journey.current, journey.linkNodes.begin());
    EXPECT_EQ(journey.selected, journey.linkNodes.begin());
    EXPECT_EQ(journey.active, journey.linkNodes.end());
    const pw::CLinkNode& a = journey.linkNodes[1];
    EXPECT_EQ(a.point.latitude, 1.5);
    EXPECT_EQ(a.point.longitude, 3.5);
    EXPECT_TRUE(a.bounds.valid);
    EXPECT_EQ(a.bounds.latMin, 1.0);
    EXPECT_EQ(a.bounds.latMax, 2.0);
    EXPECT_EQ(a.bounds.longMin, 3.0);
    EXPECT_EQ(a.bounds.longMax, 4.0);
    EXPECT_FALSE(journey.linkNodes[0].bounds.valid);
    EXPECT_FALSE(journey.linkNodes[2].bounds.valid);
    EXPECT_TRUE(journey.linkDistances);
    EXPECT_EQ(journey.order, CJourney::Standard);

    EXPECT_EQ(lines(), (Lines{{2, "CPersist::ReadCJourney: reading: J"},
                              {2, "CPersist::GetCGraphSorter: reading: J"},
                              {2, "CPersist::GetCGraphSorter: Journey J: Add link:L1: A --> B."},
                              {2, "CPersist::ReadCJourney: Link Nodes with bounds: 1 of 2"},
                              {2, "CPersist::ReadCJourney Exit"}}));
}

TEST_F(ReadCJourney, sumsDistancesAlongTheJourney) {
    open(schemaSql() +
         "INSERT INTO Journey_links VALUES ('J', 'L1'), ('J', 'L2'), ('J', 'L3');"
         "INSERT INTO links VALUES ('L1', 'A', 'B', 5), ('L2', 'B', 'C', 7), ('L3', 'C', 'D', 0);"
         "INSERT INTO link_nodes VALUES ('A', '', '', 0, 0, 0, 0), ('B', '', '', 0, 0, 0, 0),"
         " ('C', '', '', 0, 0, 0, 0), ('D', '', '', 0, 0, 0, 0);");
    const CJourney journey = read("J");
    ASSERT_EQ(ids(journey), (Texts{"ROOT", "A", "B", "C", "D"}));
    EXPECT_EQ(journey.linkNodes[1].distance, 0.0);
    EXPECT_EQ(journey.linkNodes[2].distance, 5.0);
    EXPECT_EQ(journey.linkNodes[3].distance, 12.0);
    EXPECT_EQ(journey.linkNodes[4].distance, 12.0);
    EXPECT_TRUE(journey.linkDistances)
        << "a node's distance is the running sum, never 0 after a non-zero link";
}

TEST_F(ReadCJourney, recordsMissingDistances) {
    open(schemaSql(without::DistanceTransit | without::BoundingBox) +
         "INSERT INTO Journey_links VALUES ('J', 'L1'), ('J', 'L2');"
         "INSERT INTO links VALUES ('L1', 'A', 'B'), ('L2', 'B', 'C');"
         "INSERT INTO link_nodes VALUES ('A', '', ''), ('B', '', ''), ('C', '', '');");
    const CJourney journey = read("J");
    EXPECT_FALSE(journey.linkDistances);
    EXPECT_EQ(lines()[lines().size() - 2],
              (pwtest::LogLine{2, "CPersist::ReadCJourney: Link Nodes with bounds: 0 of 3"}));
}

TEST_F(ReadCJourney, givesEachNodeItsLastEntryCueInNameOrderElseTheJourneyDefault) {
    open(schemaSql() + "INSERT INTO Journey_links VALUES ('J', 'L1');"
                       "INSERT INTO links VALUES ('L1', 'A', 'B', 1);"
                       "INSERT INTO link_nodes VALUES ('A', '', 'zeta,alpha,plain,gone', 0, 1, 0, 1),"
                       " ('B', '', 'plain,exit', 0, 0, 0, 0);");
    const pw::CCue* alpha = catalogue.insert("alpha", "LINK_ENTRY_TRANSITION", "");
    const pw::CCue* zeta = catalogue.insert("zeta", "enter_transition", "");
    catalogue.insert("plain", "SIMPLE", "");
    catalogue.insert("exit", "LINK_EXIT_TRANSITION", "");
    const pw::CCue* fallback = catalogue.insert("fallback", "SIMPLE", "");
    ASSERT_NE(alpha, nullptr);

    const CJourney journey = read("J", fallback);
    ASSERT_EQ(journey.linkNodes.size(), 3u);
    EXPECT_EQ(journey.linkNodes[0].transitionCue, fallback) << "ROOT has no cues of its own";
    EXPECT_EQ(journey.linkNodes[1].transitionCue, zeta);
    EXPECT_EQ(journey.linkNodes[1].cues.cues.size(), 3u);
    EXPECT_EQ(journey.linkNodes[2].transitionCue, fallback);
    EXPECT_EQ(
        std::count(lines().begin(), lines().end(),
                   pwtest::LogLine{8, "CCueCollection::toCueSubset: Cue name not found in cue list:gone"}),
        1);
}

TEST_F(ReadCJourney, readsTheOrderFromTheJourneysFlags) {
    open(schemaSql() + "INSERT INTO Journey_links VALUES ('R', 'L'), ('C', 'L'), ('B', 'L'), ('N', 'L');"
                       "INSERT INTO links VALUES ('L', 'A', 'B', 1);"
                       "INSERT INTO link_nodes VALUES ('A', '', '', 0, 0, 0, 0), ('B', '', '', 0, 0, 0, 0);"
                       "INSERT INTO attributes VALUES ('R', 'IsRandom', '1'), ('C', 'IsCircular', '1'),"
                       " ('C', 'IsRandom', 'true'), ('B', 'IsRandom', '1'), ('B', 'IsCircular', '1');");
    EXPECT_EQ(read("R").order, CJourney::Random);
    EXPECT_EQ(read("C").order, CJourney::Circular);
    EXPECT_EQ(read("N").order, CJourney::Standard);
    capture.clear();
    EXPECT_EQ(read("B").order, CJourney::Standard);
    EXPECT_EQ(lines()[lines().size() - 2],
              (pwtest::LogLine{8, "Journey cannot be both circular and random.  Standard order assumed."}));
}

TEST_F(ReadCJourney, replacesTheLinkNodesOfAnEarlierRead) {
    open(schemaSql() + "INSERT INTO Journey_links VALUES ('J', 'L1');"
                       "INSERT INTO links VALUES ('L1', 'A', 'B', 1);"
                       "INSERT INTO link_nodes VALUES ('A', '', '', 0, 0, 0, 0), ('B', '', '', 0, 0, 0, 0);");
    CJourney journey("J", pw::CCueSubset(), nullptr, nullptr, nullptr);
    persist->ReadCJourney(&journey, catalogue);
    persist->ReadCJourney(&journey, catalogue);
    EXPECT_EQ(ids(journey), (Texts{"ROOT", "A", "B"}));
}

TEST_F(ReadCJourney, leavesAJourneyWithoutLinksEmpty) {
    open(schemaSql());
    CJourney journey("J", pw::CCueSubset(), nullptr, nullptr, nullptr);
    journey.insert("old", pw::CPoint(), 0.0, pw::CCueSubset(), nullptr, pw::CBounds());
    journey.order = CJourney::Circular;
    persist->ReadCJourney(&journey, catalogue);

    EXPECT_TRUE(journey.linkNodes.empty());
    EXPECT_EQ(journey.current, journey.linkNodes.end());
    EXPECT_EQ(journey.order, CJourney::Circular);
    EXPECT_EQ(lines(), (Lines{{2, "CPersist::ReadCJourney: reading: J"},
                              {2, "CPersist::GetCGraphSorter: reading: J"},
                              {8, "CPersist::ReadCJourney: error reading: J"}}));
}

TEST_F(ReadCJourney, readsARingThatNoLinkEntersAsRootAlone) {
    open(schemaSql() + "INSERT INTO Journey_links VALUES ('J', 'L1'), ('J', 'L2');"
                       "INSERT INTO links VALUES ('L1', 'A', 'B', 1), ('L2', 'B', 'A', 1);"
                       "INSERT INTO link_nodes VALUES ('A', '', '', 0, 1, 0, 1), ('B', '', '', 0, 1, 0, 1);");
    const CJourney journey = read("J");
    EXPECT_EQ(ids(journey), (Texts{"ROOT"}));
    EXPECT_EQ(lines()[lines().size() - 2],
              (pwtest::LogLine{2, "CPersist::ReadCJourney: Link Nodes with bounds: 0 of 0"}));
}

} // namespace
