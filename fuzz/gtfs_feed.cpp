// Fuzz target: the GTFS importer's feed reader, zip and CSV, and the database it writes. An input
// that starts like a zip ("PK\3\4") is read as a zip feed; any other input is the files of a feed
// as text, each introduced by a line "== <file name>". A feed that imports is then loaded as a host
// loads a network, with the library's promises checked.

#include "build.h"
#include "feed.h"
#include "fuzz_network.h"
#include "import_error.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// The files of a feed held as texts.
class TextFeed : public pw::gtfs::Feed {
public:
    explicit TextFeed(const std::string& input) {
        std::string* file = nullptr;
        for (std::size_t start = 0; start < input.size();) {
            const std::size_t end = std::min(input.find('\n', start), input.size());
            const std::string line = input.substr(start, end - start);
            if (line.rfind("== ", 0) == 0) {
                file = &files[line.substr(3)];
            } else if (file != nullptr) {
                *file += input.substr(start, end + 1 - start);
            }
            start = end + 1;
        }
    }

    bool has(const std::string& name) const override { return files.count(name) != 0; }

    std::unique_ptr<pw::gtfs::FeedFile> openFile(const std::string& name) override {
        return std::make_unique<Text>(files.at(name));
    }

private:
    // Hands out its text in pieces of a few bytes, so that rows and fields straddle them.
    class Text : public pw::gtfs::FeedFile {
    public:
        explicit Text(const std::string& content) : text(content) {}
        std::size_t read(char* buffer, std::size_t size) override {
            const std::size_t piece = std::min({size, text.size() - at, std::size_t{7}});
            std::memcpy(buffer, text.data() + at, piece);
            at += piece;
            return piece;
        }
        uint64_t size() const override { return text.size(); }

    private:
        const std::string& text;
        std::size_t at = 0;
    };

    std::map<std::string, std::string> files;
};

std::unique_ptr<pw::gtfs::Feed> feedOf(const uint8_t* data, std::size_t size) {
    if (size >= 4 && std::memcmp(data, "PK\3\4", 4) == 0) {
        return pw::gtfs::Feed::openZipBuffer(data, size);
    }
    return std::make_unique<TextFeed>(std::string(reinterpret_cast<const char*>(data), size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::unique_ptr<pw::gtfs::Feed> feed;
    try {
        feed = feedOf(data, size);
    } catch (const pw::gtfs::ImportError&) {
        return 0;
    }
    pw::gtfs::Options options;
    options.nonJourneyPointsId = "NJP";
    pwfuzz::removeDatabase();
    sqlite3* database = nullptr;
    pwfuzz::check(sqlite3_open(pwfuzz::databasePath().c_str(), &database) == SQLITE_OK,
                  "cannot make the database");
    const pw::gtfs::Report report = pw::gtfs::importInto(*feed, options, database);
    sqlite3_close(database);
    const uint64_t errors = report.findings.count(pw::gtfs::Severity::Error);
    pwfuzz::check(report.succeeded() ? errors == 0 : errors == 1,
                  "a failed import did not report its one error, or a good one reported one");
    if (report.succeeded()) {
        pwfuzz::check(report.summary.journeys > 0 && report.summary.links >= report.summary.journeys,
                      "an import succeeded without a journey of at least one link");
        pwfuzz::loadLikeAHost(pwfuzz::databasePath());
    }
    return 0;
}
