// What the importer makes of a feed: which trips, which journeys, their link nodes, fences and
// distances, and how it treats the file it writes.

#include "feed_fixture.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using pwtest::FeedFixture;

std::string example(const std::string& name) { return pwtest::readFile(PATHWEAVE_EXAMPLE_FEED "/" + name); }

// The rows of the first query result column, in order.
std::vector<std::string> column(const std::string& database, const std::string& sql) {
    std::vector<std::string> values;
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        values.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "NULL");
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return values;
}

std::vector<std::string> journeyIds(const FeedFixture& fixture) {
    return column(fixture.database(), "SELECT JOURNEY_ID FROM journeys ORDER BY JOURNEY_ID");
}

struct ChoiceCase {
    const char* name;
    std::string date;
    std::vector<std::string> routes;
    std::vector<std::string> journeys;
};

// Google Test prints a parameter by its name, not by its bytes (which hold padding).
void PrintTo(const ChoiceCase& c, std::ostream* out) { *out << c.name; }

class GtfsTripChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(GtfsTripChoice, keepsTheTripsOfTheDayAndRoutesAsked) {
    const FeedFixture fixture;
    pw::gtfs::Options options;
    options.date = GetParam().date;
    options.routes = GetParam().routes;
    const pw::gtfs::Report report = fixture.import(options);
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_EQ(journeyIds(fixture), GetParam().journeys);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, GtfsTripChoice,
    testing::Values(ChoiceCase{"everyTrip", "", {}, {"H_0_1", "M_0_1", "M_0_2", "M_1_1", "S_0_1"}},
                    // A Monday, a holiday: the weekend services run instead, the school is shut.
                    ChoiceCase{"holidayByCalendarDates", "20260406", {}, {"H_0_1", "M_0_1"}},
                    ChoiceCase{"schoolDay", "20260310", {}, {"H_0_1", "M_0_1", "M_0_2", "M_1_1", "S_0_1"}},
                    ChoiceCase{"summerSaturday", "20260801", {}, {"H_0_1", "M_0_1"}},
                    ChoiceCase{"twoRoutes", "", {"R-SCH", "R-HBR"}, {"H_0_1", "S_0_1"}}),
    [](const testing::TestParamInfo<ChoiceCase>& param) { return param.param.name; });

TEST(GtfsImport, writesTheSameDatabaseWhateverTheOrderOfStopTimes) {
    const FeedFixture grouped;
    ASSERT_TRUE(grouped.import().succeeded());
    std::istringstream lines(example("stop_times.txt"));
    std::string header;
    std::getline(lines, header);
    std::vector<std::string> rows;
    for (std::string row; std::getline(lines, row);) {
        rows.push_back(row);
    }
    // Backwards, by stop_sequence: every trip's rows far apart and out of order.
    const auto sequence = [](const std::string& row) {
        std::size_t at = 0;
        for (int field = 0; field < 4; ++field) {
            at = row.find(',', at) + 1;
        }
        return std::stoi(row.substr(at));
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const std::string& a, const std::string& b) { return sequence(a) > sequence(b); });
    std::string shuffled = header + "\n";
    for (const std::string& row : rows) {
        shuffled += row + "\n";
    }
    const FeedFixture unsorted({{"stop_times.txt", shuffled}});
    const pw::gtfs::Report report = unsorted.import();
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_FALSE(report.summary.stopTimesGrouped);
    EXPECT_EQ(unsorted.tableRows(), grouped.tableRows());
}

TEST(GtfsImport, readsAZipWhoseFilesLieInOneFolder) {
    const FeedFixture fromFolder;
    ASSERT_TRUE(fromFolder.import().succeeded());
    const FeedFixture fromZip;
    const std::string zipPath = fromZip.feed() + ".zip";
    int error = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
    ASSERT_NE(archive, nullptr);
    std::vector<std::string> texts;
    texts.reserve(16);
    for (const auto& entry : std::filesystem::directory_iterator(fromZip.feed())) {
        texts.push_back(pwtest::readFile(entry.path().string()));
        zip_source_t* source = zip_source_buffer(archive, texts.back().data(), texts.back().size(), 0);
        zip_file_add(archive, ("wrenmouth-gtfs/" + entry.path().filename().string()).c_str(), source, 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
    pw::gtfs::Options options;
    options.feed = zipPath;
    ASSERT_TRUE(fromZip.import(options).succeeded());
    EXPECT_EQ(fromZip.tableRows(), fromFolder.tableRows());
}

TEST(GtfsImport, refusesAnExistingDatabaseUnlessForced) {
    const FeedFixture fixture;
    std::ofstream(fixture.database()) << "mine";
    pw::gtfs::Report report = fixture.import();
    EXPECT_EQ(report.failure,
              "will not overwrite '" + fixture.database() + "': it exists");
    EXPECT_EQ(pwtest::readFile(fixture.database()), "mine");
    pw::gtfs::Options options;
    options.force = true;
    report = fixture.import(options);
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_EQ(journeyIds(fixture).size(), 5u);
}

TEST(GtfsImport, countsWhereEachDistanceCameFrom) {
    const FeedFixture fixture;
    const pw::gtfs::Report report = fixture.import();
    ASSERT_TRUE(report.succeeded()) << report.failure;
    // M's stop_times give shape_dist_traveled in kilometres, H has a shape, S has neither.
    EXPECT_EQ(report.summary.shapeDistUnit, "kilometres");
    EXPECT_EQ(report.summary.distances.shapeDistTraveled, 16u);
    EXPECT_EQ(report.summary.distances.alongShape, 3u);
    EXPECT_EQ(report.summary.distances.greatCircle, 2u);
    // Station to church: 962 m by the feed's shape_dist_traveled, 1.15 times the straight line.
    EXPECT_EQ(column(fixture.database(), "SELECT DISTANCE_TRANSIT FROM links WHERE LINK_ID='M_0_1/1'"),
              std::vector<std::string>{"962.0"});
}

// A loop that passes its second stop again (a lasso), a stop named ROOT, and two stops 20 m apart.
TEST(GtfsImport, givesALaterVisitItsOwnLinkNodeAndShrinksFencesThatWouldOverlap) {
    const FeedFixture fixture(
        {{"stops.txt", "stop_id,stop_name,stop_lat,stop_lon\nA,A,57.47,-7.37\nB,B,57.47,-7.3696652\n"
                       "ROOT,R,57.475,-7.36\nD,D,57.48,-7.35\n"},
         {"trips.txt", "route_id,service_id,trip_id,shape_id\nR-MKT,WEEK,T1,\n"},
         {"stop_times.txt", "trip_id,stop_id,stop_sequence\nT1,A,1\nT1,B,2\nT1,ROOT,3\nT1,B,4\nT1,D,5\n"},
         {"frequencies.txt", std::nullopt}});
    const pw::gtfs::Report report = fixture.import();
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_EQ(pwtest::findingCounts(report), std::vector<std::string>{"stop-visited-again:1"});
    EXPECT_EQ(
        column(fixture.database(), "SELECT LINKNODE_ID1 || '>' || LINKNODE_ID2 FROM links ORDER BY LINK_ID"),
        (std::vector<std::string>{"A>B", "B>ROOT#1", "ROOT#1>B#2", "B#2>D"}));
    EXPECT_EQ(report.summary.shrunkFences, 2u);
    // A and B lie 20 m apart east to west: their fences meet halfway, 10 m from each.
    std::vector<long> widths;
    for (const std::string& degrees :
         column(fixture.database(), "SELECT BBLONGMAX - BBLONGMIN FROM link_nodes WHERE LINKNODE_ID IN "
                                    "('A', 'B', 'B#2', 'D') ORDER BY LINKNODE_ID")) {
        widths.push_back(std::lround(std::stod(degrees) * 111194.93 * std::cos(57.47 * M_PI / 180.0)));
    }
    EXPECT_EQ(widths, (std::vector<long>{20, 20, 20, 60}));
}

} // namespace
