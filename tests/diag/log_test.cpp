#include "diag/log.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>
#include <pathweave/cue.h>

#include <cerrno>
#include <ios>
#include <stdexcept>

namespace {

using Lines = std::vector<pwtest::LogLine>;

TEST(CDebugLogStream, handsEachCompleteLineAtFlushToTheSinkOrToStandardErrorFromTheThresholdUp) {
    {
        pwtest::LogCapture capture;
        CDebugLogStream& stream = *CDebug::Main;
        stream.level = 16;
        stream << "one\ntwo\nthree" << std::flush;
        EXPECT_EQ(capture.lines(), (Lines{{16, "one"}, {16, "two"}}));
        stream.level = 2;
        stream << " rest" << std::endl << std::endl;
        EXPECT_EQ(capture.lines(), (Lines{{16, "one"}, {16, "two"}, {2, "three rest"}, {2, ""}}));
    }
    ::testing::internal::CaptureStderr();
    for (const int32_t threshold : {8, 2, 17}) {
        CDebug::SetThreshold(threshold);
        for (const int32_t level : {8, 2, 16}) {
            pw::diag::writeLine(level, "line ", 1.5);
        }
    }
    CDebug::SetThreshold(8);
    // Ids read from a database may hold any byte: the line goes out whole.
    pw::diag::writeLine(8, std::string("id \0\xff.", 6));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "8\tline 1.5\n16\tline 1.5\n8\tline 1.5\n2\tline 1.5\n16\tline 1.5\n" +
                  std::string("8\tid \0\xff.\n", 9));
}

TEST(writeLine, writesThePiecesAsTheStreamWouldAndLocksTheLineEndOfASharedStreamOnly) {
    pwtest::LogCapture capture;
    const std::string longer(300, 'x');
    pthread_mutex_t* shared = CDebug::Main->mutex;
    ASSERT_NE(shared, nullptr);
    pw::diag::writeLine(8, "A::b: phrase: ", std::string("id"), ":", 2.5, " n=", 3ul);
    // Holding the mutex would deadlock the line end if the null pointer were not honoured.
    pthread_mutex_lock(shared);
    CDebug::Main->mutex = nullptr;
    pw::diag::writeLine(2, "A::b: empty:", std::string(), longer, "!");
    CDebug::Main->mutex = shared;
    pthread_mutex_unlock(shared);
    EXPECT_EQ(capture.lines(), (Lines{{8, "A::b: phrase: id:2.5 n=3"}, {2, "A::b: empty:" + longer + "!"}}));

    CDebug::SetLineSink([shared](int32_t, const std::string&) {
        EXPECT_EQ(pthread_mutex_trylock(shared), EBUSY) << "the line end ran without the mutex";
        throw std::runtime_error("sink failed");
    });
    CDebug::Main->exceptions(std::ios::badbit);
    EXPECT_THROW(pw::diag::writeLine(8, "doomed"), std::exception);
    CDebug::Main->exceptions(std::ios::goodbit);
    CDebug::Main->clear();
    CDebug::SetLineSink(nullptr);
    ASSERT_EQ(pthread_mutex_trylock(shared), 0) << "the line end that threw left the mutex locked";
    pthread_mutex_unlock(shared);
}

TEST(LogRegistration, bringsTheStreamUpOnceAndDownOnce) {
    // Using the library keeps it loaded: its logging source files and this one each hold a registration.
    EXPECT_EQ(pw::CCueCollection().find("x"), nullptr);
    const uint32_t registered = CDebugLogStreamGlobal::initCount;
    EXPECT_GE(registered, 2u);
    // Pretend those registrations are gone, then restore them.
    CDebugLogStreamGlobal::CDebugLogStreamGlobalDestroy();
    CDebugLogStreamGlobal::initCount = 0;
    {
        const pw::diag::LogRegistration first;
        CDebugLogStream* const up = CDebug::Main;
        ASSERT_NE(up, nullptr);
        {
            const pw::diag::LogRegistration second;
            EXPECT_TRUE(CDebugLogStreamGlobal::initCount == 2u && CDebug::Main == up);
        }
        EXPECT_TRUE(CDebugLogStreamGlobal::initCount == 1u && CDebug::Main == up);
    }
    EXPECT_TRUE(CDebugLogStreamGlobal::initCount == 0u && CDebug::Main == nullptr);
    CDebugLogStreamGlobal::CDebugLogStreamGlobalConstruct();
    CDebugLogStreamGlobal::initCount = registered;
}

} // namespace
