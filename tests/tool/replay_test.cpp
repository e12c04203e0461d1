#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using pwtest::runTool;
using pwtest::TempDatabase;
using pwtest::ToolRun;

// Journey K, with an entry cue and no exit cue, runs north through stops E, F and G, 220 m apart,
// each in a fence about 45 m across, and on to H, which has no fence.
const std::string street = pwtest::schemaSql() + R"sql(
INSERT INTO cues VALUES ('welcome', 'JOURNEY_ENTRY_TRANSITION', ''), ('chime', 'LINK_ENTRY_TRANSITION', ''),
  ('stop_e', 'ENTER_TRANSITION', ''), ('info', 'SIMPLE', ''), ('doors', 'GLOBAL', '');
INSERT INTO journeys VALUES ('K', 'welcome', 'chime', '', 1);
INSERT INTO Journey_links VALUES ('K', 'L1'), ('K', 'L2'), ('K', 'L3');
INSERT INTO links VALUES ('L1', 'E', 'F', 220), ('L2', 'F', 'G', 220), ('L3', 'G', 'H', 5);
INSERT INTO link_nodes VALUES ('E', 'PE', 'info,stop_e', 0.9998, 1.0002, 1.9998, 2.0002),
  ('F', 'PF', '', 1.0018, 1.0022, 1.9998, 2.0002), ('G', 'PG', 'info', 1.0038, 1.0042, 1.9998, 2.0002),
  ('H', 'PH', '', 0, 0, 0, 0);
)sql";

// A fix every 2 s from latitude `from` to `to` at longitude 2, 11 m/s.
std::string northwards(double from, double to, double time = 0.0) {
    std::string csv;
    for (double latitude = from; latitude <= to + 1e-9; latitude += 0.0002, time += 2.0) {
        csv += std::to_string(time) + "," + std::to_string(latitude) + ",2.0\n";
    }
    return csv;
}

struct Fixture {
    TempDatabase database{street};
    std::string track = database.folder() + "/track.csv";

    pwtest::ToolRun replay(const std::string& csv, std::vector<std::string> options = {}) {
        std::ofstream(track) << csv;
        std::vector<std::string> words = {"replay", database.path(), "--journey", "K", track};
        words.insert(words.end(), options.begin(), options.end());
        return runTool(words);
    }
};

TEST(pathweaveReplay, tabulatesTheEventsOfTheTrackerOrOfTheNaiveFenceTestOrWritesThemAsJson) {
    Fixture fixture;
    EXPECT_EQ(fixture.replay("time,lat,lon,accuracy\n" + northwards(0.9994, 1.0026)),
              (ToolRun{0,
                       "time  event     node  transition  cues\n"
                       "   0  start     K     welcome     global: doors\n"
                       "   8  arrived   E     stop_e      info, stop_e\n"
                       "  14  departed  E\n"
                       "  28  arrived   F     chime\n"
                       "  32  end       K\n"
                       "Visited 2 of 3 stops, missed G, in journey order; F is current.\n",
                       ""}));
    // The naive fence test of each fix: entering, leaving and the current node.
    EXPECT_EQ(
        fixture.replay("time_s,latitude,longitude\n0,1.0,2.0\n5,1.001,2.0\n10,1.002,2.0\n", {"--naive"}),
        (ToolRun{0,
                 "time  event    node  transition  cues\n"
                 "   0  start    K     welcome     global: doors\n"
                 "   0  enter    E     stop_e      info, stop_e\n"
                 "   0  current  E\n"
                 "   5  leave    E\n"
                 "  10  enter    F     chime\n"
                 "  10  current  F\n"
                 "  10  end      K\n"
                 "Visited 2 of 3 stops, missed G, in journey order; F is current.\n",
                 ""}));
    EXPECT_EQ(
        fixture.replay(northwards(1.0014, 1.0042, 40), {"--format", "json"}),
        (ToolRun{0, R"({"time":40,"event":"start","journey":"K","entryCue":"welcome","globalCues":["doors"]}
{"time":48,"event":"skipped","journey":"K","node":"E"}
{"time":48,"event":"arrived","journey":"K","node":"F","transitionCue":"chime","cues":[]}
{"time":54,"event":"departed","journey":"K","node":"F"}
{"time":68,"event":"arrived","journey":"K","node":"G","transitionCue":"chime","cues":["info"]}
{"time":68,"event":"completed","journey":"K"}
{"time":68,"event":"end","journey":"K","exitCue":null,"current":"G","visited":2,"stops":3,"missed":["E"],"repeated":0,"inOrder":true,"fixes":15,"leftOut":0}
)",
                 ""}));
}

TEST(pathweaveReplay, strictFailsWhenAStopIsMissedRepeatedOrOutOfOrder) {
    Fixture fixture;
    const struct {
        std::string csv;
        std::vector<std::string> options;
        int exitCode;
    } cases[] = {
        {northwards(0.9994, 1.0046), {"--strict"}, 0},
        {"", {"--strict"}, 1},
        {northwards(1.0034, 1.0046), {"--strict"}, 1},
        {northwards(0.9994, 1.0046) + "100,1.0,2.00019\n101,1.0,2.00021\n102,1.0,2.00019\n",
         {"--strict", "--naive"},
         1},
        {"0,1.002,2.0\n1,1.0,2.0\n2,1.004,2.0\n", {"--strict", "--naive"}, 1},
        {"0,1.0,2.00019\n1,1.0,2.00021\n2,1.0,2.00019\n", {"--naive"}, 0},
    };
    for (const auto& test : cases) {
        const pwtest::ToolRun run = fixture.replay(test.csv, test.options);
        EXPECT_EQ(run.exitCode, test.exitCode) << test.csv << run.out << run.err;
        EXPECT_EQ(run.err, test.exitCode == 0 ? ""
                                              : "pathweave: the track does not visit every stop of journey "
                                                "'K' once and in order (--strict)\n");
    }
}

// Bad fixes are left out; a malformed line stops the replay. Either way the file and line are named.
TEST(pathweaveReplay, leavesOutBadFixesAndRefusesAMalformedTrackNamingTheLine) {
    Fixture fixture;
    pwtest::ToolRun run = fixture.replay(
        "0,0.9999,2.0\n1,91.5,2.0\n2,1.0,2.0\n1,1.0,2.0\n3,1.0,2.0,80\n4,1.0005,2.0\n", {"--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string track = "pathweave: track '" + fixture.track + "' line ";
    EXPECT_EQ(run.err, track +
                           "2: latitude 91.5, longitude 2 is no position on Earth; the fix is left out\n" +
                           track + "4: time 1 is earlier than the fix before it (2); the fix is left out\n" +
                           track + "5: accuracy 80 m is worse than 50 m; the fix is left out\n");
    EXPECT_NE(run.out.find(R"("journey":"K","node":"E")"), std::string::npos) << run.out;

    run = runTool({"replay", fixture.database.path(), "--journey", "K", "-", "--format", "json"},
                  "$GPRMC,120000.00,A,0059.994,N,00200.000,E,0.0,0.0,010124,,,A*51\n"
                  "$GPGGA,120001.00,0059.997,N,00200.000,E,1,08,1.0,10.0,M,0.0,M,,*6F\n"
                  "$GPGGA,120002.00,0100.000,N,00200.000,E,1,08,1.0,10.0,M,0.0,M,,*67\n"
                  "$GPRMC,120003.00,V,,,,,,,010124,,,N*7B\n"
                  "$GPRMC,120003.00,A,0100.003,N,00200.000,E,0.5,0.0,010124,,,A*5D\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err,
              "pathweave: standard input line 3: the NMEA checksum does not match; the fix is left out\n"
              "pathweave: standard input line 4: the receiver had no fix; the fix is left out\n");
    EXPECT_NE(run.out.find(R"("journey":"K","node":"E")"), std::string::npos) << run.out;

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"time_s,latitude,longitude\n\n0,1.05,2.05\n1,north,2.05\n",
         "line 4: latitude 'north' is not a finite number"},
        {"0,1.05,2.05\n1,1.05\n",
         "line 2 has 2 fields, not time,latitude,longitude and an optional accuracy"},
        {"0,1.05,nan\n", "line 1: longitude 'nan' is not a finite number"},
        {"0,1.05,2.05\ntime_s,latitude,longitude\n", "line 2: time 'time_s' is not a finite number"},
    };
    for (const auto& [csv, why] : cases) {
        EXPECT_EQ(fixture.replay(csv),
                  (ToolRun{1, "", "pathweave: cannot read track '" + fixture.track + "': " + why + "\n"}));
    }
    const std::string missing = fixture.database.folder() + "/missing.csv";
    EXPECT_EQ(runTool({"replay", fixture.database.path(), "--journey", "K", missing}),
              (ToolRun{1, "", "pathweave: cannot read track '" + missing + "': no such file\n"}));
}

TEST(pathweaveReplay, demoArrivesAtEveryStopOfTheSampleJourneyInOrder) {
    const std::string out = runTool({"demo"}).out;
    EXPECT_NE(out.find("\nVisited 9 of 9 stops, in journey order; MKT09 is current.\n"), std::string::npos);
}

} // namespace
