#include "statement_cache.h"

#include <cstring>

namespace csqlite {

namespace {

// The shape's text cut at its parameters; "?" stands for nothing else in a shape.
std::vector<std::string> segmentsOf(const std::string& shape) {
    std::vector<std::string> segments;
    std::string::size_type start = 0;
    for (auto mark = shape.find('?'); mark != std::string::npos; mark = shape.find('?', start)) {
        segments.push_back(shape.substr(start, mark - start));
        start = mark + 1;
    }
    segments.push_back(shape.substr(start));
    return segments;
}

} // namespace

StatementCache::~StatementCache() {
    for (auto& entry : entries) {
        sqlite3_finalize(entry.second.statement);
    }
}

CachedStatement* StatementCache::borrow(sqlite3* connection, const std::string& text) {
    const auto found = entries.find(text);
    if (found != entries.end()) {
        if (found->second.lent) {
            return nullptr;
        }
        found->second.lent = true;
        return &found->second;
    }
    if (entries.size() >= capacity) {
        return nullptr;
    }
    // The entry is made first, so that nothing prepared is lost if making it throws.
    CachedStatement& entry = entries.try_emplace(text).first->second;
    if (sqlite3_prepare_v3(connection, text.c_str(), static_cast<int>(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &entry.statement, nullptr) != SQLITE_OK ||
        entry.statement == nullptr) {
        sqlite3_finalize(entry.statement);
        entries.erase(text);
        return nullptr;
    }
    entry.segments = segmentsOf(text);
    entry.lent = true;
    return &entry;
}

bool StatementCache::matches(const CachedStatement& entry, const std::string& sql) {
    const char* at = sql.data();
    const char* const end = at + sql.size();
    scratch.literalBytes.clear();
    scratch.literalEnds.clear();
    for (std::size_t segment = 0;; ++segment) {
        const std::string& constant = entry.segments[segment];
        if (static_cast<std::size_t>(end - at) < constant.size() ||
            std::memcmp(at, constant.data(), constant.size()) != 0) {
            return false;
        }
        at += constant.size();
        if (segment + 1 == entry.segments.size()) {
            return at == end;
        }
        // A literal, read as shaping reads it: no NUL, a doubled quote for a quote. The constant
        // after a parameter never starts with a quote, so the literal ends at the first lone quote.
        if (at == end || *at != '\'') {
            return false;
        }
        ++at;
        for (;;) {
            const auto* quote =
                static_cast<const char*>(std::memchr(at, '\'', static_cast<std::size_t>(end - at)));
            if (quote == nullptr || std::memchr(at, '\0', static_cast<std::size_t>(quote - at)) != nullptr) {
                return false;
            }
            scratch.literalBytes.append(at, static_cast<std::size_t>(quote - at));
            at = quote + 1;
            if (at != end && *at == '\'') {
                scratch.literalBytes += '\'';
                ++at;
                continue;
            }
            break;
        }
        scratch.literalEnds.push_back(scratch.literalBytes.size());
    }
}

CachedStatement* StatementCache::lendRecent(const std::string& sql) {
    for (std::size_t slot = 0; slot < recent.size() && recent[slot] != nullptr; ++slot) {
        CachedStatement* entry = recent[slot];
        if (!entry->lent && matches(*entry, sql)) {
            entry->lent = true;
            for (; slot > 0; --slot) {
                recent[slot] = recent[slot - 1];
            }
            recent[0] = entry;
            return entry;
        }
    }
    return nullptr;
}

void StatementCache::remember(CachedStatement* entry) {
    std::size_t slot = 0;
    while (slot + 1 < recent.size() && recent[slot] != entry) {
        ++slot;
    }
    for (; slot > 0; --slot) {
        recent[slot] = recent[slot - 1];
    }
    recent[0] = entry;
}

CachedStatement* StatementCache::lend(sqlite3* connection, const std::string& sql) {
    CachedStatement* entry = lendRecent(sql);
    if (entry == nullptr) {
        if (!shapeInto(sql, scratch)) {
            return nullptr;
        }
        entry = borrow(connection, scratch.text);
        if (entry == nullptr) {
            return nullptr;
        }
        if (!entry->segments.empty()) {
            remember(entry);
        }
    }
    // The entry keeps the literals until it is given back; its old buffer becomes the scratch one.
    entry->literals.swap(scratch.literalBytes);
    std::size_t start = 0;
    int parameter = 0;
    for (const std::size_t end : scratch.literalEnds) {
        if (sqlite3_bind_text(entry->statement, ++parameter, entry->literals.data() + start,
                              static_cast<int>(end - start), SQLITE_STATIC) != SQLITE_OK) {
            giveBack(*entry);
            return nullptr;
        }
        start = end;
    }
    return entry;
}

void StatementCache::giveBack(CachedStatement& entry) {
    // The bindings stay: they point into the entry's own buffer, which nothing changes until the
    // entry is lent again and every parameter is bound anew.
    sqlite3_reset(entry.statement);
    entry.lent = false;
}

} // namespace csqlite
