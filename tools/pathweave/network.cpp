#include "tool.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <unordered_map>

namespace pwtool {

namespace {

// Loading more journeys than this shows progress on a terminal.
constexpr std::size_t progressThreshold = 300;

std::string joinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + ("'" + names[i] + "'");
    }
    return text;
}

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

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

const std::vector<RequiredTable>& requiredTables() {
    static const std::vector<RequiredTable> tables = {
        {"cues", {"cue_id", "cue_type", "cue_arguments"}, false},
        {"journeys", {"JOURNEY_ID", "JOURNEY_TRANSITION_CUE", "LINK_TRANSITION_CUE", "CUES"}, true},
        {"Journey_links", {"JOURNEY_ID", "LINK_ID"}, false},
        {"links", {"LINK_ID", "LINKNODE_ID1", "LINKNODE_ID2"}, true},
        {"link_nodes", {"LINKNODE_ID", "POINT_ID", "CUES"}, true},
        {"attributes", {"id", "symbol", "value"}, false},
    };
    return tables;
}

bool TableShape::has(const std::string& column, bool exactName) const {
    return std::any_of(columns.begin(), columns.end(), [&](const std::string& c) {
        return exactName ? c == column : sameIgnoringCase(c, column);
    });
}

TableShape inspectTable(const Csqlite& database, const std::string& table) {
    TableShape shape;
    Csqlite::CsqliteQuerySelect exists(
        "select name from sqlite_master where type in ('table', 'view') and name = '" + quoted(table) +
            "' collate nocase;",
        database);
    shape.exists = exists.Step();
    if (!shape.exists) {
        return shape;
    }
    Csqlite::CsqliteQuerySelect probe("select * from \"" + table + "\" limit 0;", database);
    if (!probe.valid) {
        shape.readError = probe.errorMessage;
        return shape;
    }
    Csqlite::CsqliteQuerySelect columns("select name from pragma_table_info('" + quoted(table) + "');",
                                        database);
    while (columns.Step()) {
        shape.columns.push_back(columns.GetColumnAsString(0, ""));
    }
    return shape;
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
        // seqno counts from 0; a position of -1 matches no column.
        const double position = indexes.GetColumnAsDouble(1, -1.0);
        if (position == static_cast<double>(matched) && matched < columns.size() &&
            indexes.GetColumnAsString(2, "") == columns[matched]) {
            if (++matched == columns.size()) {
                return true;
            }
        }
    }
    return false;
}

std::vector<std::pair<std::string, double>> journeyIdsOnlyInJourneyLinks(const Csqlite& database) {
    std::vector<std::pair<std::string, double>> ids;
    Csqlite::CsqliteQuerySelect rows("select jl.JOURNEY_ID, count(*) from Journey_links jl "
                                     "left join journeys j on j.JOURNEY_ID = jl.JOURNEY_ID "
                                     "where j.JOURNEY_ID is null group by jl.JOURNEY_ID;",
                                     database);
    while (rows.Step()) {
        ids.emplace_back(rows.GetColumnAsString(0, ""), rows.GetColumnAsDouble(1, 0.0));
    }
    return ids;
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

// Gives up a statement over views that runs without end: one step that takes more VM
// instructions than the bound (a join over an endless view), or one run that steps through more
// (endless rows). The statements of a load over views of a real network stay far below it.
struct NetworkDatabase::Guard {
    // SQLite calls the handler every this many VM instructions.
    static constexpr int interval = 100'000;

    static int onProgress(void* self) { return static_cast<Guard*>(self)->tooLong() ? 1 : 0; }

    bool tooLong() {
        // A statement's instruction count grows when one of its steps returns; while nothing
        // grows, one step is still running.
        long long signature = 0;
        for (sqlite3_stmt* statement = sqlite3_next_stmt(connection, nullptr); statement != nullptr;
             statement = sqlite3_next_stmt(connection, statement)) {
            if (sqlite3_stmt_busy(statement) == 0) {
                continue;
            }
            const int run = sqlite3_stmt_status(statement, SQLITE_STMTSTATUS_RUN, 0);
            const auto seen = runs.find(statement);
            if (seen == runs.end() || seen->second != run) {
                // The count is kept from run to run: start it again with this run.
                runs[statement] = run;
                sqlite3_stmt_status(statement, SQLITE_STMTSTATUS_VM_STEP, 1);
            }
            const int steps = sqlite3_stmt_status(statement, SQLITE_STMTSTATUS_VM_STEP, 0);
            signature += static_cast<long long>(steps) + run;
            if (steps > runawayBound) {
                gaveUp = true;
            }
        }
        stalledCalls = signature == lastSignature ? stalledCalls + 1 : 0;
        lastSignature = signature;
        gaveUp = gaveUp || static_cast<long long>(stalledCalls) * interval > runawayBound;
        return gaveUp;
    }

    sqlite3* connection = nullptr;
    std::unordered_map<sqlite3_stmt*, int> runs;
    long long lastSignature = -1;
    std::size_t stalledCalls = 0;
    bool gaveUp = false;
};

NetworkDatabase::NetworkDatabase(const std::string& path)
    : filename(path), database(std::make_unique<Csqlite>(path)), guard(std::make_unique<Guard>()) {
    if (!database->valid) {
        throw ToolError(BadDatabase, database->errorMessage);
    }
    // Tables end; only views can recurse for ever.
    Csqlite::CsqliteQuerySelect views(
        "select name from sqlite_master where type = 'view' and lower(name) in "
        "('cues', 'journeys', 'journey_links', 'links', 'link_nodes', 'attributes');",
        *database);
    if (views.Step()) {
        guard->connection = database->handle();
        sqlite3_progress_handler(guard->connection, Guard::interval, &Guard::onProgress, guard.get());
    }
    for (const RequiredTable& table : requiredTables()) {
        if (inspectTable(*database, table.name).exists) {
            return;
        }
    }
    throw ToolError(BadDatabase, "not a network database '" + path +
                                     "': it has none of the tables cues, journeys, Journey_links, links, "
                                     "link_nodes and attributes");
}

NetworkDatabase::~NetworkDatabase() {
    // The connection goes before the guard it calls.
    database.reset();
}

void NetworkDatabase::requireNetwork() const {
    std::vector<std::string> missingTables;
    std::vector<std::string> problems;
    for (const RequiredTable& table : requiredTables()) {
        const TableShape shape = inspectTable(*database, table.name);
        if (!shape.exists) {
            missingTables.push_back(table.name);
            continue;
        }
        if (!shape.readError.empty()) {
            problems.push_back("table '" + std::string(table.name) + "' cannot be read (" + shape.readError +
                               ")");
            continue;
        }
        std::vector<std::string> missingColumns;
        for (const std::string& column : table.columns) {
            if (!shape.has(column, table.exactNames)) {
                missingColumns.push_back(column);
            }
        }
        if (!missingColumns.empty()) {
            problems.push_back("table '" + std::string(table.name) + "' has no column" +
                               (missingColumns.size() == 1 ? " " : "s ") + joinedNames(missingColumns));
        }
    }
    if (!missingTables.empty()) {
        problems.insert(problems.begin(), (missingTables.size() == 1 ? "table " : "tables ") +
                                              joinedNames(missingTables) +
                                              (missingTables.size() == 1 ? " is missing" : " are missing"));
    }
    requireFinished();
    if (!problems.empty()) {
        std::string why;
        for (const std::string& problem : problems) {
            why += (why.empty() ? "" : "; ") + problem;
        }
        throw ToolError(BadDatabase, "cannot read the network in '" + filename + "': " + why +
                                         " ('pathweave check' tells more)");
    }
}

void NetworkDatabase::requireFinished() const {
    if (guard->gaveUp) {
        throw ToolError(BadDatabase, "cannot read the network in '" + filename +
                                         "': the database's views do not terminate (a statement ran over " +
                                         std::to_string(runawayBound) +
                                         " SQLite instructions and was given up)");
    }
}

void NetworkDatabase::noJourney(const std::string& journeyId) const {
    throw ToolError(Failed, "no journey '" + journeyId + "' in database '" + filename + "'");
}

void loadNetwork(NetworkDatabase& database, const std::string& nonJourneyPointsId,
                 const std::string& journeyId, Network& network) {
    database.requireNetwork();
    const auto start = std::chrono::steady_clock::now();
    {
        // One read transaction for the whole load: the database's file lock is taken once.
        const Csqlite::ReadTransaction transaction(database.csqlite());
        pw::CPersist reader(&database.csqlite());
        reader.ReadCCueCollection(&network.cues);
        reader.ReadCJourneyCollection(&network.journeys, network.cues, nonJourneyPointsId, journeyId);

        const auto first = firstOrdinaryJourney(network.journeys);
        const auto count = static_cast<std::size_t>(network.journeys.journeys.end() - first);
        const bool showProgress =
            count > progressThreshold && !programOptions.quiet && isatty(STDERR_FILENO) == 1;
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
    }
    network.loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    database.requireFinished();
    if (!journeyId.empty() && network.journeys.find(journeyId) == network.journeys.journeys.end()) {
        database.noJourney(journeyId);
    }
}

const char* cueTypeName(uint32_t type) {
    switch (type) {
    case pw::CCue::EnterTransition:
        return "ENTER_TRANSITION";
    case pw::CCue::ExitTransition:
        return "EXIT_TRANSITION";
    case pw::CCue::Simple:
        return "SIMPLE";
    case pw::CCue::Global:
        return "GLOBAL";
    case pw::CCue::JourneyEntryTransition:
        return "JOURNEY_ENTRY_TRANSITION";
    case pw::CCue::JourneyExitTransition:
        return "JOURNEY_EXIT_TRANSITION";
    case pw::CCue::LinkEntryTransition:
        return "LINK_ENTRY_TRANSITION";
    case pw::CCue::LinkExitTransition:
        return "LINK_EXIT_TRANSITION";
    default:
        return "unknown type";
    }
}

const char* orderName(pw::CJourney::JourneyOrder order) {
    switch (order) {
    case pw::CJourney::Circular:
        return "Circular";
    case pw::CJourney::Random:
        return "Random";
    default:
        return "Standard";
    }
}

} // namespace pwtool
