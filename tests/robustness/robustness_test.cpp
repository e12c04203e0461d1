// Loads under allocation failure: each allocation that fails must leave the library cleanly.

#include "diag/log.h"
#include "support/counting_allocator.h"
#include "support/log_capture.h"
#include "support/network.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <fstream>

namespace {

using Lines = std::vector<pwtest::LogLine>;

// Whether the debug stream's line-end mutex can be taken, that is, nothing left it locked.
bool logMutexIsFree() {
    pthread_mutex_t* mutex = CDebug::Main->mutex;
    if (mutex == nullptr || pthread_mutex_trylock(mutex) != 0) {
        return mutex == nullptr;
    }
    pthread_mutex_unlock(mutex);
    return true;
}

// Whether `lines` is `expected` with exactly one line left out.
bool lacksExactlyOneLine(const Lines& lines, const Lines& expected) {
    const auto mismatch = std::mismatch(lines.begin(), lines.end(), expected.begin());
    return lines.size() + 1 == expected.size() &&
           std::equal(mismatch.first, lines.end(), mismatch.second + 1);
}

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override {
        if (!pwtest::allocationsCanFail()) {
            GTEST_SKIP()
                << "allocations cannot be made to fail here: valgrind replaces the allocation functions";
        }
    }
};

// Each allocation of a load fails in turn, until a load needs fewer allocations than the one armed.
// The failure leaves the load as std::bad_alloc or, when it is the log's, costs the line being
// written alone; either way the log's mutex is free, all memory is released (the library's and
// SQLite's: no statement or connection left open), and the catalogue and the collection can be
// cleared and loaded in full.
TEST_F(AllocationFailure, ofAnyAllocationOfALoadLeavesTheLibraryCleanly) {
    const pwtest::TempDatabase fixture(pwtest::readFile(PATHWEAVE_TEST_NETWORK_SQL));
    const std::string notADatabase = fixture.folder() + "/notes.db";
    std::ofstream(notADatabase) << "journeys, links and link nodes, but no database\n";
    for (const std::string& path : {fixture.path(), notADatabase}) {
        pwtest::LogCapture capture;
        std::string expected;
        const auto load = [&path](pw::CCueCollection& catalogue, pw::CJourneyCollection& network) {
            Csqlite database(path);
            pwtest::loadNetwork(database, catalogue, network);
        };
        {
            pw::CCueCollection catalogue;
            pw::CJourneyCollection network;
            load(catalogue, network);
            expected = pwtest::describe(catalogue, network);
        }
        const Lines expectedLines = capture.lines();
        const sqlite3_int64 sqliteMemory = sqlite3_memory_used();
        std::size_t nth = 1, lostLines = 0;
        for (;; ++nth) {
            capture.clear();
            const std::size_t live = pwtest::liveAllocations();
            {
                pw::CCueCollection catalogue;
                pw::CJourneyCollection network;
                bool thrown = false, failed = false;
                {
                    const pwtest::FailNthAllocation failing(nth);
                    try {
                        load(catalogue, network);
                    } catch (const std::bad_alloc&) {
                        thrown = true;
                    }
                    failed = failing.failed();
                }
                if (!failed) {
                    EXPECT_EQ(capture.lines(), expectedLines);
                    break;
                }
                if (!thrown) {
                    ++lostLines;
                    EXPECT_EQ(pwtest::describe(catalogue, network), expected) << "allocation " << nth;
                    EXPECT_TRUE(lacksExactlyOneLine(capture.lines(), expectedLines)) << "allocation " << nth;
                }
                EXPECT_TRUE(logMutexIsFree()) << "allocation " << nth;
                catalogue.clear();
                network.clear();
                load(catalogue, network);
                EXPECT_EQ(pwtest::describe(catalogue, network), expected) << "allocation " << nth;
            }
            capture.clear();
            EXPECT_EQ(pwtest::liveAllocations(), live) << "allocation " << nth << ": memory was not released";
            EXPECT_EQ(sqlite3_memory_used(), sqliteMemory) << "allocation " << nth << ": SQLite memory left";
            if (HasFailure()) {
                break;
            }
        }
        EXPECT_GT(nth - 1, path == notADatabase ? 1u : 100u);
        EXPECT_GT(lostLines, 0u);
    }
}

TEST_F(AllocationFailure, ofALogLineLosesThatLineAloneAndTheNextArrivesWhole) {
    pwtest::LogCapture capture;
    for (std::size_t nth = 1; nth <= 4; ++nth) {
        capture.clear();
        // Longer than any line before, so that the stream needs more storage to keep it.
        const std::string longer(4096 * nth, 'x');
        {
            const pwtest::FailNthAllocation failing(nth);
            pw::diag::writeLine(8, longer);
        }
        pw::diag::writeLine(16, "next line");
        const Lines& lines = capture.lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), (pwtest::LogLine{16, "next line"})) << "allocation " << nth;
        EXPECT_TRUE(lines.size() == 1 || lines == (Lines{{8, longer}, {16, "next line"}}))
            << "allocation " << nth;
        EXPECT_TRUE(CDebug::Main->good());
        EXPECT_TRUE(logMutexIsFree());
    }
}

} // namespace
