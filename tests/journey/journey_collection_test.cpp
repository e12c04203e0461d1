#include "journey_support.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>
#include <pathweave/journey.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using pw::CCueSubset;
using pw::CJourney;
using pw::CJourneyCollection;
using pwtest::indexIn;
using pwtest::journeyWithNodes;
using pwtest::LogCapture;
using pwtest::LogLine;
using Lines = std::vector<LogLine>;
using Positions = std::vector<std::ptrdiff_t>;

constexpr std::ptrdiff_t none = -1;

// The indices of the collection's current, active and selected journey.
Positions positionsOf(const CJourneyCollection& collection) {
    return {indexIn(collection.journeys, collection.current), indexIn(collection.journeys, collection.active),
            indexIn(collection.journeys, collection.selected)};
}

// The indices of a journey's current, active and selected link node.
Positions positionsOf(const CJourney& journey) {
    return {indexIn(journey.linkNodes, journey.current), indexIn(journey.linkNodes, journey.active),
            indexIn(journey.linkNodes, journey.selected)};
}

void insertJourney(CJourneyCollection& collection, const std::string& id) {
    collection.insert(id, CCueSubset(), nullptr, nullptr, nullptr);
}

// Journeys "A" with link nodes "a1" to "a3", "B" with "b1", and "C" without link nodes.
CJourneyCollection threeJourneys() {
    CJourneyCollection collection;
    for (const char* id : {"A", "B", "C"}) {
        insertJourney(collection, id);
    }
    collection.journeys[0] = journeyWithNodes("A", {"a1", "a2", "a3"});
    collection.journeys[1] = journeyWithNodes("B", {"b1"});
    return collection;
}

TEST(CJourneyCollection, insertResetsEveryJourneysCurrentNodeAndKeepsItsActiveNode) {
    CJourneyCollection collection = threeJourneys();
    collection.SetCurrent("A");
    collection.journeys[0].SetCurrent("a3");
    collection.SetActiveFromCurrent();
    collection.journeys[0].SetCurrent("a2");

    insertJourney(collection, "A");

    EXPECT_EQ(positionsOf(collection), (Positions{none, none, none}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{0, 2, 0}));
    EXPECT_EQ(positionsOf(collection.journeys[1]), (Positions{0, none, 0}));
    EXPECT_EQ(positionsOf(collection.journeys[2]), (Positions{none, none, none}));
    EXPECT_EQ(collection.journeys[3].id, "A");
    EXPECT_EQ(indexIn(collection.journeys, collection.find("A")), 0)
        << "a second journey of an id is never found";
}

TEST(CJourneyCollection, journeysKeepTheirNodePositionsWhileTheCollectionGrowsToAHundred) {
    CJourneyCollection collection;
    std::vector<std::ptrdiff_t> activeIndex;
    int storageMoves = 0;
    for (int count = 1; count <= 100; ++count) {
        const CJourney* const storage = collection.journeys.data();
        insertJourney(collection, "J" + std::to_string(count));
        storageMoves += collection.journeys.data() != storage ? 1 : 0;

        EXPECT_EQ(positionsOf(collection), (Positions{none, none, none})) << "after journey " << count;
        for (std::size_t index = 0; index + 1 < collection.journeys.size(); ++index) {
            const CJourney& journey = collection.journeys[index];
            ASSERT_EQ(positionsOf(journey), (Positions{0, activeIndex[index], 0}))
                << "journey " << journey.id << " after journey " << count;
            // Reading through the positions shows a dangling one to valgrind.
            EXPECT_EQ(journey.active->id, "n" + std::to_string(activeIndex[index]));
        }

        // Give the new journey nodes, activate one and move its current node away again.
        CJourney& added = collection.journeys.back();
        for (const char* node : {"n0", "n1", "n2"}) {
            added.insert(node, pw::CPoint{}, 0.0, CCueSubset(), nullptr, pw::CBounds{});
        }
        collection.SetCurrent(added.id);
        activeIndex.push_back(count % 3);
        added.SetCurrent("n" + std::to_string(activeIndex.back()));
        collection.SetActiveFromCurrent();
        added.SetCurrent("n" + std::to_string((count + 1) % 3));
    }
    EXPECT_GT(storageMoves, 1) << "the journeys never moved, so the test proved nothing";
}

TEST(CJourneyCollection, setCurrentMakesTheJourneyCurrentOnItsFirstNode) {
    CJourneyCollection collection = threeJourneys();
    CJourney& journeyA = collection.journeys[0];
    journeyA.SetCurrent("a3");
    journeyA.active = journeyA.linkNodes.begin() + 1;
    collection.active = collection.journeys.begin() + 2;
    LogCapture capture;

    EXPECT_EQ(indexIn(collection.journeys, collection.SetCurrent("A")), 0);

    EXPECT_EQ(positionsOf(collection), (Positions{0, 2, 0}));
    EXPECT_EQ(positionsOf(journeyA), (Positions{0, 1, 0}));
    EXPECT_EQ(capture.lines(),
              (Lines{{2, "pw::CJourneyCollection::SetCurrent: Changing to journey ID: A name:A"}}));
}

TEST(CJourneyCollection, setCurrentTwiceRefusesTheSecondAndKeepsTheHostsNode) {
    CJourneyCollection collection = threeJourneys();
    collection.SetCurrent("A");
    collection.journeys[0].SetCurrent("a2");
    LogCapture capture;

    EXPECT_EQ(indexIn(collection.journeys, collection.SetCurrent("A")), none);

    EXPECT_EQ(positionsOf(collection), (Positions{0, none, 0}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{1, none, 1}));
    EXPECT_EQ(capture.lines(),
              (Lines{{8, "pw::CJourneyCollection::SetCurrent: Already on journey with ID: A"}}));
}

TEST(CJourneyCollection, setCurrentWithAnUnknownIdLeavesNoCurrentJourneyUntilAKnownOne) {
    CJourneyCollection collection = threeJourneys();
    collection.SetCurrent("A");
    collection.SetActiveFromCurrent();
    collection.journeys[0].SetCurrent("a2");
    LogCapture capture;

    EXPECT_EQ(indexIn(collection.journeys, collection.SetCurrent("X")), none);
    EXPECT_EQ(positionsOf(collection), (Positions{none, 0, none}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{1, 0, 1}));

    EXPECT_EQ(indexIn(collection.journeys, collection.SetCurrent("A")), 0);
    EXPECT_EQ(positionsOf(collection), (Positions{0, 0, 0}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{0, 0, 0}));

    EXPECT_EQ(capture.lines(),
              (Lines{{8, "pw::CJourneyCollection::SetCurrent: journey ID not found: X"},
                     {2, "pw::CJourneyCollection::SetCurrent: Changing to journey ID: A name:A"}}));
}

TEST(CJourneyCollection, neverFindsTheNonJourneyPointsById) {
    CJourneyCollection collection;
    collection.SetNonJourneyPoints("P");
    insertJourney(collection, "A");
    LogCapture capture;

    EXPECT_EQ(indexIn(collection.journeys, collection.find("P")), none);
    EXPECT_EQ(indexIn(collection.journeys, collection.SetCurrent("P")), none);
    insertJourney(collection, "P");
    EXPECT_EQ(indexIn(collection.journeys, collection.SetCurrent("P")), 2);

    EXPECT_EQ(capture.lines(),
              (Lines{{8, "pw::CJourneyCollection::SetCurrent: journey ID not found: P"},
                     {2, "pw::CJourneyCollection::SetCurrent: Changing to journey ID: P name:P"}}));
}

TEST(CJourneyCollection, setNonJourneyPointsIsTakenOnlyByAnEmptyCollection) {
    CJourneyCollection collection;
    collection.SetNonJourneyPoints("");
    ASSERT_EQ(collection.journeys.size(), 1u);
    EXPECT_EQ(collection.nonJourneyPointsCount, 1u);
    EXPECT_EQ(collection.journeys[0].entryCue, nullptr);
    EXPECT_EQ(positionsOf(collection), (Positions{none, none, none}));
    const CJourneyCollection& readOnly = collection;
    EXPECT_EQ(readOnly.GetNonJourneyPoints(), readOnly.journeys.begin());

    CJourneyCollection afterInsert;
    insertJourney(afterInsert, "A");
    afterInsert.SetCurrent("A");
    LogCapture capture;
    collection.SetNonJourneyPoints("Q");
    afterInsert.SetNonJourneyPoints("P");

    EXPECT_EQ(collection.journeys.size(), 1u);
    EXPECT_EQ(collection.journeys[0].id, "");
    EXPECT_EQ(afterInsert.journeys.size(), 1u);
    EXPECT_EQ(afterInsert.nonJourneyPointsCount, 0u);
    EXPECT_EQ(positionsOf(afterInsert), (Positions{0, none, 0}));
    const LogLine refused{8, "pw::CJourneyCollection::SetNonJourneyPoints: preconditions"};
    EXPECT_EQ(capture.lines(), (Lines{refused, refused}));
}

TEST(CJourneyCollection, clearDropsEveryJourneyAndPositionSoThatNonJourneyPointsAreTakenAgain) {
    CJourneyCollection collection;
    collection.SetNonJourneyPoints("P");
    insertJourney(collection, "A");
    collection.SetCurrent("A");
    collection.SetActiveFromNonJourneyPoints();

    collection.clear();

    EXPECT_TRUE(collection.journeys.empty());
    EXPECT_EQ(positionsOf(collection), (Positions{none, none, none}));
    EXPECT_EQ(collection.nonJourneyPointsCount, 0u);
    EXPECT_EQ(indexIn(collection.journeys, collection.GetNonJourneyPoints()), none);
    collection.SetNonJourneyPoints("Q");
    EXPECT_EQ(collection.nonJourneyPointsCount, 1u);
    EXPECT_EQ(collection.journeys.size(), 1u);
}

TEST(CJourneyCollection, setActiveFromCurrentActivatesTheCurrentJourneysCurrentNodeOrNothing) {
    CJourneyCollection collection = threeJourneys();
    collection.SetCurrent("A");
    collection.journeys[0].SetCurrent("a3");

    collection.SetActiveFromCurrent();
    EXPECT_EQ(positionsOf(collection), (Positions{0, 0, 0}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{2, 2, 2}));

    collection.SetCurrent("X");
    collection.SetActiveFromCurrent();
    EXPECT_EQ(positionsOf(collection), (Positions{none, none, none}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{2, 2, 2}));
}

TEST(CJourneyCollection, setActiveFromNonJourneyPointsActivatesTheirCurrentNodeOrNothing) {
    CJourneyCollection collection;
    collection.SetNonJourneyPoints("P");
    insertJourney(collection, "A");
    collection.journeys[0] = journeyWithNodes("P", {"p1", "p2"});
    collection.journeys[0].SetCurrent("p2");
    collection.SetCurrent("A");

    collection.SetActiveFromNonJourneyPoints();
    EXPECT_EQ(positionsOf(collection), (Positions{1, 0, 0}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{1, 1, 1}));

    CJourneyCollection without = threeJourneys();
    without.SetCurrent("A");
    without.SetActiveFromCurrent();
    without.SetActiveFromNonJourneyPoints();
    EXPECT_EQ(positionsOf(without), (Positions{0, none, none}));
}

TEST(CJourneyCollection, copyAndMovePutEveryPositionOnTheirOwnJourneysAndNodes) {
    CJourneyCollection source = threeJourneys();
    source.SetCurrent("A");
    source.SetActiveFromCurrent();
    source.journeys[0].SetCurrent("a3");
    source.SetCurrent("B");

    const CJourneyCollection copy(source);
    CJourneyCollection assigned;
    assigned = copy;
    const CJourneyCollection moved(std::move(source));

    const CJourneyCollection* const results[] = {&copy, &assigned, &moved};
    for (const CJourneyCollection* collection : results) {
        EXPECT_EQ(positionsOf(*collection), (Positions{1, 0, 1}));
        EXPECT_EQ(positionsOf(collection->journeys[0]), (Positions{2, 0, 2}));
    }
    // NOLINTNEXTLINE(bugprone-use-after-move): a collection moved from is documented to be empty
    EXPECT_TRUE(source.journeys.empty());
    EXPECT_EQ(positionsOf(source), (Positions{none, none, none}));
}

TEST(CJourneyCollection, insertChangesNothingWhenStorageFails) {
    if (!pwtest::allocationsCanFail()) {
        GTEST_SKIP() << "allocations cannot be made to fail in this run";
    }
    CJourneyCollection collection = threeJourneys();
    while (collection.journeys.size() < collection.journeys.capacity()) {
        insertJourney(collection, "pad");
    }
    const std::size_t size = collection.journeys.size();
    collection.SetCurrent("A");
    collection.journeys[0].SetCurrent("a3");
    collection.SetActiveFromCurrent();
    collection.journeys[0].SetCurrent("a2");
    const CJourney* const storage = collection.journeys.data();

    EXPECT_TRUE(pwtest::failsForLackOfStorage([&collection] { insertJourney(collection, "D"); }));

    EXPECT_EQ(collection.journeys.size(), size);
    EXPECT_EQ(collection.journeys.data(), storage);
    EXPECT_EQ(positionsOf(collection), (Positions{0, 0, 0}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{1, 2, 1}));
}

} // namespace
