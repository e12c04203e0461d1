#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <limits>

namespace {

using nlohmann::json;
using pwtest::runTool;
using pwtest::TempDatabase;
using Words = std::vector<std::string>;

// A network of one journey J (A -> B) with the non-journey points P (X -> Y).
const std::string network = pwtest::schemaSql() + R"sql(
INSERT INTO cues VALUES ('bell', 'SIMPLE', 'ding,2'), ('go', 'LINK_ENTRY_TRANSITION', ''),
  ('zone', 'GLOBAL', ''), (CAST(x'51ff' AS TEXT), 'SIMPLE', 'q"\');
INSERT INTO journeys VALUES ('J', '', 'go', 'bell', 1);
INSERT INTO Journey_links VALUES ('J', 'L1'), ('P', 'L2');
INSERT INTO links VALUES ('L1', 'A', 'B', 12.5), ('L2', 'X', 'Y', 0);
INSERT INTO link_nodes VALUES ('A', 'PA', 'bell', 0.1, 0.2, 0.3, 0.4), ('B', 'PB', '', 0, 0, 0, 0),
  ('X', 'PX', 'zone', 0, 0, 0, 0), ('Y', 'PY', '', 0, 0, 0, 0);
INSERT INTO attributes VALUES ('PA', 'LAT', '0.15'), ('PA', 'LONG', '0.35'), ('PB', 'lat', '1e-7');
)sql";

TEST(pathweave, refusesWhatIsNoNetworkDatabaseWithExitCode3) {
    const TempDatabase empty("");
    const std::string missing = empty.folder() + "/missing.db";
    const std::string text = empty.folder() + "/notes.txt";
    std::ofstream(text) << "just some words, and not an SQLite database at all\n";

    for (const char* command : {"info", "dump", "check"}) {
        SCOPED_TRACE(command);
        pwtest::ToolRun run = runTool({command, missing});
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.err, "pathweave: cannot open database '" + missing + "': no such file\n");
        EXPECT_FALSE(std::filesystem::exists(missing));

        run = runTool({command, empty.folder()});
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.err, "pathweave: cannot open database '" + empty.folder() + "': is a directory\n");

        run = runTool({command, text});
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.err, "pathweave: cannot open database '" + text + "': file is not a database\n");

        run = runTool({command, empty.path()});
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.err,
                  "pathweave: not a network database '" + empty.path() +
                      "': it has none of the tables cues, journeys, Journey_links, links, link_nodes "
                      "and attributes\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST(pathweave, answersUsageErrorsWithExitCode2) {
    EXPECT_EQ(runTool({}).exitCode, 2);
    EXPECT_EQ(runTool({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(runTool({"dump"}).exitCode, 2);
    EXPECT_EQ(runTool({"dump", "x.db", "--format", "xml"}).exitCode, 2);
    const pwtest::ToolRun version = runTool({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("pathweave ", 0), 0u) << version.out;
    EXPECT_EQ(runTool({"dump", "--help"}).exitCode, 0);
}

TEST(pathweave, readingCommandsLeaveTheDatabaseUnchanged) {
    const TempDatabase fixture(network);
    const std::string before = pwtest::readFile(fixture.path());
    const std::vector<Words> commands = {
        {"info", fixture.path()},
        {"dump", fixture.path(), "--non-journey-points", "P"},
        {"dump", fixture.path(), "--format", "json"},
        {"check", fixture.path()},
        {"geojson", fixture.path()},
    };
    for (const Words& command : commands) {
        const pwtest::ToolRun run = runTool(command);
        EXPECT_NE(run.exitCode, 3) << command[0] << ": " << run.err;
        EXPECT_EQ(pwtest::readFile(fixture.path()), before) << command[0] << " changed the database";
    }
    EXPECT_EQ(std::filesystem::directory_iterator(fixture.folder())->path().filename(), "network.db");
}

TEST(pathweaveDump, writesTheModelAsJson) {
    const TempDatabase fixture(network);
    const pwtest::ToolRun run =
        runTool({"dump", fixture.path(), "--non-journey-points", "P", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const json dump = json::parse(run.out);

    EXPECT_EQ(dump["database"], fixture.path());
    ASSERT_EQ(dump["cues"].size(), 4u);
    EXPECT_EQ(dump["cues"][0], (json{{"name", "Q\xc3\xbf"}, {"type", 4}, {"arguments", {"q\"\\"}}}))
        << "an invalid byte is written as the code point of its value";
    EXPECT_EQ(dump["cues"][1], (json{{"name", "bell"}, {"type", 4}, {"arguments", {"ding", "2"}}}));

    const json& points = dump["nonJourneyPoints"];
    EXPECT_EQ(points["id"], "P");
    ASSERT_EQ(points["linkNodes"].size(), 3u);
    EXPECT_EQ(points["linkNodes"][1]["cues"], json({"zone"}));

    ASSERT_EQ(dump["journeys"].size(), 1u);
    const json& journey = dump["journeys"][0];
    EXPECT_EQ(journey["id"], "J");
    EXPECT_EQ(journey["cues"], json({"bell"}));
    EXPECT_EQ(journey["entryCue"], nullptr);
    EXPECT_EQ(journey["exitCue"], nullptr);
    EXPECT_EQ(journey["linkTransitionCue"], "go");
    EXPECT_EQ(journey["order"], "Standard");
    EXPECT_EQ(journey["linkDistances"], true);
    ASSERT_EQ(journey["linkNodes"].size(), 3u);
    const json& a = journey["linkNodes"][1];
    EXPECT_EQ(a["id"], "A");
    EXPECT_EQ(a["latitude"].get<double>(), 0.15);
    EXPECT_EQ(a["longitude"].get<double>(), 0.35);
    EXPECT_EQ(a["distance"].get<double>(), 0.0);
    EXPECT_EQ(a["transitionCue"], "go");
    EXPECT_EQ(a["bounds"],
              (json{{"valid", true}, {"latMin", 0.1}, {"longMin", 0.3}, {"latMax", 0.2}, {"longMax", 0.4}}));
    const json& b = journey["linkNodes"][2];
    EXPECT_EQ(b["latitude"].get<double>(), 1e-7);
    EXPECT_EQ(b["distance"].get<double>(), 12.5);
    EXPECT_EQ(b["bounds"]["valid"], false);
    EXPECT_NE(run.out.find("\"name\": \"Q\\u00ff\""), std::string::npos) << run.out.substr(0, 200);
}

TEST(pathweaveDump, listsOnlyTheJourneyAskedFor) {
    const TempDatabase fixture(network + "INSERT INTO journeys VALUES ('K', '', '', '', 1);");
    const pwtest::ToolRun run = runTool({"dump", fixture.path(), "--journey", "K", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json dump = json::parse(run.out);
    EXPECT_EQ(dump["nonJourneyPoints"], nullptr);
    ASSERT_EQ(dump["journeys"].size(), 1u);
    EXPECT_EQ(dump["journeys"][0]["id"], "K");
    EXPECT_EQ(dump["journeys"][0]["linkNodes"], json::array());
}

TEST(pathweaveDump, writesNonFiniteNumbersAsStrings) {
    const TempDatabase fixture(network + "UPDATE links SET DISTANCE_TRANSIT = 9e999 WHERE LINK_ID = 'L1';"
                                         "UPDATE link_nodes SET BBLATMIN = -9e999 WHERE LINKNODE_ID = 'B';");
    const pwtest::ToolRun run = runTool({"dump", fixture.path(), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json b = json::parse(run.out)["journeys"][0]["linkNodes"][2];
    EXPECT_EQ(b["distance"], "Infinity");
    EXPECT_EQ(b["bounds"]["latMin"], "-Infinity");
}

TEST(pathweaveSample, writesTheSampleNetworkButNeverOverAFile) {
    const TempDatabase scratch("");
    const std::string path = scratch.folder() + "/sample.db";
    pwtest::ToolRun run = runTool({"sample", "-o", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = runTool({"info", path, "--non-journey-points", "NJP"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("journeys: 4 in the table, 3 listed, and the non-journey points"),
              std::string::npos)
        << run.out;

    run = runTool({"sample", "-o", scratch.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "pathweave: will not overwrite '" + scratch.path() + "': the file exists\n");
}

TEST(pathweaveIndex, createsTheRecommendedIndexesOnce) {
    const TempDatabase fixture(pwtest::schemaSql());
    pwtest::ToolRun run = runTool({"index", fixture.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(
        run.out,
        "Creating: CREATE INDEX IF NOT EXISTS attributes_id_symbol ON attributes(id, symbol);\n"
        "Creating: CREATE INDEX IF NOT EXISTS Journey_links_JOURNEY_ID ON Journey_links(JOURNEY_ID);\n");
    run = runTool({"index", fixture.path()});
    EXPECT_EQ(run.out, "The recommended indexes are there already; nothing to do.\n");
}

TEST(pathweaveDemo, drivesTheSampleJourney) {
    const pwtest::ToolRun run = runTool({"demo"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Sample network: 43 cues, 3 selectable journeys", 0), 0u) << run.out;
}

} // namespace
