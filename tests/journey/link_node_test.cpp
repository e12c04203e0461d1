#include <gtest/gtest.h>
#include <pathweave/journey.h>

#include <cmath>
#include <limits>

namespace {

using pw::CBounds;
using pw::CCue;
using pw::CCueSubset;
using pw::CLinkNode;
using pw::CPoint;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

CLinkNode nodeWithBounds(const CBounds& bounds) {
    return CLinkNode("n", CPoint{}, 0.0, CCueSubset(), nullptr, bounds);
}

// Latitude 10 to 20, longitude -5 to 5.
const CBounds box{true, 10.0, -5.0, 20.0, 5.0};

TEST(CLinkNode, withinBoundsIncludesEveryEdgeAndCorner) {
    const CLinkNode node = nodeWithBounds(box);
    for (const CPoint& point :
         {CPoint{10.0, 0.0}, CPoint{20.0, 0.0}, CPoint{15.0, -5.0}, CPoint{15.0, 5.0}, CPoint{10.0, -5.0},
          CPoint{10.0, 5.0}, CPoint{20.0, -5.0}, CPoint{20.0, 5.0}}) {
        EXPECT_TRUE(node.WithinBounds(point)) << point.latitude << "," << point.longitude;
    }
}

TEST(CLinkNode, withinBoundsExcludesThePointsJustPastEachEdge) {
    const CLinkNode node = nodeWithBounds(box);
    for (const CPoint& point :
         {CPoint{std::nextafter(10.0, -infinity), 0.0}, CPoint{std::nextafter(20.0, infinity), 0.0},
          CPoint{15.0, std::nextafter(-5.0, -infinity)}, CPoint{15.0, std::nextafter(5.0, infinity)}}) {
        EXPECT_FALSE(node.WithinBounds(point)) << point.latitude << "," << point.longitude;
    }
}

TEST(CLinkNode, withinBoundsPutsANanCoordinateOutsideAValidBox) {
    const CLinkNode node = nodeWithBounds(box);
    EXPECT_FALSE(node.WithinBounds(CPoint{nan, 0.0}));
    EXPECT_FALSE(node.WithinBounds(CPoint{15.0, nan}));
}

TEST(CLinkNode, withinBoundsOfAnInvalidBoxHoldsEveryPointEvenNan) {
    for (const CBounds& bounds :
         {CBounds{}, CBounds{false, 20.0, 5.0, 10.0, -5.0}, CBounds{false, nan, nan, nan, nan}}) {
        const CLinkNode node = nodeWithBounds(bounds);
        EXPECT_TRUE(node.WithinBounds(CPoint{-90.0, 180.0}));
        EXPECT_TRUE(node.WithinBounds(CPoint{nan, nan}));
    }
}

TEST(CLinkNode, withinBoundsOfAValidBoxWithAMinimumAboveItsMaximumHoldsNoPoint) {
    const CLinkNode latitudeInverted = nodeWithBounds(CBounds{true, 20.0, -5.0, 10.0, 5.0});
    const CLinkNode longitudeInverted = nodeWithBounds(CBounds{true, 10.0, 5.0, 20.0, -5.0});
    for (const CPoint& point : {CPoint{15.0, 0.0}, CPoint{10.0, -5.0}, CPoint{20.0, 5.0}}) {
        EXPECT_FALSE(latitudeInverted.WithinBounds(point));
        EXPECT_FALSE(longitudeInverted.WithinBounds(point));
    }
}

TEST(CLinkNode, resetClearsCueStatesAndNodeStateOnly) {
    const CCue bell("bell", "SIMPLE", "");
    CCueSubset cues;
    cues.insert(&bell);
    cues.SetState(true);
    CLinkNode node("n", CPoint{1.0, 2.0}, 3.0, cues, &bell, box);
    node.nodeState = 42;

    node.reset();

    EXPECT_FALSE(node.cues.cues.at("bell").state);
    EXPECT_EQ(node.cues.cues.at("bell").cue, &bell);
    EXPECT_EQ(node.nodeState, 0);
    EXPECT_EQ(node.id, "n");
    EXPECT_EQ(node.distance, 3.0);
    EXPECT_EQ(node.transitionCue, &bell);
    EXPECT_TRUE(node.bounds.valid);
}

} // namespace
