#include "cdebug/CDebug.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <streambuf>
#include <utility>

namespace {

int32_t threshold = 8;
CDebug::LineSink customSink;
int32_t customSinkFrom = INT32_MIN;

// The line goes out whole: ids read from a database may hold any byte, NUL included.
void defaultSink(int32_t level, const char* line, std::size_t length) {
    std::fprintf(stderr, "%ld\t", static_cast<long>(level));
    std::fwrite(line, 1, length, stderr);
    std::fputc('\n', stderr);
}

} // namespace

// Collects the characters of the current line; a flush hands every complete line to the sink.
//
// Storage for a line can run out. The stream would then take the allocation failure for an error of
// its own and stay bad, so that no later line arrives either; instead, the line being collected or
// delivered when storage runs out is lost, and the lines after it arrive whole.
class CDebugLogStream::LineBuffer : public std::streambuf {
public:
    explicit LineBuffer(const CDebugLogStream& stream) : owner(stream) {}

protected:
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof()) && !dropping()) {
            const char character = traits_type::to_char_type(ch);
            keep(&character, 1);
        }
        return traits_type::not_eof(ch);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        if (!dropping()) {
            keep(text, static_cast<std::size_t>(count));
        }
        return count;
    }

    int sync() override {
        std::string::size_type start = 0;
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n', start)) {
            deliver(pending.data() + start, end - start);
            start = end + 1;
        }
        pending.erase(0, start);
        return 0;
    }

private:
    // No sink would take a line below its level, so nothing of it is kept.
    bool dropping() const { return owner.level < (customSink ? customSinkFrom : threshold); }

    // Appends text to the pending lines, skipping what is left of a lost line up to its newline.
    void keep(const char* text, std::size_t count) {
        while (count > 0) {
            if (losingLine) {
                const auto* newline = static_cast<const char*>(std::memchr(text, '\n', count));
                if (newline == nullptr) {
                    return;
                }
                const auto skipped = static_cast<std::size_t>(newline - text) + 1;
                text += skipped;
                count -= skipped;
                losingLine = false;
                continue;
            }
            try {
                pending.append(text, count);
                return;
            } catch (const std::bad_alloc&) {
                loseLine();
            }
        }
    }

    // Drops the part of the current line kept so far; the rest of it is skipped as it arrives.
    void loseLine() {
        const auto lastNewline = pending.rfind('\n');
        pending.erase(lastNewline == std::string::npos ? 0 : lastNewline + 1);
        losingLine = true;
    }

    void deliver(const char* line, std::size_t length) const {
        if (customSink) {
            try {
                customSink(owner.level, std::string(line, length));
            } catch (const std::bad_alloc&) {
                // The line is lost; the next one is delivered as usual.
            }
        } else if (owner.level >= threshold) {
            defaultSink(owner.level, line, length);
        }
    }

    const CDebugLogStream& owner;
    std::string pending;
    bool losingLine = false;
};

CDebugLogStream::CDebugLogStream() : std::ostream(nullptr), buffer(std::make_unique<LineBuffer>(*this)) {
    rdbuf(buffer.get());
}

CDebugLogStream::~CDebugLogStream() = default;

namespace CDebug {

CDebugLogStream* Main = nullptr;

void SetLineSink(LineSink sink) { SetLineSink(std::move(sink), INT32_MIN); }

void SetLineSink(LineSink sink, int32_t fromLevel) {
    customSink = std::move(sink);
    customSinkFrom = fromLevel;
}

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
