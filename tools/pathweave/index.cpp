// `pathweave index`: the one command that writes to a database. It creates the indexes that
// make loading fast, and nothing else.

#include "tool.h"

#include <CLI/CLI.hpp>

#include <sqlite3.h>

#include <ostream>

namespace pwtool {

namespace {

// Runs the statements in one transaction; returns SQLite's reason when one fails.
std::string createIndexes(sqlite3* database, const std::vector<const RecommendedIndex*>& indexes) {
    std::string statements = "BEGIN IMMEDIATE;";
    for (const RecommendedIndex* index : indexes) {
        statements += index->createStatement;
    }
    if (sqlite3_exec(database, (statements + "COMMIT;").c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) {
        return "";
    }
    std::string why = sqlite3_errmsg(database);
    if (sqlite3_extended_errcode(database) == SQLITE_CANTOPEN || why == "unable to open database file") {
        why += " (SQLite writes a journal file beside the database: is its folder writable?)";
    }
    sqlite3_exec(database, "ROLLBACK;", nullptr, nullptr, nullptr);
    return why;
}

int runIndex(const std::string& path) {
    Output output("-");
    std::vector<const RecommendedIndex*> missing;
    {
        const NetworkDatabase database(path);
        for (const RecommendedIndex& index : recommendedIndexes()) {
            if (inspectTable(database.csqlite(), index.table).exists &&
                !hasIndexOn(database.csqlite(), index.table, index.columns)) {
                missing.push_back(&index);
            }
        }
    }
    if (missing.empty()) {
        output.stream() << "The recommended indexes are there already; nothing to do.\n";
        output.finish();
        return Success;
    }
    sqlite3* database = nullptr;
    // Read-write without create: the file was opened above, so it exists.
    const int opened = sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE, nullptr);
    std::string why = opened != SQLITE_OK ? sqlite3_errmsg(database) : "";
    if (why.empty() && sqlite3_db_readonly(database, "main") == 1) {
        why = "the file is read-only, and an index is written into it";
    }
    if (why.empty()) {
        why = createIndexes(database, missing);
    }
    sqlite3_close(database);
    if (!why.empty()) {
        throw ToolError(Failed, "cannot create the indexes in '" + path + "': " + why);
    }
    for (const RecommendedIndex* index : missing) {
        output.stream() << "Created: " << index->createStatement << '\n';
    }
    output.finish();
    return Success;
}

} // namespace

void addIndexCommand(CLI::App& app, Command& command) {
    CLI::App* index =
        addCommand(app, "index", "Create the indexes that make loading a large network fast (writes to DB)",
                   "pathweave index network.db");
    auto path = std::make_shared<std::string>();
    addDatabaseArgument(*index, *path);
    index->callback([path, &command] { command = [path] { return runIndex(*path); }; });
}

} // namespace pwtool
