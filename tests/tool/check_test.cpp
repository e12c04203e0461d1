#include "run_tool.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

namespace {

using nlohmann::json;
using pwtest::runTool;
using pwtest::TempDatabase;

// A network that checks clean, as every case below shows by adding one finding: journey J runs
// A -> B -> C, every node with a point inside its box of 22 m, 110 m from the next, and both
// recommended indexes.
const std::string indexes = "CREATE INDEX attributes_id_symbol ON attributes(id, symbol);\n"
                            "CREATE INDEX journey_links_journey ON Journey_links(JOURNEY_ID);\n";
const std::string clean = pwtest::schemaSql() + indexes + R"sql(
INSERT INTO cues VALUES ('bell', 'SIMPLE', 'ding'), ('go', 'LINK_ENTRY_TRANSITION', '');
INSERT INTO journeys VALUES ('J', '', 'go', 'bell', 1);
INSERT INTO Journey_links VALUES ('J', 'L1'), ('J', 'L2');
INSERT INTO links VALUES ('L1', 'A', 'B', 10), ('L2', 'B', 'C', 20);
INSERT INTO link_nodes VALUES ('A', 'PA', 'bell', 1, 1.0002, 1, 1.0002), ('B', 'PB', '', 1.001, 1.0012, 1.001, 1.0012),
  ('C', 'PC', '', 1.002, 1.0022, 1.002, 1.0022);
INSERT INTO attributes VALUES ('PA', 'LAT', '1.0001'), ('PA', 'LONG', '1.0001'), ('PB', 'lat', '1.0011'),
  ('PB', 'long', '1.0011'), ('PC', 'Lat', '1.0021'), ('PC', 'Long', '1.0021');
)sql";

struct Case {
    const char* name;
    std::string sql;
    std::string code;
    std::string severity;
    std::string examples; // one a line
    // The example comes from SQLite's own text, whose wording may change: compare its start.
    bool examplePrefix = false;
    std::string nonJourneyPoints = "";
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        // Every cue name is unknown without the catalogue; the missing table says so once.
        {"missing tables", clean + "DROP TABLE cues; DROP TABLE Journey_links;", "missing-table", "error",
         "cues\nJourney_links"},
        {"missing columns",
         std::regex_replace(pwtest::schemaSql(pwtest::without::JourneyColumns),
                            std::regex("POINT_ID TEXT, CUES"), "POINT_ID TEXT, Cues") +
             indexes,
         "missing-column", "error",
         "journeys.JOURNEY_TRANSITION_CUE\njourneys.LINK_TRANSITION_CUE\njourneys.CUES\n"
         "link_nodes.CUES (the table has 'Cues', but the name must match exactly, case included)"},
        {"broken view",
         pwtest::schemaSql(pwtest::without::Cues) + indexes +
             "CREATE VIEW cues AS SELECT a AS cue_id, b AS cue_type, c AS cue_arguments FROM nowhere;",
         "statement-failed", "error", "reading table cues: ", true},
        {"damaged file",
         clean +
             "CREATE TABLE extra (a TEXT); INSERT INTO extra VALUES (NULL); PRAGMA writable_schema = ON;"
             "UPDATE sqlite_master SET sql = 'CREATE TABLE extra (a TEXT NOT NULL)' WHERE name = 'extra';",
         "quick-check-failed", "error", "NULL value in ", true},
        {"cue names with a blank or in another case",
         clean + "UPDATE link_nodes SET CUES = 'bell, go' WHERE LINKNODE_ID = 'A';"
                 "UPDATE journeys SET JOURNEY_TRANSITION_CUE = 'Go';",
         "unknown-cue", "error",
         "journey 'J', JOURNEY_TRANSITION_CUE: 'Go' (names are case-sensitive; 'go' is a cue)\n"
         "link node 'A', CUES: ' go' (blank at the start; 'go' is a cue)"},
        {"duplicate cue", clean + "INSERT INTO cues VALUES ('bell', 'GLOBAL', '');", "duplicate-cue", "error",
         "cue 'bell' (2 rows)"},
        {"duplicate journey", clean + "INSERT INTO journeys VALUES ('J', '', 'go', '', 1);",
         "duplicate-journey", "error", "journey 'J' (2 rows)"},
        {"journey and non-journey points without links",
         clean + "INSERT INTO journeys VALUES ('K', '', '', '', 1);", "journey-without-links", "error",
         "non-journey points 'P': no row of Journey_links names it\n"
         "journey 'K': no row of Journey_links names it",
         false, "P"},
        {"self-link",
         clean +
             "INSERT INTO Journey_links VALUES ('J', 'L3'); INSERT INTO links VALUES ('L3', 'C', 'C', 0);",
         "self-link", "error", "journey 'J': link 'L3' from 'C' to itself"},
        {"closed ring",
         clean + "INSERT INTO journeys VALUES ('R', '', '', '', 1);"
                 "INSERT INTO Journey_links VALUES ('R', 'L1'), ('R', 'L2'), ('R', 'L3');"
                 "INSERT INTO links VALUES ('L3', 'C', 'A', 0);",
         "unreachable-link-nodes", "error",
         "journey 'R': 'A', 'B', 'C' (no start node: the links form a closed ring)"},
        {"missing link", clean + "INSERT INTO Journey_links VALUES ('J', 'L9');", "missing-link", "error",
         "journey 'J': link 'L9'"},
        {"missing link node",
         clean +
             "INSERT INTO Journey_links VALUES ('J', 'L3'); INSERT INTO links VALUES ('L3', 'C', 'D', 5);",
         "missing-link-node", "error", "link 'L3': 'D' is not in link_nodes"},
        {"three box columns", pwtest::schemaSql(pwtest::without::LastBoundingBox) + indexes,
         "missing-box-columns", "warning", "link_nodes.BBLONGMAX"},
        {"type with a blank", clean + "UPDATE cues SET cue_type = 'GLOBAL ' WHERE cue_id = 'bell';",
         "unknown-cue-type", "warning", "cue 'bell': type 'GLOBAL '"},
        {"two start nodes",
         clean + "INSERT INTO Journey_links VALUES ('J', 'L3'); INSERT INTO links VALUES ('L3', 'D', 'C', 5);"
                 "INSERT INTO link_nodes VALUES ('D', 'PD', '', 1.003, 1.0032, 1.003, 1.0032);"
                 "INSERT INTO attributes VALUES ('PD', 'LAT', '1.0031'), ('PD', 'LONG', '1.0031');",
         "several-start-nodes", "warning", "journey 'J': 'A', 'D'"},
        {"latitude not a number, no longitude",
         clean + "DELETE FROM attributes WHERE id = 'PB' AND symbol = 'long';"
                 "UPDATE attributes SET value = 'north' WHERE id = 'PB' AND symbol = 'lat';",
         "point-without-coordinates", "warning",
         "point 'PB' of link node 'B': latitude 'north' is not a number and no longitude"},
        {"no box",
         clean + "UPDATE link_nodes SET BBLATMIN = NULL, BBLATMAX = 0, BBLONGMIN = 0, BBLONGMAX = 0 "
                 "WHERE LINKNODE_ID = 'B';",
         "missing-box", "warning", "link node 'B'"},
        {"box of no height", clean + "UPDATE link_nodes SET BBLATMAX = 1.001 WHERE LINKNODE_ID = 'B';",
         "invalid-box", "warning",
         "link node 'B': BBLATMIN 1.001 is not below BBLATMAX 1.001 (a box of no extent)"},
        {"box of 3 km", clean + "UPDATE link_nodes SET BBLATMAX = 1.03 WHERE LINKNODE_ID = 'B';",
         "oversized-box", "warning", "link node 'B': 3.22 km x 0.02 km"},
        {"point outside",
         clean + "UPDATE attributes SET value = '-1.0011' WHERE id = 'PB' AND symbol = 'long';",
         "point-outside-box", "warning",
         "link node 'B': point 'PB' at 1.0011, -1.0011 is outside latitude 1.001 to 1.0012, "
         "longitude 1.001 to 1.0012"},
        {"consecutive fences overlap",
         clean + "UPDATE link_nodes SET BBLATMAX = 1.0011, BBLONGMAX = 1.0011 WHERE LINKNODE_ID = 'A';",
         "overlapping-fences", "warning",
         "journey 'J': link nodes 1 'A' and 2 'B' overlap over 11.1 m x 11.1 m"},
        {"fences overlap apart",
         clean +
             "UPDATE link_nodes SET BBLATMIN = 0.9999, BBLATMAX = 1.0001, BBLONGMIN = 0.9999, "
             "BBLONGMAX = 1.0001 WHERE LINKNODE_ID = 'C'; UPDATE attributes SET value = '1' WHERE id = 'PC';",
         "overlapping-nonconsecutive-fences", "info",
         "journey 'J': link nodes 1 'A' and 3 'C' overlap over 11.1 m x 11.1 m"},
        // A journey that is not selectable is checked too.
        {"random and circular",
         clean +
             "INSERT INTO journeys VALUES ('S', '', '', '', 0); INSERT INTO Journey_links VALUES ('S', 'L1');"
             "INSERT INTO attributes VALUES ('S', 'IsRandom', '1'), ('S', 'IsCircular', '1');",
         "random-and-circular", "warning", "journey 'S'"},
        {"cue id with a blank, link node named ROOT",
         clean + "INSERT INTO cues VALUES ('ding ', 'SIMPLE', '');"
                 "UPDATE link_nodes SET LINKNODE_ID = 'ROOT' WHERE LINKNODE_ID = 'C';"
                 "UPDATE links SET LINKNODE_ID2 = 'ROOT' WHERE LINK_ID = 'L2';",
         "suspicious-id", "warning",
         "cue 'ding ' (blank at the end)\n"
         "link node 'ROOT' (the name of the first node of every loaded journey)"},
        {"trailing comma", clean + "UPDATE journeys SET CUES = 'bell,';", "empty-cue-name-piece", "warning",
         "journey 'J', CUES: 'bell,'"},
        {"flag yes, flag in another case",
         clean + "INSERT INTO attributes VALUES ('J', 'IsCircular', 'yes'), ('J', 'isRandom', '1');",
         "unclear-flag", "warning",
         "journey 'J': IsCircular is 'yes', which reads as false\n"
         "journey 'J': symbol 'isRandom' is not read (the library reads 'IsRandom' and 'IsCircular')"},
        {"no indexes", clean + "DROP INDEX attributes_id_symbol; DROP INDEX journey_links_journey;",
         "missing-index", "info", "attributes(id, symbol), 6 rows\nJourney_links(JOURNEY_ID), 2 rows"},
        {"no index on a large table",
         clean + "DROP INDEX attributes_id_symbol; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                 "FROM n WHERE i < 10000) INSERT INTO attributes SELECT 'X' || i, 'NAME', 'x' FROM n;",
         "missing-index", "warning", "attributes(id, symbol), 10006 rows"},
        {"links of an unknown journey",
         clean + "INSERT INTO Journey_links VALUES ('P' || char(9, 1, 127), 'L1');",
         "links-of-unknown-journey", "info", "JOURNEY_ID 'P\\t\\x01\\x7f' (1 row of Journey_links)"},
    };
    return all;
}

TEST(pathweaveCheck, reportsEachProblemUnderItsOwnCode) {
    for (const Case& fixture : cases()) {
        SCOPED_TRACE(fixture.name);
        const TempDatabase database(fixture.sql);
        const pwtest::ToolRun run = runTool(
            {"check", database.path(), "--format", "json", "--non-journey-points", fixture.nonJourneyPoints});
        const json body = json::parse(run.out);
        ASSERT_EQ(body["findings"].size(), 1u) << body.dump(2);
        const json& finding = body["findings"][0];
        EXPECT_EQ(finding["code"], fixture.code);
        EXPECT_EQ(finding["severity"], fixture.severity);
        EXPECT_EQ(run.exitCode, fixture.severity == "error" ? 1 : 0);
        std::string examples;
        for (const json& example : finding["examples"]) {
            examples += (examples.empty() ? "" : "\n") + example.get<std::string>();
        }
        if (fixture.examplePrefix) {
            examples.resize(std::min(examples.size(), fixture.examples.size()));
        }
        EXPECT_EQ(examples, fixture.examples) << finding.dump(2);
    }
}

TEST(pathweaveCheck, writesTheReportAsTextOrOneJsonObjectWithAtMostTwentyExamplesOfACode) {
    std::string sql = clean + "UPDATE journeys SET CUES = 'bell,nope,'; DROP INDEX attributes_id_symbol;";
    for (int i = 0; i < 25; ++i) {
        sql += "INSERT INTO link_nodes VALUES ('N" + std::to_string(i) + "', 'PA', '', 0, 0, 0, 0);";
    }
    const TempDatabase fixture(sql);
    const pwtest::ToolRun run = runTool({"check", fixture.path(), "--format", "json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "");
    const json body = json::parse(run.out); // one JSON object and nothing else
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(body["database"], fixture.path());
    EXPECT_EQ(body["summary"], (json{{"errors", 1}, {"warnings", 26}, {"infos", 1}}));
    json codes; // errors first, then warnings, then infos
    for (const json& finding : body["findings"]) {
        codes.push_back({finding["code"], finding["count"], finding["examples"].size()});
    }
    ASSERT_EQ(codes, json::parse(R"([["unknown-cue", 1, 1], ["missing-box", 25, 20],
        ["empty-cue-name-piece", 1, 1], ["missing-index", 1, 1]])"));
    EXPECT_EQ(body["findings"][3]["message"],
              "An index that makes loading fast is missing, so every lookup scans the whole table (slow on a "
              "large database); `pathweave index " +
                  fixture.path() + "` creates it.");
    EXPECT_EQ(body["findings"][1]["examples"][19], "link node 'N19'");

    const pwtest::ToolRun text = runTool({"check", fixture.path()});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.out.find("\nwarning missing-box (25): A link node has no bounding box"),
              std::string::npos);
    EXPECT_NE(text.out.find("  link node 'N19'\n  ... and 5 more\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.substr(text.out.rfind('\n', text.out.size() - 2) + 1),
              fixture.path() + ": 1 error, 26 warnings, 1 info\n");
}

// docs/check-codes.md lists each code with its severity and a section of its own.
TEST(pathweaveCheck, documentsEveryCodeItReports) {
    std::ifstream in(std::filesystem::path(__FILE__).parent_path() / "../../docs/check-codes.md");
    ASSERT_TRUE(in) << "cannot read docs/check-codes.md";
    // A table row "| `code` | severity |" and a section heading "### `code` (severity".
    std::map<std::string, std::string> listed, sections;
    const std::regex entry(R"(^(\||###) `([a-z-]+)` (\| |\()(error|warning|info)\b.*)");
    std::smatch match;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_match(line, match, entry)) {
            (match[1] == "###" ? sections : listed)[match[2]] = match[4];
        }
    }
    std::map<std::string, std::string> reported;
    for (const Case& fixture : cases()) {
        reported.emplace(fixture.code, fixture.severity);
    }
    EXPECT_EQ(listed, reported);
    EXPECT_EQ(sections, reported);
}

} // namespace
