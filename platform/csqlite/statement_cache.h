#pragma once

#include "statement_shape.h"

#include <sqlite3.h>

#include <array>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace csqlite {

/// A prepared statement of the cache and whether a cursor holds it.
struct CachedStatement {
    sqlite3_stmt* statement = nullptr;
    bool lent = false;
    // The literals bound to the statement while it is lent; SQLite reads them in place.
    std::string literals;
    // The shape's text cut at its parameters: a text made of these with literals between them has
    // this shape, which can be seen without shaping the text anew.
    std::vector<std::string> segments;
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

    /// Lends the statement of the shape of `sql` with the text's literals bound, as `borrow` lends
    /// it; null also when the text has no shape.
    CachedStatement* lend(sqlite3* connection, const std::string& sql);

    /// Takes a statement back and resets it.
    static void giveBack(CachedStatement& entry);

private:
    // A host may run statements of many shapes; past this many, further shapes are not kept.
    static constexpr std::size_t capacity = 256;

    // Whether `sql` is the shape of `entry` with literals in place of its parameters; if so, the
    // literals are in `scratch`, as shaping the text would have put them.
    bool matches(const CachedStatement& entry, const std::string& sql);
    CachedStatement* lendRecent(const std::string& sql);
    void remember(CachedStatement* entry);

    std::unordered_map<std::string, CachedStatement> entries;
    // Reused by every `lend`, so that shaping a text allocates nothing once it has grown.
    ShapeBuffers scratch;
    // The shapes lent last, most recent first: a reader runs a few shapes over and over, and a text
    // is compared with them before it is shaped and looked up.
    std::array<CachedStatement*, 4> recent{};
};

} // namespace csqlite
