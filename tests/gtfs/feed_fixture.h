#pragma once

#include "support/temp_database.h"

#include <pathweave/gtfs/import.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pwtest {

/// The example feed copied into a temporary folder, with some files replaced or removed, and
/// imported from there into `database()`.
class FeedFixture {
public:
    /// Each replacement is a file name and its new text; no text removes the file.
    explicit FeedFixture(const std::map<std::string, std::optional<std::string>>& replacements = {});

    const std::string& feed() const { return feedFolder; }
    std::string database() const { return scratch.folder() + "/network.db"; }

    /// Imports the feed with `options`, whose feed and database are filled in.
    pw::gtfs::Report import(pw::gtfs::Options options = {}) const;

    /// Every row of the database's six tables as text, sorted within each table.
    std::vector<std::string> tableRows() const;

private:
    TempDatabase scratch{""};
    std::string feedFolder;
};

/// The finding codes of a report with their counts, as "code:count", in report order.
std::vector<std::string> findingCounts(const pw::gtfs::Report& report);

} // namespace pwtest
