#include "persist/persist_fixture.h"

#include <pathweave/journey_query.h>

namespace {

using pwtest::Lines;
using pwtest::schemaSql;
using pwtest::Texts;
namespace without = pwtest::without;

class GetCGraphSorter : public pwtest::PersistTest {};

// Links J: A -> B (10), B -> C (20), with boxes on every node.
const std::string chain = "INSERT INTO Journey_links VALUES ('J', 'L1'), ('J', 'L2');"
                          "INSERT INTO links VALUES ('L1', 'A', 'B', 10), ('L2', 'B', 'C', 20);"
                          "INSERT INTO link_nodes VALUES ('A', 'PA', 'a1,a2', 1, 2, 3, 4),"
                          " ('B', 'PB', 'b', 5, 6, 7, 8), ('C', 'PC', '', 9, 10, 11, 12);";

TEST_F(GetCGraphSorter, addsOneEdgePerLinkCreditingItsDistanceToItsEndNode) {
    open(schemaSql() + chain);
    CGraphSorter graph = persist->GetCGraphSorter("J");

    ASSERT_EQ(graph.nodes.size(), 3u);
    const CGraphSorter::CData& a = graph.nodes.at("A").data;
    EXPECT_EQ(a.nodeId, "A");
    EXPECT_EQ(a.pointId, "PA");
    EXPECT_EQ(a.cues, "a1,a2");
    EXPECT_EQ(a.distance, 0.0);
    EXPECT_EQ(a.bbLatMin, 1.0);
    EXPECT_EQ(a.bbLatMax, 2.0);
    EXPECT_EQ(a.bbLongMin, 3.0);
    EXPECT_EQ(a.bbLongMax, 4.0);
    EXPECT_EQ(graph.nodes.at("B").data.distance, 10.0);
    EXPECT_EQ(graph.nodes.at("C").data.distance, 20.0);
    EXPECT_EQ(graph.nodes.at("C").data.bbLongMax, 12.0);
    EXPECT_EQ(graph.nodes.at("A").children, (std::vector<CGraphSorter::CDataWrapper*>{&graph.nodes.at("B")}));
    EXPECT_TRUE(graph.root.children.empty()) << "the graph is not sorted yet";

    EXPECT_EQ(lines(), (Lines{{2, "CPersist::GetCGraphSorter: reading: J"},
                              {2, "CPersist::GetCGraphSorter: Journey J: Add link:L1: A --> B."},
                              {2, "CPersist::GetCGraphSorter: Journey J: Add link:L2: B --> C."}}));
    EXPECT_EQ(statements(), (Texts{CJourneyDataQuery().BuildQuery("J", 7)}));
}

TEST_F(GetCGraphSorter, readsZerosWhereOptionalColumnsAreMissing) {
    open(schemaSql(without::DistanceTransit | without::BoundingBox) +
         "INSERT INTO Journey_links VALUES ('J', 'L1');"
         "INSERT INTO links VALUES ('L1', 'A', 'B');"
         "INSERT INTO link_nodes VALUES ('A', 'PA', ''), ('B', 'PB', '');");
    CGraphSorter graph = persist->GetCGraphSorter("J");
    ASSERT_EQ(graph.nodes.size(), 2u);
    const CGraphSorter::CData& b = graph.nodes.at("B").data;
    EXPECT_EQ(b.distance, 0.0);
    EXPECT_EQ(b.bbLatMin, 0.0);
    EXPECT_EQ(b.bbLongMax, 0.0);
    EXPECT_EQ(statements(), (Texts{CJourneyDataQuery().BuildQuery("J", 1)}));
}

TEST_F(GetCGraphSorter, discardsALinkFromANodeToItself) {
    open(schemaSql() +
         "INSERT INTO Journey_links VALUES ('J', 'L0'), ('J', 'L1');"
         "INSERT INTO links VALUES ('L0', 'A', 'A', 3), ('L1', 'A', 'B', 4);"
         "INSERT INTO link_nodes VALUES ('A', 'PA', '', 0, 0, 0, 0), ('B', 'PB', '', 0, 0, 0, 0);");
    CGraphSorter graph = persist->GetCGraphSorter("J");
    ASSERT_EQ(graph.nodes.size(), 2u);
    EXPECT_EQ(graph.nodes.at("A").data.distance, 0.0);
    EXPECT_FALSE(graph.nodes.at("A").hasParent);
    EXPECT_EQ(lines(), (Lines{{2, "CPersist::GetCGraphSorter: reading: J"},
                              {8, "CPersist::GetCGraphSorter:J: Link ID:L0 Duplicate Node ID:A. Discarded."},
                              {2, "CPersist::GetCGraphSorter: Journey J: Add link:L1: A --> B."}}));
}

TEST_F(GetCGraphSorter, keepsANodeNamedRootApartFromTheBuiltInRoot) {
    open(schemaSql() +
         "INSERT INTO Journey_links VALUES ('J', 'L1');"
         "INSERT INTO links VALUES ('L1', 'ROOT', 'B', 1);"
         "INSERT INTO link_nodes VALUES ('ROOT', 'P', '', 0, 0, 0, 0), ('B', 'PB', '', 0, 0, 0, 0);");
    CGraphSorter graph = persist->GetCGraphSorter("J");
    Texts ids;
    for (const CGraphSorter::CData* data : graph.Sort()) {
        ids.push_back(data->nodeId);
    }
    EXPECT_EQ(ids, (Texts{"ROOT", "ROOT", "B"}));
}

TEST_F(GetCGraphSorter, returnsAnEmptyGraphForAJourneyWithoutLinks) {
    open(schemaSql() + chain);
    CGraphSorter graph = persist->GetCGraphSorter("nowhere");
    EXPECT_TRUE(graph.nodes.empty());
    EXPECT_EQ(lines(), (Lines{{2, "CPersist::GetCGraphSorter: reading: nowhere"}}));
}

TEST_F(GetCGraphSorter, logsMissingColumnsWithoutRunningTheDataStatement) {
    open("CREATE TABLE links (LINK_ID, LINKNODE_ID1, DISTANCE_TRANSIT);");
    CGraphSorter graph = persist->GetCGraphSorter("J");
    EXPECT_TRUE(graph.nodes.empty());
    EXPECT_EQ(lines(), (Lines{{2, "CPersist::GetCGraphSorter: reading: J"},
                              {16, "CPersist::GetCGraphSorter: database: " + fileName() +
                                       " : mandatory fields missing."}}));
    EXPECT_TRUE(statements().empty());
}

TEST_F(GetCGraphSorter, logsADataStatementThatCannotBePrepared) {
    open(schemaSql(without::JourneyLinks) + chain.substr(chain.find("INSERT INTO links")));
    CGraphSorter graph = persist->GetCGraphSorter("J");
    EXPECT_TRUE(graph.nodes.empty());
    EXPECT_EQ(lines(),
              (Lines{{2, "CPersist::GetCGraphSorter: reading: J"},
                     {16, "CPersist::GetCGraphSorter: " + fileName() + " : no such table: Journey_links"}}));
}

TEST_F(GetCGraphSorter, readsTwiceIntoIndependentGraphs) {
    open(schemaSql() + chain);
    CGraphSorter first = persist->GetCGraphSorter("J");
    CGraphSorter second = persist->GetCGraphSorter("J");
    EXPECT_EQ(first.nodes.size(), 3u);
    EXPECT_EQ(second.nodes.size(), 3u);
    EXPECT_NE(&first.nodes.at("A"), &second.nodes.at("A"));
}

} // namespace
