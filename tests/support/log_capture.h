#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pwtest {

/// One line written to the debug stream, with its level.
struct LogLine {
    int32_t level;
    std::string text;

    bool operator==(const LogLine& other) const { return level == other.level && text == other.text; }
};

/// Captures every debug line written while it lives, then restores the default sink.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    /// The lines captured so far, in order.
    const std::vector<LogLine>& lines() const { return captured; }
    /// Forgets the lines captured so far.
    void clear() { captured.clear(); }

private:
    std::vector<LogLine> captured;
};

/// Prints a line in test failures as "level: text".
void PrintTo(const LogLine& line, std::ostream* out);

} // namespace pwtest
