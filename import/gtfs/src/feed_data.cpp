#include "feed_data.h"

namespace pw::gtfs {

namespace {

uint64_t hashOf(std::string_view text) {
    uint64_t hash = 1469598103934665603ULL; // FNV-1a
    for (const char ch : text) {
        hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ULL;
    }
    return hash;
}

} // namespace

std::size_t Names::slotOf(std::string_view name, uint64_t hash) const {
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(hash) & mask;; at = (at + 1) & mask) {
        const uint64_t slot = slots[at];
        if (slot == 0 || ((slot >> 32) == (hash >> 32) && texts[(slot & 0xffffffffU) - 1] == name)) {
            return at;
        }
    }
}

uint32_t Names::find(std::string_view name) const {
    if (slots.empty()) {
        return none;
    }
    const uint64_t slot = slots[slotOf(name, hashOf(name))];
    return slot == 0 ? none : static_cast<uint32_t>((slot & 0xffffffffU) - 1);
}

std::pair<uint32_t, bool> Names::add(std::string_view name) {
    const uint32_t found = find(name);
    if (found != none) {
        return {found, false};
    }
    texts.emplace_back(name);
    // At most half full, so that a look-up ends after a slot or two.
    if (texts.size() * 2 > slots.size()) {
        slots.assign(std::max<std::size_t>(64, slots.size() * 2), 0);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const uint64_t hash = hashOf(texts[i]);
            slots[slotOf(texts[i], hash)] = (hash & 0xffffffff00000000ULL) | (i + 1);
        }
    } else {
        const uint64_t hash = hashOf(name);
        slots[slotOf(name, hash)] = (hash & 0xffffffff00000000ULL) | texts.size();
    }
    return {static_cast<uint32_t>(texts.size() - 1), true};
}

} // namespace pw::gtfs
