#include <gtest/gtest.h>
#include <pathweave/graph_sorter.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Data = CGraphSorter::CData;
using Link = std::pair<std::string, std::string>;
using Names = std::vector<std::string>;

Data payload(const std::string& id, double distance = 0.0) {
    Data data(id);
    data.pointId = "P" + id;
    data.distance = distance;
    return data;
}

void addLinks(CGraphSorter& graph, std::initializer_list<Link> links) {
    for (const Link& link : links) {
        graph.Add(link.first, payload(link.first), link.second, payload(link.second));
    }
}

Names sortedIds(CGraphSorter& graph) {
    Names ids;
    for (const Data* data : graph.Sort()) {
        ids.push_back(data->nodeId);
    }
    return ids;
}

Names order(std::initializer_list<Link> links) {
    CGraphSorter graph;
    addLinks(graph, links);
    return sortedIds(graph);
}

std::string address(const void* pointer) {
    std::ostringstream text;
    text << pointer;
    return text.str();
}

TEST(CGraphSorter, startsEmptyWithTheRootPayload) {
    CGraphSorter graph;
    EXPECT_TRUE(graph.nodes.empty());
    EXPECT_EQ(graph.root.data.nodeId, "ROOT");
    EXPECT_EQ(graph.root.data.pointId, "");
    EXPECT_EQ(graph.root.data.cues, "");
    EXPECT_EQ(graph.root.data.distance, 0.0);
    EXPECT_EQ(graph.root.data.bbLongMax, 0.0);
    EXPECT_EQ(sortedIds(graph), (Names{"ROOT"}));
}

TEST(CGraphSorter, ordersAChainWhateverOrderItsLinksCameIn) {
    EXPECT_EQ(order({{"A", "B"}, {"B", "C"}}), (Names{"ROOT", "A", "B", "C"}));
    EXPECT_EQ(order({{"B", "C"}, {"A", "B"}}), (Names{"ROOT", "A", "B", "C"}));
}

TEST(CGraphSorter, interleavesChainsFromSeveralStartNodesInNameOrder) {
    EXPECT_EQ(order({{"B", "B2"}, {"A", "A2"}}), (Names{"ROOT", "A", "B", "A2", "B2"}));
}

TEST(CGraphSorter, visitsChildrenInTheOrderTheirLinksWereAdded) {
    EXPECT_EQ(order({{"A", "C"}, {"A", "B"}}), (Names{"ROOT", "A", "C", "B"}));
}

TEST(CGraphSorter, listsANodeOnceAtItsFirstDiscovery) {
    EXPECT_EQ(order({{"A", "B"}, {"A", "C"}, {"B", "D"}, {"C", "D"}}), (Names{"ROOT", "A", "B", "C", "D"}));
    EXPECT_EQ(order({{"A", "B"}, {"B", "C"}, {"C", "B"}}), (Names{"ROOT", "A", "B", "C"}));
    EXPECT_EQ(order({{"A", "B"}, {"A", "B"}}), (Names{"ROOT", "A", "B"}));
}

TEST(CGraphSorter, leavesOutNodesThatNoStartNodeReaches) {
    EXPECT_EQ(order({{"A", "B"}, {"B", "C"}, {"C", "A"}}), (Names{"ROOT"}));
    EXPECT_EQ(order({{"X", "Y"}, {"A", "B"}, {"B", "A"}}), (Names{"ROOT", "X", "Y"}));
    EXPECT_EQ(order({{"S", "S"}}), (Names{"ROOT"}));
    EXPECT_EQ(order({{"A", "S"}, {"S", "S"}}), (Names{"ROOT", "A", "S"}));
}

TEST(CGraphSorter, addsRepeatedLinksAndSelfLinksAsGiven) {
    CGraphSorter graph;
    addLinks(graph, {{"A", "B"}, {"A", "B"}, {"S", "S"}});
    const CGraphSorter::CDataWrapper& a = graph.nodes.at("A");
    const CGraphSorter::CDataWrapper& b = graph.nodes.at("B");
    const CGraphSorter::CDataWrapper& s = graph.nodes.at("S");
    EXPECT_EQ(a.children,
              (std::vector<CGraphSorter::CDataWrapper*>{&graph.nodes.at("B"), &graph.nodes.at("B")}));
    EXPECT_FALSE(a.hasParent);
    EXPECT_TRUE(b.hasParent);
    EXPECT_EQ(s.children, (std::vector<CGraphSorter::CDataWrapper*>{&graph.nodes.at("S")}));
    EXPECT_TRUE(s.hasParent);
}

TEST(CGraphSorter, comparesNamesAsExactBytes) {
    CGraphSorter graph;
    addLinks(graph, {{"a", "A"}, {"", "a"}});
    ASSERT_EQ(graph.nodes.size(), 3u);
    EXPECT_EQ(sortedIds(graph), (Names{"ROOT", "", "a", "A"}));
}

TEST(CGraphSorter, accessKeepsTheFirstPayloadOfAName) {
    CGraphSorter graph;
    Data first = payload("N", 4.0);
    first.cues = "bell";
    CGraphSorter::CDataWrapper* made = graph.access("N", first);
    EXPECT_FALSE(made->visited);
    EXPECT_FALSE(made->hasParent);
    EXPECT_TRUE(made->children.empty());
    EXPECT_EQ(made->data.cues, "bell");

    Data second = payload("N", 9.0);
    second.cues = "horn";
    EXPECT_EQ(graph.access("N", second), made);
    EXPECT_EQ(made->data.cues, "bell");
    EXPECT_EQ(made->data.distance, 4.0);
}

TEST(CGraphSorter, creditsNonZeroIncomingDistancesToTheTarget) {
    CGraphSorter graph;
    graph.Add("X", payload("X"), "A", payload("A", 5.0));
    graph.Add("A", payload("A"), "B", payload("B", 0.0));
    EXPECT_EQ(graph.nodes.at("A").data.distance, 5.0) << "being a source later changes nothing";
    EXPECT_EQ(graph.nodes.at("B").data.distance, 0.0);

    graph.Add("X", payload("X"), "C", payload("C", 3.0));
    graph.Add("Y", payload("Y"), "C", payload("C", 7.0));
    EXPECT_EQ(graph.nodes.at("C").data.distance, 7.0) << "the last non-zero distance wins";
    graph.Add("Z", payload("Z"), "C", payload("C", -0.0));
    EXPECT_EQ(graph.nodes.at("C").data.distance, 7.0) << "zero never overwrites";

    Data firstAsSource = payload("D");
    graph.Add("D", firstAsSource, "E", payload("E"));
    graph.Add("Y", payload("Y"), "D", payload("D", 2.5));
    EXPECT_EQ(graph.nodes.at("D").data.distance, 2.5);
}

TEST(CGraphSorter, dumpsEveryNodeWithTheAddressesOfItsChildren) {
    CGraphSorter graph;
    Data n2 = payload("N2");
    n2.pointId = "P2";
    n2.cues = "c1,c2";
    n2.bbLatMin = 99.0;
    graph.Add("N2", n2, "N3", payload("N3", 12.5));
    graph.Add("N2", n2, "N1", payload("N1"));
    graph.nodes.at("N2").data.distance = 12.5;

    std::ostringstream dump;
    graph.write_to_stream(dump);

    const std::string n1 = address(&graph.nodes.at("N1"));
    const std::string n3 = address(&graph.nodes.at("N3"));
    EXPECT_EQ(dump.str(), "Address:" + n1 + " --> Node:N1 Point:PN1 Cues: Distance:0 Ptr:\n" +
                              "Address:" + address(&graph.nodes.at("N2")) +
                              " --> Node:N2 Point:P2 Cues:c1,c2 Distance:12.5 Ptr:" + n3 + "," + n1 + "\n" +
                              "Address:" + n3 + " --> Node:N3 Point:PN3 Cues: Distance:12.5 Ptr:\n");

    std::ostringstream empty;
    CGraphSorter().write_to_stream(empty);
    EXPECT_EQ(empty.str(), "");
}

TEST(CGraphSorter, movesBeforeSortingWithEveryNodeInPlace) {
    CGraphSorter graph;
    addLinks(graph, {{"A", "B"}, {"B", "C"}});
    const CGraphSorter::CDataWrapper* b = &graph.nodes.at("B");
    CGraphSorter moved(std::move(graph));
    EXPECT_EQ(&moved.nodes.at("B"), b);
    EXPECT_EQ(sortedIds(moved), (Names{"ROOT", "A", "B", "C"}));
}

TEST(CGraphSorter, sortsAMillionNodeChain) {
    constexpr std::size_t count = 1000000;
    // Names whose order differs from the chain's, added from the chain's end to its start.
    std::vector<Data> chain;
    chain.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        // 64-bit arithmetic: the product passes 2^32, the width of size_t on 32-bit targets.
        chain.emplace_back(std::to_string((std::uint64_t{i} * 7919) % count));
    }
    CGraphSorter graph;
    for (std::size_t i = count - 1; i > 0; --i) {
        graph.Add(chain[i - 1].nodeId, chain[i - 1], chain[i].nodeId, chain[i]);
    }
    const std::vector<Data*> sorted = graph.Sort();
    ASSERT_EQ(sorted.size(), count + 1);
    EXPECT_EQ(sorted[0], &graph.root.data);
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(sorted[i + 1]->nodeId, chain[i].nodeId) << "at position " << i + 1;
    }
}

TEST(CGraphSorter, sortsAThousandByThousandGridLevelByLevel) {
    constexpr int side = 1000;
    std::vector<Data> cells;
    cells.reserve(side * side);
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            cells.emplace_back(std::to_string(row) + ":" + std::to_string(column));
        }
    }
    auto cell = [&cells](int row, int column) -> const Data& {
        return cells[static_cast<std::size_t>(row * side + column)];
    };
    CGraphSorter graph;
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            const Data& from = cell(row, column);
            if (row + 1 < side) {
                graph.Add(from.nodeId, from, cell(row + 1, column).nodeId, cell(row + 1, column));
            }
            if (column + 1 < side) {
                graph.Add(from.nodeId, from, cell(row, column + 1).nodeId, cell(row, column + 1));
            }
        }
    }
    const std::vector<Data*> sorted = graph.Sort();
    ASSERT_EQ(sorted.size(), cells.size() + 1);
    // Breadth-first from the one corner that no link enters: the anti-diagonals in turn, each from
    // its bottom row up, since every node's link down was added before its link right.
    std::size_t position = 1;
    for (int level = 0; level <= 2 * (side - 1); ++level) {
        for (int row = std::min(level, side - 1); row >= std::max(0, level - side + 1); --row) {
            ASSERT_EQ(sorted[position]->nodeId, cell(row, level - row).nodeId) << "at position " << position;
            ++position;
        }
    }
}

} // namespace
