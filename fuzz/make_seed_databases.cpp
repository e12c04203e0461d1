// make_seed_databases OUTPUT_FOLDER SQL_FILE...: each SQL seed becomes OUTPUT_FOLDER/<its stem>.db,
// made as the SQL target makes its databases, with small pages so that the seeds stay small. The
// target that reads database files takes them as seeds; binary files are not kept in the repository.

#include "fuzz_network.h"

#include <filesystem>
#include <fstream>
#include <sstream>

int main(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        std::ostringstream sql;
        sql << "PRAGMA page_size = 512;\n" << std::ifstream(argv[i]).rdbuf();
        const std::filesystem::path output =
            std::filesystem::path(argv[1]) / std::filesystem::path(argv[i]).stem();
        std::filesystem::create_directories(argv[1]);
        std::filesystem::remove(output.string() + ".db");
        pwfuzz::makeDatabase(output.string() + ".db", sql.str());
        if (!std::filesystem::exists(output.string() + ".db")) {
            return 1;
        }
    }
    return argc < 3 ? 2 : 0;
}
