#pragma once

// What the tests of networks at extreme sizes share: generated fixtures and counters of the work a
// load does, so that they bound sizes (statements, allocations per element) and never times.

#include "robustness/robustness_support.h"
#include "support/counting_allocator.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/persist.h>

#include <sqlite3.h>

#include <cstddef>
#include <memory>
#include <string>

namespace pwtest {

// A table of the numbers 0 to count - 1, for the statements that generate the fixtures.
inline std::string numbers(std::size_t count) {
    return "CREATE TEMP TABLE n AS WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i "
           "< " +
           std::to_string(count - 1) + ") SELECT i FROM c;\n";
}

// Indexes that a network database of this size has; without them every attribute lookup would scan
// the whole table, which is the database's cost, not the library's.
inline const std::string indexes = "CREATE INDEX journey_links_by_journey ON Journey_links (JOURNEY_ID);\n"
                                   "CREATE INDEX links_by_id ON links (LINK_ID);\n"
                                   "CREATE INDEX link_nodes_by_id ON link_nodes (LINKNODE_ID);\n"
                                   "CREATE INDEX attributes_by_id ON attributes (id, symbol);\n";

// Counts the statements that a connection runs while it lives.
class StatementCounter {
public:
    explicit StatementCounter(sqlite3* db) : connection(db) {
        sqlite3_trace_v2(connection, SQLITE_TRACE_STMT, count, &statements);
    }
    ~StatementCounter() { sqlite3_trace_v2(connection, 0, nullptr, nullptr); }

    StatementCounter(const StatementCounter&) = delete;
    StatementCounter& operator=(const StatementCounter&) = delete;

    std::size_t statements = 0;

private:
    static int count(unsigned, void* counter, void*, void*) {
        ++*static_cast<std::size_t*>(counter);
        return 0;
    }

    sqlite3* connection;
};

// Allocations made while it lives; 0 where they cannot be counted (under valgrind).
class AllocationCounter {
public:
    AllocationCounter() : start(pwtest::allocationCount()) {}
    std::size_t made() const { return pwtest::allocationCount() - start; }

private:
    std::size_t start;
};

class Extremes : public ::testing::Test {
protected:
    void SetUp() override { pwtest::resetSymbolLists(); }
    void TearDown() override { pwtest::resetSymbolLists(); }

    void open(const std::string& sql) {
        fixture = std::make_unique<pwtest::TempDatabase>(pwtest::schemaSql() + indexes + sql);
        database = std::make_unique<Csqlite>(fixture->path());
        ASSERT_TRUE(database->valid) << database->errorMessage;
        persist = std::make_unique<pw::CPersist>(database.get());
    }

    std::unique_ptr<pwtest::TempDatabase> fixture;
    std::unique_ptr<Csqlite> database;
    std::unique_ptr<pw::CPersist> persist;
};

} // namespace pwtest
