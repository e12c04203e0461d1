#include "support/temp_database.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pwtest {

namespace {

std::string makeTempFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "pathweave-test-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder " << name;
    }
    return name;
}

} // namespace

TempDatabase::TempDatabase(const std::string& sql)
    : directory(makeTempFolder()), file(directory + "/network.db") {
    sqlite3* db = nullptr;
    char* error = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        ADD_FAILURE() << "fixture SQL failed: " << (error ? error : sqlite3_errmsg(db));
    }
    sqlite3_free(error);
    sqlite3_close(db);
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

std::string readFile(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

} // namespace pwtest
