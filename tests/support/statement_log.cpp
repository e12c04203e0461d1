#include "support/statement_log.h"

#include <sqlite3.h>

namespace pwtest {

namespace {

// Records the statement with its bound parameters written in as literals: the text a reader asked for.
int record(unsigned, void* context, void* statement, void*) {
    char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
    static_cast<std::vector<std::string>*>(context)->emplace_back(sql != nullptr ? sql : "");
    sqlite3_free(sql);
    return 0;
}

} // namespace

StatementLog::StatementLog(sqlite3* db) : connection(db) {
    sqlite3_trace_v2(connection, SQLITE_TRACE_STMT, record, &recorded);
}

StatementLog::~StatementLog() { sqlite3_trace_v2(connection, 0, nullptr, nullptr); }

} // namespace pwtest
