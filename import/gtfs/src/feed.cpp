#include "feed.h"

#include "import_error.h"

#include <sys/stat.h>
#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace pw::gtfs {

namespace {

class ZipEntry : public FeedFile {
public:
    ZipEntry(zip_file_t* opened, std::string entryName, uint64_t entrySize)
        : file(opened), name(std::move(entryName)), bytes(entrySize) {}
    ~ZipEntry() override { zip_fclose(file); }

    // Owns the libzip handle.
    ZipEntry(const ZipEntry&) = delete;
    ZipEntry& operator=(const ZipEntry&) = delete;

    std::size_t read(char* buffer, std::size_t size) override {
        const zip_int64_t got = zip_fread(file, buffer, size);
        if (got < 0) {
            throw ImportError("cannot-read-feed", name, 0,
                              "cannot read " + name + " from the zip: " + lowerCase(zip_file_strerror(file)));
        }
        return static_cast<std::size_t>(got);
    }

    uint64_t size() const override { return bytes; }

private:
    zip_file_t* file;
    std::string name;
    uint64_t bytes;
};

class ZipFeed : public Feed {
public:
    explicit ZipFeed(zip_t* opened) : archive(opened) {
        // Files at the top, or else in exactly one folder; macOS's resource forks are not files.
        std::map<std::string, std::map<std::string, zip_uint64_t>> byFolder;
        const zip_int64_t count = zip_get_num_entries(archive, 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* entry = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
            const std::string path = entry != nullptr ? entry : "";
            const auto slash = path.rfind('/');
            const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
            const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
            if (name.size() > 4 && path.compare(path.size() - 4, 4, ".txt") == 0 &&
                path.rfind("__MACOSX/", 0) != 0) {
                byFolder[folder].emplace(name, static_cast<zip_uint64_t>(i));
            }
        }
        if (byFolder.count("") != 0) {
            files = byFolder[""];
        } else if (byFolder.size() == 1) {
            files = byFolder.begin()->second;
        } else if (byFolder.size() > 1) {
            zip_discard(archive);
            throw ImportError("cannot-read-feed", "", 0,
                              "the feed's zip has .txt files in several folders and none at its top");
        }
    }
    ~ZipFeed() override { zip_discard(archive); }

    // Owns the libzip handle.
    ZipFeed(const ZipFeed&) = delete;
    ZipFeed& operator=(const ZipFeed&) = delete;

    bool has(const std::string& name) const override { return files.count(name) != 0; }

    std::unique_ptr<FeedFile> openFile(const std::string& name) override {
        const zip_uint64_t index = files.at(name);
        zip_stat_t status;
        zip_stat_init(&status);
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        if (file == nullptr || zip_stat_index(archive, index, 0, &status) != 0) {
            const std::string why = lowerCase(zip_strerror(archive));
            if (file != nullptr) {
                zip_fclose(file);
            }
            throw ImportError("cannot-read-feed", name, 0, "cannot read " + name + " from the zip: " + why);
        }
        return std::make_unique<ZipEntry>(file, name, (status.valid & ZIP_STAT_SIZE) != 0 ? status.size : 0);
    }

private:
    zip_t* archive;
    std::map<std::string, zip_uint64_t> files;
};

class PlainFile : public FeedFile {
public:
    PlainFile(std::FILE* opened, std::string fileName, uint64_t fileSize)
        : file(opened), name(std::move(fileName)), bytes(fileSize) {}
    ~PlainFile() override { std::fclose(file); }

    // Owns the stream.
    PlainFile(const PlainFile&) = delete;
    PlainFile& operator=(const PlainFile&) = delete;

    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t got = std::fread(buffer, 1, size, file);
        if (got == 0 && std::ferror(file)) {
            throw ImportError("cannot-read-feed", name, 0, "cannot read " + name + ": " + errnoText(errno));
        }
        return got;
    }

    uint64_t size() const override { return bytes; }

private:
    std::FILE* file;
    std::string name; // within the feed
    uint64_t bytes;
};

class DirectoryFeed : public Feed {
public:
    explicit DirectoryFeed(std::string path) : directory(std::move(path)) {}

    bool has(const std::string& name) const override {
        struct stat status {};
        return stat((directory + "/" + name).c_str(), &status) == 0 && S_ISREG(status.st_mode);
    }

    std::unique_ptr<FeedFile> openFile(const std::string& name) override {
        const std::string path = directory + "/" + name;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        struct stat status {};
        if (file == nullptr || fstat(fileno(file), &status) != 0) {
            const std::string why = errnoText(errno);
            if (file != nullptr) {
                std::fclose(file);
            }
            throw ImportError("cannot-read-feed", name, 0, "cannot read " + name + ": " + why);
        }
        return std::make_unique<PlainFile>(file, name, static_cast<uint64_t>(status.st_size));
    }

private:
    std::string directory;
};

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const std::string text = lowerCase(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

std::unique_ptr<Feed> Feed::open(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        throw ImportError("cannot-read-feed", "", 0, "cannot open the feed: " + errnoText(errno));
    }
    if (S_ISDIR(status.st_mode)) {
        return std::make_unique<DirectoryFeed>(path);
    }
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        throw ImportError("cannot-read-feed", "", 0,
                          "cannot open the feed as a zip or a directory: " + zipErrorText(code));
    }
    return std::make_unique<ZipFeed>(archive);
}

std::unique_ptr<Feed> Feed::openZipBuffer(const void* data, std::size_t size) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    zip_t* archive = source != nullptr ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (archive == nullptr) {
        zip_source_free(source);
        const std::string why = lowerCase(zip_error_strerror(&error));
        zip_error_fini(&error);
        throw ImportError("cannot-read-feed", "", 0, "cannot open the feed as a zip: " + why);
    }
    zip_error_fini(&error);
    return std::make_unique<ZipFeed>(archive);
}

} // namespace pw::gtfs
