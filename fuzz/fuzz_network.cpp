#include "fuzz_network.h"

#include "support/network.h"

#include <cdebug/CDebug.h>
#include <csqlite/Csqlite.h>
#include <pathweave/pathweave.h>

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace pwfuzz {

namespace {

// Past a budget of a hundred thousand virtual machine steps per connection, enough to build and read
// any network that the seeds hold, every statement is interrupted.
int budget = 0;

int spendBudget(void*) { return --budget < 0 ? 1 : 0; }

void limitWork(sqlite3* connection) {
    budget = 100;
    sqlite3_progress_handler(connection, 1000, spendBudget, nullptr);
}

// No other files, and of the pragmas only those that shape the database a reader meets.
int authorize(void*, int action, const char* name, const char*, const char*, const char*) {
    static const char* const allowed =
        " auto_vacuum encoding journal_mode page_size user_version writable_schema ";
    if (action == SQLITE_PRAGMA) {
        return std::strstr(allowed, (" " + std::string(name) + " ").c_str()) != nullptr ? SQLITE_OK
                                                                                        : SQLITE_DENY;
    }
    return action == SQLITE_ATTACH || action == SQLITE_DETACH ? SQLITE_DENY : SQLITE_OK;
}

// Drives a journey as a host does while running it: every link node made current (a sample past 200,
// since finding a node is a linear search), its box tested, then a reset.
void runJourney(pw::CJourney& journey) {
    const std::size_t count = journey.linkNodes.size();
    for (std::size_t index = 0; index < count; index += count / 200 + 1) {
        const pw::CLinkNode& node = journey.linkNodes[index];
        const pw::CBounds& box = node.bounds;
        check(box.valid == (box.latMin < box.latMax && box.longMin < box.longMax),
              "a box's validity is wrong");
        check(!box.valid || (node.WithinBounds({box.latMin, box.longMin}) &&
                             node.WithinBounds({box.latMax, box.longMax})),
              "a box's corner is outside it");
        check(journey.SetCurrent(node.id)->id == node.id && journey.selected == journey.current,
              "SetCurrent misses a link node");
    }
    journey.reset();
    check(journey.current == journey.linkNodes.begin() && journey.active == journey.current,
          "reset left a position");
}

} // namespace

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "pathweave fuzz: broken promise: %s\n", what);
        std::abort();
    }
}

const std::string& databasePath() {
    static const struct Scratch {
        Scratch() {
            folder = (std::filesystem::temp_directory_path() / "pathweave-fuzz-XXXXXX").string();
            check(mkdtemp(folder.data()) != nullptr, "no scratch folder can be made");
            file = folder + "/network.db";
        }
        ~Scratch() {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
        std::string folder, file;
    } scratch;
    return scratch.file;
}

void removeDatabase() {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        unlink((databasePath() + suffix).c_str());
    }
}

void makeDatabase(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK) {
        // No value or statement past a megabyte: that is a hostile id already.
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
        sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 1 << 20);
        sqlite3_set_authorizer(db, authorize, nullptr);
        limitWork(db);
        // The file is thrown away after one load: nothing needs to reach the disk.
        sqlite3_exec(db, "PRAGMA synchronous = OFF;", nullptr, nullptr, nullptr);
        for (const char *at = sql.data(), *end = at + sql.size(), *tail = at; at < end; at = tail) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(db, at, static_cast<int>(end - at), &statement, &tail) != SQLITE_OK ||
                tail <= at) {
                // Skipped up to the next semicolon, as is a NUL byte, where SQLite stops reading.
                const auto* semicolon =
                    static_cast<const char*>(std::memchr(at, ';', static_cast<std::size_t>(end - at)));
                tail = semicolon != nullptr ? semicolon + 1 : end;
            }
            while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            }
            sqlite3_finalize(statement);
        }
    }
    sqlite3_close(db);
}

void loadLikeAHost(const std::string& path) {
    static const bool quiet = (CDebug::SetLineSink([](int32_t, const std::string&) {}), true);
    Csqlite database(path);
    if (!quiet || !database.valid) {
        return;
    }
    limitWork(database.handle());
    const Csqlite::ReadTransaction transaction(database);
    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    pwtest::loadNetwork(database, catalogue, network);
    check(network.journeys.front().id == "NJP", "the non-journey points are not first");
    for (pw::CJourney& journey : network.journeys) {
        check(journey.linkNodes.empty() || (journey.linkNodes.front().id == "ROOT" &&
                                            journey.linkDistances == journey.hasLinkDistances()),
              "a journey read does not start at ROOT, or its link-distance flag is stale");
        for (const auto& [name, element] : journey.cues.cues) {
            check(element.cue == catalogue.find(name), "a journey lists a cue not in the catalogue");
        }
        runJourney(journey);
        if (network.journeys.size() < 200 && network.SetCurrent(journey.id) != network.journeys.end()) {
            network.SetActiveFromCurrent();
        }
    }
    const std::string before = pwtest::describe(catalogue, network);
    const pw::CJourneyCollection copy(network), moved(std::move(network));
    check(pwtest::describe(catalogue, copy) == before && pwtest::describe(catalogue, moved) == before,
          "a copy or a move changed the model");
}

} // namespace pwfuzz
