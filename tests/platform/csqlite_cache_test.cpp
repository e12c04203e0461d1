#include "support/network_schema.h"
#include "support/statement_log.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/pathweave.h>

#include <sqlite3.h>

namespace {

using pwtest::TempDatabase;
using Rows = std::vector<std::vector<std::string>>;

struct Result {
    bool valid = false;
    std::string error;
    std::vector<std::string> columns;
    Rows rows;

    bool operator==(const Result& other) const {
        return valid == other.valid && error == other.error && columns == other.columns && rows == other.rows;
    }
};

// Every row of `sql` as the cursor reads it: texts and numbers of every column.
Result throughCursor(const Csqlite& db, const std::string& sql) {
    Csqlite::CsqliteQuerySelect cursor(sql, db);
    Result result{cursor.valid, cursor.errorMessage, {}, {}};
    for (int pos = 0; pos < 64; ++pos) {
        for (const char* name : {"value", "id", "symbol", "a", "b", "LINK_ID", "JOURNEY_ID"}) {
            if (cursor.GetColumnIndex(name) == pos) {
                result.columns.push_back(name);
            }
        }
    }
    while (cursor.Step()) {
        std::vector<std::string> row;
        for (int pos = 0; pos < 17; ++pos) {
            row.push_back(cursor.GetColumnAsString(pos, "<null>") + "|" +
                          std::to_string(cursor.GetColumnAsDouble(pos, -1.5)));
        }
        result.rows.push_back(row);
    }
    return result;
}

// The same, preparing the text as given with SQLite itself.
Result throughSqlite(sqlite3* db, const std::string& sql) {
    Result result;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK ||
        statement == nullptr) {
        result.error = statement == nullptr && sqlite3_errcode(db) == SQLITE_OK ? "no statement in the text"
                                                                                : sqlite3_errmsg(db);
        sqlite3_finalize(statement);
        return result;
    }
    result.valid = true;
    const int count = sqlite3_column_count(statement);
    for (int pos = 0; pos < 64; ++pos) {
        for (const char* name : {"value", "id", "symbol", "a", "b", "LINK_ID", "JOURNEY_ID"}) {
            if (pos < count && std::string(sqlite3_column_name(statement, pos)) == name) {
                result.columns.push_back(name);
            }
        }
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int pos = 0; pos < 17; ++pos) {
            const bool null = pos >= count || sqlite3_column_type(statement, pos) == SQLITE_NULL;
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, pos));
            row.push_back(
                (null ? "<null>"
                      : std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, pos)))) +
                "|" + std::to_string(null ? -1.5 : sqlite3_column_double(statement, pos)));
        }
        result.rows.push_back(row);
    }
    sqlite3_finalize(statement);
    return result;
}

// Counts the statements SQLite compiles on a connection.
class CompileCounter {
public:
    explicit CompileCounter(sqlite3* db) : connection(db) { sqlite3_set_authorizer(db, count, this); }
    ~CompileCounter() { sqlite3_set_authorizer(connection, nullptr, nullptr); }
    int compilations() const { return selects; }

private:
    static int count(void* self, int action, const char*, const char*, const char*, const char*) {
        if (action == SQLITE_SELECT) {
            ++static_cast<CompileCounter*>(self)->selects;
        }
        return SQLITE_OK;
    }
    sqlite3* connection;
    int selects = 0;
};

const char* const attributes = "CREATE TABLE attributes (id TEXT, symbol TEXT, value);"
                               "INSERT INTO attributes VALUES ('P''1', 'LAT', '1.5'), ('P2', 'LAT', 2),"
                               " ('P2', 'LAT', NULL), ('%', '_', 'x'), ('a', 'b', x'00ff');";

TEST(CsqliteStatementCache, readsExactlyWhatPreparingTheTextReads) {
    TempDatabase fixture(attributes);
    Csqlite db(fixture.path());
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open_v2(fixture.path().c_str(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const std::vector<std::string> statements = {
        "select value from attributes where id = 'P''1' and symbol='LAT';",
        "select value from attributes where id = 'P2' and symbol='LAT';",
        "select value from attributes where id = 'P2' and symbol='lat';",
        "select value from attributes where id = '%' and symbol='_';",
        "select value from attributes where id = 'x'' OR ''1''=''1' and symbol='LAT';",
        "select value from attributes where id = 'a' and symbol='b';",
        "select value from attributes where id = '' and symbol='';",
        "select * from attributes;",
        "select value from attributes where id = 'P2' and symbol='LAT' order by value;",
        "select value from nowhere where id = 'P2';",
        "select value from attributes where id = 'P2' and symbol='LAT'",
        "select value, 'lit' from attributes where id = 'P2';",
        "",
        std::string("select value from attributes where id = 'P\0' and symbol='LAT';", 62),
    };
    for (int round = 0; round < 2; ++round) {
        for (const std::string& sql : statements) {
            EXPECT_EQ(throughCursor(db, sql), throughSqlite(plain, sql)) << sql;
        }
    }
    sqlite3_close(plain);
}

TEST(CsqliteStatementCache, compilesEachShapeOnce) {
    TempDatabase fixture(attributes);
    Csqlite db(fixture.path());
    const CompileCounter counter(db.handle());
    for (const char* id : {"P'1", "P2", "nobody"}) {
        std::string sql = "select value from attributes where id = '";
        for (const char* ch = id; *ch != '\0'; ++ch) {
            sql += *ch == '\'' ? "''" : std::string(1, *ch);
        }
        Csqlite::CsqliteQuerySelect cursor(sql + "' and symbol='LAT';", db);
        EXPECT_TRUE(cursor.valid);
    }
    EXPECT_EQ(counter.compilations(), 1);
}

TEST(CsqliteStatementCache, lendsAStatementToOneCursorAtATime) {
    TempDatabase fixture(attributes);
    Csqlite db(fixture.path());
    Csqlite::CsqliteQuerySelect outer("select value from attributes where id = 'P2' and symbol='LAT';", db);
    ASSERT_TRUE(outer.Step());
    {
        Csqlite::CsqliteQuerySelect inner("select value from attributes where id = 'P''1' and symbol='LAT';",
                                          db);
        ASSERT_TRUE(inner.Step());
        EXPECT_EQ(inner.GetColumnAsString(0, ""), "1.5");
    }
    EXPECT_EQ(outer.GetColumnAsString(0, ""), "2");
    EXPECT_TRUE(outer.Step());
    EXPECT_FALSE(outer.Step());

    Csqlite::CsqliteQuerySelect again("select value from attributes where id = 'P2' and symbol='LAT';", db);
    EXPECT_TRUE(again.Step()) << "a statement given back starts from its first row";
}

TEST(CsqliteReadTransaction, holdsOneTransactionAndEndsOnlyItsOwn) {
    TempDatabase fixture(attributes);
    Csqlite db(fixture.path());
    {
        const Csqlite::ReadTransaction outer(db);
        EXPECT_EQ(sqlite3_get_autocommit(db.handle()), 0);
        { const Csqlite::ReadTransaction inner(db); }
        EXPECT_EQ(sqlite3_get_autocommit(db.handle()), 0)
            << "the inner one began nothing, so it ends nothing";
    }
    EXPECT_EQ(sqlite3_get_autocommit(db.handle()), 1);
}

TEST(CsqliteStatementCache, givesALoadOfTheSampleNetworkTheRowsOfPlainPreparation) {
    TempDatabase fixture(pwtest::readFile(PATHWEAVE_SAMPLE_NETWORK_SQL));
    Csqlite db(fixture.path());
    std::vector<std::string> statements;
    {
        const pwtest::StatementLog log(db.handle());
        pw::CCueCollection cues;
        pw::CJourneyCollection journeys;
        pw::CPersist reader(&db);
        reader.ReadCCueCollection(&cues);
        reader.ReadCJourneyCollection(&journeys, cues, "NJP", "");
        for (pw::CJourney& journey : journeys.journeys) {
            reader.ReadCJourney(&journey, cues);
        }
        statements = log.statements();
    }
    ASSERT_GT(statements.size(), 100u);
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open_v2(fixture.path().c_str(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    for (const std::string& sql : statements) {
        EXPECT_EQ(throughCursor(db, sql), throughSqlite(plain, sql)) << sql;
    }
    sqlite3_close(plain);
}

} // namespace
