#pragma once

#include <string>
#include <vector>

struct sqlite3;

namespace pwtest {

/// Records the text of every statement that a connection runs while the log lives.
class StatementLog {
public:
    explicit StatementLog(sqlite3* connection);
    ~StatementLog();

    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;

    const std::vector<std::string>& statements() const { return recorded; }
    void clear() { recorded.clear(); }

private:
    sqlite3* connection;
    std::vector<std::string> recorded;
};

} // namespace pwtest
