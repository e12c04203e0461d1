#include "journey_support.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>
#include <pathweave/journey.h>

#include <limits>
#include <utility>
#include <vector>

namespace {

using pw::CBounds;
using pw::CCue;
using pw::CCueSubset;
using pw::CJourney;
using pw::CPoint;
using pwtest::indexIn;
using pwtest::journeyWithNodes;
using pwtest::LogCapture;
using pwtest::LogLine;
using Lines = std::vector<LogLine>;
using Positions = std::vector<std::ptrdiff_t>;

constexpr std::ptrdiff_t none = -1;

// The indices of the journey's current, active and selected link node.
Positions positionsOf(const CJourney& journey) {
    return {indexIn(journey.linkNodes, journey.current), indexIn(journey.linkNodes, journey.active),
            indexIn(journey.linkNodes, journey.selected)};
}

CJourney journeyWithDistances(std::initializer_list<double> distances) {
    CJourney journey("j", CCueSubset(), nullptr, nullptr, nullptr);
    for (const double distance : distances) {
        journey.insert("n", CPoint{}, distance, CCueSubset(), nullptr, CBounds{});
    }
    return journey;
}

TEST(CJourney, hasNoPositionAfterConstructionInsertOrClear) {
    const CCue bell("bell", "SIMPLE", "");
    CCueSubset cues;
    cues.insert(&bell);
    CJourney journey("J1", cues, &bell, nullptr, &bell);
    EXPECT_EQ(positionsOf(journey), (Positions{none, none, none}));
    EXPECT_FALSE(journey.linkDistances);
    EXPECT_EQ(journey.order, CJourney::Standard);

    for (const bool valid : {true, false, true}) {
        journey.insert("n", CPoint{}, 0.0, CCueSubset(), nullptr, CBounds{valid, 0.0, 0.0, 1.0, 1.0});
    }
    journey.reset();
    journey.insert("last", CPoint{}, 0.0, CCueSubset(), nullptr, CBounds{});
    EXPECT_EQ(positionsOf(journey), (Positions{none, none, none})) << "even though a node was current";
    EXPECT_EQ(journey.CountLinkNodesWithValidBounds(), 2u);

    journey.reset();
    journey.clear();
    EXPECT_TRUE(journey.linkNodes.empty());
    EXPECT_EQ(positionsOf(journey), (Positions{none, none, none}));
    EXPECT_EQ(journey.CountLinkNodesWithValidBounds(), 0u);
    EXPECT_EQ(journey.id, "J1");
    EXPECT_EQ(journey.cues.cues.size(), 1u);
    EXPECT_EQ(journey.linkTransitionCue, &bell);
}

TEST(CJourney, setCurrentMovesCurrentAndSelectedButNotActiveAndLogsEveryTime) {
    CJourney journey = journeyWithNodes("J1", {"a", "b", "c"});
    journey.active = journey.linkNodes.begin();
    LogCapture capture;

    EXPECT_EQ(indexIn(journey.linkNodes, journey.SetCurrent("c")), 2);
    EXPECT_EQ(indexIn(journey.linkNodes, journey.SetCurrent("c")), 2);

    EXPECT_EQ(positionsOf(journey), (Positions{2, 0, 2}));
    EXPECT_EQ(capture.lines(), (Lines{{2, "pw::CJourney::SetCurrent: Changing to: J1:c"},
                                      {2, "pw::CJourney::SetCurrent: Changing to: J1:c"}}));
}

TEST(CJourney, setCurrentWithAnIdItDoesNotHoldChangesNothingAndLogsIt) {
    CJourney journey = journeyWithNodes("J1", {"a", "b"});
    journey.SetCurrent("b");
    journey.active = journey.linkNodes.begin();
    CJourney empty("J2", CCueSubset(), nullptr, nullptr, nullptr);
    LogCapture capture;

    EXPECT_EQ(indexIn(journey.linkNodes, journey.SetCurrent("B")), none);
    EXPECT_EQ(indexIn(empty.linkNodes, empty.SetCurrent("a")), none);

    EXPECT_EQ(positionsOf(journey), (Positions{1, 0, 1}));
    EXPECT_EQ(positionsOf(empty), (Positions{none, none, none}));
    EXPECT_EQ(capture.lines(), (Lines{{8, "pw::CJourney::SetCurrent: Link Node not found: J1:B"},
                                      {8, "pw::CJourney::SetCurrent: Link Node not found: J2:a"}}));
}

TEST(CJourney, findAndSetCurrentReachOnlyTheFirstNodeOfAnId) {
    CJourney journey = journeyWithNodes("J1", {"a", "b", "a"});
    EXPECT_EQ(indexIn(journey.linkNodes, journey.find("a")), 0);
    EXPECT_EQ(indexIn(journey.linkNodes, journey.SetCurrent("a")), 0);
}

TEST(CJourney, setCurrentWithAnEmptyIdFindsANodeWithAnEmptyIdOnly) {
    CJourney without = journeyWithNodes("J1", {"a"});
    CJourney with = journeyWithNodes("J2", {"a", ""});
    LogCapture capture;

    EXPECT_EQ(indexIn(without.linkNodes, without.SetCurrent("")), none);
    EXPECT_EQ(indexIn(with.linkNodes, with.SetCurrent("")), 1);

    EXPECT_EQ(capture.lines(), (Lines{{8, "pw::CJourney::SetCurrent: Link Node not found: J1:"},
                                      {2, "pw::CJourney::SetCurrent: Changing to: J2:"}}));
}

TEST(CJourney, resetClearsEveryCueStateAndPutsEveryPositionOnTheFirstNode) {
    const CCue bell("bell", "SIMPLE", "");
    CCueSubset cues;
    cues.insert(&bell);
    cues.SetState(true);
    CJourney journey("j", cues, nullptr, nullptr, nullptr);
    CJourney empty = journey;
    for (const char* id : {"a", "b"}) {
        journey.insert(id, CPoint{}, 0.0, cues, nullptr, CBounds{});
    }
    journey.SetCurrent("b");
    journey.linkNodes[1].nodeState = 5;

    journey.reset();
    empty.reset();

    EXPECT_EQ(positionsOf(journey), (Positions{0, 0, 0}));
    EXPECT_FALSE(journey.cues.cues.at("bell").state);
    for (const pw::CLinkNode& node : journey.linkNodes) {
        EXPECT_FALSE(node.cues.cues.at("bell").state) << node.id;
        EXPECT_EQ(node.nodeState, 0) << node.id;
    }
    EXPECT_EQ(positionsOf(empty), (Positions{none, none, none}));
    EXPECT_FALSE(empty.cues.cues.at("bell").state);
}

TEST(CJourney, hasLinkDistancesWithTwoNodesOrFewerWhateverTheirDistances) {
    EXPECT_TRUE(journeyWithDistances({}).hasLinkDistances());
    EXPECT_TRUE(journeyWithDistances({0.0}).hasLinkDistances());
    EXPECT_TRUE(journeyWithDistances({0.0, 0.0}).hasLinkDistances());
}

TEST(CJourney, hasLinkDistancesLooksFromTheThirdNodeOn) {
    EXPECT_FALSE(journeyWithDistances({5.0, 6.0, 0.0}).hasLinkDistances());
    EXPECT_TRUE(journeyWithDistances({0.0, 0.0, 1.0}).hasLinkDistances());
    EXPECT_TRUE(journeyWithDistances({1.0, 0.0, 2.0}).hasLinkDistances());
    EXPECT_FALSE(journeyWithDistances({0.0, 0.0, 1.0, -0.0}).hasLinkDistances());
    EXPECT_TRUE(journeyWithDistances({0.0, 0.0, std::numeric_limits<double>::quiet_NaN()}).hasLinkDistances())
        << "NaN counts as a distance";
}

TEST(CJourney, copyOfAJourneyWhoseCurrentNodeIsTheThirdHasItsOwnThirdNodeCurrent) {
    CJourney source = journeyWithNodes("j", {"a", "b", "c", "d"});
    source.SetCurrent("c");

    const CJourney copy(source);

    EXPECT_EQ(positionsOf(copy), (Positions{2, none, 2}));
    EXPECT_EQ(&*copy.current, &copy.linkNodes[2]);
    EXPECT_EQ(positionsOf(source), (Positions{2, none, 2}));
}

TEST(CJourney, moveAndAssignmentPutPositionsOnTheTargetsOwnNodes) {
    CJourney source = journeyWithNodes("source", {"a", "b", "c"});
    source.SetCurrent("c");
    source.active = source.linkNodes.begin();
    CJourney copied = journeyWithNodes("old", {"x"});
    CJourney moved = journeyWithNodes("old", {"x", "y", "z", "w", "v"});
    moved.reset();

    copied = source;
    moved = std::move(source);
    const CJourney constructed(std::move(moved));

    EXPECT_EQ(positionsOf(copied), (Positions{2, 0, 2}));
    EXPECT_EQ(positionsOf(constructed), (Positions{2, 0, 2}));
    EXPECT_EQ(constructed.id, "source");
    // NOLINTNEXTLINE(bugprone-use-after-move): a journey moved from is documented to be without nodes
    EXPECT_TRUE(moved.linkNodes.empty());
    EXPECT_EQ(positionsOf(moved), (Positions{none, none, none}));
}

TEST(CJourney, insertChangesNothingWhenStorageFails) {
    if (!pwtest::allocationsCanFail()) {
        GTEST_SKIP() << "allocations cannot be made to fail in this run";
    }
    CJourney journey = journeyWithNodes("j", {"a", "b"});
    while (journey.linkNodes.size() < journey.linkNodes.capacity()) {
        journey.insert("b", CPoint{}, 0.0, CCueSubset(), nullptr, CBounds{});
    }
    journey.reset();
    journey.SetCurrent("b");
    const std::size_t size = journey.linkNodes.size();
    const pw::CLinkNode* const storage = journey.linkNodes.data();

    EXPECT_TRUE(pwtest::failsForLackOfStorage(
        [&journey] { journey.insert("c", CPoint{}, 0.0, CCueSubset(), nullptr, CBounds{}); }));

    EXPECT_EQ(journey.linkNodes.size(), size);
    EXPECT_EQ(journey.linkNodes.data(), storage);
    EXPECT_EQ(positionsOf(journey), (Positions{1, 0, 1}));
}

} // namespace
