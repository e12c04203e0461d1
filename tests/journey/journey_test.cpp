#include "support/log_capture.h"
#include "support/network.h"

#include <gtest/gtest.h>
#include <pathweave/journey.h>

#include <cmath>
#include <utility>

namespace {

using pw::CBounds;
using pw::CCueSubset;
using pw::CJourney;
using pw::CJourneyCollection;
using pw::CPoint;
using Lines = std::vector<pwtest::LogLine>;
using Positions = std::vector<std::ptrdiff_t>;

// The indices of the current, active and selected link node or journey; none is the list's size.
template <typename Owner, typename Vector> Positions at(const Owner& owner, const Vector& list) {
    return {owner.current - list.begin(), owner.active - list.begin(), owner.selected - list.begin()};
}
Positions positionsOf(const CJourney& journey) { return at(journey, journey.linkNodes); }
Positions positionsOf(const CJourneyCollection& collection) { return at(collection, collection.journeys); }
std::string describe(const CJourneyCollection& collection) {
    return pwtest::describe(pw::CCueCollection(), collection);
}

CJourney journey(const std::string& id, std::initializer_list<const char*> nodeIds,
                 const CCueSubset& cues = {}) {
    CJourney made(id, cues, nullptr, nullptr, nullptr);
    for (const char* nodeId : nodeIds) {
        made.insert(nodeId, CPoint{}, 0.0, cues, nullptr, CBounds{});
    }
    return made;
}

TEST(CLinkNode, holdsThePointsOfAValidBoxEdgesIncludedAndEveryPointOfAnInvalidOne) {
    const double nan = std::nan("");
    const CBounds box{true, 10.0, -5.0, 20.0, 5.0}, inverted{true, 20.0, 5.0, 10.0, -5.0}, invalid{};
    const auto within = [](const CBounds& bounds, const CPoint& point) {
        return pw::CLinkNode("n", CPoint{}, 0.0, CCueSubset(), nullptr, bounds).WithinBounds(point);
    };
    // Each coordinate on the lower edge, within and on the upper edge, then just outside each edge, and NaN.
    const double lat[] = {10.0, 15.0, 20.0, std::nextafter(10.0, 0.0), std::nextafter(20.0, 99.0), nan};
    const double lon[] = {-5.0, 0.0, 5.0, std::nextafter(-5.0, -9.0), std::nextafter(5.0, 9.0), nan};
    for (std::size_t i = 0; i < 36; ++i) {
        const CPoint point{lat[i / 6], lon[i % 6]};
        const bool inside = i / 6 < 3 && i % 6 < 3;
        EXPECT_TRUE(within(box, point) == inside && !within(inverted, point) && within(invalid, point))
            << point.latitude << "," << point.longitude;
    }
    EXPECT_TRUE(invalid.latMin == 0.0 && invalid.longMin == 0.0 && invalid.latMax == 0.0 &&
                invalid.longMax == 0.0)
        << "a box made without values is an invalid box of zeros";
}

TEST(CJourney, setCurrentMovesCurrentAndSelectedToTheFirstNodeOfTheIdOrLogsThatItHasNone) {
    CJourney j = journey("J1", {"a", "b", "a", ""});
    j.active = j.linkNodes.begin() + 1;
    pwtest::LogCapture capture;
    EXPECT_EQ(j.SetCurrent("a"), j.linkNodes.begin());
    EXPECT_EQ(j.SetCurrent(""), j.linkNodes.begin() + 3);
    EXPECT_EQ(j.SetCurrent("B"), j.linkNodes.end());
    EXPECT_EQ(positionsOf(j), (Positions{3, 1, 3}));
    EXPECT_EQ(capture.lines(), (Lines{{2, "pw::CJourney::SetCurrent: Changing to: J1:a"},
                                      {2, "pw::CJourney::SetCurrent: Changing to: J1:"},
                                      {8, "pw::CJourney::SetCurrent: Link Node not found: J1:B"}}));
}

TEST(CJourney, insertAndClearLeaveNoPositionAndResetPutsThemOnTheFirstNodeClearingEveryState) {
    const pw::CCue bell("bell", "SIMPLE", "");
    CCueSubset cues;
    cues.insert(&bell);
    cues.SetState(true);
    CJourney j = journey("J", {"a", "b"}, cues), empty = journey("E", {}, cues);
    j.SetCurrent("b");
    j.insert("c", CPoint{}, 0.0, cues, &bell, CBounds{true, 0.0, 0.0, 1.0, 1.0});
    EXPECT_EQ(positionsOf(j), (Positions{3, 3, 3}));
    EXPECT_EQ(j.CountLinkNodesWithValidBounds(), 1u);
    j.linkNodes[1].nodeState = 5;
    j.reset();
    empty.reset();
    EXPECT_EQ(positionsOf(j), (Positions{0, 0, 0}));
    EXPECT_EQ(positionsOf(empty), (Positions{0, 0, 0}));
    EXPECT_FALSE(j.cues.cues.at("bell").state || empty.cues.cues.at("bell").state);
    for (const pw::CLinkNode& node : j.linkNodes) {
        EXPECT_FALSE(node.cues.cues.at("bell").state) << node.id;
        EXPECT_EQ(node.nodeState, 0) << node.id;
    }
    j.clear();
    EXPECT_EQ(positionsOf(j), (Positions{0, 0, 0}));
    EXPECT_TRUE(j.linkNodes.empty());
}

// Journeys "A" with link nodes "a1" to "a3", "B" with "b1", and "C" without link nodes.
CJourneyCollection threeJourneys() {
    CJourneyCollection collection;
    for (const char* id : {"A", "B", "C"}) {
        collection.insert(id, CCueSubset(), nullptr, nullptr, nullptr);
    }
    collection.journeys[0] = journey("A", {"a1", "a2", "a3"});
    collection.journeys[1] = journey("B", {"b1"});
    return collection;
}

TEST(CJourneyCollection, setCurrentStartsAJourneyOnItsFirstNodeUnlessItIsCurrentAlready) {
    CJourneyCollection collection = threeJourneys();
    CJourney& a = collection.journeys[0];
    a.SetCurrent("a3");
    a.active = a.linkNodes.begin() + 1;
    pwtest::LogCapture capture;
    EXPECT_EQ(collection.SetCurrent("A"), collection.journeys.begin());
    EXPECT_EQ(positionsOf(a), (Positions{0, 1, 0}));
    a.SetCurrent("a2");
    EXPECT_EQ(collection.SetCurrent("A"), collection.journeys.end());
    EXPECT_EQ(positionsOf(collection), (Positions{0, 3, 0}));
    EXPECT_EQ(positionsOf(a), (Positions{1, 1, 1}));
    collection.SetActiveFromCurrent();
    EXPECT_EQ(collection.SetCurrent("X"), collection.journeys.end());
    EXPECT_EQ(positionsOf(collection), (Positions{3, 0, 3}));
    collection.SetActiveFromCurrent();
    EXPECT_EQ(positionsOf(collection), (Positions{3, 3, 3}));
    EXPECT_EQ(positionsOf(a), (Positions{1, 1, 1}));
    const std::string setCurrent = "pw::CJourneyCollection::SetCurrent: ";
    EXPECT_EQ(capture.lines(), (Lines{{2, setCurrent + "Changing to journey ID: A name:A"},
                                      {2, "pw::CJourney::SetCurrent: Changing to: A:a2"},
                                      {8, setCurrent + "Already on journey with ID: A"},
                                      {8, setCurrent + "journey ID not found: X"}}));
}

TEST(CJourneyCollection, takesTheNonJourneyPointsFirstOnlyAndNeverFindsThemById) {
    CJourneyCollection collection;
    collection.SetNonJourneyPoints("P");
    collection.insert("A", CCueSubset(), nullptr, nullptr, nullptr);
    collection.journeys[0] = journey("P", {"p1", "p2"});
    collection.journeys[0].SetCurrent("p2");
    pwtest::LogCapture capture;
    collection.SetNonJourneyPoints("Q");
    EXPECT_EQ(capture.lines(), (Lines{{8, "pw::CJourneyCollection::SetNonJourneyPoints: preconditions"}}));
    EXPECT_EQ(collection.find("P"), collection.journeys.end());
    EXPECT_EQ(collection.SetCurrent("A"), collection.journeys.begin() + 1);
    collection.SetActiveFromNonJourneyPoints();
    EXPECT_EQ(positionsOf(collection), (Positions{1, 0, 0}));
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{1, 1, 1}));
    EXPECT_EQ(std::as_const(collection).GetNonJourneyPoints(), collection.journeys.cbegin());
    EXPECT_EQ(collection.nonJourneyPointsCount, 1u);
    collection.clear();
    collection.SetActiveFromNonJourneyPoints();
    EXPECT_EQ(positionsOf(collection), (Positions{0, 0, 0}));
    EXPECT_EQ(collection.nonJourneyPointsCount, 0u);
    collection.SetNonJourneyPoints("Q");
    EXPECT_EQ(collection.journeys.size(), 1u);
}

TEST(CJourneyCollection, insertPutsEveryJourneyOnItsFirstNodeAndCopiesAndMovesKeepEveryField) {
    const pw::CCue bell("bell", "SIMPLE", "");
    CJourneyCollection collection = threeJourneys();
    CJourney& a = collection.journeys[0];
    a.entryCue = a.exitCue = a.linkTransitionCue = &bell;
    a.linkDistances = true;
    a.order = CJourney::Random;
    collection.SetCurrent("A");
    a.SetCurrent("a3");
    collection.SetActiveFromCurrent();
    a.SetCurrent("a2");
    collection.insert("A", CCueSubset(), nullptr, nullptr, nullptr);
    EXPECT_EQ(collection.find("A"), collection.journeys.begin())
        << "a second journey of an id is never found";
    EXPECT_EQ(positionsOf(collection), (Positions{4, 4, 4}));
    collection.SetCurrent("B");
    EXPECT_EQ(positionsOf(collection.journeys[0]), (Positions{0, 2, 0}));
    const std::string before = describe(collection);
    const CJourneyCollection copy(collection);
    CJourneyCollection assigned = threeJourneys();
    assigned = copy;
    const CJourneyCollection moved(std::move(collection));
    for (const CJourneyCollection* c : {&copy, &std::as_const(assigned), &moved}) {
        EXPECT_EQ(describe(*c), before);
    }
    // NOLINTNEXTLINE(bugprone-use-after-move): a collection moved from is documented to be empty
    EXPECT_EQ(describe(collection), "collection at 0,0,0 non-journey points 0\n");
    CJourney source = copy.journeys[0], target = threeJourneys().journeys[1];
    target = std::move(source);
    // NOLINTNEXTLINE(bugprone-use-after-move): a journey moved from is documented to be without nodes
    EXPECT_TRUE(source.linkNodes.empty() && positionsOf(source) == (Positions{0, 0, 0}));
    EXPECT_EQ(positionsOf(target), (Positions{0, 2, 0}));
}

} // namespace
