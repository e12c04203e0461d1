#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <string>
#include <unordered_map>

namespace csqlite {

/// A prepared statement of the cache and whether a cursor holds it.
struct CachedStatement {
    sqlite3_stmt* statement = nullptr;
    bool lent = false;
};

/// The prepared statements of one connection, one per statement shape, each lent to one cursor at
/// a time. They are finalized with the cache, before the connection closes.
class StatementCache {
public:
    StatementCache() = default;
    ~StatementCache();

    // The statements belong to this cache alone; a copy would finalize them twice.
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    /// Lends the statement of `text`, preparing it on first use. Null when it is lent already,
    /// when the cache is full, or when the text cannot be prepared (the caller then prepares the
    /// text itself, which also gives the error message).
    CachedStatement* borrow(sqlite3* connection, const std::string& text);

    /// Takes a statement back: resets it and clears its bindings.
    static void giveBack(CachedStatement& entry);

private:
    // A host may run statements of many shapes; past this many, further shapes are not kept.
    static constexpr std::size_t capacity = 256;

    std::unordered_map<std::string, CachedStatement> entries;
};

} // namespace csqlite
