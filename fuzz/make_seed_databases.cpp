// Turns SQL seeds into database files, for the fuzz target that reads database files: binary
// seeds are made at build time rather than kept in the repository.
//
//   make_seed_databases OUTPUT_FOLDER SQL_FILE...
//
// Each SQL_FILE becomes OUTPUT_FOLDER/<its name without extension>.db, made as the SQL fuzz target
// makes its databases, with a small page size so that the seeds stay small.

#include "fuzz_network.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_seed_databases OUTPUT_FOLDER SQL_FILE...\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::cerr << "make_seed_databases: cannot read " << argv[i] << '\n';
            return 1;
        }
        const std::string sql((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::filesystem::path output = folder / std::filesystem::path(argv[i]).stem().concat(".db");
        std::filesystem::remove(output);
        pwfuzz::makeDatabase(output.string(), "PRAGMA page_size = 512;\n" + sql);
        if (!std::filesystem::exists(output)) {
            std::cerr << "make_seed_databases: no database made from " << argv[i] << '\n';
            return 1;
        }
    }
    return 0;
}
