#include <gtest/gtest.h>
#include <pathweave/graph_sorter.h>

#include <cstdint>
#include <sstream>
#include <utility>

namespace {

using Data = CGraphSorter::CData;
using Links = std::vector<std::pair<std::string, std::string>>;
using Names = std::vector<std::string>;

Data payload(const std::string& id, double distance = 0.0) {
    Data data(id);
    data.pointId = "P" + id;
    data.distance = distance;
    return data;
}

Names sortedIds(CGraphSorter& graph) {
    Names ids;
    for (const Data* data : graph.Sort()) {
        ids.push_back(data->nodeId);
    }
    return ids;
}

TEST(CGraphSorter, sortsBreadthFirstFromTheNodesThatNoLinkEntersInNameOrder) {
    const std::pair<Links, Names> cases[] = {
        {{}, {"ROOT"}},
        {{{"B", "B2"}, {"A", "A2"}}, {"ROOT", "A", "B", "A2", "B2"}},
        {{{"A", "C"}, {"A", "B"}}, {"ROOT", "A", "C", "B"}},
        {{{"A", "B"}, {"B", "C"}, {"C", "B"}, {"A", "B"}}, {"ROOT", "A", "B", "C"}},
        {{{"X", "Y"}, {"A", "B"}, {"B", "A"}, {"S", "S"}}, {"ROOT", "X", "Y"}},
        {{{"a", "A"}, {"", "a"}, {"ROOT", "x"}}, {"ROOT", "", "ROOT", "a", "x", "A"}},
    };
    for (const auto& [links, order] : cases) {
        CGraphSorter graph;
        for (const auto& [from, to] : links) {
            graph.Add(from, payload(from), to, payload(to));
        }
        EXPECT_EQ(sortedIds(graph), order) << order.back();
    }
}

TEST(CGraphSorter, keepsTheFirstPayloadOfANodeButTheLastNonZeroDistanceIntoIt) {
    CGraphSorter graph;
    Data first = payload("A", 5.0);
    first.cues = "bell";
    graph.Add("X", payload("X"), "A", first);
    graph.Add("A", payload("A", 9.0), "B", payload("B"));
    graph.Add("Y", payload("Y"), "A", payload("A", 7.0));
    graph.Add("Z", payload("Z"), "A", payload("A", -0.0));
    const Data& a = graph.nodes.at("A").data;
    EXPECT_EQ(a.cues, "bell");
    EXPECT_EQ(a.distance, 7.0);
    EXPECT_EQ(graph.nodes.at("B").data.distance, 0.0);
    CGraphSorter moved(std::move(graph));
    EXPECT_EQ(&moved.nodes.at("A").data, &a) << "a move before sorting keeps every node in place";
}

std::string address(const void* pointer) {
    std::ostringstream text;
    text << pointer;
    return text.str();
}

TEST(CGraphSorter, dumpsEveryNodeInNameOrderWithTheAddressesOfItsChildren) {
    CGraphSorter graph;
    Data n2 = payload("N2", 12.5);
    n2.cues = "c1,c2";
    graph.Add("N2", n2, "N3", payload("N3", 2.5));
    graph.Add("N2", n2, "N1", payload("N1"));
    std::ostringstream dump;
    graph.write_to_stream(dump);
    const std::string n1 = address(&graph.nodes.at("N1")), n3 = address(&graph.nodes.at("N3"));
    EXPECT_EQ(dump.str(), "Address:" + n1 + " --> Node:N1 Point:PN1 Cues: Distance:0 Ptr:\nAddress:" +
                              address(&graph.nodes.at("N2")) +
                              " --> Node:N2 Point:PN2 Cues:c1,c2 Distance:12.5 Ptr:" + n3 + "," + n1 +
                              "\nAddress:" + n3 + " --> Node:N3 Point:PN3 Cues: Distance:2.5 Ptr:\n");
}

TEST(CGraphSorter, sortsAMillionNodeChainAddedFromItsEnd) {
    constexpr std::size_t count = 1000000;
    // Names whose order differs from the chain's.
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

} // namespace
