// The example feed imported, checked by `pathweave check` and loaded by the library as a host does;
// `pathweave import-gtfs` run as a process.

#include "feed_fixture.h"
#include "tool/run_tool.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <pathweave/pathweave.h>

#include <tuple>

namespace {

// The ids of journeys or link nodes, separated by spaces.
template <class Items> std::string ids(const Items& items) {
    std::string joined;
    for (const auto& item : items) {
        joined += (joined.empty() ? "" : " ") + item.id;
    }
    return joined;
}

TEST(GtfsRoundTrip, exampleFeedPassesTheCheckAndLoadsEveryJourneyInStopOrder) {
    const pwtest::FeedFixture fixture;
    const pw::gtfs::Report report = fixture.import();
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_EQ(pwtest::findings(report), "");
    // M's stop_times give shape_dist_traveled in kilometres, H has a shape, S has neither.
    const pw::gtfs::DistanceSources& from = report.summary.distances;
    EXPECT_EQ(std::make_tuple(report.summary.shapeDistUnit, from.shapeDistTraveled, from.alongShape,
                              from.greatCircle),
              std::make_tuple("kilometres", 16u, 3u, 2u));
    // Station to church: 962 m by the feed's shape_dist_traveled, 1.15 times the straight line.
    EXPECT_EQ(pwtest::rows(fixture.database, "SELECT DISTANCE_TRANSIT FROM links WHERE LINK_ID='M_0_1/1'"),
              std::vector<std::string>{"962.0"});

    const pwtest::ToolRun check =
        pwtest::runTool({"check", fixture.database, "--non-journey-points", "NON_JOURNEY"});
    EXPECT_NE(check.out.find(": 0 errors, 0 warnings"), std::string::npos) << check.out << check.err;

    Csqlite database(fixture.database);
    pw::CPersist reader(&database);
    pw::CCueCollection cues;
    reader.ReadCCueCollection(&cues);
    // The selectable journeys, after the non-journey points: the stops served by no trip, the
    // depot and the old pier (the station is no place to stop).
    pw::CJourneyCollection listed;
    reader.ReadCJourneyCollection(&listed, cues, "NON_JOURNEY", "");
    EXPECT_EQ(ids(listed.journeys), "NON_JOURNEY H_0_1 M_0_1 M_1_1 S_0_1");
    EXPECT_EQ(ids(listed.journeys.front().linkNodes), "ROOT DEP OPR");

    // Each journey's link nodes in its pattern's stop order, the closing stop of a loop left out.
    const std::pair<std::string, std::string> journeys[] = {{"M_0_1", "ROOT STA1 CHU MKT HAL LIB COL HOS"},
                                                            {"M_0_2", "ROOT STA1 CHU MKT HAL LIB"},
                                                            {"M_1_1", "ROOT HOS COL LIB HAL MKT CHU STA1"},
                                                            {"H_0_1", "ROOT HSQ FQY LGT CLF"},
                                                            {"S_0_1", "ROOT NFD LIB ACD"}};
    for (const auto& [id, stops] : journeys) {
        pw::CJourneyCollection one;
        reader.ReadCJourneyCollection(&one, cues, "", id);
        ASSERT_EQ(one.journeys.size(), 1u) << id;
        pw::CJourney& journey = one.journeys.front();
        reader.ReadCJourney(&journey, cues);
        EXPECT_EQ(ids(journey.linkNodes), stops);
        EXPECT_EQ(journey.order, id == "H_0_1" ? pw::CJourney::Circular : pw::CJourney::Standard) << id;
        EXPECT_TRUE(journey.linkDistances) << id;
        EXPECT_EQ(journey.exitCue, cues.find("terminus")) << id;
        for (auto node = journey.linkNodes.begin() + 1; node != journey.linkNodes.end(); ++node) {
            EXPECT_EQ(node->transitionCue, cues.find("chime")) << node->id;
            EXPECT_EQ(node->cues.cues.begin()->first, "stop:" + node->id);
        }
    }
    // Lists are split on commas, so a name with a comma is two arguments that join back to it.
    ASSERT_NE(cues.find("stop:FQY"), nullptr);
    EXPECT_EQ(cues.find("stop:FQY")->arguments, (std::vector<std::string>{"Quay", " Fish Market"}));
    ASSERT_NE(cues.find("route:R-MKT"), nullptr);
    EXPECT_EQ(cues.find("route:R-MKT")->arguments, (std::vector<std::string>{"Station - Market - Hospital"}));
}

TEST(ImportGtfsCommand, reportsAsJsonAndReplacesAnExistingDatabaseOnlyWhenForced) {
    const pwtest::FeedFixture fixture({{"stops.txt", pwtest::example("stops.txt") + "X,X,95,0,0,\n"}});
    std::vector<std::string> words = {"import-gtfs", fixture.feed, "-o",   fixture.database, "--route",
                                      "R-HBR",       "--format",   "json", "--fence-radius", "400"};
    pwtest::ToolRun run = pwtest::runTool(words);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["findings"], nlohmann::json::parse(R"([{"severity": "warning", "code": "bad-coordinate",
        "message": "A stop's or a shape point's latitude or longitude is missing or out of range; the row is skipped.",
        "count": 1, "examples": [{"file": "stops.txt", "line": 18, "detail": "stop_id 'X': '95', '0'"}]}])"));
    EXPECT_EQ(report["summary"]["journeys"], 1);
    EXPECT_EQ(report["summary"]["shrunkFences"], 4);
    EXPECT_EQ(report["summary"]["nonJourneyPoints"], 11);

    words.resize(4);
    run = pwtest::runTool(words);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "pathweave: cannot import '" + fixture.feed + "': will not overwrite '" +
                           fixture.database + "': it exists (--force replaces it)\n");
    EXPECT_EQ(pwtest::rows(fixture.database, "SELECT count(*) FROM journeys").at(0), "1");
    words.push_back("--force");
    EXPECT_EQ(pwtest::runTool(words).exitCode, 0);
    EXPECT_EQ(pwtest::rows(fixture.database, "SELECT count(*) FROM journeys").at(0), "5");
}

} // namespace
