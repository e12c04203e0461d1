// `pathweave index`: the one command that writes to a database. It creates the indexes that
// make loading fast, and nothing else.

#include "tool.h"

#include <CLI/CLI.hpp>

#include <sqlite3.h>

#include <iostream>

namespace pwtool {

namespace {

int runIndex(const std::string& path) {
    std::vector<const RecommendedIndex*> missing;
    {
        const std::unique_ptr<Csqlite> database = openNetworkDatabase(path);
        for (const RecommendedIndex& index : recommendedIndexes()) {
            if (hasTable(*database, index.table) && !hasIndexOn(*database, index.table, index.columns)) {
                missing.push_back(&index);
            }
        }
    }
    if (missing.empty()) {
        std::cout << "The recommended indexes are there already; nothing to do.\n";
        return Success;
    }
    sqlite3* database = nullptr;
    // Read-write without create: the file was opened above, so it exists.
    int result = sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE, nullptr);
    for (const RecommendedIndex* index : missing) {
        if (result != SQLITE_OK) {
            break;
        }
        std::cout << "Creating: " << index->createStatement << '\n';
        result = sqlite3_exec(database, index->createStatement.c_str(), nullptr, nullptr, nullptr);
    }
    const std::string why = sqlite3_errmsg(database);
    sqlite3_close(database);
    if (result != SQLITE_OK) {
        throw ToolError(Failed, "cannot create an index in '" + path + "': " + why);
    }
    return Success;
}

} // namespace

void addIndexCommand(CLI::App& app, Command& command) {
    CLI::App* index = app.add_subcommand(
        "index", "Create the indexes that make loading a large network fast (writes to DB)");
    auto path = std::make_shared<std::string>();
    index->add_option("database", *path, "The network database")->required();
    index->callback([path, &command] { command = [path] { return runIndex(*path); }; });
}

} // namespace pwtool
