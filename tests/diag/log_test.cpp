#include "diag/log.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>
#include <pathweave/cue.h>

#include <ios>
#include <stdexcept>

namespace {

using pwtest::LogCapture;
using pwtest::LogLine;

TEST(writeLine, setsTheLevelAndWritesThePiecesAsTheyAre) {
    LogCapture capture;
    pw::diag::writeLine(8, "A::b: phrase: ", std::string("id"), ":", 2.5, " n=", 3ul);
    pw::diag::writeLine(2, "A::b: empty:", std::string());
    EXPECT_EQ(capture.lines(), (std::vector<LogLine>{{8, "A::b: phrase: id:2.5 n=3"}, {2, "A::b: empty:"}}));
    EXPECT_EQ(CDebug::Main->level, 2);
}

TEST(writeLine, writesWithoutLockingAStreamThatIsNotShared) {
    LogCapture capture;
    pthread_mutex_t* shared = CDebug::Main->mutex;
    // Holding the mutex would deadlock the line end if the null pointer were not honoured.
    pthread_mutex_lock(shared);
    CDebug::Main->mutex = nullptr;
    pw::diag::writeLine(16, "unshared");
    CDebug::Main->mutex = shared;
    pthread_mutex_unlock(shared);
    EXPECT_EQ(capture.lines(), (std::vector<LogLine>{{16, "unshared"}}));
}

TEST(writeLine, releasesTheMutexWhenTheLineEndThrows) {
    CDebug::SetLineSink([](int32_t, const std::string&) { throw std::runtime_error("sink failed"); });
    CDebug::Main->exceptions(std::ios::badbit);
    EXPECT_THROW(pw::diag::writeLine(8, "doomed"), std::exception);
    CDebug::Main->exceptions(std::ios::goodbit);
    CDebug::Main->clear();
    CDebug::SetLineSink(nullptr);

    ASSERT_EQ(pthread_mutex_trylock(CDebug::Main->mutex), 0) << "the mutex was left locked";
    pthread_mutex_unlock(CDebug::Main->mutex);
}

TEST(LogRegistration, bringsTheStreamUpOnceAndDownOnce) {
    // Pretend the library's own registrations are gone, then restore them.
    const uint32_t registered = CDebugLogStreamGlobal::initCount;
    CDebugLogStreamGlobal::CDebugLogStreamGlobalDestroy();
    CDebugLogStreamGlobal::initCount = 0;
    {
        const pw::diag::LogRegistration first;
        CDebugLogStream* const up = CDebug::Main;
        ASSERT_NE(up, nullptr);
        {
            const pw::diag::LogRegistration second;
            EXPECT_EQ(CDebugLogStreamGlobal::initCount, 2u);
            EXPECT_EQ(CDebug::Main, up) << "a second registration must not bring up another stream";
        }
        EXPECT_EQ(CDebugLogStreamGlobal::initCount, 1u);
        EXPECT_EQ(CDebug::Main, up);
    }
    EXPECT_EQ(CDebugLogStreamGlobal::initCount, 0u);
    EXPECT_EQ(CDebug::Main, nullptr);

    CDebugLogStreamGlobal::CDebugLogStreamGlobalConstruct();
    CDebugLogStreamGlobal::initCount = registered;
}

TEST(LogRegistration, countsEveryLoggingSourceFileLoaded) {
    // Using the library keeps it loaded; its logging sources and this test file each hold one
    // registration, and the stream came up once for all of them.
    pw::CCueCollection catalogue;
    EXPECT_EQ(catalogue.find("x"), nullptr);
    EXPECT_GE(CDebugLogStreamGlobal::initCount, 2u);
    EXPECT_NE(CDebug::Main, nullptr);
}

} // namespace
