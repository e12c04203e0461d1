#include "tool.h"

#include <unistd.h>

#include <chrono>
#include <iostream>

namespace pwtool {

namespace {

// Loading more journeys than this shows progress on a terminal.
constexpr std::size_t progressThreshold = 300;

} // namespace

std::string quoted(const std::string& text) {
    std::string result;
    for (const char ch : text) {
        result += ch;
        if (ch == '\'') {
            result += '\'';
        }
    }
    return result;
}

bool hasTable(const Csqlite& database, const std::string& table) {
    Csqlite::CsqliteQuerySelect rows(
        "select name from sqlite_master where type = 'table' and name = '" + quoted(table) + "';", database);
    return rows.Step();
}

bool hasIndexOn(const Csqlite& database, const std::string& table, const std::vector<std::string>& columns) {
    Csqlite::CsqliteQuerySelect indexes("select il.name, ii.seqno, ii.name from pragma_index_list('" +
                                            quoted(table) +
                                            "') il, pragma_index_info(il.name) ii "
                                            "order by il.name, ii.seqno;",
                                        database);
    std::string index;
    std::size_t matched = 0;
    while (indexes.Step()) {
        const std::string name = indexes.GetColumnAsString(0, "");
        if (name != index) {
            index = name;
            matched = 0;
        }
        const auto position = static_cast<std::size_t>(indexes.GetColumnAsDouble(1, -1.0));
        if (position == matched && matched < columns.size() &&
            indexes.GetColumnAsString(2, "") == columns[matched]) {
            if (++matched == columns.size()) {
                return true;
            }
        }
    }
    return false;
}

const std::vector<RecommendedIndex>& recommendedIndexes() {
    static const std::vector<RecommendedIndex> indexes = {
        {"attributes",
         {"id", "symbol"},
         "CREATE INDEX IF NOT EXISTS attributes_id_symbol ON attributes(id, symbol);"},
        {"Journey_links",
         {"JOURNEY_ID"},
         "CREATE INDEX IF NOT EXISTS Journey_links_JOURNEY_ID ON Journey_links(JOURNEY_ID);"},
    };
    return indexes;
}

std::unique_ptr<Csqlite> openNetworkDatabase(const std::string& path) {
    auto database = std::make_unique<Csqlite>(path);
    if (!database->valid) {
        throw ToolError(BadDatabase, database->errorMessage);
    }
    for (const char* table : {"cues", "journeys", "Journey_links", "links", "link_nodes", "attributes"}) {
        if (hasTable(*database, table)) {
            return database;
        }
    }
    throw ToolError(BadDatabase, "not a network database '" + path +
                                     "': it has none of the tables cues, journeys, Journey_links, links, "
                                     "link_nodes and attributes");
}

void loadNetwork(Csqlite& database, const std::string& nonJourneyPointsId, const std::string& journeyId,
                 Network& network) {
    const auto start = std::chrono::steady_clock::now();
    // One read transaction for the whole load: the database's file lock is taken once.
    const Csqlite::ReadTransaction transaction(database);
    pw::CPersist reader(&database);
    reader.ReadCCueCollection(&network.cues);
    reader.ReadCJourneyCollection(&network.journeys, network.cues, nonJourneyPointsId, journeyId);

    const auto first = firstOrdinaryJourney(network.journeys);
    const auto count = static_cast<std::size_t>(network.journeys.journeys.end() - first);
    const bool showProgress = count > progressThreshold && isatty(STDERR_FILENO) == 1;
    std::size_t done = 0;
    for (auto journey = first; journey != network.journeys.journeys.end(); ++journey) {
        reader.ReadCJourney(&*journey, network.cues);
        if (showProgress && (++done % 50 == 0 || done == count)) {
            std::cerr << "\rloading journeys: " << done << " of " << count << std::flush;
        }
    }
    if (showProgress) {
        std::cerr << '\n';
    }
    network.loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace pwtool
