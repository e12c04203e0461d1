#include "check_schema.h"

#include "tool.h"

#include <algorithm>

namespace pwtool::check {

using Row = Csqlite::CsqliteQuerySelect;

bool forEachRow(const Csqlite& database, const std::string& sql, const std::string& purpose,
                Findings& findings, const std::function<void(Row&)>& onRow) {
    Row rows(sql, database);
    if (!rows.valid) {
        findings.add("statement-failed", purpose + ": " + rows.errorMessage);
        return false;
    }
    while (rows.Step()) {
        onRow(rows);
    }
    if (!rows.errorMessage.empty()) {
        findings.add("statement-failed", purpose + ": " + rows.errorMessage);
        return false;
    }
    return true;
}

std::string columnText(Row& row, int column) { return row.GetColumnAsString(column, ""); }

Schema Schema::inspect(const Csqlite& database, Findings& findings) {
    Schema schema;
    for (const RequiredTable& table : requiredTables()) {
        const std::string name = table.name;
        const TableShape shape = inspectTable(database, name);
        if (!shape.exists) {
            findings.add("missing-table", name);
            continue;
        }
        if (!shape.readError.empty()) {
            findings.add("statement-failed", "reading table " + name + ": " + shape.readError);
            continue;
        }
        bool complete = true;
        for (const std::string& column : table.columns) {
            if (shape.has(column, table.exactNames)) {
                continue;
            }
            complete = false;
            std::string example = name + '.' + column;
            const auto near =
                std::find_if(shape.columns.begin(), shape.columns.end(),
                             [&column](const std::string& c) { return sameIgnoringCase(c, column); });
            if (near != shape.columns.end()) {
                example +=
                    " (the table has " + shown(*near) + ", but the name must match exactly, case included)";
            }
            findings.add("missing-column", example);
        }
        if (complete) {
            schema.usableTables.insert(name);
        }
        if (name == "journeys") {
            schema.hasSelectable = shape.has("SELECTABLE", true);
        } else if (name == "link_nodes") {
            schema.hasBoxColumns = true;
            for (const char* column : {"BBLATMIN", "BBLATMAX", "BBLONGMIN", "BBLONGMAX"}) {
                if (!shape.has(column, true)) {
                    schema.hasBoxColumns = false;
                    findings.add("missing-box-columns", "link_nodes." + std::string(column));
                }
            }
        }
    }
    return schema;
}

void checkIntegrity(const Csqlite& database, Findings& findings) {
    std::vector<std::string> problems;
    forEachRow(database, "PRAGMA quick_check;", "PRAGMA quick_check", findings,
               [&problems](Row& row) { problems.push_back(columnText(row, 0)); });
    if (problems.size() == 1 && problems.front() == "ok") {
        return;
    }
    for (const std::string& problem : problems) {
        findings.add("quick-check-failed", problem);
    }
}

void checkIndexes(const Csqlite& database, const Schema& schema, Findings& findings) {
    for (const RecommendedIndex& index : recommendedIndexes()) {
        if (!schema.usable(index.table) || hasIndexOn(database, index.table, index.columns)) {
            continue;
        }
        double rows = 0.0;
        forEachRow(database, "select count(*) from " + index.table + ";",
                   "counting the rows of " + index.table, findings,
                   [&rows](Row& row) { rows = row.GetColumnAsDouble(0, 0.0); });
        std::string columns;
        for (const std::string& column : index.columns) {
            columns += (columns.empty() ? "" : ", ") + column;
        }
        findings.add("missing-index", index.table + '(' + columns + "), " + formatNumber(rows) + " rows",
                     rows >= largeTableRows ? Severity::Warning : Severity::Info);
    }
}

JourneyLinks readJourneyLinks(const Csqlite& database, Findings& findings) {
    JourneyLinks links;
    forEachRow(database,
               "select jl.JOURNEY_ID, ln1.LINKNODE_ID, ln2.LINKNODE_ID from Journey_links jl "
               "inner join links lk on jl.LINK_ID = lk.LINK_ID "
               "inner join link_nodes ln1 on ln1.LINKNODE_ID = lk.LINKNODE_ID1 "
               "inner join link_nodes ln2 on ln2.LINKNODE_ID = lk.LINKNODE_ID2;",
               "reading the links of every journey", findings, [&links](Row& row) {
                   std::string from = columnText(row, 1);
                   std::string to = columnText(row, 2);
                   if (from != to) {
                       links[columnText(row, 0)].emplace_back(std::move(from), std::move(to));
                   }
               });
    return links;
}

std::vector<std::string> unlistedJourneyIds(const Csqlite& database, const Schema& schema,
                                            Findings& findings) {
    std::vector<std::string> ids;
    if (schema.usable("journeys") && schema.hasSelectable) {
        // The journey list takes the rows for which SELECTABLE=1 holds; these are the others.
        forEachRow(database, "select distinct JOURNEY_ID from journeys where coalesce(SELECTABLE=1, 0) = 0;",
                   "listing the journeys that are not selectable", findings,
                   [&ids](Row& row) { ids.push_back(columnText(row, 0)); });
    }
    return ids;
}

std::string whyWithoutLinks(const Csqlite& database, const std::string& journeyId) {
    Row rows("select count(*) from Journey_links where JOURNEY_ID = '" + quoted(journeyId) + "';", database);
    const std::string count = rows.Step() ? rows.GetColumnAsString(0, "0") : "0";
    if (count == "0") {
        return "no row of Journey_links names it";
    }
    if (count == "1") {
        return "its one row of Journey_links gives no link that can be read";
    }
    return "none of its " + count + " rows of Journey_links gives a link that can be read";
}

} // namespace pwtool::check
