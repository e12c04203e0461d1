#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace {

using nlohmann::json;
using pwtest::runTool;
using pwtest::TempDatabase;
using pwtest::ToolRun;
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

std::string usage(const std::string& message, const std::string& command = "") {
    return "pathweave: " + message + "\nRun 'pathweave help" + (command.empty() ? "" : " " + command) +
           "' for usage.\n";
}

TEST(pathweave, refusesWhatIsNoNetworkDatabaseWithExitCode3) {
    const TempDatabase empty("");
    const std::string missing = empty.folder() + "/missing.db";
    const TempDatabase broken(pwtest::schemaSql(pwtest::without::Cues | pwtest::without::JourneyColumns));
    const TempDatabase endless(pwtest::schemaSql() + R"sql(
ALTER TABLE links RENAME TO stored_links;
CREATE VIEW links AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n)
  SELECT 'L' || i AS LINK_ID, 'A' AS LINKNODE_ID1, 'B' AS LINKNODE_ID2, 1.0 AS DISTANCE_TRANSIT FROM n;
INSERT INTO journeys VALUES ('J', '', '', '', 1);
INSERT INTO Journey_links VALUES ('J', 'L0');
)sql");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {missing, "cannot open database '" + missing + "': no such file"},
        {empty.path(),
         "not a network database '" + empty.path() +
             "': it has none of the tables cues, journeys, Journey_links, links, link_nodes and "
             "attributes"},
        {broken.path(),
         "cannot read the network in '" + broken.path() +
             "': table 'cues' is missing; table 'journeys' has no columns 'JOURNEY_TRANSITION_CUE', "
             "'LINK_TRANSITION_CUE' and 'CUES' ('pathweave check' tells more)"},
        {endless.path(), "cannot read the network in '" + endless.path() +
                             "': the database's views do not terminate (a statement ran over 10000000 "
                             "SQLite instructions and was given up)"},
    };
    for (const char* command : {"info", "dump", "geojson"}) {
        for (const auto& [path, why] : cases) {
            EXPECT_EQ(runTool({command, path}), (ToolRun{3, "", "pathweave: " + why + '\n'})) << command;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// The command line is refused before anything is read: neither x.db nor t.csv exists.
TEST(pathweave, answersUsageErrorsWithExitCode2AndAHint) {
    const std::string oneJourney = "--track needs exactly one --journey, the journey that the track drives";
    const std::vector<std::pair<Words, std::string>> cases = {
        {{}, usage("a command is required")},
        {{"chekc", "x.db"}, usage("unknown command 'chekc' (did you mean 'check'?)")},
        {{"frobnicate"}, usage("unknown command 'frobnicate'")},
        {{"help", "dumb"}, usage("unknown command 'dumb' (did you mean 'dump'?)")},
        {{"--bogus", "info", "x.db"}, usage("unknown option '--bogus'", "info")},
        {{"dump"}, usage("DB is required", "dump")},
        {{"dump", "x.db", "--format", "xml"}, usage("--format must be text or json", "dump")},
        {{"dump", "x.db", "--bogus=1"}, usage("unknown option '--bogus'", "dump")},
        {{"dump", "x.db", "y.db"}, usage("unexpected argument 'y.db'", "dump")},
        {{"dump", "x.db", "-o", ""},
         usage("the output file name is empty: give a file name, or - for standard output", "dump")},
        {{"map", "x.db", "--track", "t.csv"}, usage(oneJourney, "map")},
        {{"map", "x.db", "--track", "t.csv", "--journey", "A", "--journey", "B"}, usage(oneJourney, "map")},
        {{"map", "x.db", "--tiles", "https://t/{z}/{x}.png"},
         usage("--tiles 'https://t/{z}/{x}.png' has no {y}: give a URL template such as "
               "https://tile.example.org/{z}/{x}/{y}.png",
               "map")},
    };
    for (const auto& [arguments, err] : cases) {
        EXPECT_EQ(runTool(arguments), (ToolRun{2, "", err}));
    }
}

TEST(pathweave, showsHelpForTheProgramAndEachCommand) {
    EXPECT_EQ(runTool({"--version"}).out.rfind("pathweave ", 0), 0u);
    EXPECT_EQ(runTool({"help"}).out, runTool({"--help"}).out);
    for (const std::string command :
         {"info", "dump", "check", "index", "replay", "geojson", "map", "sample", "demo"}) {
        const pwtest::ToolRun run = runTool({"help", command});
        EXPECT_EQ(run, (ToolRun{0, runTool({command, "--help"}).out, ""}));
        for (const std::string& part :
             Words{"Usage: pathweave " + command, "--log-level N", "\nExamples:\n  pathweave " + command,
                   "\nExit codes:\n  0  success\n"}) {
            EXPECT_NE(run.out.find(part), std::string::npos) << part << " in\n" << run.out;
        }
    }
}

TEST(pathweave, readingCommandsLeaveTheDatabaseUnchangedAndFailWhenTheirOutputCannotBeWritten) {
    // In WAL mode SQLite makes a log and an index beside a database it reads, unless told not to.
    const TempDatabase fixture(network + "PRAGMA journal_mode = WAL;");
    const TempDatabase scratch("");
    const std::string before = pwtest::readFile(fixture.path());
    for (const Words& command : std::vector<Words>{{"info", fixture.path()},
                                                   {"dump", fixture.path(), "--non-journey-points", "P"},
                                                   {"geojson", fixture.path()},
                                                   {"check", fixture.path(), "--format", "json"}}) {
        const pwtest::ToolRun run = runTool(command);
        EXPECT_NE(run.exitCode, 3) << command[0] << ": " << run.err;
        EXPECT_EQ(runTool(command, "", "/dev/full"),
                  (ToolRun{1, "", "pathweave: cannot write the output: no space left on device\n"}));
        if (command[0] != "info") { // which times the load
            Words toFile = command;
            toFile.insert(toFile.end(), {"-o", scratch.folder() + "/out"});
            EXPECT_EQ(runTool(toFile), (ToolRun{run.exitCode, "", run.err}));
            EXPECT_EQ(pwtest::readFile(scratch.folder() + "/out"), run.out) << command[0];
        }
        EXPECT_EQ(pwtest::readFile(fixture.path()), before) << command[0] << " changed the database";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fixture.folder()), {}), 1)
            << command[0] << " left a file beside the database";
    }
    EXPECT_EQ(runTool({"dump", fixture.path(), "-o", fixture.folder()}),
              (ToolRun{1, "", "pathweave: cannot write '" + fixture.folder() + "': is a directory\n"}));
}

TEST(pathweave, namesAnUnknownJourneyTheSameWayInEveryCommand) {
    const TempDatabase fixture(network);
    for (const Words& command : std::vector<Words>{
             {"dump", fixture.path(), "--journey", "NOPE"},
             {"geojson", fixture.path(), "--journey", "NOPE"},
             {"map", fixture.path(), "--journey", "J", "--journey", "NOPE", "-o", fixture.path() + ".html"},
             {"replay", fixture.path(), "--journey", "NOPE", "-"}}) {
        EXPECT_EQ(runTool(command),
                  (ToolRun{1, "", "pathweave: no journey 'NOPE' in database '" + fixture.path() + "'\n"}));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fixture.folder()), {}), 1)
        << "map left a file";
}

TEST(pathweave, passesTheLibrarysLinesOnWholeAndCollapsesRepeats) {
    const TempDatabase fixture(network +
                               "UPDATE journeys SET CUES = 'x' || char(0) || 'y,' || CAST(x'ff' AS TEXT);"
                               "UPDATE link_nodes SET CUES = 'nope';");
    const pwtest::ToolRun run = runTool({"dump", fixture.path(), "--log-level", "8", "-o", "-"});
    EXPECT_EQ(run.exitCode, 0);
    const std::string notFound = "8\tCCueCollection::toCueSubset: Cue name not found in cue list:";
    const std::string lines =
        notFound + std::string("x\0y\n", 4) + notFound + "\xff\n" + notFound + "nope (repeated 1 time)\n";
    EXPECT_EQ(run.err, lines);
    // The check reads the library's lines for its findings and passes on only those asked for.
    EXPECT_EQ(runTool({"check", fixture.path()}).err, "");
    EXPECT_EQ(runTool({"--log-level", "8", "check", fixture.path()}).err, lines);
}

TEST(pathweaveDump, writesTheModelAsTextOrJsonWithNonFiniteNumbersAsStrings) {
    const TempDatabase fixture(network + "UPDATE links SET DISTANCE_TRANSIT = 9e999 WHERE LINK_ID = 'L1';");
    const pwtest::ToolRun text = runTool({"dump", fixture.path(), "--journey", "J"});
    EXPECT_NE(text.out.find("\n  bell  type SIMPLE  arguments ding,2\n"), std::string::npos) << text.out;
    EXPECT_EQ(
        text.out.substr(text.out.find("journey J")),
        "journey J: order Standard, link distances yes, cues bell, entry -, exit -, link transition go\n"
        "  ROOT  at 0,0  distance 0.00  cues -  transition go  box none\n"
        "  A  at 0.15,0.35  distance 0.00  cues bell  transition go  box 0.1,0.3 .. 0.2,0.4\n"
        "  B  at 1e-07,0  distance inf  cues -  transition go  box none\n");

    const pwtest::ToolRun run =
        runTool({"dump", fixture.path(), "--non-journey-points", "P", "--format", "JSON"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("\"name\": \"Q\\u00ff\""), std::string::npos)
        << "an invalid byte is written as the code point of its value";
    const json dump = json::parse(run.out);
    EXPECT_EQ(dump["database"], fixture.path());
    ASSERT_EQ(dump["cues"].size(), 4u);
    EXPECT_EQ(dump["cues"][0]["arguments"], json({"q\"\\"}));
    EXPECT_EQ(dump["cues"][1], (json{{"name", "bell"}, {"type", 4}, {"arguments", {"ding", "2"}}}));
    EXPECT_EQ(dump["nonJourneyPoints"]["id"], "P");
    EXPECT_EQ(dump["nonJourneyPoints"]["linkNodes"][1]["cues"], json({"zone"}));
    EXPECT_EQ(dump["journeys"],
              json::parse(R"([{"id": "J", "cues": ["bell"], "entryCue": null, "exitCue": null,
        "linkTransitionCue": "go", "order": "Standard", "linkDistances": true, "linkNodes": [
    {"id": "ROOT", "latitude": 0, "longitude": 0, "distance": 0, "cues": [], "transitionCue": "go",
     "bounds": {"valid": false, "latMin": 0, "longMin": 0, "latMax": 0, "longMax": 0}},
    {"id": "A", "latitude": 0.15, "longitude": 0.35, "distance": 0, "cues": ["bell"], "transitionCue": "go",
     "bounds": {"valid": true, "latMin": 0.1, "longMin": 0.3, "latMax": 0.2, "longMax": 0.4}},
    {"id": "B", "latitude": 1e-7, "longitude": 0, "distance": "Infinity", "cues": [], "transitionCue": "go",
     "bounds": {"valid": false, "latMin": 0, "longMin": 0, "latMax": 0, "longMax": 0}}]}])"));
}

TEST(pathweaveInfo, countsTheNetworkAndNamesTheLikelyNonJourneyPoints) {
    const TempDatabase fixture(network);
    const pwtest::ToolRun text = runTool({"info", fixture.path()});
    EXPECT_NE(text.out.find("\nnon-journey points: not read; Journey_links holds links of P, which is not in "
                            "journeys: --non-journey-points P reads them\n"),
              std::string::npos)
        << text.out;
    json info =
        json::parse(runTool({"info", fixture.path(), "--non-journey-points", "P", "--format", "json"}).out);
    info.erase("database");
    info.erase("loadMilliseconds");
    EXPECT_EQ(info, json::parse(R"({"cues": {"total": 4, "byType": {"GLOBAL": 1, "LINK_ENTRY_TRANSITION": 1,
        "SIMPLE": 2}}, "journeys": {"inTable": 1, "listed": 1}, "nonJourneyPoints": "P",
        "nonJourneyPointsCandidates": [], "links": 2, "linkNodes": {"inTable": 4, "onJourneys": 4, "distinct": 4},
        "points": {"total": 4, "withCoordinates": 1}, "validBoxes": 1})"));
}

TEST(pathweaveSample, writesASampleNetworkThatChecksCleanOnlyToANewFile) {
    const TempDatabase scratch("");
    const std::string path = scratch.folder() + "/sample.db";
    ASSERT_EQ(runTool({"sample", "-o", path}), (ToolRun{0, "", ""}));
    EXPECT_EQ(runTool({"check", path, "--non-journey-points", "NJP"}),
              (ToolRun{0, path + ": 0 errors, 0 warnings, 0 infos\n", ""}));
    const std::vector<std::tuple<std::string, int, std::string>> refused = {
        {scratch.path(), 1, "will not overwrite '" + scratch.path() + "': the file exists"},
        {scratch.folder(), 1, "will not overwrite '" + scratch.folder() + "': it is a directory"},
        {"-", 2,
         "the sample network is an SQLite database, which cannot go to standard output: give the name of "
         "the database to write"},
        {"", 2, "the output file name is empty: give the name of the database to write"},
    };
    for (const auto& [target, code, why] : refused) {
        EXPECT_EQ(runTool({"sample", "-o", target}),
                  (ToolRun{code, "", code == 2 ? usage(why, "sample") : "pathweave: " + why + '\n'}));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.folder()), {}), 2);
}

TEST(pathweaveIndex, createsTheRecommendedIndexesOnce) {
    const TempDatabase fixture(pwtest::schemaSql());
    pwtest::ToolRun run = runTool({"index", fixture.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "Created: CREATE INDEX IF NOT EXISTS attributes_id_symbol ON attributes(id, symbol);\n"
              "Created: CREATE INDEX IF NOT EXISTS Journey_links_JOURNEY_ID ON Journey_links(JOURNEY_ID);\n");
    run = runTool({"index", fixture.path()});
    EXPECT_EQ(run.out, "The recommended indexes are there already; nothing to do.\n");
}

} // namespace
