#include "statement_cache.h"

namespace csqlite {

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
    entry.lent = true;
    return &entry;
}

void StatementCache::giveBack(CachedStatement& entry) {
    sqlite3_reset(entry.statement);
    sqlite3_clear_bindings(entry.statement);
    entry.lent = false;
}

} // namespace csqlite
