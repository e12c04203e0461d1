// Makes the example feed seeds of the fuzz target that reads feeds, at build time rather than kept
// in the repository: the feed folder zipped, and its files as one text with a line
// "== <file name>" before each.
//
//   make_gtfs_seed OUTPUT_FOLDER FEED_FOLDER        writes example.zip and example.txt there

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_gtfs_seed OUTPUT_FOLDER FEED_FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::string zipPath = (folder / "example.zip").string();
    int error = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    std::ofstream text(folder / "example.txt", std::ios::binary);
    if (archive == nullptr || !text) {
        std::cerr << "make_gtfs_seed: cannot write into " << folder.string() << '\n';
        return 1;
    }
    for (const auto& entry : std::filesystem::directory_iterator(argv[2])) {
        const std::string path = entry.path().string();
        text << "== " << entry.path().filename().string() << '\n'
             << std::ifstream(path, std::ios::binary).rdbuf();
        zip_source_t* source = zip_source_file(archive, path.c_str(), 0, -1);
        if (source == nullptr || zip_file_add(archive, entry.path().filename().c_str(), source, 0) < 0) {
            zip_source_free(source);
            std::cerr << "make_gtfs_seed: cannot add " << path << ": " << zip_strerror(archive) << '\n';
            zip_discard(archive);
            return 1;
        }
    }
    if (zip_close(archive) != 0) {
        std::cerr << "make_gtfs_seed: cannot write " << zipPath << '\n';
        return 1;
    }
    return 0;
}
