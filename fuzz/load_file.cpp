// Fuzz target: the input bytes are a database file, valid, corrupt or truncated. SQLite reports what
// it cannot read; the library must survive it, loading the network the way a host does.

#include "fuzz_network.h"

#include <cstddef>
#include <cstdint>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    pwfuzz::removeDatabase();
    std::ofstream(pwfuzz::databasePath(), std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    pwfuzz::loadLikeAHost(pwfuzz::databasePath());
    return 0;
}
