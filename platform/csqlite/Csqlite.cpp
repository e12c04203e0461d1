#include "csqlite/Csqlite.h"

#include "statement_cache.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cmath>
#include <memory>

namespace {

std::string openFailure(const std::string& filename, const std::string& why) {
    return "cannot open database '" + filename + "': " + why;
}

struct ConnectionCloser {
    void operator()(sqlite3* connection) const { sqlite3_close(connection); }
};

} // namespace

Csqlite::Csqlite(const std::string& path) : filename(path) {
    // SQLite opens a directory or a missing file lazily; say what is wrong before it does.
    struct stat status {};
    if (stat(filename.c_str(), &status) != 0) {
        errorMessage = openFailure(filename, "no such file");
        return;
    }
    if (S_ISDIR(status.st_mode)) {
        errorMessage = openFailure(filename, "is a directory");
        return;
    }
    // Until the connection is this object's, it is closed on every way out, an allocation failure
    // while the error message is made included: a constructor that throws runs no destructor.
    sqlite3* opening = nullptr;
    const int opened = sqlite3_open_v2(filename.c_str(), &opening, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, ConnectionCloser> guard(opening);
    if (opened != SQLITE_OK) {
        errorMessage = openFailure(filename, opening ? sqlite3_errmsg(opening) : "out of memory");
        return;
    }
    // Reading the schema reads the file header, which tells a database from any other file.
    if (sqlite3_exec(opening, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        errorMessage = openFailure(filename, sqlite3_errmsg(opening));
        return;
    }
    statements = std::make_unique<csqlite::StatementCache>();
    connection = guard.release();
    valid = true;
}

Csqlite::~Csqlite() {
    // Cached statements must be finalized before the connection can close.
    statements.reset();
    sqlite3_close(connection);
}

std::string Csqlite::GetDatabaseFilename() const { return filename; }

sqlite3* Csqlite::handle() const { return connection; }

Csqlite::ReadTransaction::ReadTransaction(Csqlite& db) {
    if (db.connection != nullptr && sqlite3_get_autocommit(db.connection) != 0 &&
        sqlite3_exec(db.connection, "BEGIN;", nullptr, nullptr, nullptr) == SQLITE_OK) {
        connection = db.connection;
    }
}

Csqlite::ReadTransaction::~ReadTransaction() {
    if (connection != nullptr) {
        sqlite3_exec(connection, "COMMIT;", nullptr, nullptr, nullptr);
    }
}

bool Csqlite::CsqliteQuerySelect::borrowFromCache(const std::string& sql, const Csqlite& db) {
    borrowed = db.statements->lend(db.connection, sql);
    if (borrowed == nullptr) {
        return false;
    }
    statement = borrowed->statement;
    return true;
}

Csqlite::CsqliteQuerySelect::CsqliteQuerySelect(const std::string& sql, const Csqlite& db) {
    if (!db.connection) {
        errorMessage = "database is not open";
        return;
    }
    if (borrowFromCache(sql, db)) {
        valid = true;
        return;
    }
    const int rc =
        sqlite3_prepare_v2(db.connection, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
    if (rc != SQLITE_OK) {
        errorMessage = sqlite3_errmsg(db.connection);
        return;
    }
    if (!statement) {
        errorMessage = "no statement in the text";
        return;
    }
    valid = true;
}

Csqlite::CsqliteQuerySelect::~CsqliteQuerySelect() {
    if (borrowed != nullptr) {
        csqlite::StatementCache::giveBack(*borrowed);
    } else {
        sqlite3_finalize(statement);
    }
}

bool Csqlite::CsqliteQuerySelect::Step() {
    rowCurrent = false;
    // Stepping a finished statement would start it again from the first row.
    if (!statement || finished) {
        return false;
    }
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        rowCurrent = true;
        return true;
    }
    finished = true;
    if (rc != SQLITE_DONE) {
        errorMessage = sqlite3_errmsg(sqlite3_db_handle(statement));
    }
    return false;
}

int Csqlite::CsqliteQuerySelect::GetColumnIndex(const std::string& name) {
    if (!statement) {
        return -1;
    }
    const int count = sqlite3_column_count(statement);
    for (int pos = 0; pos < count; ++pos) {
        const char* columnName = sqlite3_column_name(statement, pos);
        if (columnName && name == columnName) {
            return pos;
        }
    }
    return -1;
}

bool Csqlite::CsqliteQuerySelect::hasColumn(int pos) const {
    return rowCurrent && pos >= 0 && pos < sqlite3_column_count(statement);
}

std::string Csqlite::CsqliteQuerySelect::GetColumnAsString(int pos, const std::string& def) {
    if (!hasColumn(pos)) {
        return def;
    }
    // SQLite gives no text for NULL, so the text alone tells NULL apart.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, pos));
    if (!text) {
        return def;
    }
    const int bytes = sqlite3_column_bytes(statement, pos);
    return std::string(text, static_cast<std::string::size_type>(bytes));
}

double Csqlite::CsqliteQuerySelect::GetColumnAsDouble(int pos, double def) {
    if (!hasColumn(pos)) {
        return def;
    }
    // SQLite reads NULL as +0.0: only another default needs the value's type.
    if (def == 0.0 && !std::signbit(def)) {
        return sqlite3_column_double(statement, pos);
    }
    return sqlite3_column_type(statement, pos) != SQLITE_NULL ? sqlite3_column_double(statement, pos) : def;
}
