#include "support/network.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

using pwtest::TempDatabase;
using Texts = std::vector<std::string>;

TEST(Csqlite, opensOnlyAnExistingDatabaseAndOnlyForReading) {
    const TempDatabase fixture("CREATE TABLE t (a); INSERT INTO t VALUES (1);");
    const std::string before = pwtest::readFile(fixture.path());
    const std::string missing = fixture.folder() + "/missing.db", text = fixture.folder() + "/notes.txt";
    std::ofstream(text) << "These are not the pages of an SQLite database, whatever the name says.\n";
    sockaddr_un address{AF_UNIX, {}};
    const std::string socketFile = fixture.folder() + "/socket";
    std::strncpy(address.sun_path, socketFile.c_str(), sizeof address.sun_path - 1);
    const int socketHandle = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(socketHandle, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    for (const auto& [path, why] :
         std::vector<std::pair<std::string, std::string>>{{missing, "no such file"},
                                                          {fixture.folder(), "is a directory"},
                                                          {text, "file is not a database"},
                                                          {socketFile, "unable to open database file"}}) {
        Csqlite db(path);
        EXPECT_FALSE(db.valid);
        EXPECT_EQ(db.errorMessage, "cannot open database '" + path + "': " + why);
        EXPECT_EQ(db.handle(), nullptr);
        Csqlite::CsqliteQuerySelect query("SELECT 1;", db);
        EXPECT_FALSE(query.valid);
        EXPECT_EQ(query.errorMessage, "database is not open");
        EXPECT_FALSE(query.Step());
    }
    close(socketHandle);
    EXPECT_FALSE(std::filesystem::exists(missing));

    Csqlite db(fixture.path());
    ASSERT_TRUE(db.valid) << db.errorMessage;
    EXPECT_EQ(db.errorMessage, "");
    Csqlite::CsqliteQuerySelect write("INSERT INTO t VALUES (2);", db);
    ASSERT_TRUE(write.valid);
    EXPECT_FALSE(write.Step());
    EXPECT_EQ(write.errorMessage, "attempt to write a readonly database");
    EXPECT_EQ(pwtest::readFile(fixture.path()), before);
    Csqlite::CsqliteQuerySelect empty(" ", db);
    EXPECT_FALSE(empty.valid);
    EXPECT_EQ(empty.errorMessage, "no statement in the text");
}

// What a cursor reads of `sql`: valid, error, where the column "value" is, every row's values as text
// and number (NULL and positions past the last column as the defaults), and no row before the first
// Step nor after the last; against the same through SQLite preparing the text as given.
Texts throughCursor(const Csqlite& db, const std::string& sql) {
    Csqlite::CsqliteQuerySelect cursor(sql, db);
    Texts read{std::to_string(cursor.valid), cursor.errorMessage,
               std::to_string(cursor.GetColumnIndex("value")), cursor.GetColumnAsString(0, "<none>")};
    while (cursor.Step()) {
        for (int pos = -1; pos < 17; ++pos) {
            read.push_back(cursor.GetColumnAsString(pos, "<none>") + "|" +
                           std::to_string(cursor.GetColumnAsDouble(pos, -1.5)));
        }
    }
    read.push_back(cursor.GetColumnAsString(0, "<none>") + std::to_string(cursor.Step()));
    return read;
}

Texts throughSqlite(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    const bool valid =
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) == SQLITE_OK;
    const int count = valid ? sqlite3_column_count(statement) : 0;
    int value = -1;
    for (int pos = count - 1; pos >= 0; --pos) {
        value = std::string(sqlite3_column_name(statement, pos)) == "value" ? pos : value;
    }
    Texts read{std::to_string(valid), valid ? "" : sqlite3_errmsg(db), std::to_string(value), "<none>"};
    while (valid && sqlite3_step(statement) == SQLITE_ROW) {
        for (int pos = -1; pos < 17; ++pos) {
            const bool null = pos < 0 || pos >= count || sqlite3_column_type(statement, pos) == SQLITE_NULL;
            const auto* text =
                null ? "<none>" : reinterpret_cast<const char*>(sqlite3_column_text(statement, pos));
            const auto bytes = static_cast<std::size_t>(null ? 6 : sqlite3_column_bytes(statement, pos));
            read.push_back(std::string(text, bytes) + "|" +
                           std::to_string(null ? -1.5 : sqlite3_column_double(statement, pos)));
        }
    }
    read.push_back("<none>0");
    sqlite3_finalize(statement);
    return read;
}

int record(unsigned, void* statements, void* statement, void*) {
    char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
    static_cast<Texts*>(statements)->emplace_back(sql);
    sqlite3_free(sql);
    return 0;
}

int countCompilation(void* count, int action, const char*, const char*, const char*, const char*) {
    *static_cast<int*>(count) += action == SQLITE_SELECT ? 1 : 0;
    return SQLITE_OK;
}

// The statements of a load of the tests' network, and texts that the cache must not take for one of
// their shapes, or must bind as preparing them would read them: quotes, LIKE wildcards, NUL bytes,
// comments, more than a plain condition, a literal that names a result column.
TEST(CsqliteStatementCache, readsExactlyWhatPreparingTheTextReadsAndCompilesEachShapeOnce) {
    const TempDatabase fixture(pwtest::readFile(PATHWEAVE_TEST_NETWORK_SQL) +
                               "INSERT INTO attributes VALUES ('%', '_', x'00ff'), ('P''1', 'LAT', 2),"
                               " ('P''1', '', CAST(x'41004280' AS TEXT));");
    Csqlite db(fixture.path());
    int compilations = 0;
    sqlite3_set_authorizer(db.handle(), countCompilation, &compilations);
    // A shape first seen in a text with a doubled quote is shaped as any other.
    for (const char* id : {"'it''s';", "'its';"}) {
        const Csqlite::CsqliteQuerySelect cursor(std::string("select value from attributes where id = ") + id,
                                                 db);
    }
    EXPECT_EQ(compilations, 1);
    Texts statements;
    sqlite3_trace_v2(db.handle(), SQLITE_TRACE_STMT, record, &statements);
    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    pwtest::loadNetwork(db, catalogue, network);
    sqlite3_trace_v2(db.handle(), 0, nullptr, nullptr);
    // The cues, the list, each journey's links, each point's lookups under the symbols in turn, the
    // symbol found last tried first, and each journey's order flags: seven shapes (the column checks
    // of journeys, links and link_nodes among them), and none more on the next load.
    ASSERT_EQ(statements.size(), 77u);
    EXPECT_EQ(compilations, 8);
    pwtest::loadNetwork(db, catalogue, network);
    EXPECT_EQ(compilations, 8);
    sqlite3_set_authorizer(db.handle(), nullptr, nullptr);
    const std::string lookup = "select value from attributes where id = ";
    for (const char* odd :
         {"'%' and symbol='_';", "'P''1' and symbol='LAT';", "'P''1' and symbol='';", "'PA';", "'PA'",
          "'P''1' and symbol='LAT'", "'PA' and symbol='LAT' order by value;", "'PA' or id = 'PB';",
          "'PA' -- and symbol='LAT';", "'PA' /* */ and symbol='LAT';", "? and symbol='LAT';",
          "'PA' and symbol=:s;", "'unterminated;", "'PA' 'open", "'PA'; select 1;", "'PA' collate nocase;"}) {
        statements.push_back(lookup + odd);
    }
    statements.insert(statements.end(), {"select * from links;", "select value from nowhere where id = 'PA';",
                                         "select value, 'lit' from attributes where id = 'PA';",
                                         "select \"value\" from [attributes] where id = 'PA';",
                                         lookup + std::string("'P\0';", 5)});
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open_v2(fixture.path().c_str(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    for (int round = 0; round < 2; ++round) {
        for (const std::string& sql : statements) {
            EXPECT_EQ(throughCursor(db, sql), throughSqlite(plain, sql)) << sql;
        }
    }
    sqlite3_close(plain);
}

TEST(CsqliteStatementCache, lendsAStatementToOneCursorAtATime) {
    const TempDatabase fixture(
        "CREATE TABLE t (id, value); INSERT INTO t VALUES ('a', 1), ('a', 2), ('b', 3);");
    Csqlite db(fixture.path());
    // The outer cursor's shape read once, then pushed out of the four recent ones: found by its shape.
    for (const char* column : {"value", "id", "rowid", "value + 1", "value * 2"}) {
        Csqlite::CsqliteQuerySelect(std::string("select ") + column + " from t where id = 'a';", db).Step();
    }
    Csqlite::CsqliteQuerySelect outer("select value from t where id = 'a';", db);
    ASSERT_TRUE(outer.Step());
    {
        Csqlite::CsqliteQuerySelect inner("select value from t where id = 'b';", db);
        ASSERT_TRUE(inner.Step());
        EXPECT_EQ(inner.GetColumnAsString(0, ""), "3");
    }
    EXPECT_EQ(outer.GetColumnAsString(0, ""), "1");
    EXPECT_TRUE(outer.Step());
    EXPECT_FALSE(outer.Step());
    Csqlite::CsqliteQuerySelect again("select value from t where id = 'a';", db);
    EXPECT_TRUE(again.Step()) << "a statement given back starts from its first row";
    {
        const Csqlite::ReadTransaction transaction(db);
        EXPECT_EQ(sqlite3_get_autocommit(db.handle()), 0);
        { const Csqlite::ReadTransaction inner(db); }
        EXPECT_EQ(sqlite3_get_autocommit(db.handle()), 0)
            << "the inner one began nothing, so it ends nothing";
    }
    EXPECT_EQ(sqlite3_get_autocommit(db.handle()), 1);
}

} // namespace
