#pragma once

// Every source file of the library that logs includes this header: it registers the file as a
// user of the debug stream and gives it the one way to write a line.

#include <cdebug/CDebug.h>

#include <pthread.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

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

namespace detail {

/// Collects the text pieces of a line, so that the stream takes a line in one insertion instead of
/// one per piece: most lines are below the sink's threshold and should cost next to nothing.
class LineText {
public:
    bool add(const std::string& piece) { return add(piece.data(), piece.size()); }
    bool add(const char* piece) { return piece != nullptr && add(piece, std::strlen(piece)); }
    template <std::size_t N> bool add(const char (&piece)[N]) { return add(static_cast<const char*>(piece)); }
    /// Any other piece is left to the stream's own formatting.
    template <typename Piece> bool add(const Piece&) { return false; }

    const char* data() const { return text; }
    std::streamsize size() const { return static_cast<std::streamsize>(used); }

private:
    bool add(const char* piece, std::size_t length) {
        if (length > sizeof text - used) {
            return false;
        }
        std::memcpy(text + used, piece, length);
        used += length;
        return true;
    }

    char text[256];
    std::size_t used = 0;
};

} // namespace detail

/// Writes one log line: sets the level, inserts the pieces as they are, then ends the line
/// under the stream's mutex.
template <typename... Pieces> void writeLine(int32_t level, const Pieces&... pieces) {
    CDebugLogStream& stream = *CDebug::Main;
    stream.level = level;
    // A line of texts only, short enough and with no field width set, goes in as one piece.
    detail::LineText line;
    if (stream.width() == 0 && (line.add(pieces) && ...)) {
        stream.write(line.data(), line.size());
    } else {
        (stream << ... << pieces);
    }
    const LineEndLock lock(stream.mutex);
    stream << std::endl;
}

} // namespace pw::diag
