#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace {

using nlohmann::json;
using pwtest::runTool;
using pwtest::TempDatabase;

// Journey J runs A -> B -> C -> D northwards; C has no box. The non-journey points P hold X,
// whose box overlaps B's.
const std::string network = pwtest::schemaSql() + R"sql(
INSERT INTO cues VALUES ('welcome', 'JOURNEY_ENTRY_TRANSITION', ''), ('goodbye', 'JOURNEY_EXIT_TRANSITION', ''),
  ('chime', 'LINK_ENTRY_TRANSITION', ''), ('stop_a', 'ENTER_TRANSITION', ''), ('info', 'SIMPLE', ''),
  ('doors', 'GLOBAL', ''), ('look', 'SIMPLE', '');
INSERT INTO journeys VALUES ('J', 'welcome', 'chime', 'goodbye', 1);
INSERT INTO Journey_links VALUES ('J', 'L1'), ('J', 'L2'), ('J', 'L3'), ('P', 'L4');
INSERT INTO links VALUES ('L1', 'A', 'B', 10), ('L2', 'B', 'C', 20), ('L3', 'C', 'D', 5), ('L4', 'X', 'Y', 0);
INSERT INTO link_nodes VALUES ('A', 'PA', 'info,stop_a', 1.0, 1.1, 2.0, 2.1), ('B', 'PB', '', 1.2, 1.3, 2.0, 2.1),
  ('C', 'PC', '', 0, 0, 0, 0), ('D', 'PD', 'info', 1.4, 1.5, 2.0, 2.1),
  ('X', 'PX', 'look', 1.25, 1.35, 2.05, 2.15), ('Y', 'PY', '', 0, 0, 0, 0);
)sql";

struct Fixture {
    TempDatabase database{network};
    std::string track = database.folder() + "/track.csv";

    pwtest::ToolRun replay(const std::string& csv, std::vector<std::string> options = {}) {
        std::ofstream(track) << csv;
        std::vector<std::string> words = {"replay", database.path(), "--journey", "J", track};
        words.insert(words.end(), options.begin(), options.end());
        return runTool(words);
    }
};

std::vector<json> jsonLines(const std::string& out) {
    std::vector<json> events;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        events.push_back(json::parse(line));
    }
    return events;
}

TEST(pathweaveReplay, tabulatesEnteringLeavingAndTheCurrentNode) {
    Fixture fixture;
    const pwtest::ToolRun run =
        fixture.replay("time_s,latitude,longitude\n0,1.05,2.05\n5,1.15,2.05\n10,1.25,2.05\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "time  event    node  transition  cues\n"
                       "   0  start    J     welcome     global: doors\n"
                       "   0  enter    A     stop_a      info, stop_a\n"
                       "   0  current  A\n"
                       "   5  leave    A\n"
                       "  10  enter    B     chime\n"
                       "  10  current  B\n"
                       "  10  end      J     goodbye\n"
                       "Visited 2 of 3 stops, in journey order; B is current.\n");
}

TEST(pathweaveReplay, writesOneJsonObjectPerEvent) {
    Fixture fixture;
    const pwtest::ToolRun run =
        fixture.replay("0,1.05,2.05\n\n  \r\n2.5,1.15,2.05\r\n4,1.25,2.05\n", {"--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(
        jsonLines(run.out),
        jsonLines(R"({"time":0,"event":"start","journey":"J","entryCue":"welcome","globalCues":["doors"]}
{"time":0,"event":"enter","journey":"J","node":"A","transitionCue":"stop_a","cues":["info","stop_a"]}
{"time":0,"event":"current","journey":"J","node":"A"}
{"time":2.5,"event":"leave","journey":"J","node":"A"}
{"time":4,"event":"enter","journey":"J","node":"B","transitionCue":"chime","cues":[]}
{"time":4,"event":"current","journey":"J","node":"B"}
{"time":4,"event":"end","journey":"J","exitCue":"goodbye","current":"B","visited":2,"stops":3,"inOrder":true}
)"));
}

TEST(pathweaveReplay, watchesNonJourneyPointsWithoutMovingTheCurrentNode) {
    Fixture fixture;
    // D, then back to A; then into the overlap of B and X, then out of B but still in X.
    const pwtest::ToolRun run = fixture.replay("0,1.45,2.05\n1,1.05,2.05\n2,1.28,2.08\n3,1.32,2.08\n",
                                               {"--non-journey-points", "P", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> sequence;
    for (const json& event : jsonLines(run.out)) {
        sequence.push_back(event["event"].get<std::string>() + " " + event.value("node", "") + " " +
                           event["journey"].get<std::string>());
    }
    EXPECT_EQ(sequence, (std::vector<std::string>{"start  J", "enter D J", "current D J", "leave D J",
                                                  "enter A J", "current A J", "leave A J", "enter B J",
                                                  "current B J", "enter X P", "leave B J", "end  J"}));
    EXPECT_EQ(jsonLines(run.out).back()["inOrder"], false);
}

TEST(pathweaveReplay, namesTheFileAndLineOfAMalformedFix) {
    Fixture fixture;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"time_s,latitude,longitude\n\n0,1.05,2.05\n1,north,2.05\n",
         "line 4: latitude 'north' is not a finite number"},
        {"0,1.05,2.05\n1,1.05\n", "line 2 has 2 fields, not the three time_s,latitude,longitude"},
        {"0,1.05,nan\n", "line 1: longitude 'nan' is not a finite number"},
        {"0,1.05,2.05\ntime_s,latitude,longitude\n", "line 2: time_s 'time_s' is not a finite number"},
    };
    for (const auto& [csv, why] : cases) {
        const pwtest::ToolRun run = fixture.replay(csv);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "pathweave: cannot read track '" + fixture.track + "': " + why + "\n");
    }
}

TEST(pathweaveReplay, refusesAnUnknownJourneyAndAMissingTrack) {
    Fixture fixture;
    std::ofstream(fixture.track) << "0,1.05,2.05\n";
    pwtest::ToolRun run = runTool({"replay", fixture.database.path(), "--journey", "P", fixture.track});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "pathweave: no journey 'P' in database '" + fixture.database.path() + "'\n");

    const std::string missing = fixture.database.folder() + "/missing.csv";
    run = runTool({"replay", fixture.database.path(), "--journey", "J", missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "pathweave: cannot read track '" + missing + "': no such file\n");
}

TEST(pathweaveReplay, demoDrivesTheSampleJourneyThroughEveryStopInOrder) {
    const pwtest::ToolRun run = runTool({"demo"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> current;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string time, event, node;
        if (words >> time >> event >> node && event == "current") {
            current.push_back(node);
        }
    }
    EXPECT_EQ(current, (std::vector<std::string>{"MKT01", "MKT02", "MKT03", "MKT04", "MKT05", "MKT06",
                                                 "MKT07", "MKT08", "MKT09"}));
    EXPECT_NE(run.out.find("\nVisited 9 of 9 stops, in journey order; MKT09 is current.\n"),
              std::string::npos)
        << run.out;
}

} // namespace
