#include "support/log_capture.h"

#include <cdebug/CDebug.h>
#include <gtest/gtest.h>

#include <ostream>

namespace {

using pwtest::LogCapture;
using pwtest::LogLine;

CDebugLogStream& stream() { return *CDebug::Main; }

// Brings the stream up for one test, as the first registered user of the stream would.
class LogStream : public ::testing::Test {
protected:
    void SetUp() override { CDebugLogStreamGlobal::CDebugLogStreamGlobalConstruct(); }
    void TearDown() override {
        CDebugLogStreamGlobal::CDebugLogStreamGlobalDestroy();
        CDebug::SetThreshold(8);
    }
};

using DefaultSink = LogStream;
using CDebugLogStreamTest = LogStream;

TEST_F(DefaultSink, writesLinesAtOrAboveTheThresholdToStandardError) {
    ::testing::internal::CaptureStderr();
    stream().level = 8;
    stream() << "kept " << 1.5 << std::endl;
    stream().level = 2;
    stream() << "dropped" << std::endl;
    stream().level = 16;
    stream() << "failure" << std::endl;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "8\tkept 1.5\n16\tfailure\n");
}

TEST_F(DefaultSink, followsTheThreshold) {
    CDebug::SetThreshold(2);
    ::testing::internal::CaptureStderr();
    stream().level = 2;
    stream() << "progress" << std::endl;
    CDebug::SetThreshold(17);
    stream().level = 16;
    stream() << "quiet" << std::endl;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "2\tprogress\n");
}

TEST_F(CDebugLogStreamTest, handsEachCompleteLineToTheSinkAtFlush) {
    LogCapture capture;
    stream().level = 16;
    stream() << "one\ntwo\n"
             << "three" << std::flush;
    EXPECT_EQ(capture.lines(), (std::vector<LogLine>{{16, "one"}, {16, "two"}}));

    stream().level = 2;
    stream() << " rest" << std::endl;
    EXPECT_EQ(capture.lines().back(), (LogLine{2, "three rest"})) << "the level at the flush counts";

    stream() << std::endl;
    EXPECT_EQ(capture.lines().back(), (LogLine{2, ""}));
}

TEST_F(CDebugLogStreamTest, isSharedThroughAMutexUntilTornDown) {
    ASSERT_NE(CDebug::Main, nullptr);
    EXPECT_NE(stream().mutex, nullptr);
    CDebugLogStreamGlobal::CDebugLogStreamGlobalDestroy();
    EXPECT_EQ(CDebug::Main, nullptr);
}

} // namespace
