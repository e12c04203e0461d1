// Networks at the far end of what a database can hold, one for each reader: the reads must finish and
// give every element. The bounds checked are sizes, never times: a quadratic read does not finish.

#include "support/network_schema.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/pathweave.h>

namespace {

// A network database made from `sql`, which may use the table n of the numbers 0 to 99,999.
class Extremes : public ::testing::Test {
protected:
    void open(const std::string& sql) {
        fixture = std::make_unique<pwtest::TempDatabase>(pwtest::schemaSql() + R"sql(
CREATE INDEX links_by_id ON links (LINK_ID); CREATE INDEX link_nodes_by_id ON link_nodes (LINKNODE_ID);
CREATE INDEX attributes_by_id ON attributes (id);
CREATE TEMP TABLE n AS WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < 99999) SELECT i FROM c;
)sql" + sql);
        database = std::make_unique<Csqlite>(fixture->path());
        reader = std::make_unique<pw::CPersist>(database.get());
    }

    std::unique_ptr<pwtest::TempDatabase> fixture;
    std::unique_ptr<Csqlite> database;
    std::unique_ptr<pw::CPersist> reader;
    pw::CCueCollection catalogue;
};

TEST_F(Extremes, theCueReaderSplitsAnArgumentTextOfAMillionArguments) {
    open("INSERT INTO cues VALUES ('many', 'SIMPLE', replace(hex(zeroblob(999999)), '00', 'abcdefghi,') || "
         "'j');");
    reader->ReadCCueCollection(&catalogue);
    ASSERT_EQ(catalogue.cues.size(), 1u);
    const std::vector<std::string>& many = catalogue.find("many")->arguments;
    EXPECT_EQ(many.size(), 1000000u);
    EXPECT_TRUE(many.front() == "abcdefghi" && many.back() == "j");
}

TEST_F(Extremes, theCollectionReaderListsAHundredThousandJourneysInOrder) {
    open("INSERT INTO journeys SELECT 'J' || i, '', '', '', 1 FROM n ORDER BY i;");
    pw::CJourneyCollection network;
    reader->ReadCJourneyCollection(&network, catalogue, "", "");
    ASSERT_EQ(network.journeys.size(), 100000u);
    for (std::size_t i = 0; i < network.journeys.size(); ++i) {
        const pw::CJourney& journey = network.journeys[i];
        if (journey.id != "J" + std::to_string(i) || journey.current != journey.linkNodes.begin()) {
            ADD_FAILURE() << "journey " << i << " is " << journey.id;
            break;
        }
    }
}

// A chain of a hundred thousand link nodes: no recursion deep enough to overflow the stack, and every
// link node in order.
TEST_F(Extremes, theJourneyReaderReadsAHundredThousandLinkNodesInOrder) {
    open(R"sql(
INSERT INTO link_nodes SELECT 'N' || i, 'P', '', i, i + 1, -1, 1 FROM n;
INSERT INTO attributes VALUES ('P', 'LAT', '0.5'), ('P', 'LONG', '-0.5');
INSERT INTO links SELECT 'L' || i, 'N' || i, 'N' || (i + 1), 1 FROM n WHERE i < 99999;
INSERT INTO Journey_links SELECT 'chain', LINK_ID FROM links;
)sql");
    // As a host does around a load: the database's file lock is taken once, not once per statement.
    const Csqlite::ReadTransaction transaction(*database);
    pw::CJourney chain("chain", pw::CCueSubset(), nullptr, nullptr, nullptr);
    reader->ReadCJourney(&chain, catalogue);
    ASSERT_EQ(chain.linkNodes.size(), 100001u);
    for (std::size_t i = 0; i < 100000; ++i) {
        const pw::CLinkNode& node = chain.linkNodes[i + 1];
        if (node.id != "N" + std::to_string(i) || node.distance != static_cast<double>(i) ||
            node.point.latitude != 0.5 || node.point.longitude != -0.5 || !node.bounds.valid) {
            ADD_FAILURE() << "link node " << i + 1 << " is " << node.id << " at distance " << node.distance;
            break;
        }
    }
}

} // namespace
