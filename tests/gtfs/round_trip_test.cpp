// The example feed imported, checked by `pathweave check` and loaded by the library as a host does.

#include "feed_fixture.h"
#include "tool/run_tool.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/pathweave.h>

namespace {

struct ExpectedJourney {
    const char* id;
    bool selectable;
    pw::CJourney::JourneyOrder order;
    std::vector<std::string> stops; // the pattern's stops, the closing stop of a loop left out
};

const std::vector<ExpectedJourney> expectedJourneys = {
    {"M_0_1", true, pw::CJourney::Standard, {"STA1", "CHU", "MKT", "HAL", "LIB", "COL", "HOS"}},
    {"M_0_2", false, pw::CJourney::Standard, {"STA1", "CHU", "MKT", "HAL", "LIB"}},
    {"M_1_1", true, pw::CJourney::Standard, {"HOS", "COL", "LIB", "HAL", "MKT", "CHU", "STA1"}},
    {"H_0_1", true, pw::CJourney::Circular, {"HSQ", "FQY", "LGT", "CLF"}},
    {"S_0_1", true, pw::CJourney::Standard, {"NFD", "LIB", "ACD"}},
};

std::vector<std::string> linkNodeIds(const pw::CJourney& journey) {
    std::vector<std::string> ids;
    for (const pw::CLinkNode& node : journey.linkNodes) {
        ids.push_back(node.id);
    }
    return ids;
}

TEST(GtfsRoundTrip, exampleFeedPassesTheCheckAndLoadsEveryJourneyInStopOrder) {
    const pwtest::FeedFixture fixture;
    const pw::gtfs::Report report = fixture.import();
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_EQ(pwtest::findingCounts(report), std::vector<std::string>{});

    const pwtest::ToolRun check =
        pwtest::runTool({"check", fixture.database(), "--non-journey-points", "NON_JOURNEY"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_NE(check.out.find(": 0 errors, 0 warnings"), std::string::npos) << check.out;

    Csqlite database(fixture.database());
    pw::CPersist reader(&database);
    pw::CCueCollection cues;
    reader.ReadCCueCollection(&cues);
    pw::CJourneyCollection listed;
    reader.ReadCJourneyCollection(&listed, cues, "NON_JOURNEY", "");
    std::vector<std::string> selectable;
    for (auto journey = listed.journeys.begin() + 1; journey != listed.journeys.end(); ++journey) {
        selectable.push_back(journey->id);
    }
    EXPECT_EQ(selectable, (std::vector<std::string>{"H_0_1", "M_0_1", "M_1_1", "S_0_1"}));
    // Served by no trip: the depot and the old pier; the station is no place to stop.
    EXPECT_EQ(linkNodeIds(listed.journeys.front()), (std::vector<std::string>{"ROOT", "DEP", "OPR"}));

    for (const ExpectedJourney& expected : expectedJourneys) {
        SCOPED_TRACE(expected.id);
        pw::CJourneyCollection one;
        reader.ReadCJourneyCollection(&one, cues, "", expected.id);
        ASSERT_EQ(one.journeys.size(), 1u);
        pw::CJourney& journey = one.journeys.front();
        reader.ReadCJourney(&journey, cues);
        std::vector<std::string> stops = expected.stops;
        stops.insert(stops.begin(), "ROOT");
        EXPECT_EQ(linkNodeIds(journey), stops);
        EXPECT_EQ(journey.order, expected.order);
        EXPECT_EQ(std::find(selectable.begin(), selectable.end(), expected.id) != selectable.end(),
                  expected.selectable);
        EXPECT_TRUE(journey.linkDistances);
        EXPECT_EQ(journey.exitCue, cues.find("terminus"));
        for (auto node = journey.linkNodes.begin() + 1; node != journey.linkNodes.end(); ++node) {
            EXPECT_TRUE(node->bounds.valid && node->bounds.latMin < node->point.latitude &&
                        node->point.latitude < node->bounds.latMax)
                << node->id;
            EXPECT_EQ(node->transitionCue, cues.find("chime"));
            EXPECT_EQ(node->cues.cues.begin()->first, "stop:" + node->id);
        }
    }
    // Lists are split on commas, so a name with a comma is two arguments that join back to it.
    ASSERT_NE(cues.find("stop:FQY"), nullptr);
    EXPECT_EQ(cues.find("stop:FQY")->arguments, (std::vector<std::string>{"Quay", " Fish Market"}));
    ASSERT_NE(cues.find("route:R-MKT"), nullptr);
    EXPECT_EQ(cues.find("route:R-MKT")->arguments, (std::vector<std::string>{"Station - Market - Hospital"}));
}

} // namespace
