#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>

namespace {

using nlohmann::json;
using pwtest::runTool;
using pwtest::TempDatabase;

// Journey J runs A -> B -> C -> D: C has no coordinates and no box, D a point at latitude 0.
// Journey K has one link, so one placed node. The non-journey points P hold X. The ROOT nodes
// take the coordinates stored under the empty point id.
const std::string network = pwtest::schemaSql() + R"sql(
INSERT INTO cues VALUES ('chime', 'LINK_ENTRY_TRANSITION', ''), ('info', 'SIMPLE', '');
INSERT INTO journeys VALUES ('J', '', 'chime', '', 1), ('K', '', '', '', 1);
INSERT INTO Journey_links VALUES ('J', 'L1'), ('J', 'L2'), ('J', 'L3'), ('K', 'L5'), ('P', 'L4');
INSERT INTO links VALUES ('L1', 'A', 'B', 10), ('L2', 'B', 'C', 20), ('L3', 'C', 'D', 5), ('L4', 'X', 'Y', 0),
  ('L5', 'E', 'F', 1);
INSERT INTO link_nodes VALUES ('A', 'PA', 'info', 1.0, 1.1, 2.0, 2.1), ('B', 'PB', '', 1.2, 1.3, 2.0, 2.1),
  ('C', 'PC', '', 0, 0, 0, 0), ('D', 'PD', '', -0.1, 0.1, 2.0, 2.1), ('E', 'PE', '', 0, 0, 0, 0),
  ('F', 'PF', '', 0, 0, 0, 0), ('X', 'PX', 'info', 1.25, 1.35, 2.05, 2.15), ('Y', 'PY', '', 0, 0, 0, 0);
INSERT INTO attributes VALUES ('PA', 'LAT', '1.05'), ('PA', 'LONG', '2.05'), ('PB', 'LAT', '1.25'),
  ('PB', 'LONG', '2.04'), ('PD', 'LAT', '0'), ('PD', 'LONG', '2.06'), ('PE', 'LAT', '3'), ('PE', 'LONG', '4'),
  ('PX', 'LAT', '1.3'), ('PX', 'LONG', '2.1'), ('', 'LAT', '9'), ('', 'LONG', '9');
)sql";

// The features of a run, by geometry type.
std::map<std::string, std::vector<json>> featuresOf(const pwtest::ToolRun& run) {
    const json collection = json::parse(run.out);
    EXPECT_EQ(collection["type"], "FeatureCollection");
    std::map<std::string, std::vector<json>> features;
    for (const json& feature : collection["features"]) {
        EXPECT_EQ(feature["type"], "Feature");
        features[feature["geometry"]["type"].get<std::string>()].push_back(feature);
    }
    return features;
}

TEST(pathweaveGeojson, writesPointsBoxesAndLinesLongitudeFirstLeavingOutRootAndWhatIsNotFinite) {
    const TempDatabase fixture(network +
                               "UPDATE attributes SET value = '9e999' WHERE id = 'PB' AND symbol = 'LAT';"
                               "UPDATE link_nodes SET BBLATMIN = -9e999 WHERE LINKNODE_ID = 'A';");
    const pwtest::ToolRun run = runTool({"geojson", fixture.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto features = featuresOf(run);
    ASSERT_EQ(features["Point"].size(), 3u) << run.out;
    ASSERT_EQ(features["Polygon"].size(), 2u);
    ASSERT_EQ(features["LineString"].size(), 1u) << "K has a single placed node";

    EXPECT_EQ(features["Point"][0]["geometry"]["coordinates"], json({2.05, 1.05}));
    EXPECT_EQ(
        features["Point"][0]["properties"],
        (json{
            {"journey", "J"}, {"id", "A"}, {"distance", 0}, {"cues", {"info"}}, {"transitionCue", "chime"}}));
    EXPECT_EQ(features["Point"][1]["properties"]["id"], "D") << "only 0,0 means no coordinates";
    EXPECT_EQ(features["Point"][2]["properties"]["id"], "E");
    EXPECT_EQ(features["LineString"][0]["geometry"]["coordinates"], json({{2.05, 1.05}, {2.06, 0}}));

    const json& b = features["Polygon"][0];
    EXPECT_EQ(b["properties"], (json{{"journey", "J"}, {"id", "B"}}));
    EXPECT_EQ(b["geometry"]["coordinates"],
              json({{{2.0, 1.2}, {2.1, 1.2}, {2.1, 1.3}, {2.0, 1.3}, {2.0, 1.2}}}))
        << "a closed ring, counterclockwise from the south-west corner";
    EXPECT_EQ(run.out.find("ROOT"), std::string::npos);

    // The non-journey points come first, without a line; one journey on request.
    features = featuresOf(runTool({"geojson", fixture.path(), "--non-journey-points", "P"}));
    ASSERT_EQ(features["Point"].size(), 4u);
    EXPECT_EQ(features["Point"][0]["properties"]["journey"], "P");
    EXPECT_EQ(features["Point"][0]["geometry"]["coordinates"], json({2.1, 1.3}));
    EXPECT_EQ(features["Polygon"].size(), 3u);
    EXPECT_EQ(features["LineString"].size(), 1u);
    features = featuresOf(runTool({"geojson", fixture.path(), "--journey", "K"}));
    ASSERT_EQ(features["Point"].size(), 1u);
    EXPECT_EQ(features["Point"][0]["properties"]["id"], "E");
}

} // namespace
