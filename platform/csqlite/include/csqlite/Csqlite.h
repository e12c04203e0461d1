#pragma once

#include <string>

struct sqlite3;
struct sqlite3_stmt;

/// An SQLite network database, opened read-only.
///
/// The constructor never creates a file and never throws for a bad database: `valid` tells
/// whether the open worked and `errorMessage` says why it did not.
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
        bool hasValue(int pos) const;

        sqlite3_stmt* statement = nullptr;
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
};
