#include "network_generator.h"
#include "support/statement_log.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/pathweave.h>

#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A fresh folder for generated networks, removed with the object.
class GeneratedNetworks {
public:
    GeneratedNetworks() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/pathweave-load-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) != nullptr) {
            folder = name.data();
        }
    }
    ~GeneratedNetworks() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    GeneratedNetworks(const GeneratedNetworks&) = delete;
    GeneratedNetworks& operator=(const GeneratedNetworks&) = delete;

    /// Writes the network of `spec`, with the recommended indexes, and returns its path.
    std::string write(const pwbench::NetworkSpec& spec) const {
        const std::string path = folder + "/" + pwbench::networkFileName(spec, true);
        pwbench::writeNetwork(path, spec);
        pwbench::createRecommendedIndexes(path);
        return path;
    }

    std::string folder;
};

// Counts the statements SQLite compiles on a connection: it asks the authorizer about every SELECT.
class CompileCounter {
public:
    explicit CompileCounter(sqlite3* db) : connection(db) { sqlite3_set_authorizer(db, count, this); }
    ~CompileCounter() { sqlite3_set_authorizer(connection, nullptr, nullptr); }

    CompileCounter(const CompileCounter&) = delete;
    CompileCounter& operator=(const CompileCounter&) = delete;

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

struct Loaded {
    pw::CCueCollection cues;
    pw::CJourneyCollection journeys;
};

// Loads as a host does, with the symbol lists in their first order: the cue catalogue, the
// collection with the non-journey points, then every journey's link nodes.
void load(Csqlite& database, Loaded& loaded) {
    pw::CPersist::latitudeSymbols[0] = "LAT";
    pw::CPersist::latitudeSymbols[1] = "lat";
    pw::CPersist::latitudeSymbols[2] = "Lat";
    pw::CPersist::longitudeSymbols[0] = "LONG";
    pw::CPersist::longitudeSymbols[1] = "long";
    pw::CPersist::longitudeSymbols[2] = "Long";
    pw::CPersist reader(&database);
    reader.ReadCCueCollection(&loaded.cues);
    reader.ReadCJourneyCollection(&loaded.journeys, loaded.cues, pwbench::nonJourneyPointsId, "");
    for (auto journey = loaded.journeys.journeys.begin() + loaded.journeys.nonJourneyPointsCount;
         journey != loaded.journeys.journeys.end(); ++journey) {
        reader.ReadCJourney(&*journey, loaded.cues);
    }
}

std::size_t startingWith(const std::vector<std::string>& statements, const std::string& head) {
    std::size_t count = 0;
    for (const std::string& statement : statements) {
        count += statement.rfind(head, 0) == 0 ? 1 : 0;
    }
    return count;
}

// Three journeys of four link nodes and three non-journey points, every point under LAT and LONG.
pwbench::NetworkSpec smallNetwork() { return {"T", 3, 4, 3, 7, false}; }

TEST(NetworkLoadStatements, runsTheExactStatementsOfASmallNetwork) {
    const GeneratedNetworks networks;
    Csqlite database(networks.write(smallNetwork()));
    ASSERT_TRUE(database.valid) << database.errorMessage;
    const pwtest::StatementLog log(database.handle());
    Loaded loaded;
    load(database, loaded);

    ASSERT_EQ(loaded.journeys.journeys.size(), 4u);
    EXPECT_EQ(loaded.journeys.journeys[0].linkNodes.size(), 4u) << "ROOT and three points";
    for (std::size_t journey = 1; journey < 4; ++journey) {
        EXPECT_EQ(loaded.journeys.journeys[journey].linkNodes.size(), 5u) << "ROOT and four link nodes";
    }
    // The catalogue: 1. The non-journey points: their links, 6 lookups for ROOT's empty point id
    // (found under no symbol), 2 for each of 3 points, 2 flags. The list: 1. Each journey: its
    // links, 6 for ROOT, 2 for each of 4 link nodes, 2 flags. The column checks are prepared, never
    // run, and do not show here.
    const std::vector<std::string>& statements = log.statements();
    EXPECT_EQ(statements.size(), 1u + (1 + 6 + 2 * 3 + 2) + 1 + 3 * (1 + 6 + 2 * 4 + 2));
    EXPECT_EQ(startingWith(statements, "select cue_id, cue_type, cue_arguments from cues;"), 1u);
    EXPECT_EQ(startingWith(statements, "SELECT JOURNEY_ID,"), 1u);
    EXPECT_EQ(startingWith(statements, "SELECT lk.LINK_ID,"), 4u);
    EXPECT_EQ(startingWith(statements, "select value from attributes where id = '"), 62u);
    EXPECT_EQ(startingWith(statements, "select value from attributes where id = '' and symbol='"), 4u * 6u);
}

TEST(NetworkLoadStatements, compilesEachShapeOnceAndNothingOnTheNextLoad) {
    const GeneratedNetworks networks;
    Csqlite database(networks.write(smallNetwork()));
    ASSERT_TRUE(database.valid) << database.errorMessage;
    const CompileCounter counter(database.handle());
    Loaded first;
    load(database, first);
    // The cue catalogue, the list, the journey data and the attribute lookup, and the column checks
    // of journeys, links and link_nodes.
    EXPECT_EQ(counter.compilations(), 4 + 3);

    std::vector<std::string> again;
    {
        const pwtest::StatementLog log(database.handle());
        Loaded second;
        load(database, second);
        again = log.statements();
    }
    EXPECT_EQ(counter.compilations(), 4 + 3) << "a second load must compile no statement";
    EXPECT_EQ(again.size(), 68u);
}

// Every row of `sql` as the cursor reads it, column by column as text and as a number, with the
// cursor's `valid`, `errorMessage` and the positions of the columns the readers look for.
std::vector<std::string> throughCursor(const Csqlite& database, const std::string& sql) {
    Csqlite::CsqliteQuerySelect cursor(sql, database);
    std::vector<std::string> read{std::to_string(cursor.valid), cursor.errorMessage};
    for (const char* name : {"value", "LINK_ID", "LINKNODE_ID", "JOURNEY_ID", "CUES", "DISTANCE_TRANSIT"}) {
        read.push_back(std::to_string(cursor.GetColumnIndex(name)));
    }
    while (cursor.Step()) {
        for (int pos = 0; pos < 17; ++pos) {
            read.push_back(cursor.GetColumnAsString(pos, "<none>") + "|" +
                           std::to_string(cursor.GetColumnAsDouble(pos, -1.5)));
        }
    }
    return read;
}

// The same through SQLite itself, preparing the text as given.
std::vector<std::string> throughSqlite(sqlite3* database, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    const bool valid = sqlite3_prepare_v2(database, sql.c_str(), static_cast<int>(sql.size()), &statement,
                                          nullptr) == SQLITE_OK;
    std::vector<std::string> read{std::to_string(valid), valid ? "" : sqlite3_errmsg(database)};
    const int count = valid ? sqlite3_column_count(statement) : 0;
    for (const char* name : {"value", "LINK_ID", "LINKNODE_ID", "JOURNEY_ID", "CUES", "DISTANCE_TRANSIT"}) {
        int found = -1;
        for (int pos = 0; pos < count && found == -1; ++pos) {
            found = std::string(sqlite3_column_name(statement, pos)) == name ? pos : -1;
        }
        read.push_back(std::to_string(found));
    }
    while (valid && sqlite3_step(statement) == SQLITE_ROW) {
        for (int pos = 0; pos < 17; ++pos) {
            const bool null = pos >= count || sqlite3_column_type(statement, pos) == SQLITE_NULL;
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, pos));
            read.push_back(
                (null ? std::string("<none>")
                      : std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, pos)))) +
                "|" + std::to_string(null ? -1.5 : sqlite3_column_double(statement, pos)));
        }
    }
    sqlite3_finalize(statement);
    return read;
}

TEST(NetworkLoadStatements, readsEveryStatementOfAGeneratedLoadAsPreparingItsTextReads) {
    const GeneratedNetworks networks;
    // M: 500 journeys of 40 link nodes, coordinates under all three spellings of each symbol.
    pwbench::NetworkSpec spec = pwbench::sizeM();
    spec.mixedSymbols = true;
    const std::string path = networks.write(spec);
    Csqlite database(path);
    ASSERT_TRUE(database.valid) << database.errorMessage;
    std::vector<std::string> statements;
    {
        const pwtest::StatementLog log(database.handle());
        Loaded loaded;
        load(database, loaded);
        statements = log.statements();
    }
    ASSERT_GT(statements.size(), 60000u);
    // The column checks, which the readers prepare but never run, are not in the log.
    statements.insert(statements.end(),
                      {"select * from journeys;", "select * from links;", "select * from link_nodes;"});
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::size_t differing = 0;
    for (const std::string& sql : statements) {
        const bool same = throughCursor(database, sql) == throughSqlite(plain, sql);
        EXPECT_TRUE(same || differing > 10) << sql;
        differing += same ? 0 : 1;
    }
    EXPECT_EQ(differing, 0u);
    sqlite3_close(plain);
}

} // namespace
