// The debug stream under allocation failure: the line being written may be lost, the stream may not.

#include "diag/log.h"
#include "robustness/robustness_support.h"
#include "support/counting_allocator.h"
#include "support/log_capture.h"

#include <cdebug/CDebug.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<pwtest::LogLine>;

class LogStreamAllocationFailure : public ::testing::Test {
protected:
    void SetUp() override {
        if (!pwtest::allocationsCanFail()) {
            GTEST_SKIP() << "allocations cannot be made to fail in this run: valgrind replaces the "
                            "allocation functions with its own";
        }
    }

    // Writes a line of `first` and `second` while the `nth` allocation fails.
    static void writeFailing(std::size_t nth, const std::string& first, const std::string& second) {
        const pwtest::FailNthAllocation failing(nth);
        pw::diag::writeLine(8, first, second);
    }

    pwtest::LogCapture capture;
    // Longer than any short-string buffer, so that keeping them allocates.
    const std::string first = "a first piece long enough to need storage of its own";
    const std::string second = ", and a second piece that needs more of it";
};

TEST_F(LogStreamAllocationFailure, aLineWhoseTextCannotBeKeptIsLostAndTheNextArrivesWhole) {
    // The stream keeps its largest line's storage; a fresh, longer line needs more.
    const std::string longer(4096, 'x');
    writeFailing(1, longer, second);
    pw::diag::writeLine(8, "next line");
    EXPECT_EQ(capture.lines(), (Lines{{8, "next line"}}));
    EXPECT_TRUE(CDebug::Main->good());
    EXPECT_TRUE(pwtest::logMutexIsFree());
}

TEST_F(LogStreamAllocationFailure, aLineThatCannotBeHandedToTheSinkIsLostAndTheNextArrivesWhole) {
    pw::diag::writeLine(8, first, second);
    capture.clear();
    // With the stream's storage in place, the first allocation is the copy handed to the sink.
    writeFailing(1, first, second);
    pw::diag::writeLine(8, "next line");
    EXPECT_EQ(capture.lines(), (Lines{{8, "next line"}}));
    EXPECT_TRUE(CDebug::Main->good());
}

TEST_F(LogStreamAllocationFailure, everyAllocationOfALineCostsThatLineAlone) {
    for (std::size_t nth = 1; nth <= 8; ++nth) {
        capture.clear();
        const std::string fresh(1000 + 100 * nth, 'y');
        writeFailing(nth, fresh, second);
        pw::diag::writeLine(16, "after ", first);
        const Lines& lines = capture.lines();
        ASSERT_FALSE(lines.empty()) << "allocation " << nth;
        EXPECT_EQ(lines.back(), (pwtest::LogLine{16, "after " + first})) << "allocation " << nth;
        EXPECT_LE(lines.size(), 2u) << "allocation " << nth;
        if (lines.size() == 2) {
            EXPECT_EQ(lines.front(), (pwtest::LogLine{8, fresh + second})) << "allocation " << nth;
        }
        EXPECT_TRUE(CDebug::Main->good()) << "allocation " << nth;
    }
}

} // namespace
