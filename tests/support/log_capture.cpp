#include "support/log_capture.h"

#include <cdebug/CDebug.h>

#include <ostream>

namespace pwtest {

LogCapture::LogCapture() {
    CDebug::SetLineSink([this](int32_t level, const std::string& text) {
        captured.push_back({level, text});
    });
}

LogCapture::~LogCapture() { CDebug::SetLineSink(nullptr); }

void PrintTo(const LogLine& line, std::ostream* out) { *out << line.level << ": \"" << line.text << '"'; }

} // namespace pwtest
