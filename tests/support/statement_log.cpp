#include "support/statement_log.h"

#include <sqlite3.h>

namespace pwtest {

namespace {

int record(unsigned, void* context, void*, void* sql) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(static_cast<const char*>(sql));
    return 0;
}

} // namespace

StatementLog::StatementLog(sqlite3* db) : connection(db) {
    sqlite3_trace_v2(connection, SQLITE_TRACE_STMT, record, &recorded);
}

StatementLog::~StatementLog() { sqlite3_trace_v2(connection, 0, nullptr, nullptr); }

} // namespace pwtest
