#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>

namespace {

using pwtest::runTool;
using pwtest::TempDatabase;

// Journey J runs A -> B -> C -> D: A's box and B's latitude are not finite, C has no coordinates and
// no box, D a point at latitude 0. Journey K has one link, so one placed node. The non-journey points
// P hold X. The ROOT nodes take the coordinates stored under the empty point id.
const std::string network = pwtest::schemaSql() + R"sql(
INSERT INTO cues VALUES ('chime', 'LINK_ENTRY_TRANSITION', ''), ('info', 'SIMPLE', '');
INSERT INTO journeys VALUES ('J', '', 'chime', '', 1), ('K', '', '', '', 1);
INSERT INTO Journey_links VALUES ('J', 'L1'), ('J', 'L2'), ('J', 'L3'), ('K', 'L5'), ('P', 'L4');
INSERT INTO links VALUES ('L1', 'A', 'B', 10), ('L2', 'B', 'C', 20), ('L3', 'C', 'D', 5), ('L4', 'X', 'Y', 0),
  ('L5', 'E', 'F', 1);
INSERT INTO link_nodes VALUES ('A', 'PA', 'info', -9e999, 1.1, 2.0, 2.1), ('B', 'PB', '', 1.2, 1.3, 2.0, 2.1),
  ('C', 'PC', '', 0, 0, 0, 0), ('D', 'PD', '', -0.1, 0.1, 2.0, 2.1), ('E', 'PE', '', 0, 0, 0, 0),
  ('F', 'PF', '', 0, 0, 0, 0), ('X', 'PX', 'info', 1.25, 1.35, 2.05, 2.15), ('Y', 'PY', '', 0, 0, 0, 0);
INSERT INTO attributes VALUES ('PA', 'LAT', '1.05'), ('PA', 'LONG', '2.05'), ('PB', 'LAT', '9e999'),
  ('PB', 'LONG', '2.04'), ('PD', 'LAT', '0'), ('PD', 'LONG', '2.06'), ('PE', 'LAT', '3'), ('PE', 'LONG', '4'),
  ('PX', 'LAT', '1.3'), ('PX', 'LONG', '2.1'), ('', 'LAT', '9'), ('', 'LONG', '9');
)sql";

// One feature a line: each journey's line first, then every node's box and point, longitude first.
// The non-journey points come first, without a line.
TEST(pathweaveGeojson, writesPointsBoxesAndLinesLongitudeFirstLeavingOutRootAndWhatIsNotFinite) {
    const TempDatabase fixture(network);
    const pwtest::ToolRun run = runTool({"geojson", fixture.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string head = "{\"type\":\"FeatureCollection\",\"features\":[\n";
    const std::string e =
        R"({"type":"Feature","geometry":{"type":"Point","coordinates":[4,3]},"properties":{"journey":"K","id":"E","distance":0,"cues":[],"transitionCue":null}})";
    EXPECT_EQ(
        run.out,
        head +
            R"({"type":"Feature","geometry":{"type":"LineString","coordinates":[[2.05,1.05],[2.06,0]]},"properties":{"journey":"J"}},
{"type":"Feature","geometry":{"type":"Point","coordinates":[2.05,1.05]},"properties":{"journey":"J","id":"A","distance":0,"cues":["info"],"transitionCue":"chime"}},
{"type":"Feature","geometry":{"type":"Polygon","coordinates":[[[2,1.2],[2.1,1.2],[2.1,1.3],[2,1.3],[2,1.2]]]},"properties":{"journey":"J","id":"B"}},
{"type":"Feature","geometry":{"type":"Polygon","coordinates":[[[2,-0.1],[2.1,-0.1],[2.1,0.1],[2,0.1],[2,-0.1]]]},"properties":{"journey":"J","id":"D"}},
{"type":"Feature","geometry":{"type":"Point","coordinates":[2.06,0]},"properties":{"journey":"J","id":"D","distance":35,"cues":[],"transitionCue":"chime"}},
)" + e + "\n]}\n");
    EXPECT_EQ(
        runTool({"geojson", fixture.path(), "--non-journey-points", "P"}).out,
        head +
            R"({"type":"Feature","geometry":{"type":"Polygon","coordinates":[[[2.05,1.25],[2.15,1.25],[2.15,1.35],[2.05,1.35],[2.05,1.25]]]},"properties":{"journey":"P","id":"X"}},
{"type":"Feature","geometry":{"type":"Point","coordinates":[2.1,1.3]},"properties":{"journey":"P","id":"X","distance":0,"cues":["info"],"transitionCue":null}},
)" + run.out.substr(head.size()));
    EXPECT_EQ(runTool({"geojson", fixture.path(), "--journey", "K"}).out, head + e + "\n]}\n");
}

} // namespace
