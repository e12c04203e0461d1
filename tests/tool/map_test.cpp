#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <sstream>

namespace {

using nlohmann::json;
using pwtest::runTool;
using pwtest::TempDatabase;

// Journeys A (N1 -> N2 -> N3) and B (N3 -> N4) share N3. The fences of N1 and N2 overlap, N4 has
// no box, and C's N5 has its point outside its box. The non-journey points P hold X and Y. N2's
// id would end the page's data element if it went in as it is.
const std::string network = pwtest::schemaSql() + R"sql(
INSERT INTO cues VALUES ('chime', 'LINK_ENTRY_TRANSITION', ''), ('info', 'SIMPLE', '');
INSERT INTO journeys VALUES ('A', '', 'chime', '', 1), ('B', '', '', '', 1), ('C', '', '', '', 1);
INSERT INTO Journey_links VALUES ('A', 'L1'), ('A', 'L2'), ('B', 'L3'), ('C', 'L4'), ('P', 'L5');
INSERT INTO links VALUES ('L1', 'N1', 'N2</script>', 10), ('L2', 'N2</script>', 'N3', 20),
  ('L3', 'N3', 'N4', 5), ('L4', 'N5', 'N6', 1), ('L5', 'X', 'Y', 0);
INSERT INTO link_nodes VALUES ('N1', 'P1', 'info', 1.0, 1.012, 2.0, 2.01),
  ('N2</script>', 'P2', '', 1.01, 1.022, 2.0, 2.01), ('N3', 'P3', '', 1.03, 1.04, 2.0, 2.01), ('N4', 'P4', '', 0, 0, 0, 0),
  ('N5', 'P5', '', 1.1, 1.11, 2.0, 2.01), ('N6', 'P6', '', 1.12, 1.13, 2.0, 2.01),
  ('X', 'PX', '', 1.06, 1.07, 2.0, 2.01), ('Y', 'PY', '', 1.08, 1.09, 2.0, 2.01);
INSERT INTO attributes VALUES ('P1', 'LAT', '1.006'), ('P1', 'LONG', '2.005'), ('P2', 'LAT', '1.016'),
  ('P2', 'LONG', '2.005'), ('P3', 'LAT', '1.035'), ('P3', 'LONG', '2.005'), ('P4', 'LAT', '1.05'),
  ('P4', 'LONG', '2.02'), ('P5', 'LAT', '1.15'), ('P5', 'LONG', '2.005'), ('P6', 'LAT', '1.125'),
  ('P6', 'LONG', '2.005'), ('PX', 'LAT', '1.065'), ('PX', 'LONG', '2.005'), ('PY', 'LAT', '1.085'),
  ('PY', 'LONG', '2.005');
)sql";

struct Page {
    std::string html;
    json data;
};

Page mapPage(const std::vector<std::string>& options) {
    std::vector<std::string> words = {"map"};
    words.insert(words.end(), options.begin(), options.end());
    const pwtest::ToolRun run = runTool(words);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string open = R"(<script type="application/json" id="network-data">)";
    const std::size_t start = run.out.find(open) + open.size();
    return {run.out, json::parse(run.out.substr(start, run.out.find("</script>", start) - start))};
}

// The ids of the nodes that a list of node indices names.
json ids(const Page& page, const json& indices) {
    json result = json::array();
    for (const json& index : indices) {
        result.push_back(page.data["nodes"][index.get<std::size_t>()]["id"]);
    }
    return result;
}

TEST(pathweaveMap, storesSharedNodesOnceAndJourneysInTravellingOrder) {
    const TempDatabase fixture(network);
    const Page page =
        mapPage({fixture.path(), "--non-journey-points", "P", "--tiles", "https://t.test/{z}/{x}/{y}"});
    std::vector<std::string> nodeIds;
    for (const json& node : page.data["nodes"]) {
        nodeIds.push_back(node["id"]);
    }
    EXPECT_EQ(nodeIds, (std::vector<std::string>{"N1", "N2</script>", "N3", "N4", "N5", "N6", "X", "Y"}));
    EXPECT_EQ(page.data["nodes"][0],
              json::parse(R"({"id":"N1","point":[1.006,2.005],"box":[1,2,1.012,2.01],"cues":[0]})"));
    EXPECT_EQ(page.data["nodes"][3], json::parse(R"({"id":"N4","point":[1.05,2.02],"cues":[]})"));

    const json& journeys = page.data["journeys"];
    ASSERT_EQ(journeys.size(), 3u);
    EXPECT_EQ(ids(page, journeys[0]["nodes"]), json({"N1", "N2</script>", "N3"}));
    EXPECT_EQ(journeys[0]["distances"], json({0, 10, 30}));
    EXPECT_EQ(ids(page, journeys[1]["nodes"]), json({"N3", "N4"}));
    EXPECT_EQ(ids(page, page.data["nonJourneyPoints"]["nodes"]), json({"X", "Y"}));
    EXPECT_EQ(page.data["cues"][journeys[0]["transitions"][1].get<std::size_t>()], "chime");
    EXPECT_EQ(page.data["tiles"], json({{"url", "https://t.test/{z}/{x}/{y}"}, {"credit", ""}}));

    // Only the page's own three script elements end.
    std::size_t ends = 0;
    for (std::size_t at = page.html.find("</script"); at != std::string::npos;
         at = page.html.find("</script", at + 1)) {
        ++ends;
    }
    EXPECT_EQ(ends, 3u);
    EXPECT_EQ(page.html.find("<script src"), std::string::npos);
}

TEST(pathweaveMap, placesTheChecksFindingsOnTheNodesOfTheJourneysShown) {
    const TempDatabase fixture(network);
    const Page all = mapPage({fixture.path(), "--non-journey-points", "P"});
    std::vector<std::pair<std::string, json>> placed;
    for (const json& finding : all.data["findings"]) {
        placed.emplace_back(finding["code"], ids(all, finding["nodes"]));
    }
    EXPECT_EQ(placed,
              (std::vector<std::pair<std::string, json>>{{"missing-box", {"N4"}},
                                                         {"point-outside-box", {"N5"}},
                                                         {"overlapping-fences", {"N1", "N2</script>"}}}));
    EXPECT_EQ(all.data["findings"].back().value("journey", ""), "A");
    EXPECT_EQ(all.data["unplaced"], json::parse(R"([{"severity":"info","code":"missing-index","count":2}])"));

    const Page onlyA = mapPage({fixture.path(), "--journey", "A"});
    ASSERT_EQ(onlyA.data["findings"].size(), 1u) << onlyA.data["findings"];
    EXPECT_EQ(onlyA.data["findings"][0]["code"], "overlapping-fences");
    EXPECT_EQ(onlyA.data["journeys"].size(), 1u);
}

TEST(pathweaveMap, drawsTheEventsOfTheSameReplayAsPathweaveReplay) {
    const TempDatabase folder("");
    const std::string database = folder.folder() + "/sample.db";
    ASSERT_EQ(runTool({"sample", "-o", database}).exitCode, 0);
    const std::vector<std::string> options = {"--journey", "MARKET", "--non-journey-points", "NJP"};
    std::vector<std::string> words = {"replay", database, PATHWEAVE_SAMPLE_TRACK_CSV, "--format", "json"};
    words.insert(words.end(), options.begin(), options.end());
    const pwtest::ToolRun replay = runTool(words);
    words = {database, "--track", PATHWEAVE_SAMPLE_TRACK_CSV};
    words.insert(words.end(), options.begin(), options.end());
    const Page page = mapPage(words);

    std::vector<json> expected;
    std::istringstream lines(replay.out);
    for (std::string line; std::getline(lines, line);) {
        const json event = json::parse(line);
        if (event["event"] != "start" && event["event"] != "end") {
            expected.push_back({event["time"], event["event"], event.value("node", "")});
        }
    }
    std::vector<json> drawn;
    for (const json& event : page.data["track"]["events"]) {
        drawn.push_back(
            {event["time"], event["event"], event.contains("node") ? ids(page, {event["node"]})[0] : ""});
        EXPECT_EQ(event["at"].size(), 2u);
    }
    EXPECT_GT(expected.size(), 10u);
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(page.data["track"]["summary"], "Visited 9 of 9 stops, in journey order; MKT09 is current.");
}

TEST(pathweaveMap, refusesWhatItCannotShowAndWritesNothing) {
    const TempDatabase fixture(network);
    const std::string page = fixture.folder() + "/page.html";
    // Never read: the command line is refused first.
    const std::string track = fixture.folder() + "/track.csv";
    const struct {
        std::vector<std::string> options;
        int exitCode;
        std::string error;
    } cases[] = {
        {{fixture.path(), "--track", track},
         2,
         "--track needs exactly one --journey, the journey that the track drives"},
        {{fixture.path(), "--track", track, "--journey", "A", "--journey", "B"},
         2,
         "--track needs exactly one --journey, the journey that the track drives"},
        {{fixture.path(), "--journey", "Z"}, 1, "no journey 'Z' in database '" + fixture.path() + "'"},
        {{fixture.path(), "--journey", "A", "--journey", "Z"},
         1,
         "no journey 'Z' in database '" + fixture.path() + "'"},
        {{fixture.path(), "--tiles", "https://t.test/{z}/{x}.png"},
         2,
         "--tiles 'https://t.test/{z}/{x}.png' has no {y}: give a URL template such as "
         "https://tile.example.org/{z}/{x}/{y}.png"},
        {{fixture.folder() + "/none.db"}, 3, ""},
    };
    for (const auto& test : cases) {
        std::vector<std::string> words = {"map", "-o", page};
        words.insert(words.end(), test.options.begin(), test.options.end());
        const pwtest::ToolRun run = runTool(words);
        EXPECT_EQ(run.exitCode, test.exitCode) << run.err;
        if (!test.error.empty()) {
            const std::string hint = test.exitCode == 2 ? "Run 'pathweave help map' for usage.\n" : "";
            EXPECT_EQ(run.err, "pathweave: " + test.error + "\n" + hint);
        }
        struct stat status {};
        EXPECT_NE(stat(page.c_str(), &status), 0) << "wrote " << page;
    }
}

} // namespace
