#pragma once

// Every source file of the library that logs includes this header: it registers the file as a
// user of the debug stream and gives it the one way to write a line.

#include <cdebug/CDebug.h>

#include <pthread.h>

#include <cstdint>
#include <ostream>

namespace pw::diag {

/// Keeps the debug stream up while at least one registered source file is loaded: the first
/// registration brings it up, the last one released tears it down.
class LogRegistration {
public:
    LogRegistration() {
        if (CDebugLogStreamGlobal::initCount++ == 0) {
            CDebugLogStreamGlobal::CDebugLogStreamGlobalConstruct();
        }
    }

    ~LogRegistration() {
        if (--CDebugLogStreamGlobal::initCount == 0) {
            CDebugLogStreamGlobal::CDebugLogStreamGlobalDestroy();
        }
    }

    // Each object stands for one source file; a copy would count it twice.
    LogRegistration(const LogRegistration&) = delete;
    LogRegistration& operator=(const LogRegistration&) = delete;
};

namespace {
// One registration per source file that includes this header.
const LogRegistration logRegistration;
} // namespace

/// Holds the stream's mutex, if it has one, until the line end is done or has thrown.
class LineEndLock {
public:
    explicit LineEndLock(pthread_mutex_t* lineMutex) : mutex(lineMutex) {
        if (mutex != nullptr) {
            pthread_mutex_lock(mutex);
        }
    }

    ~LineEndLock() {
        if (mutex) {
            pthread_mutex_unlock(mutex);
        }
    }

    LineEndLock(const LineEndLock&) = delete;
    LineEndLock& operator=(const LineEndLock&) = delete;

private:
    pthread_mutex_t* mutex;
};

/// Writes one log line: sets the level, inserts the pieces as they are, then ends the line
/// under the stream's mutex.
template <typename... Pieces> void writeLine(int32_t level, const Pieces&... pieces) {
    CDebugLogStream& stream = *CDebug::Main;
    stream.level = level;
    (stream << ... << pieces);
    const LineEndLock lock(stream.mutex);
    stream << std::endl;
}

} // namespace pw::diag
