#include "persist/persist_fixture.h"

#include <pathweave/cue.h>
#include <pathweave/journey.h>

namespace {

using pw::CJourneyCollection;
using pwtest::Lines;
using pwtest::schemaSql;
using pwtest::Texts;
namespace without = pwtest::without;

const std::string cues = "INSERT INTO cues VALUES ('hello', 'JOURNEY_ENTRY_TRANSITION', ''),"
                         " ('arrive', 'LINK_ENTRY_TRANSITION', ''), ('byeA', 'EXIT_TRANSITION', ''),"
                         " ('byeB', 'JOURNEY_EXIT_TRANSITION', ''), ('next', 'LINK_ENTRY_TRANSITION', ''),"
                         " ('info', 'SIMPLE', '');";

// The non-journey points, stored as journey NJP: one link P1 -> P2.
const std::string points =
    "INSERT INTO Journey_links VALUES ('NJP', 'LP');"
    "INSERT INTO links VALUES ('LP', 'P1', 'P2', 0);"
    "INSERT INTO link_nodes VALUES ('P1', 'X1', '', 0, 0, 0, 0), ('P2', 'X2', '', 0, 0, 0, 0);";

class ReadCJourneyCollection : public pwtest::PersistTest {
protected:
    void read(const std::string& nonJourneyPointsId, const std::string& journeyId) {
        persist->ReadCCueCollection(&catalogue);
        capture.clear();
        persist->ReadCJourneyCollection(&collection, catalogue, nonJourneyPointsId, journeyId);
    }

    Texts journeyIds() const {
        Texts ids;
        for (const pw::CJourney& journey : collection.journeys) {
            ids.push_back(journey.id);
        }
        return ids;
    }

    pw::CCueCollection catalogue;
    CJourneyCollection collection;
};

TEST_F(ReadCJourneyCollection, listsOnlySelectableJourneysWhenTheTableSaysWhich) {
    open(schemaSql() + cues +
         "INSERT INTO journeys VALUES ('J1', '', '', '', 1), ('J2', '', '', '', 0),"
         " ('J3', '', '', '', NULL), ('J1', '', '', '', 1);");
    read("", "");
    EXPECT_EQ(journeyIds(), (Texts{"J1", "J1"}));
    EXPECT_EQ(collection.nonJourneyPointsCount, 0u);
    EXPECT_TRUE(lines().empty());

    read("", "J2");
    EXPECT_EQ(journeyIds(), (Texts{"J2"})) << "an id is read whether or not it is selectable";
}

TEST_F(ReadCJourneyCollection, listsEveryJourneyWithoutASelectableColumn) {
    open(schemaSql(without::Selectable) +
         "INSERT INTO journeys VALUES ('J1', '', '', ''), ('J2', '', '', '');");
    read("", "");
    EXPECT_EQ(journeyIds(), (Texts{"J1", "J2"}));
    read("", "none");
    EXPECT_TRUE(collection.journeys.empty());
}

TEST_F(ReadCJourneyCollection, choosesEntryAndExitCuesFromTheJourneysOwnCues) {
    open(schemaSql() + cues +
         "INSERT INTO journeys VALUES ('J1', 'hello', 'next', 'arrive,info,missing', 1),"
         " ('J2', 'hello', 'nothing', 'byeA,byeB', 1), ('J3', 'none', 'next', 'info', 1);");
    read("", "");
    ASSERT_EQ(collection.journeys.size(), 3u);
    const pw::CJourney& j1 = collection.journeys[0];
    EXPECT_EQ(j1.entryCue, catalogue.find("arrive")) << "a listed entry cue wins over the transition cue";
    EXPECT_EQ(j1.exitCue, nullptr);
    EXPECT_EQ(j1.linkTransitionCue, catalogue.find("next"));
    EXPECT_EQ(j1.cues.cues.size(), 2u);
    const pw::CJourney& j2 = collection.journeys[1];
    EXPECT_EQ(j2.entryCue, catalogue.find("hello"));
    EXPECT_EQ(j2.exitCue, catalogue.find("byeB")) << "the last exit cue in name order wins";
    EXPECT_EQ(j2.linkTransitionCue, nullptr);
    const pw::CJourney& j3 = collection.journeys[2];
    EXPECT_EQ(j3.entryCue, nullptr);
    for (const pw::CJourney& journey : collection.journeys) {
        EXPECT_TRUE(journey.linkNodes.empty()) << journey.id;
    }
    EXPECT_EQ(lines(), (Lines{{8, "CCueCollection::toCueSubset: Cue name not found in cue list:missing"}}));
}

TEST_F(ReadCJourneyCollection, takesTheExitTransitionCueWhenItsNameSortsLast) {
    open(schemaSql() +
         "INSERT INTO cues VALUES ('b', 'EXIT_TRANSITION', ''), ('a', 'JOURNEY_EXIT_TRANSITION', '');"
         "INSERT INTO journeys VALUES ('J', '', '', 'a,b', 1);");
    read("", "");
    ASSERT_EQ(collection.journeys.size(), 1u);
    EXPECT_EQ(collection.journeys[0].exitCue, catalogue.find("b"));
}

TEST_F(ReadCJourneyCollection, readsTheNonJourneyPointsInFullFirst) {
    open(schemaSql() + points + "INSERT INTO journeys VALUES ('J1', '', '', '', 1);");
    read("NJP", "");
    EXPECT_EQ(journeyIds(), (Texts{"NJP", "J1"}));
    EXPECT_EQ(collection.nonJourneyPointsCount, 1u);
    EXPECT_EQ(collection.GetNonJourneyPoints(), collection.journeys.begin());
    EXPECT_EQ(collection.journeys[0].linkNodes.size(), 3u);
    EXPECT_TRUE(collection.journeys[1].linkNodes.empty());
    EXPECT_EQ(collection.find("NJP"), collection.journeys.end());
    EXPECT_EQ(lines().front(), (pwtest::LogLine{2, "CPersist::ReadCJourney: reading: NJP"}));
}

TEST_F(ReadCJourneyCollection, keepsTheNonJourneyPointsWhenJourneyColumnsAreMissing) {
    open(schemaSql(without::JourneyColumns) + points);
    read("NJP", "");
    EXPECT_EQ(journeyIds(), (Texts{"NJP"}));
    EXPECT_EQ(collection.journeys[0].linkNodes.size(), 3u);
    EXPECT_EQ(lines().back(), (pwtest::LogLine{16, "CPersist::ReadCJourneyCollection: database: " +
                                                       fileName() + " : mandatory fields missing."}));
}

TEST_F(ReadCJourneyCollection, leavesEveryJourneyOnItsFirstLinkNodeAsInsertingEachWould) {
    std::string journeys = "INSERT INTO journeys VALUES ('J0', '', '', '', 1)";
    for (int i = 1; i < 40; ++i) {
        journeys += ", ('J" + std::to_string(i) + "', '', '', '', 1)";
    }
    open(schemaSql() + points + journeys + ";");
    read("NJP", "");
    ASSERT_EQ(collection.journeys.size(), 41u);
    EXPECT_EQ(collection.journeys[40].id, "J39");
    for (const pw::CJourney& journey : collection.journeys) {
        EXPECT_TRUE(journey.current == journey.linkNodes.begin()) << journey.id;
        EXPECT_TRUE(journey.selected == journey.linkNodes.begin()) << journey.id;
        EXPECT_TRUE(journey.active == journey.linkNodes.end()) << journey.id;
    }
    EXPECT_EQ(collection.journeys[0].linkNodes.size(), 3u);
    EXPECT_EQ(collection.current, collection.journeys.end());
    EXPECT_EQ(collection.active, collection.journeys.end());
    EXPECT_EQ(collection.selected, collection.journeys.end());
}

TEST_F(ReadCJourneyCollection, emptiesTheCollectionFirst) {
    open(schemaSql() + "INSERT INTO journeys VALUES ('J1', '', '', '', 1);");
    collection.insert("stale", pw::CCueSubset(), nullptr, nullptr, nullptr);
    collection.SetCurrent("stale");
    read("", "");
    EXPECT_EQ(journeyIds(), (Texts{"J1"}));
    EXPECT_EQ(collection.current, collection.journeys.end());
}

} // namespace
