// A journey of a million link nodes, in a chain and in a ring without a start: the load must finish
// (no recursion deep enough to overflow the stack, nothing quadratic) and give every link node in
// order. The bounds checked are sizes, never times. Reading a million link nodes through SQLite takes
// minutes under an emulator, so these tests are a program of their own, labelled slow.

#include "robustness/extremes_support.h"
#include "support/log_capture.h"

#include <optional>
#include <string>
#include <vector>

namespace {

using pwtest::AllocationCounter;
using pwtest::Extremes;
using pwtest::numbers;
using pwtest::StatementCounter;

constexpr std::size_t manyNodes = 1000000;

// One million link nodes N0 to N999999 at one point: "chain" links them in order, "ring" also links
// the last one back to the first. Written without a journal, as one transaction, to keep the time
// spent making the fixture down.
std::string millionNodeNetwork() {
    return "PRAGMA journal_mode = OFF;\nPRAGMA synchronous = OFF;\nBEGIN;\n" + numbers(manyNodes) + R"sql(
INSERT INTO link_nodes SELECT 'N' || i, 'P', '', i, i + 1, -1, 1 FROM n;
INSERT INTO attributes VALUES ('P', 'LAT', '0.5'), ('P', 'LONG', '-0.5');
INSERT INTO links SELECT 'L' || i, 'N' || i, 'N' || ((i + 1) % (SELECT count(*) FROM n)), 1 FROM n;
INSERT INTO journeys VALUES ('chain', '', '', '', 1), ('ring', '', '', '', 1);
INSERT INTO Journey_links SELECT 'chain', 'L' || i FROM n WHERE i < (SELECT max(i) FROM n);
INSERT INTO Journey_links SELECT 'ring', 'L' || i FROM n;
COMMIT;
)sql";
}

// Both journeys share one fixture, which takes longer to make than either takes to read.
TEST_F(Extremes, aJourneyOfAMillionLinkNodesIsReadInOrderAsAChainAndAsARingWithoutAStart) {
    open(millionNodeNetwork());
    std::optional<pwtest::LogCapture> capture;
    // As a host does around a load: the database's file lock is taken once, not once per statement.
    const Csqlite::ReadTransaction transaction(*database);
    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    persist->ReadCJourneyCollection(&network, catalogue, "", "");
    ASSERT_EQ(network.journeys.size(), 2u);
    pw::CJourney& chain = network.journeys[0];
    pw::CJourney& ring = network.journeys[1];

    {
        const AllocationCounter allocations;
        const StatementCounter statements(database->handle());
        persist->ReadCJourney(&chain, catalogue);
        // One statement reads the links; each node's point costs one per coordinate.
        EXPECT_LE(statements.statements, 2 * manyNodes + 16);
        if (allocations.made() != 0) {
            EXPECT_LT(allocations.made(), 64 * manyNodes);
        }
    }
    ASSERT_EQ(chain.linkNodes.size(), manyNodes + 1);
    EXPECT_EQ(chain.linkNodes[0].id, "ROOT");
    for (std::size_t i = 0; i < manyNodes; ++i) {
        const pw::CLinkNode& node = chain.linkNodes[i + 1];
        if (node.id != "N" + std::to_string(i) || node.distance != static_cast<double>(i) ||
            node.point.latitude != 0.5 || node.point.longitude != -0.5 || !node.bounds.valid) {
            ADD_FAILURE() << "link node " << i + 1 << " is " << node.id << " at distance " << node.distance;
            break;
        }
    }
    EXPECT_TRUE(chain.linkDistances);
    EXPECT_EQ(chain.CountLinkNodesWithValidBounds(), manyNodes);
    EXPECT_EQ(chain.SetCurrent("N999999"), chain.linkNodes.end() - 1);

    {
        const AllocationCounter allocations;
        capture.emplace();
        persist->ReadCJourney(&ring, catalogue);
        if (allocations.made() != 0) {
            EXPECT_LT(allocations.made(), 64 * manyNodes);
        }
    }
    ASSERT_EQ(ring.linkNodes.size(), 1u);
    EXPECT_EQ(ring.linkNodes[0].id, "ROOT");
    const std::vector<pwtest::LogLine>& lines = capture->lines();
    ASSERT_EQ(lines.size(), manyNodes + 4);
    EXPECT_EQ(lines[lines.size() - 2],
              (pwtest::LogLine{2, "CPersist::ReadCJourney: Link Nodes with bounds: 0 of 0"}));
    EXPECT_EQ(lines.back(), (pwtest::LogLine{2, "CPersist::ReadCJourney Exit"}));
}

} // namespace
