#include "build.h"
#include "database_writer.h"
#include "feed_tables.h"
#include "import_error.h"
#include "progress.h"
#include "text.h"

#include <pathweave/gtfs/import.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

namespace pw::gtfs {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void cannotWrite(const std::string& database, int error) {
    throw ImportError("", "", 0, "cannot write '" + database + "': " + errnoText(error));
}

// Flushes a file or a folder to the disk; the database is only as safe as what is put in place.
bool synced(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool done = descriptor >= 0 && fsync(descriptor) == 0;
    if (descriptor >= 0) {
        ::close(descriptor);
    }
    return done;
}

// A new empty file beside the database, `.<name>.import-XXXXXX`, removed when it is not kept. It
// is made with O_EXCL under names of its own choosing rather than by mkstemp, so that it gets the
// permissions of any new file: the system applies the umask, which a library must not change even
// for a moment (another thread may be making files).
class TemporaryDatabase {
public:
    explicit TemporaryDatabase(const std::string& database) {
        static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        std::mt19937_64 random(now ^ (static_cast<uint64_t>(getpid()) << 32));
        const std::string stem = folderOf(database) + "/." + nameOf(database) + ".import-";
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = stem;
            for (int i = 0; i < 6; ++i) {
                name += letters[random() % (sizeof letters - 1)];
            }
            const int descriptor = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor >= 0) {
                ::close(descriptor);
                path = name;
                return;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        cannotWrite(database, errno);
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
    Connection(const std::string& path, const std::string& database) {
        if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            const std::string why = lowerCase(sqlite3_errmsg(handle));
            sqlite3_close(handle);
            throw ImportError("", "", 0, "cannot write '" + database + "': " + why);
        }
    }
    ~Connection() { sqlite3_close(handle); }

    // Owns the connection.
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle = nullptr;
};

// What can be checked of the options before the feed is read.
void checkOptions(const Options& options) {
    if (!(options.fenceRadius > 0.0) || !std::isfinite(options.fenceRadius)) {
        throw ImportError("", "", 0, "the fence radius must be a positive number of metres");
    }
    if (options.nonJourneyPointsId.empty()) {
        throw ImportError("", "", 0, "the non-journey points id must not be empty");
    }
    if (!options.date.empty() && !toDay(options.date)) {
        throw ImportError("", "", 0, "the date '" + options.date + "' is not a day YYYYMMDD");
    }
}

// Refuses a database name that cannot be written, before anything is read.
void checkDatabase(const Options& options) {
    if (options.database.empty()) {
        throw ImportError("", "", 0, "no database file name is given");
    }
    struct stat status {};
    if (lstat(options.database.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            throw ImportError("", "", 0, "will not overwrite '" + options.database + "': it is a directory");
        }
        if (!options.force) {
            throw ImportError("", "", 0, "will not overwrite '" + options.database + "': it exists");
        }
    }
}

// Puts the complete file in place: renamed over an existing database when forced, else linked to
// its name, which fails rather than replace a file made meanwhile (the temporary name is then
// removed with the TemporaryDatabase).
void putInPlace(TemporaryDatabase& temporary, const Options& options) {
    if (!synced(temporary.path)) {
        cannotWrite(options.database, errno);
    }
    if (options.force) {
        if (std::rename(temporary.path.c_str(), options.database.c_str()) != 0) {
            cannotWrite(options.database, errno);
        }
        temporary.kept = true;
    } else if (link(temporary.path.c_str(), options.database.c_str()) != 0) {
        if (errno == EEXIST) {
            throw ImportError("", "", 0, "will not overwrite '" + options.database + "': it exists");
        }
        cannotWrite(options.database, errno);
    }
    synced(folderOf(options.database));
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
        // Everything that can be refused without the feed is refused before it is read: the
        // temporary file made now tells whether the database's folder can be written.
        checkOptions(options);
        checkDatabase(options);
        TemporaryDatabase temporary(options.database);
        BuiltNetwork network;
        {
            const std::unique_ptr<Feed> feed = Feed::open(options.feed);
            buildNetwork(*feed, options, report, network);
        }
        {
            Connection connection(temporary.path, options.database);
            // The file is put in place only once complete: no journal is needed while it is made.
            sqlite3_exec(connection.handle, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;", nullptr,
                         nullptr, nullptr);
            writeNetwork(connection.handle, network.data, network.plan, options);
        }
        goOnUnlessCancelled(options.progress);
        putInPlace(temporary, options);
    } catch (const ImportError& error) {
        fail(report, error);
    }
    return report;
}

} // namespace pw::gtfs
