// What the importer makes of a feed: how it reads real feeds (CSV quirks, bad rows, feeds it must
// refuse), which trips and journeys it keeps, their link nodes and fences, from a folder or a zip.

#include "feed_fixture.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <functional>
#include <sstream>

namespace {

using pwtest::FeedFixture;
using pwtest::rows;
using Replacements = std::map<std::string, std::optional<std::string>>;

TEST(GtfsFeedReading, reportsBadRowsWithTheirPlaceAndWritesTheRest) {
    // Each feed's findings, "code:count" in report order, and where the first was found.
    const std::pair<Replacements, std::string> cases[] = {
        // Every stop that a trip serves, with a byte-order mark, CR LF line ends, columns in another
        // order, an unknown column, quoted names (a comma, doubled quotes, a line end) and a bad row
        // after them (line 8).
        {{{"stops.txt",
           "\xEF\xBB\xBFstop_lon,zone_id,stop_name,stop_id,stop_lat\r\n-7.38985,1,\"S, 1\",STA1,57.46985\r\n"
           "-7.37830,1,\"\"\"Old\"\" C\",CHU,+57.47410\r\n-7.37200,1,\"M\r\nX\",MKT,57.47660\r\n"
           "-7.36600,,H,HAL,57.47845\r\n-7.35950,,L,LIB,57.48042\r\n-7.35950,,N,BAD,91\r\n"
           "-7.34750,,C,COL,57.48554\r\n-7.34166,,H,HOS,57.48842\r\n-7.36000,,H,HSQ,57.47243\r\n"
           "-7.35400,,F,FQY,57.47118\r\n-7.34130,,L,LGT,57.46920\r\n-7.35166,,C,CLF,57.47701\r\n"
           "-7.36833,,N,NFD,57.48985\r\n-7.35300,,A,ACD,57.47944"}},
         "bad-coordinate:1 at stops.txt:8"},
        // Lines ended by CR alone.
        {{{"frequencies.txt",
           "trip_id,start_time,end_time,headway_secs\rH-LOOP,10:00:00,16:00:00,1200\rNOPE,1,2,3\r"}},
         "unknown-trip:1 at frequencies.txt:3"},
        {{{"trips.txt", pwtest::example("trips.txt") +
                            "R-MKT,WEEK,M0-DUP,x,0,\nR-MKT,WEEK,M0-DUP,x,0,\nR-NONE,WEEK,X1,x,0,\n"},
          {"stop_times.txt",
           pwtest::example("stop_times.txt") +
               "M0-DUP,08:00:00,08:00:00,STA1,10,\nM0-DUP,08:01:00,08:01:00,CHU,10,\n"
               "M0-DUP,08:02:00,08:02:00,XXX,20,\nM0-DUP,08:03:00\nM0-DUP,08:04:00,08:04:00,MKT,x,\n"
               "NOPE,08:05:00,08:05:00,MKT,30,\nM0-DUP,08:06:00,08:06:00,MKT,40,\n"}},
         "short-row:1 duplicate-key:1 bad-value:1 unknown-route:1 unknown-trip:1 unknown-stop:1 "
         "stop-sequence-not-increasing:1 at stop_times.txt:114"},
        // Optional files missing.
        {{{"shapes.txt", {}}, {"frequencies.txt", {}}}, "unknown-shape:1 at trips.txt:0"},
    };
    for (const auto& [replacements, findings] : cases) {
        const pw::gtfs::Report report = FeedFixture(replacements).import();
        ASSERT_TRUE(report.succeeded()) << report.failure;
        EXPECT_EQ(pwtest::findings(report), findings);
    }
}

// Which trips an import keeps; or why it refuses the feed, and then writes no file.
TEST(GtfsImport, keepsTheTripsOfTheDayAndRoutesAskedOrRefusesTheFeed) {
    const std::string badQuote = "routes.txt line 2: a quote where none may be, or a quote left open";
    // Cancels once the database is written, before it is renamed into place.
    const auto cancelBeforeRenaming = [n = 0](uint64_t, uint64_t size) mutable {
        return size > 0 || ++n < 2;
    };
    const struct {
        Replacements replacements;
        std::string date;
        std::vector<std::string> routes;
        std::string outcome; // the journeys written, or the failure
        std::function<bool(uint64_t, uint64_t)> progress = nullptr;
    } cases[] = {
        {{}, "", {}, "H_0_1 M_0_1 M_0_2 M_1_1 S_0_1"},
        // A Monday, a holiday: the weekend services run instead, the school is shut.
        {{}, "20260406", {}, "H_0_1 M_0_1"},
        {{}, "20260310", {}, "H_0_1 M_0_1 M_0_2 M_1_1 S_0_1"},
        {{}, "20260801", {}, "H_0_1 M_0_1"},
        {{}, "", {"R-SCH", "R-HBR"}, "H_0_1 S_0_1"},
        {{}, "", {"R-NONE"}, "routes.txt has no route_id 'R-NONE'"},
        {{{"stops.txt", {}}}, "", {}, "the feed has no stops.txt"},
        {{{"stop_times.txt", {}}}, "", {}, "the feed has no stop_times.txt"},
        {{{"trips.txt", "trip_id,service_id\nT,WEEK\n"}}, "", {}, "trips.txt has no column route_id"},
        {{{"routes.txt", "route_id,route_short_name\nR-MKT,\"M\nR-HBR,H\n"}}, "", {}, badQuote},
        {{{"routes.txt", "route_id,route_short_name\nR-MKT,M\"x\n"}}, "", {}, badQuote},
        {{{"stop_times.txt", "trip_id,stop_id,stop_sequence\n"}}, "", {}, "stop_times.txt has no rows"},
        {{{"trips.txt", "route_id,service_id,trip_id\n"}}, "", {}, "trips.txt has no usable trip"},
        {{}, "", {}, "the import was cancelled", cancelBeforeRenaming},
    };
    const char* ids = "SELECT group_concat(JOURNEY_ID, ' ') FROM (SELECT * FROM journeys ORDER BY 1)";
    for (const auto& c : cases) {
        const FeedFixture fixture(c.replacements);
        pw::gtfs::Options options;
        options.date = c.date;
        options.routes = c.routes;
        options.progress = c.progress;
        const pw::gtfs::Report report = fixture.import(options);
        if (report.succeeded()) {
            EXPECT_EQ(rows(fixture.database, ids).at(0), c.outcome);
        } else {
            EXPECT_EQ(report.failure, c.outcome);
            // A refused feed is an error finding too; a cancelled import is none.
            EXPECT_EQ(report.findings.count(pw::gtfs::Severity::Error), c.progress ? 0u : 1u) << c.outcome;
            // Nothing beside the feed's folder.
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fixture.scratch.folder()), {}), 1);
        }
    }
}

// From a zip whose files lie in one folder, with stop_times in another order.
TEST(GtfsImport, writesTheSameDatabaseFromAZipWithAFolderAndShuffledStopTimes) {
    const FeedFixture grouped;
    ASSERT_TRUE(grouped.import().succeeded());
    // The header and every second row, then the others: each trip's rows far apart and out of order.
    std::istringstream lines(pwtest::example("stop_times.txt"));
    std::string parts[2];
    int line = 0;
    for (std::string row; std::getline(lines, row);) {
        parts[line++ % 2] += row + "\n";
    }
    const FeedFixture shuffled({{"stop_times.txt", parts[0] + parts[1]}});
    pw::gtfs::Options options;
    options.feed = shuffled.feed + ".zip";
    zip_t* archive = zip_open(options.feed.c_str(), ZIP_CREATE | ZIP_EXCL, nullptr);
    for (const auto& entry : std::filesystem::directory_iterator(shuffled.feed)) {
        zip_file_add(archive, ("wrenmouth-gtfs/" + entry.path().filename().string()).c_str(),
                     zip_source_file(archive, entry.path().c_str(), 0, -1), 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
    const pw::gtfs::Report report = shuffled.import(options);
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_FALSE(report.summary.stopTimesGrouped);
    // The same file to the byte.
    EXPECT_TRUE(pwtest::readFile(shuffled.database) == pwtest::readFile(grouped.database));
}

// A loop that passes its second stop again (a lasso), a stop named ROOT, two stops 20 m apart and
// two that no trip serves (without a location_type: stops, not stations).
TEST(GtfsImport, givesALaterVisitItsOwnLinkNodeAndShrinksFencesThatWouldOverlap) {
    const FeedFixture fixture(
        {{"stops.txt", "stop_id,stop_name,stop_lat,stop_lon\nA,A,57.47,-7.37\nB,B,57.47,-7.3696652\n"
                       "ROOT,R,57.475,-7.36\nD,D,57.48,-7.35\nE,E,57.49,-7.34\nF,F,57.49,-7.33\n"},
         {"trips.txt", "route_id,service_id,trip_id,shape_id\nR-MKT,WEEK,T1,\n"},
         {"stop_times.txt", "trip_id,stop_id,stop_sequence\nT1,A,1\nT1,B,2\nT1,ROOT,3\nT1,B,4\nT1,D,5\n"},
         {"frequencies.txt", std::nullopt}});
    const pw::gtfs::Report report = fixture.import();
    ASSERT_TRUE(report.succeeded()) << report.failure;
    EXPECT_EQ(pwtest::findings(report), "stop-visited-again:1 at stop_times.txt:0");
    EXPECT_EQ(rows(fixture.database, "SELECT LINKNODE_ID1 || '>' || LINKNODE_ID2 FROM links"),
              (std::vector<std::string>{"A>B", "B>ROOT#1", "ROOT#1>B#2", "B#2>D", "E>F"}));
    EXPECT_EQ(report.summary.shrunkFences, 2u);
    // A and B lie 20 m apart east to west: their fences meet halfway, 10 m from each (59,808 m a
    // degree of longitude at 57.47 degrees north).
    EXPECT_EQ(rows(fixture.database, "SELECT group_concat(round((BBLONGMAX - BBLONGMIN) * 59808), ' ') "
                                     "FROM link_nodes WHERE LINKNODE_ID IN ('A', 'B', 'B#2', 'D')")
                  .at(0),
              "20.0 20.0 20.0 60.0");
}

} // namespace
