// Fuzz target: the input bytes are a database file, valid, corrupt or truncated. SQLite reports what
// it cannot read; the library must survive it, loading the network the way a host does.

#include "fuzz_network.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const bool quiet = (pwfuzz::discardLog(), true);
    static_cast<void>(quiet);
    pwfuzz::removeDatabase();
    std::FILE* file = std::fopen(pwfuzz::databasePath().c_str(), "wb");
    pwfuzz::check(file != nullptr, "the database file cannot be written");
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    pwfuzz::check(std::fclose(file) == 0 && written, "the database file cannot be written");
    pwfuzz::loadLikeAHost(pwfuzz::databasePath());
    pwfuzz::removeDatabase();
    return 0;
}
