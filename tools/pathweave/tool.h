#pragma once

// What the subcommands of the pathweave tool share.

#include <csqlite/Csqlite.h>
#include <pathweave/pathweave.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
} // namespace CLI

namespace pwtool {

/// The tool's exit codes, one table for every command.
enum ExitCode : int {
    Success = 0,
    Failed = 1,      ///< findings with errors, a failed check or replay, or a failed command
    UsageError = 2,  ///< the command line is wrong
    BadDatabase = 3, ///< the database cannot be opened or read as a network database
};

/// Ends the program: main prints "pathweave: " and the message to standard error and exits with
/// the code. Messages are lower case and name the file and the problem.
class ToolError : public std::runtime_error {
public:
    ToolError(ExitCode exitCode, const std::string& message) : std::runtime_error(message), code(exitCode) {}
    ExitCode code;
};

/// The options of the program, which every command takes.
struct ProgramOptions {
    /// The library's log lines of this level and above go to standard error.
    int32_t logLevel = 16;
    /// No progress bars on standard error.
    bool quiet = false;
};
extern ProgramOptions programOptions;

/// The output formats of the commands that have `--format`.
enum class Format { Text, Json };

/// What a chosen subcommand runs; returns the exit code.
using Command = std::function<int()>;

/// Adds a subcommand with the program's options and a help text that ends with the exit codes
/// and `examples` (one command line per line).
CLI::App* addCommand(CLI::App& app, const std::string& name, const std::string& description,
                     const std::string& examples);

/// Adds the positional DB: the network database a command reads.
void addDatabaseArgument(CLI::App& command, std::string& path);

/// Adds `--format text|json` (any case).
void addFormatOption(CLI::App& command, Format& format);

/// Adds `-o,--output FILE`, where `-` (the default) is standard output.
void addOutputOption(CLI::App& command, std::string& path);

/// Adds `--journey ID`, required or not.
void addJourneyOption(CLI::App& command, std::string& journey, bool required);

/// Adds `--non-journey-points ID`.
void addNonJourneyPointsOption(CLI::App& command, std::string& id);

/// Each adds its subcommand to the program and points `command` at it when it is chosen.
void addDemoCommand(CLI::App& app, Command& command);
void addSampleCommand(CLI::App& app, Command& command);
void addInfoCommand(CLI::App& app, Command& command);
void addDumpCommand(CLI::App& app, Command& command);
void addCheckCommand(CLI::App& app, Command& command);
void addIndexCommand(CLI::App& app, Command& command);
void addReplayCommand(CLI::App& app, Command& command);
void addGeojsonCommand(CLI::App& app, Command& command);
void addImportGtfsCommand(CLI::App& app, Command& command);
void addMapCommand(CLI::App& app, Command& command);

/// A number in its shortest form that reads back to the same double ("nan", "inf" and "-inf"
/// for the non-finite ones).
std::string formatNumber(double value);

/// A number with `decimals` digits after the point, for quantities shown to people (a distance
/// to the centimetre, a time to a tenth of a millisecond).
std::string formatFixed(double value, int decimals);

/// The extent of the box between two latitudes and two longitudes, in metres north-south and
/// east-west, measured on a sphere of the Earth's mean radius at the box's middle latitude.
struct Extent {
    double northSouth;
    double eastWest;
};
Extent extentInMetres(double south, double north, double west, double east);

/// The text of an errno value, starting in lower case as the tool's messages do.
std::string errorText(int error);

/// Makes an empty file beside `path` under a unique temporary name, with the permissions of any
/// new file, and returns its name. Throws ToolError "cannot write '<path>': <why>".
std::string makeTemporaryBeside(const std::string& path);

/// Where a command writes its text: standard output for "-", else the file `path`, written
/// beside it under a temporary name and renamed into place by `finish`, so that a failed
/// command leaves an existing file as it was (a pipe or a device is written where it is). Write
/// errors end the program with "cannot write the output: <why>" (exit code 1).
class Output {
public:
    explicit Output(const std::string& path);
    ~Output();

    // One file, one owner: a copy would rename it twice.
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    std::ostream& stream() { return *out; }

    /// Throws when a write so far has failed; commands call it after large writes.
    void check();

    /// Flushes and checks everything written, then puts the file in place.
    void finish();

private:
    std::string path;
    std::string temporaryPath;
    std::unique_ptr<std::ostream> file;
    std::ostream* out;
    // The errno of the first failed write, kept for the message.
    int failure = 0;
};

/// Passes the library's log lines on to standard error as "LEVEL<TAB>LINE", whole whatever bytes
/// they hold, from the program's --log-level up; a run of identical lines goes out as one line
/// followed by " (repeated N times)". One lives in main for the whole run.
class LibraryLog {
public:
    using Observer = std::function<void(int32_t level, const std::string& line)>;

    explicit LibraryLog(int32_t forwardLevel);
    ~LibraryLog();

    // The library's sink points at this object.
    LibraryLog(const LibraryLog&) = delete;
    LibraryLog& operator=(const LibraryLog&) = delete;

    /// Writes the line held back to count its repeats.
    void flush();

    /// Shows every line, of any level, to `observer` too, until it is given an empty one.
    static void observe(Observer observer);

private:
    void install();
    void take(int32_t level, const std::string& line);

    int32_t forwardLevel;
    Observer observer;
    int32_t heldLevel = 0;
    std::string held;
    std::size_t repeats = 0;
    bool holding = false;
};

/// The sample network (SQL text) and GPS track (CSV text) compiled into the tool.
extern const char* const sampleNetworkSql;
extern const char* const sampleTrackCsv;

/// The id under which the sample network stores its non-journey points.
inline const std::string sampleNonJourneyPointsId = "NJP";
/// The sample journey that the sample track drives.
inline const std::string sampleTrackJourney = "MARKET";

/// `text` for a place between single quotes in SQL: each single quote doubled.
std::string quoted(const std::string& text);

/// A table that the library reads, with the columns it requires.
struct RequiredTable {
    const char* name;
    std::vector<std::string> columns;
    /// The library looks these columns up by their exact names; SQL finds the others in any case.
    bool exactNames;
};

/// The six tables of a network database.
const std::vector<RequiredTable>& requiredTables();

/// Whether two texts are equal when the ASCII letters are compared without regard to case, as SQL
/// compares table and column names.
bool sameIgnoringCase(const std::string& a, const std::string& b);

/// What a database holds of a table: whether it exists, why it cannot be read, and its columns.
struct TableShape {
    bool exists = false;
    std::string readError;
    std::vector<std::string> columns;

    /// Whether the table has the column, by exact name or in any case.
    bool has(const std::string& column, bool exactName) const;
};
TableShape inspectTable(const Csqlite& database, const std::string& table);

/// An open network database. Opening it read-only never creates or changes a file. When network
/// tables are views, a statement that runs without end (views that recurse for ever) is given
/// up after a bound.
class NetworkDatabase {
public:
    /// Throws ToolError(BadDatabase) when the file cannot be opened as a database or has none of
    /// the network tables.
    explicit NetworkDatabase(const std::string& path);
    ~NetworkDatabase();

    NetworkDatabase(const NetworkDatabase&) = delete;
    NetworkDatabase& operator=(const NetworkDatabase&) = delete;

    Csqlite& csqlite() { return *database; }
    const Csqlite& csqlite() const { return *database; }
    const std::string& path() const { return filename; }

    /// Throws ToolError(BadDatabase) with one sentence when a table or a column that the library
    /// requires is missing: the network would load empty.
    void requireNetwork() const;

    /// Throws ToolError(BadDatabase) when a statement was given up.
    void requireFinished() const;

    /// Throws ToolError(Failed) "no journey 'ID' in database 'DB'".
    [[noreturn]] void noJourney(const std::string& journeyId) const;

    /// VM instructions that one run of a statement may take before it is given up.
    static constexpr int runawayBound = 10'000'000;

private:
    struct Guard;
    std::string filename;
    std::unique_ptr<Csqlite> database;
    std::unique_ptr<Guard> guard;
};

/// Whether the table has an index whose leading columns are `columns`, in order: the index that
/// makes the library's lookups on those columns fast.
bool hasIndexOn(const Csqlite& database, const std::string& table, const std::vector<std::string>& columns);

/// The journey ids that rows of Journey_links name but no row of journeys has, with their numbers
/// of rows, in id order: where a database keeps its non-journey points, or links nothing reads.
std::vector<std::pair<std::string, double>> journeyIdsOnlyInJourneyLinks(const Csqlite& database);

/// An index the library's load needs on a large database.
struct RecommendedIndex {
    std::string table;
    std::vector<std::string> columns;
    std::string createStatement;
};

/// The indexes that make loading fast: attributes(id, symbol) and Journey_links(JOURNEY_ID).
const std::vector<RecommendedIndex>& recommendedIndexes();

/// A network loaded the way a host loads it. The catalogue outlives the journeys, which point
/// at its cues, so a Network is filled in place and never copied.
struct Network {
    Network() = default;
    Network(const Network&) = delete;
    Network& operator=(const Network&) = delete;

    pw::CCueCollection cues;
    pw::CJourneyCollection journeys;
    /// Seconds the load took.
    double loadSeconds = 0.0;
};

/// Loads the cue catalogue, the journey collection (with the non-journey points stored under
/// `nonJourneyPointsId` when it is not empty; only `journeyId` when it is not empty, which must
/// then be found) and then the link nodes of every ordinary journey, in collection order. Shows
/// progress on standard error while loading many journeys, when it is a terminal.
void loadNetwork(NetworkDatabase& database, const std::string& nonJourneyPointsId,
                 const std::string& journeyId, Network& network);

/// The ordinary journeys of a collection: every journey but the non-journey points.
inline pw::CJourneyCollection::Journeys::iterator firstOrdinaryJourney(pw::CJourneyCollection& journeys) {
    return journeys.journeys.begin() + static_cast<std::ptrdiff_t>(journeys.nonJourneyPointsCount);
}

/// Whether a point can be drawn: both coordinates finite and not 0,0, which is what the library
/// holds for a point it found no coordinates for.
inline bool hasCoordinates(const pw::CPoint& point) {
    return std::isfinite(point.latitude) && std::isfinite(point.longitude) &&
           !(point.latitude == 0.0 && point.longitude == 0.0);
}

/// Whether a box can be drawn: valid, with finite limits.
inline bool isDrawable(const pw::CBounds& box) {
    return box.valid && std::isfinite(box.latMin) && std::isfinite(box.latMax) &&
           std::isfinite(box.longMin) && std::isfinite(box.longMax);
}

/// "Standard", "Circular" or "Random".
const char* orderName(pw::CJourney::JourneyOrder order);

/// The name of a cue type value ("ENTER_TRANSITION", ...), or "unknown type".
const char* cueTypeName(uint32_t type);

/// Writes a database file made from the sample network's SQL; refuses to overwrite a file.
void writeSampleDatabase(const std::string& path);

/// Replays a GPS track (CSV or NMEA, see track_file.h) along journey `journeyId` of a loaded network
/// with the journey tracker, writing one line (text) or one JSON object (json) per event to `out`.
void replayTrack(Network& network, const std::string& journeyId, std::istream& track, Format format,
                 std::ostream& out);

} // namespace pwtool
