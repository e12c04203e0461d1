// Makes each allocation of a network load fail in turn, the first one first, until a load needs
// fewer allocations than the one armed, and checks after every failure that nothing was left behind.

#include "robustness/robustness_support.h"
#include "support/counting_allocator.h"
#include "support/log_capture.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define PATHWEAVE_TEST_HAS_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PATHWEAVE_TEST_HAS_LSAN 1
#endif
#endif
#ifdef PATHWEAVE_TEST_HAS_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace {

using pwtest::LogLine;

// LeakSanitizer's scan of the whole heap is slow, so it runs only every so many trials and at the end;
// the allocation counters and SQLite's own memory count are checked after every trial.
constexpr std::size_t trialsPerLeakScan = 256;

bool leakSanitizerFindsNothing() {
#ifdef PATHWEAVE_TEST_HAS_LSAN
    return __lsan_do_recoverable_leak_check() == 0;
#else
    return true;
#endif
}

// What became of one trial: whether the armed allocation was reached, and whether std::bad_alloc left
// the load.
struct Trial {
    bool failed = false;
    bool thrown = false;
};

template <typename Load> Trial failAllocation(std::size_t nth, Load&& load) {
    Trial trial;
    const pwtest::FailNthAllocation failing(nth);
    try {
        load();
    } catch (const std::bad_alloc&) {
        trial.thrown = true;
    }
    trial.failed = failing.failed();
    return trial;
}

// Whether `lines` is `expected` with exactly one line left out.
bool lacksExactlyOneLine(const std::vector<LogLine>& lines, const std::vector<LogLine>& expected) {
    if (lines.size() + 1 != expected.size()) {
        return false;
    }
    const auto mismatch = std::mismatch(lines.begin(), lines.end(), expected.begin());
    return std::equal(mismatch.first, lines.end(), mismatch.second + 1);
}

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override {
        if (!pwtest::allocationsCanFail()) {
            GTEST_SKIP() << "allocations cannot be made to fail in this run: valgrind replaces the "
                            "allocation functions with its own";
        }
        pwtest::resetSymbolLists();
    }

    void TearDown() override { pwtest::resetSymbolLists(); }

    // Fails each allocation of a load of the database made from `sql` in turn. Every failure must
    // leave the load as std::bad_alloc, unlock the log's mutex, release all memory (the library's and
    // SQLite's), and leave the catalogue and the collection fit to be cleared, loaded in full and
    // destroyed. Returns how many allocations were made to fail.
    std::size_t failEveryAllocationOfALoad(const std::string& sql) {
        const pwtest::TempDatabase fixture(sql);
        // Lines below the threshold are dropped as they are written, so the log stream allocates
        // nothing and every allocation that fails is the library's or the platform's own.
        const pwtest::LogThreshold quiet(std::numeric_limits<int32_t>::max());
        std::string expected;
        {
            pw::CCueCollection catalogue;
            pw::CJourneyCollection network;
            pwtest::loadNetwork(fixture.path(), catalogue, network);
            expected = pwtest::describe(catalogue, network);
        }
        const sqlite3_int64 sqliteMemory = sqlite3_memory_used();

        std::size_t nth = 1;
        for (;; ++nth) {
            pwtest::resetSymbolLists();
            const std::size_t live = pwtest::liveAllocations();
            {
                pw::CCueCollection catalogue;
                pw::CJourneyCollection network;
                const Trial trial =
                    failAllocation(nth, [&] { pwtest::loadNetwork(fixture.path(), catalogue, network); });
                if (!trial.failed) {
                    EXPECT_FALSE(trial.thrown);
                    EXPECT_EQ(pwtest::describe(catalogue, network), expected);
                    break;
                }
                EXPECT_TRUE(trial.thrown) << "allocation " << nth << " failed, but the load went on";
                EXPECT_TRUE(pwtest::logMutexIsFree()) << "allocation " << nth;

                catalogue.clear();
                network.clear();
                pwtest::resetSymbolLists();
                pwtest::loadNetwork(fixture.path(), catalogue, network);
                EXPECT_EQ(pwtest::describe(catalogue, network), expected) << "allocation " << nth;
            }
            EXPECT_EQ(pwtest::liveAllocations(), live)
                << "allocation " << nth << ": memory from operator new was not released";
            EXPECT_EQ(sqlite3_memory_used(), sqliteMemory)
                << "allocation " << nth
                << ": SQLite memory was not released (a statement or connection left open)";
            if (nth % trialsPerLeakScan == 0) {
                EXPECT_TRUE(leakSanitizerFindsNothing()) << "allocation " << nth;
            }
            if (HasFailure()) {
                break;
            }
        }
        EXPECT_TRUE(leakSanitizerFindsNothing());
        return nth - 1;
    }
};

TEST_F(AllocationFailure, everyAllocationOfANetworkLoadLeavesTheLibraryCleanly) {
    const std::size_t points = failEveryAllocationOfALoad(pwtest::failurePathNetworkSql());
    RecordProperty("allocationPoints", static_cast<int>(points));
    std::cout << "allocation points exercised, network load: " << points << '\n';
    EXPECT_GT(points, 50u);
}

TEST_F(AllocationFailure, everyAllocationOfALoadOfADatabaseWithoutItsTablesLeavesTheLibraryCleanly) {
    namespace without = pwtest::without;
    const std::size_t points = failEveryAllocationOfALoad(pwtest::schemaSql(
        without::Cues | without::JourneyLinks | without::JourneyColumns | without::Attributes));
    RecordProperty("allocationPoints", static_cast<int>(points));
    std::cout << "allocation points exercised, load of a database without its tables: " << points << '\n';
    EXPECT_GT(points, 10u);
}

TEST_F(AllocationFailure, everyAllocationOfOpeningAFileThatIsNoDatabaseLeavesNothingOpen) {
    const pwtest::TempDatabase folder("");
    const std::string path = folder.folder() + "/not-a-database.db";
    std::ofstream(path) << "journeys, links and link nodes, but no database\n";
    const sqlite3_int64 sqliteMemory = sqlite3_memory_used();

    std::size_t nth = 1;
    for (;; ++nth) {
        const std::size_t live = pwtest::liveAllocations();
        bool valid = true;
        const Trial trial = failAllocation(nth, [&] {
            const Csqlite database(path);
            valid = database.valid;
        });
        if (!trial.failed) {
            EXPECT_FALSE(valid);
            break;
        }
        EXPECT_TRUE(trial.thrown) << "allocation " << nth;
        EXPECT_EQ(pwtest::liveAllocations(), live) << "allocation " << nth;
        EXPECT_EQ(sqlite3_memory_used(), sqliteMemory)
            << "allocation " << nth << ": the connection to the file was left open";
        if (HasFailure()) {
            break;
        }
    }
    EXPECT_TRUE(leakSanitizerFindsNothing());
    std::cout << "allocation points exercised, opening a file that is no database: " << nth - 1 << '\n';
    EXPECT_GT(nth - 1, 1u);
}

// While lines are captured, the log stream and its sink allocate too. An allocation failure there is
// the log's, not the load's: it costs the line being written and nothing else, and the lines after it
// arrive whole.
TEST_F(AllocationFailure, anAllocationFailureWhileLoggingCostsThatLineAlone) {
    const pwtest::TempDatabase fixture(pwtest::failurePathNetworkSql());
    pwtest::LogCapture capture;
    std::string expected;
    std::vector<LogLine> expectedLines;
    {
        pw::CCueCollection catalogue;
        pw::CJourneyCollection network;
        pwtest::loadNetwork(fixture.path(), catalogue, network);
        expected = pwtest::describe(catalogue, network);
        expectedLines = capture.lines();
    }

    std::size_t nth = 1;
    std::size_t lostLines = 0;
    for (;; ++nth) {
        pwtest::resetSymbolLists();
        capture.clear();
        const std::size_t live = pwtest::liveAllocations();
        {
            pw::CCueCollection catalogue;
            pw::CJourneyCollection network;
            const Trial trial =
                failAllocation(nth, [&] { pwtest::loadNetwork(fixture.path(), catalogue, network); });
            if (!trial.failed) {
                EXPECT_EQ(capture.lines(), expectedLines);
                break;
            }
            if (!trial.thrown) {
                ++lostLines;
                EXPECT_EQ(pwtest::describe(catalogue, network), expected) << "allocation " << nth;
                EXPECT_TRUE(lacksExactlyOneLine(capture.lines(), expectedLines))
                    << "allocation " << nth << ": " << capture.lines().size() << " lines of "
                    << expectedLines.size();
            }
            EXPECT_TRUE(pwtest::logMutexIsFree()) << "allocation " << nth;

            catalogue.clear();
            network.clear();
            capture.clear();
            pwtest::resetSymbolLists();
            pwtest::loadNetwork(fixture.path(), catalogue, network);
            EXPECT_EQ(pwtest::describe(catalogue, network), expected) << "allocation " << nth;
            EXPECT_EQ(capture.lines(), expectedLines) << "allocation " << nth;
        }
        capture.clear();
        EXPECT_EQ(pwtest::liveAllocations(), live) << "allocation " << nth;
        if (HasFailure()) {
            break;
        }
    }
    EXPECT_TRUE(leakSanitizerFindsNothing());
    std::cout << "allocation points exercised, network load with every line captured: " << nth - 1 << " ("
              << lostLines << " in the log stream, each costing one line)\n";
    EXPECT_GT(lostLines, 0u);
}

} // namespace
