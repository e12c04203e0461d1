#include "persist/persist_fixture.h"

#include <pathweave/cue.h>

namespace {

using pwtest::Lines;
using pwtest::schemaSql;
namespace without = pwtest::without;

class ReadCCueCollection : public pwtest::PersistTest {};

TEST_F(ReadCCueCollection, readsEveryRowTheFirstOfANameWinning) {
    open(schemaSql() + "INSERT INTO cues VALUES ('bell', 'simple', 'a,b');"
                       "INSERT INTO cues VALUES ('bell', 'GLOBAL', 'c');"
                       "INSERT INTO cues VALUES ('', 'GLOBAL', 'dropped');"
                       "INSERT INTO cues VALUES ('zone', 'global', NULL);"
                       "INSERT INTO cues VALUES ('odd', NULL, '');");
    pw::CCueCollection catalogue;
    persist->ReadCCueCollection(&catalogue);

    ASSERT_EQ(catalogue.cues.size(), 3u);
    EXPECT_EQ(catalogue.cues.at("bell").type, pw::CCue::Simple);
    EXPECT_EQ(catalogue.cues.at("bell").arguments, (pwtest::Texts{"a", "b"}));
    EXPECT_EQ(catalogue.cues.at("zone").type, pw::CCue::Global);
    EXPECT_TRUE(catalogue.cues.at("zone").arguments.empty());
    EXPECT_EQ(catalogue.cues.at("odd").type, 0u);
    EXPECT_EQ(statements(), (pwtest::Texts{"select cue_id, cue_type, cue_arguments from cues;"}));
    EXPECT_TRUE(lines().empty());
}

TEST_F(ReadCCueCollection, replacesWhatAnEarlierReadLeft) {
    open(schemaSql() + "INSERT INTO cues VALUES ('bell', 'SIMPLE', '');");
    pw::CCueCollection catalogue;
    catalogue.insert("gone", "SIMPLE", "");
    persist->ReadCCueCollection(&catalogue);
    persist->ReadCCueCollection(&catalogue);
    ASSERT_EQ(catalogue.cues.size(), 1u);
    EXPECT_NE(catalogue.find("bell"), nullptr);
}

TEST_F(ReadCCueCollection, leavesAnEmptyTableSilentlyEmpty) {
    open(schemaSql());
    pw::CCueCollection catalogue;
    persist->ReadCCueCollection(&catalogue);
    EXPECT_TRUE(catalogue.cues.empty());
    EXPECT_TRUE(lines().empty());
}

TEST_F(ReadCCueCollection, logsAMissingTableAndLeavesTheCatalogueEmpty) {
    open(schemaSql(without::Cues));
    pw::CCueCollection catalogue;
    catalogue.insert("stale", "SIMPLE", "");
    persist->ReadCCueCollection(&catalogue);
    EXPECT_TRUE(catalogue.cues.empty());
    EXPECT_EQ(lines(),
              (Lines{{16, "CPersist::ReadCCueCollection: " + fileName() + " : no such table: cues"}}));
}

} // namespace
