// Zips a feed folder, for the fuzz target that reads feeds: binary seeds are made at build time
// rather than kept in the repository.
//
//   make_gtfs_seed OUTPUT.zip FEED_FOLDER

#include <zip.h>

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_gtfs_seed OUTPUT.zip FEED_FOLDER\n";
        return 2;
    }
    std::filesystem::create_directories(std::filesystem::path(argv[1]).parent_path());
    int error = 0;
    zip_t* archive = zip_open(argv[1], ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        std::cerr << "make_gtfs_seed: cannot make " << argv[1] << '\n';
        return 1;
    }
    for (const auto& entry : std::filesystem::directory_iterator(argv[2])) {
        const std::string path = entry.path().string();
        zip_source_t* source = zip_source_file(archive, path.c_str(), 0, -1);
        if (source == nullptr || zip_file_add(archive, entry.path().filename().c_str(), source, 0) < 0) {
            zip_source_free(source);
            std::cerr << "make_gtfs_seed: cannot add " << path << ": " << zip_strerror(archive) << '\n';
            zip_discard(archive);
            return 1;
        }
    }
    if (zip_close(archive) != 0) {
        std::cerr << "make_gtfs_seed: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
