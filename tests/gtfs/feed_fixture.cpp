#include "feed_fixture.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace pwtest {

FeedFixture::FeedFixture(const std::map<std::string, std::optional<std::string>>& replacements)
    : feedFolder(scratch.folder() + "/feed") {
    std::filesystem::remove(database());
    std::filesystem::copy(PATHWEAVE_EXAMPLE_FEED, feedFolder);
    for (const auto& [name, text] : replacements) {
        if (text) {
            std::ofstream(feedFolder + "/" + name, std::ios::binary) << *text;
        } else {
            std::filesystem::remove(feedFolder + "/" + name);
        }
    }
}

pw::gtfs::Report FeedFixture::import(pw::gtfs::Options options) const {
    options.feed = options.feed.empty() ? feedFolder : options.feed;
    options.database = database();
    return pw::gtfs::importFeed(options);
}

std::vector<std::string> FeedFixture::tableRows() const {
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    sqlite3_open_v2(database().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (const char* table : {"cues", "journeys", "Journey_links", "links", "link_nodes", "attributes"}) {
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(
            sqlite3_prepare_v2(db, (std::string("SELECT * FROM ") + table).c_str(), -1, &statement, nullptr),
            SQLITE_OK);
        std::vector<std::string> ofTable;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row = table;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const unsigned char* text = sqlite3_column_text(statement, i);
                row += "|" + std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "NULL");
            }
            ofTable.push_back(row);
        }
        sqlite3_finalize(statement);
        std::sort(ofTable.begin(), ofTable.end());
        rows.insert(rows.end(), ofTable.begin(), ofTable.end());
    }
    sqlite3_close(db);
    return rows;
}

std::vector<std::string> findingCounts(const pw::gtfs::Report& report) {
    std::vector<std::string> counts;
    for (const auto* group : report.findings.ordered()) {
        counts.push_back(std::string(group->kind->code) + ":" + std::to_string(group->count));
    }
    return counts;
}

} // namespace pwtest
