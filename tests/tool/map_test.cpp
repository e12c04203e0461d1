#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;
using pwtest::runTool;

// Journeys A (N1 -> N2 -> N3) and B (N3 -> N4) share N3; the fences of N1 and N2 overlap, N4 has no
// box; the non-journey points P hold X and Y. N2's id would end the page's data element as it is.
const std::string network = pwtest::schemaSql() + R"sql(
INSERT INTO cues VALUES ('chime', 'LINK_ENTRY_TRANSITION', ''), ('info', 'SIMPLE', '');
INSERT INTO journeys VALUES ('A', '', 'chime', '', 1), ('B', '', '', '', 1);
INSERT INTO Journey_links VALUES ('A', 'L1'), ('A', 'L2'), ('B', 'L3'), ('P', 'L4');
INSERT INTO links VALUES ('L1', 'N1', 'N2</script>', 10), ('L2', 'N2</script>', 'N3', 20),
  ('L3', 'N3', 'N4', 5), ('L4', 'X', 'Y', 0);
INSERT INTO link_nodes VALUES ('N1', 'P1', 'info', 1.0, 1.012, 2.0, 2.01), ('N4', 'P4', '', 0, 0, 0, 0),
  ('N2</script>', 'P2', '', 1.01, 1.022, 2.0, 2.01), ('N3', 'P3', '', 1.03, 1.04, 2.0, 2.01),
  ('X', 'PX', '', 1.06, 1.07, 2.0, 2.01), ('Y', 'PY', '', 1.08, 1.09, 2.0, 2.01);
INSERT INTO attributes VALUES ('P1', 'LAT', '1.006'), ('P1', 'LONG', '2.005'), ('P2', 'LAT', '1.016'),
  ('P2', 'LONG', '2.005'), ('P3', 'LAT', '1.035'), ('P3', 'LONG', '2.005'), ('P4', 'LAT', '1.05'),
  ('P4', 'LONG', '2.02'), ('PX', 'LAT', '1.065'), ('PX', 'LONG', '2.005'), ('PY', 'LAT', '1.085'),
  ('PY', 'LONG', '2.005');
)sql";

// The data of `pathweave map`'s page, which loads no script from elsewhere and ends whole.
json mapPage(std::vector<std::string> options, const std::string& input = "") {
    options.insert(options.begin(), "map");
    const pwtest::ToolRun run = runTool(options, input);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.find("<script src") == std::string::npos &&
                run.out.substr(run.out.rfind("</script>")) == "</script>\n</body>\n</html>\n");
    const std::string open = R"(<script type="application/json" id="network-data">)";
    const std::size_t start = run.out.find(open) + open.size();
    return json::parse(run.out.substr(start, run.out.find("</script>", start) - start));
}

TEST(pathweaveMap, storesSharedNodesOnceWithTheChecksFindingsOnThem) {
    const pwtest::TempDatabase fixture(network);
    const std::string db = fixture.path();
    json page = mapPage({db, "--non-journey-points", "P", "--tiles", "https://t/{z}/{x}/{y}"});
    page.erase("database");
    EXPECT_EQ(page, json::parse(R"({"cues": ["info", "chime"], "nodes": [
    {"id": "N1", "point": [1.006, 2.005], "box": [1, 2, 1.012, 2.01], "cues": [0]},
    {"id": "N2</script>", "point": [1.016, 2.005], "box": [1.01, 2, 1.022, 2.01], "cues": []},
    {"id": "N3", "point": [1.035, 2.005], "box": [1.03, 2, 1.04, 2.01], "cues": []},
    {"id": "N4", "point": [1.05, 2.02], "cues": []},
    {"id": "X", "point": [1.065, 2.005], "box": [1.06, 2, 1.07, 2.01], "cues": []},
    {"id": "Y", "point": [1.085, 2.005], "box": [1.08, 2, 1.09, 2.01], "cues": []}], "journeys": [
    {"id": "A", "order": "Standard", "nodes": [0, 1, 2], "distances": [0, 10, 30], "transitions": [1, 1, 1]},
    {"id": "B", "order": "Standard", "nodes": [2, 3], "distances": [0, 5], "transitions": [-1, -1]}],
    "nonJourneyPoints": {"id": "P", "nodes": [4, 5]},
    "findings": [{"code": "missing-box", "severity": "warning", "nodes": [3], "text": "link node 'N4'"},
        {"code": "overlapping-fences", "severity": "warning", "journey": "A", "nodes": [0, 1],
         "text": "journey 'A': link nodes 1 'N1' and 2 'N2</script>' overlap over 222.4 m x 1111.8 m"}],
    "unplaced": [{"code": "missing-index", "count": 2, "severity": "info"}],
    "tiles": {"url": "https://t/{z}/{x}/{y}", "credit": ""}, "track": null})"));

    // Only what concerns journey A, and a replay along it: north at 22 m a second.
    std::string csv = "time,lat,lon\n";
    for (int time = 0; time <= 220; time += 5) {
        csv += std::to_string(time) + "," + std::to_string(1.002 + time * 0.0002) + ",2.005\n";
    }
    const json onlyA = mapPage({db, "--journey", "A", "--track", "-"}, csv);
    EXPECT_EQ(onlyA["nodes"], json(page["nodes"].begin(), page["nodes"].begin() + 3));
    EXPECT_EQ(onlyA["journeys"], json::array({page["journeys"][0]}));
    EXPECT_EQ(onlyA["findings"], json::array({page["findings"][1]}));
    EXPECT_EQ(onlyA["track"]["events"], json::parse(R"([
        {"time": 5, "event": "arrived", "node": 0, "at": [1.003, 2.005]},
        {"time": 45, "event": "departed", "node": 0, "at": [1.011, 2.005]},
        {"time": 45, "event": "arrived", "node": 1, "at": [1.011, 2.005]},
        {"time": 110, "event": "departed", "node": 1, "at": [1.024, 2.005]},
        {"time": 145, "event": "arrived", "node": 2, "at": [1.031, 2.005]},
        {"time": 145, "event": "completed", "at": [1.031, 2.005]},
        {"time": 200, "event": "departed", "node": 2, "at": [1.042, 2.005]}])"));
    EXPECT_EQ(onlyA["track"]["summary"], "Visited 3 of 3 stops, in journey order; N3 is current.");
}

} // namespace
