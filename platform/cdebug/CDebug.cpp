#include "cdebug/CDebug.h"

#include <cstdio>
#include <streambuf>
#include <utility>

namespace {

int32_t threshold = 8;
CDebug::LineSink customSink;

void defaultSink(int32_t level, const std::string& line) {
    std::fprintf(stderr, "%ld\t%.*s\n", static_cast<long>(level), static_cast<int>(line.size()), line.data());
}

} // namespace

// Collects the characters of the current line; a flush hands every complete line to the sink.
class CDebugLogStream::LineBuffer : public std::streambuf {
public:
    explicit LineBuffer(const CDebugLogStream& stream) : owner(stream) {}

protected:
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof()) && !dropping()) {
            pending.push_back(traits_type::to_char_type(ch));
        }
        return traits_type::not_eof(ch);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        if (!dropping()) {
            pending.append(text, static_cast<std::string::size_type>(count));
        }
        return count;
    }

    int sync() override {
        std::string::size_type start = 0;
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n', start)) {
            deliver(pending.substr(start, end - start));
            start = end + 1;
        }
        pending.erase(0, start);
        return 0;
    }

private:
    // The default sink would print nothing of a line below its threshold, so nothing of it is kept.
    bool dropping() const { return !customSink && owner.level < threshold; }

    void deliver(const std::string& line) const {
        if (customSink) {
            customSink(owner.level, line);
        } else if (owner.level >= threshold) {
            defaultSink(owner.level, line);
        }
    }

    const CDebugLogStream& owner;
    std::string pending;
};

CDebugLogStream::CDebugLogStream() : std::ostream(nullptr), buffer(std::make_unique<LineBuffer>(*this)) {
    rdbuf(buffer.get());
}

CDebugLogStream::~CDebugLogStream() = default;

namespace CDebug {

CDebugLogStream* Main = nullptr;

void SetLineSink(LineSink sink) { customSink = std::move(sink); }

void SetThreshold(int32_t value) { threshold = value; }

} // namespace CDebug

namespace CDebugLogStreamGlobal {

uint32_t initCount = 0;

namespace {
pthread_mutex_t lineMutex = PTHREAD_MUTEX_INITIALIZER;
} // namespace

void CDebugLogStreamGlobalConstruct() {
    if (CDebug::Main) {
        return;
    }
    CDebug::Main = new CDebugLogStream();
    CDebug::Main->mutex = &lineMutex;
}

void CDebugLogStreamGlobalDestroy() {
    delete CDebug::Main;
    CDebug::Main = nullptr;
}

} // namespace CDebugLogStreamGlobal
