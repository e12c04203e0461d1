// `pathweave import-gtfs` run as a process: its report in text and JSON, its exit codes.

#include "feed_fixture.h"
#include "tool/run_tool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace {

TEST(ImportGtfsCommand, reportsFindingsAndWhatItWroteAsJson) {
    const pwtest::FeedFixture fixture(
        {{"stops.txt", pwtest::readFile(PATHWEAVE_EXAMPLE_FEED "/stops.txt") + "X,X,95,0,0,\n"}});
    const pwtest::ToolRun run =
        pwtest::runTool({"import-gtfs", fixture.feed(), "-o", fixture.database(), "--format", "json",
                         "--route", "R-HBR", "--fence-radius", "400"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["findings"], nlohmann::json::parse(R"([{"severity": "warning", "code": "bad-coordinate",
        "message": "A stop's or a shape point's latitude or longitude is missing or out of range; the row is skipped.",
        "count": 1, "examples": [{"file": "stops.txt", "line": 18, "detail": "stop_id 'X': '95', '0'"}]}])"));
    EXPECT_EQ(report["summary"]["journeys"], 1);
    EXPECT_EQ(report["summary"]["shrunkFences"], 4);
    EXPECT_EQ(report["summary"]["nonJourneyPoints"], 11);
}

TEST(ImportGtfsCommand, failsWithExitCodeOneAndLeavesAnExistingDatabaseAlone) {
    const pwtest::FeedFixture fixture;
    std::ofstream(fixture.database()) << "mine";
    const pwtest::ToolRun run = pwtest::runTool({"import-gtfs", fixture.feed(), "-o", fixture.database()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "pathweave: cannot import '" + fixture.feed() + "': will not overwrite '" +
                           fixture.database() + "': it exists (--force replaces it)\n");
    EXPECT_EQ(pwtest::readFile(fixture.database()), "mine");
}

} // namespace
