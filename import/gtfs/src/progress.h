#pragma once

// The caller's progress callback (Options::progress), through which an import is cancelled.

#include "import_error.h"

#include <cstdint>
#include <functional>

namespace pw::gtfs {

/// Called now and then with the bytes read of a file and its size (0 when unknown), or with
/// (0, 0) when there is nothing to show; returning false cancels the import.
using Progress = std::function<bool(uint64_t read, uint64_t total)>;

/// Asks `progress`, when there is one, whether to go on, with (0, 0). Throws ImportError "the import
/// was cancelled" when it says no.
inline void goOnUnlessCancelled(const Progress& progress) {
    if (progress && !progress(0, 0)) {
        throw ImportError("", "", 0, "the import was cancelled");
    }
}

/// What the reads of the other files than stop_times.txt are given: `progress` asked only whether
/// to go on, so that a bar shows stop_times.txt alone and a cancel is noticed in any file.
inline Progress askingOnly(const Progress& progress) {
    if (!progress) {
        return {};
    }
    return [progress](uint64_t, uint64_t) { return progress(0, 0); };
}

} // namespace pw::gtfs
