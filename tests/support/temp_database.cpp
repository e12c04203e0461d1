#include "support/temp_database.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace pwtest {

namespace {

std::string makeTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/pathweave-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        ADD_FAILURE() << "cannot make a temporary folder from " << pattern << ": " << std::strerror(errno);
        return {};
    }
    return name.data();
}

} // namespace

TempDatabase::TempDatabase(const std::string& sql)
    : directory(makeTempFolder()), file(directory + "/network.db") {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        ADD_FAILURE() << "cannot create " << file << ": " << sqlite3_errmsg(db);
    } else {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            ADD_FAILURE() << "fixture SQL failed: " << (error ? error : "unknown error");
            sqlite3_free(error);
        }
    }
    sqlite3_close(db);
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace pwtest
