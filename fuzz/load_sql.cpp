// Fuzz target: the input is SQL text. It is run into a fresh database file (statements that fail are
// skipped), which is then loaded the way a host loads a network.

#include "fuzz_network.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    pwfuzz::removeDatabase();
    pwfuzz::makeDatabase(pwfuzz::databasePath(), std::string(reinterpret_cast<const char*>(data), size));
    pwfuzz::loadLikeAHost(pwfuzz::databasePath());
    return 0;
}
