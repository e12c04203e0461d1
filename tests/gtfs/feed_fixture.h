#pragma once

// The example feed copied into a temporary folder, with some files replaced or removed, imported from
// there, and the database read back.

#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/gtfs/import.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

namespace pwtest {

inline std::string example(const std::string& name) { return readFile(PATHWEAVE_EXAMPLE_FEED "/" + name); }

/// The values of the first column of the rows that `sql` selects from `database`.
inline std::vector<std::string> rows(const std::string& database, const std::string& sql) {
    const Csqlite db(database);
    Csqlite::CsqliteQuerySelect cursor(sql, db);
    EXPECT_TRUE(cursor.valid) << cursor.errorMessage;
    std::vector<std::string> result;
    while (cursor.Step()) {
        result.push_back(cursor.GetColumnAsString(0, "NULL"));
    }
    return result;
}

/// The findings of a report as "code:count" in report order, then the place of the first example.
inline std::string findings(const pw::gtfs::Report& report) {
    std::string text, first;
    for (const auto* group : report.findings.ordered()) {
        text += std::string(group->kind->code) + ":" + std::to_string(group->count) + " ";
        first = first.empty()
                    ? "at " + group->examples[0].file + ":" + std::to_string(group->examples[0].line)
                    : first;
    }
    return text + first;
}

struct FeedFixture {
    /// Each replacement is a file name and its new text; no text removes the file.
    explicit FeedFixture(const std::map<std::string, std::optional<std::string>>& replacements = {}) {
        std::filesystem::remove(database);
        std::filesystem::copy(PATHWEAVE_EXAMPLE_FEED, feed);
        for (const auto& [name, text] : replacements) {
            std::filesystem::remove(feed + "/" + name);
            if (text) {
                std::ofstream(feed + "/" + name, std::ios::binary) << *text;
            }
        }
    }

    /// Imports the feed with `options`, whose database (and feed, unless given) are filled in.
    pw::gtfs::Report import(pw::gtfs::Options options = {}) const {
        options.feed = options.feed.empty() ? feed : options.feed;
        options.database = database;
        return pw::gtfs::importFeed(options);
    }

    const TempDatabase scratch{""};
    const std::string feed = scratch.folder() + "/feed";
    const std::string database = scratch.path();
};

} // namespace pwtest
