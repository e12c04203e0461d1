#include "build.h"
#include "database_writer.h"
#include "feed_tables.h"
#include "import_error.h"
#include "progress.h"

#include <pathweave/gtfs/import.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace pw::gtfs {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Flushes a file or a folder to the disk; the rename below is only as safe as what it renames.
bool synced(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY);
    const bool done = descriptor >= 0 && fsync(descriptor) == 0;
    if (descriptor >= 0) {
        ::close(descriptor);
    }
    return done;
}

// A new empty file beside the database, removed when the import does not succeed.
class TemporaryDatabase {
public:
    explicit TemporaryDatabase(const std::string& database) {
        const auto slash = database.rfind('/');
        std::string pattern = folderOf(database) + "/." +
                              (slash == std::string::npos ? database : database.substr(slash + 1)) +
                              ".import-XXXXXX";
        const int descriptor = mkstemp(pattern.data());
        if (descriptor < 0) {
            throw ImportError("", "", 0, "cannot write '" + database + "': " + errnoText(errno));
        }
        ::close(descriptor);
        path = pattern;
    }
    ~TemporaryDatabase() {
        if (!kept) {
            std::remove(path.c_str());
        }
    }

    // Owns the file.
    TemporaryDatabase(const TemporaryDatabase&) = delete;
    TemporaryDatabase& operator=(const TemporaryDatabase&) = delete;

    std::string path;
    bool kept = false;
};

class Connection {
public:
    explicit Connection(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            const std::string why = lowerCase(sqlite3_errmsg(handle));
            sqlite3_close(handle);
            throw ImportError("", "", 0, "cannot open '" + path + "': " + why);
        }
    }
    ~Connection() { sqlite3_close(handle); }

    // Owns the connection.
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle = nullptr;
};

void checkOptions(const Options& options) {
    if (!(options.fenceRadius > 0.0) || !std::isfinite(options.fenceRadius)) {
        throw ImportError("", "", 0, "the fence radius must be a positive number of metres");
    }
    if (options.nonJourneyPointsId.empty()) {
        throw ImportError("", "", 0, "the non-journey points id must not be empty");
    }
}

void fail(Report& report, const ImportError& error) {
    if (!error.code.empty()) {
        report.findings.add(error.code, error.file, error.line, error.what());
    }
    report.failure = error.what();
}

} // namespace

void buildNetwork(Feed& feed, const Options& options, Report& report, BuiltNetwork& network) {
    checkOptions(options);
    readFeedTables(feed, options, network.data, report.findings);
    Patterns patterns = readPatterns(feed, network.data, report.findings, options.progress);
    network.patterns = std::move(patterns.patterns);
    report.summary.stopTimesRows = patterns.rows;
    report.summary.stopTimesGrouped = patterns.grouped;
    report.summary.tripsRead = network.data.trips.size();
    for (const Trip& trip : network.data.trips) {
        report.summary.tripsChosen += trip.chosen && trip.pattern < rejected ? 1 : 0;
    }
    network.plan = planNetwork(network.data, network.patterns, options, report.findings, report.summary);
    measureDistances(feed, network.data, network.patterns, options.progress, network.plan, report.findings,
                     report.summary);
}

Report importInto(Feed& feed, const Options& options, sqlite3* database) {
    Report report;
    try {
        BuiltNetwork network;
        buildNetwork(feed, options, report, network);
        writeNetwork(database, network.data, network.plan, options);
    } catch (const ImportError& error) {
        fail(report, error);
    }
    return report;
}

Report importFeed(const Options& options) {
    Report report;
    try {
        struct stat status {};
        if (!options.force && lstat(options.database.c_str(), &status) == 0) {
            throw ImportError(
                "", "", 0, "will not overwrite '" + options.database + "': it exists (--force replaces it)");
        }
        BuiltNetwork network;
        {
            const std::unique_ptr<Feed> feed = Feed::open(options.feed);
            buildNetwork(*feed, options, report, network);
        }
        goOnUnlessCancelled(options.progress);
        TemporaryDatabase temporary(options.database);
        {
            Connection connection(temporary.path);
            // The file is renamed into place only once complete: no journal is needed while it is made.
            sqlite3_exec(connection.handle, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;", nullptr,
                         nullptr, nullptr);
            writeNetwork(connection.handle, network.data, network.plan, options);
        }
        goOnUnlessCancelled(options.progress);
        if (!synced(temporary.path) || std::rename(temporary.path.c_str(), options.database.c_str()) != 0) {
            throw ImportError("", "", 0, "cannot write '" + options.database + "': " + errnoText(errno));
        }
        temporary.kept = true;
        synced(folderOf(options.database));
    } catch (const ImportError& error) {
        fail(report, error);
    }
    return report;
}

} // namespace pw::gtfs
