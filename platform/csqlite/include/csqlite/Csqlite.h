#pragma once

#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace csqlite {
struct CachedStatement;
class StatementCache;
} // namespace csqlite

/// An SQLite network database, opened read-only.
///
/// The constructor never creates a file and never throws for a bad database: `valid` tells
/// whether the open worked and `errorMessage` says why it did not. A database in WAL mode that
/// no connection has open (no shared-memory index beside it, and no log or an empty one) is opened
/// as immutable, so that reading it makes no file beside it; otherwise SQLite makes the index it
/// needs to read the log.
///
/// The connection keeps the statements it prepares, one per statement shape: a statement that
/// differs from an earlier one only in its single-quoted literals after WHERE reuses the earlier
/// one with the literals bound as parameters. Results are exactly those of preparing the text
/// as given; a text that cannot be treated so safely is prepared as given.
class Csqlite {
public:
    /// Opens the existing database file `filename` read-only.
    explicit Csqlite(const std::string& filename);
    ~Csqlite();

    // One connection, one owner: a copy would close the connection twice.
    Csqlite(const Csqlite&) = delete;
    Csqlite& operator=(const Csqlite&) = delete;

    /// The name the database was opened with.
    std::string GetDatabaseFilename() const;

    /// The raw connection, for tools and tests; null when the open failed.
    sqlite3* handle() const;

    /// Holds a read transaction while it lives, so that a load takes the database's file lock
    /// once instead of once per statement: hosts put one around a load. It begins one only when
    /// none is open on the connection, and ends only the one it began.
    class ReadTransaction {
    public:
        explicit ReadTransaction(Csqlite& db);
        ~ReadTransaction();

        // One transaction, one end: a copy would end it twice.
        ReadTransaction(const ReadTransaction&) = delete;
        ReadTransaction& operator=(const ReadTransaction&) = delete;

    private:
        sqlite3* connection = nullptr;
    };

    /// A read-only cursor over the result of one SELECT statement.
    ///
    /// The statement is prepared by the constructor; `valid` tells whether that worked and
    /// `errorMessage` says why it did not. The destructor releases the statement.
    class CsqliteQuerySelect {
    public:
        CsqliteQuerySelect(const std::string& sql, const Csqlite& db);
        ~CsqliteQuerySelect();

        // One statement, one owner: a copy would finalize the statement twice.
        CsqliteQuerySelect(const CsqliteQuerySelect&) = delete;
        CsqliteQuerySelect& operator=(const CsqliteQuerySelect&) = delete;

        /// Moves to the next row: true while a row is current; false after the last row, on an
        /// invalid cursor and on an error while stepping (which also sets `errorMessage`).
        bool Step();

        /// The position of the result column with exactly this name, or -1. Works before `Step`.
        int GetColumnIndex(const std::string& name);

        /// The current row's value at `pos` as text, every byte kept; `def` for NULL, for a
        /// position out of range and when no row is current.
        std::string GetColumnAsString(int pos, const std::string& def);

        /// The current row's value at `pos` as a number (SQLite's conversion); `def` for NULL,
        /// for a position out of range and when no row is current.
        double GetColumnAsDouble(int pos, double def);

        /// True when the statement was prepared.
        bool valid = false;
        /// Why the statement could not be prepared or stepped; empty otherwise.
        std::string errorMessage;

    private:
        bool hasColumn(int pos) const;
        bool borrowFromCache(const std::string& sql, const Csqlite& db);

        sqlite3_stmt* statement = nullptr;
        // Set while the statement is lent by the connection's cache, which takes it back.
        csqlite::CachedStatement* borrowed = nullptr;
        bool rowCurrent = false;
        bool finished = false;
    };

    /// True when the database was opened.
    bool valid = false;
    /// Why the database could not be opened; empty otherwise.
    std::string errorMessage;

private:
    std::string filename;
    sqlite3* connection = nullptr;
    std::unique_ptr<csqlite::StatementCache> statements;
};
