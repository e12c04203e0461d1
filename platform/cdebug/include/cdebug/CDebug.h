#pragma once

#include <pthread.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

/// The process's one debug log stream.
///
/// Writers assign `level`, insert the text of a line and end it with a newline and a flush;
/// each complete line then goes, with the `level` current at that moment, to the line sink.
/// Text inserted at a level below what the sink takes (the default sink's threshold, or the
/// level a custom sink was set from) is dropped as it arrives, so such a line costs next to
/// nothing. Lines are delivered whole, whatever bytes they hold. When storage runs out while a
/// line is collected or handed to the sink, that line is lost and the stream stays good: the
/// lines after it arrive whole.
class CDebugLogStream : public std::ostream {
public:
    CDebugLogStream();
    ~CDebugLogStream() override;

    // The stream is the process's one log; a copy would split it.
    CDebugLogStream(const CDebugLogStream&) = delete;
    CDebugLogStream& operator=(const CDebugLogStream&) = delete;

    /// The level of the line being written.
    int32_t level = 0;
    /// The mutex that serialises line ends of a shared stream; null when the stream is not shared.
    pthread_mutex_t* mutex = nullptr;

private:
    class LineBuffer;
    std::unique_ptr<LineBuffer> buffer;
};

namespace CDebug {

/// Receives one complete line, without its newline, and the level it was written at.
using LineSink = std::function<void(int32_t level, const std::string& line)>;

/// The one stream; valid from `CDebugLogStreamGlobalConstruct()` to `CDebugLogStreamGlobalDestroy()`.
extern CDebugLogStream* Main;

/// Replaces the line sink; an empty function restores the default sink.
void SetLineSink(LineSink sink);

/// Replaces the line sink with one that receives the lines of `fromLevel` and above; text at a lower
/// level is dropped as it arrives, so a tool that passes on only some levels pays nothing for the
/// others.
void SetLineSink(LineSink sink, int32_t fromLevel);

/// The default sink writes lines of at least this level (8 at start) to standard error, as the
/// level in decimal, a tab, the line and a newline.
void SetThreshold(int32_t threshold);

} // namespace CDebug

namespace CDebugLogStreamGlobal {

/// How many source files currently use the stream.
extern uint32_t initCount;

/// Brings up the stream and its mutex and points `CDebug::Main` at it.
void CDebugLogStreamGlobalConstruct();

/// Tears the stream down and sets `CDebug::Main` to null.
void CDebugLogStreamGlobalDestroy();

} // namespace CDebugLogStreamGlobal
