#include "tool.h"

#include <cdebug/CDebug.h>

#include <cstdio>

namespace pwtool {

namespace {

LibraryLog* active = nullptr;

} // namespace

LibraryLog::LibraryLog(int32_t level) : forwardLevel(level) {
    active = this;
    install();
}

LibraryLog::~LibraryLog() {
    flush();
    CDebug::SetLineSink({});
    active = nullptr;
}

void LibraryLog::install() {
    // Lines that neither go out nor reach an observer are dropped as they are written.
    CDebug::SetLineSink([this](int32_t level, const std::string& line) { take(level, line); },
                        observer ? INT32_MIN : forwardLevel);
}

void LibraryLog::observe(Observer observer) {
    if (active != nullptr) {
        active->observer = std::move(observer);
        active->install();
    }
}

void LibraryLog::take(int32_t level, const std::string& line) {
    if (observer) {
        observer(level, line);
    }
    if (level < forwardLevel) {
        return;
    }
    if (holding && level == heldLevel && line == held) {
        ++repeats;
        return;
    }
    flush();
    held = line;
    heldLevel = level;
    holding = true;
}

void LibraryLog::flush() {
    if (!holding) {
        return;
    }
    std::fprintf(stderr, "%ld\t", static_cast<long>(heldLevel));
    std::fwrite(held.data(), 1, held.size(), stderr);
    if (repeats > 0) {
        std::fprintf(stderr, " (repeated %zu time%s)", repeats, repeats == 1 ? "" : "s");
    }
    std::fputc('\n', stderr);
    holding = false;
    repeats = 0;
}

} // namespace pwtool
