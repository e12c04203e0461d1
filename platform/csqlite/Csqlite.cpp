#include "csqlite/Csqlite.h"

#include "statement_cache.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

namespace {

std::string openFailure(const std::string& filename, const std::string& why) {
    return "cannot open database '" + filename + "': " + why;
}

// A database in WAL mode is read through the write-ahead log beside it and a shared-memory index
// that SQLite makes on opening, read-only or not. Without a log or an index beside it, or with an
// empty log and no index, no other connection has it open and the file holds everything: it is then
// opened as immutable, which makes no file and needs no lock. An index beside it means another
// connection may be writing, and the database is opened as usual.
bool isWalWithoutLog(const std::string& filename) {
    unsigned char header[20] = {};
    std::ifstream file(filename, std::ios::binary);
    if (!file.read(reinterpret_cast<char*>(header), sizeof header) || header[18] != 2 || header[19] != 2) {
        return false;
    }
    struct stat beside {};
    if (stat((filename + "-shm").c_str(), &beside) == 0) {
        return false;
    }
    return stat((filename + "-wal").c_str(), &beside) != 0 || beside.st_size == 0;
}

// `filename` as an SQLite URI that opens it immutable.
std::string immutableUri(const std::string& filename) {
    static const char* const hex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char ch : filename) {
        const auto byte = static_cast<unsigned char>(ch);
        if (std::isalnum(byte) != 0 || std::strchr("/-._~", ch) != nullptr) {
            uri += ch;
        } else {
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 0xF];
        }
    }
    return uri + "?immutable=1";
}

std::string walHint(const std::string& filename) {
    return " (the database is in WAL mode, and SQLite reads its write-ahead log '" + filename +
           "-wal' only by making '" + filename +
           "-shm' beside it: make the folder writable, or checkpoint the log where it is with "
           "PRAGMA wal_checkpoint(TRUNCATE))";
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
    const bool immutable = isWalWithoutLog(filename);
    sqlite3* opening = nullptr;
    const int opened = immutable ? sqlite3_open_v2(immutableUri(filename).c_str(), &opening,
                                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr)
                                 : sqlite3_open_v2(filename.c_str(), &opening, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, ConnectionCloser> guard(opening);
    if (opened != SQLITE_OK) {
        errorMessage = openFailure(filename, opening ? sqlite3_errmsg(opening) : "out of memory");
        return;
    }
    // Reading the schema reads the file header, which tells a database from any other file.
    if (sqlite3_exec(opening, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        const int code = sqlite3_errcode(opening);
        const bool walTrouble = !immutable && (code == SQLITE_CANTOPEN || code == SQLITE_READONLY);
        errorMessage = openFailure(filename, sqlite3_errmsg(opening) + (walTrouble ? walHint(filename) : ""));
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
