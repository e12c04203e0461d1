// How the importer reads real feeds: CSV quirks, bad rows and feeds it must refuse.

#include "feed_fixture.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Replacements = std::map<std::string, std::optional<std::string>>;

std::string example(const std::string& name) { return pwtest::readFile(PATHWEAVE_EXAMPLE_FEED "/" + name); }

// Every stop that a trip of the example serves, with a byte-order mark, CR LF line ends, columns in
// another order, an unknown column, a quoted name over two lines and a bad row after it (line 8).
const std::string quirkyStops =
    "\xEF\xBB\xBFstop_lon,zone_id,stop_name,stop_id,stop_lat\r\n"
    "-7.38985,1,\"Wrenmouth Station, Platform 1\",STA1,57.46985\r\n"
    "-7.37830,1,\"St Brendan's \"\"Old\"\" Church\",CHU,57.47410\r\n"
    "-7.37200,1,\"Market\r\nCross\",MKT,57.47660\r\n"
    "-7.36600,,Town Hall,HAL,57.47845\r\n"
    "-7.35950,,Library,LIB,57.48042\r\n"
    "-7.35950,,Nowhere,BAD,91\r\n"
    "-7.34750,,College,COL,57.48554\r\n-7.34166,,Hospital,HOS,57.48842\r\n"
    "-7.36000,,Harbour Square,HSQ,57.47243\r\n-7.35400,,Fish Quay,FQY,57.47118\r\n"
    "-7.34130,,Lighthouse,LGT,57.46920\r\n-7.35166,,Cliff Top,CLF,57.47701\r\n"
    "-7.36833,,Northfield,NFD,57.48985\r\n-7.35300,,Academy,ACD,57.47944";

struct ReadingCase {
    const char* name;
    Replacements replacements;
    std::vector<std::string> findings; // code:count in report order
    std::string firstExample;          // "file:line" of the first finding's first example
};

// Google Test prints a parameter by its name, not by its bytes (which hold padding).
void PrintTo(const ReadingCase& c, std::ostream* out) { *out << c.name; }

class GtfsFeedReading : public testing::TestWithParam<ReadingCase> {};

TEST_P(GtfsFeedReading, reportsBadRowsWithTheirPlaceAndWritesTheRest) {
    const ReadingCase& c = GetParam();
    const pwtest::FeedFixture fixture(c.replacements);
    const pw::gtfs::Report report = fixture.import();
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_EQ(pwtest::findingCounts(report), c.findings);
    if (!c.firstExample.empty()) {
        const auto& example = report.findings.ordered().front()->examples.front();
        EXPECT_EQ(example.file + ":" + std::to_string(example.line), c.firstExample);
    }
    EXPECT_TRUE(std::filesystem::exists(fixture.database()));
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, GtfsFeedReading,
    testing::Values(
        ReadingCase{"quirkyCsv", {{"stops.txt", quirkyStops}}, {"bad-coordinate:1"}, "stops.txt:8"},
        ReadingCase{
            "badRows",
            {{"trips.txt", example("trips.txt") + "R-MKT,WEEK,M0-DUP,x,0,\nR-MKT,WEEK,M0-DUP,x,0,\n"
                                                  "R-NONE,WEEK,X1,x,0,\n"},
             {"stop_times.txt", example("stop_times.txt") +
                                    "M0-DUP,08:00:00,08:00:00,STA1,10,\nM0-DUP,08:01:00,08:01:00,CHU,10,\n"
                                    "M0-DUP,08:02:00,08:02:00,XXX,20,\nM0-DUP,08:03:00\n"
                                    "M0-DUP,08:04:00,08:04:00,MKT,x,\nNOPE,08:05:00,08:05:00,MKT,30,\n"
                                    "M0-DUP,08:06:00,08:06:00,MKT,40,\n"}},
            {"short-row:1", "duplicate-key:1", "bad-value:1", "unknown-route:1", "unknown-trip:1",
             "unknown-stop:1", "stop-sequence-not-increasing:1"},
            "stop_times.txt:114"},
        ReadingCase{"optionalFilesMissing",
                    {{"shapes.txt", std::nullopt},
                     {"calendar.txt", std::nullopt},
                     {"calendar_dates.txt", std::nullopt},
                     {"frequencies.txt", std::nullopt},
                     {"agency.txt", std::nullopt}},
                    {"unknown-shape:1"},
                    "trips.txt:0"}),
    [](const testing::TestParamInfo<ReadingCase>& param) { return param.param.name; });

struct RefusedCase {
    const char* name;
    Replacements replacements;
    std::vector<std::string> routes;
    std::string failure;
};

// Google Test prints a parameter by its name, not by its bytes (which hold padding).
void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class GtfsRefusedFeed : public testing::TestWithParam<RefusedCase> {};

TEST_P(GtfsRefusedFeed, failsWithoutWritingAnyFile) {
    const RefusedCase& c = GetParam();
    const pwtest::FeedFixture fixture(c.replacements);
    pw::gtfs::Options options;
    options.routes = c.routes;
    const pw::gtfs::Report report = fixture.import(options);
    EXPECT_EQ(report.failure, c.failure);
    EXPECT_EQ(report.findings.count(pw::gtfs::Severity::Error), 1u);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(fixture.feed() + "/..")) {
        files.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(files, std::vector<std::string>{"feed"});
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, GtfsRefusedFeed,
    testing::Values(RefusedCase{"noStops", {{"stops.txt", std::nullopt}}, {}, "the feed has no stops.txt"},
                    RefusedCase{"noRouteColumn",
                                {{"trips.txt", "trip_id,service_id\nT,WEEK\n"}},
                                {},
                                "trips.txt has no column route_id"},
                    RefusedCase{"unclosedQuote",
                                {{"routes.txt", "route_id,route_short_name\nR-MKT,\"M\nR-HBR,H\n"}},
                                {},
                                "routes.txt line 2: a quote where none may be, or a quote left open"},
                    RefusedCase{"strayQuote",
                                {{"routes.txt", "route_id,route_short_name\nR-MKT,M\"x\n"}},
                                {},
                                "routes.txt line 2: a quote where none may be, or a quote left open"},
                    RefusedCase{"noStopTimes",
                                {{"stop_times.txt", "trip_id,stop_id,stop_sequence\n"}},
                                {},
                                "stop_times.txt has no rows"},
                    RefusedCase{"unknownRouteOption", {}, {"R-NONE"}, "routes.txt has no route_id 'R-NONE'"},
                    RefusedCase{"noTripOfTheRoute",
                                {{"trips.txt", "route_id,service_id,trip_id\n"}},
                                {},
                                "trips.txt has no usable trip"}),
    [](const testing::TestParamInfo<RefusedCase>& param) { return param.param.name; });

} // namespace
