#pragma once

// What the subcommands of the pathweave tool share.

#include <csqlite/Csqlite.h>
#include <pathweave/pathweave.h>

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

/// The tool's exit codes.
enum ExitCode : int {
    Success = 0,
    Failed = 1,      ///< findings with errors, a failed check or a failed command
    UsageError = 2,  ///< the command line is wrong
    BadDatabase = 3, ///< the database cannot be opened or is not a network database
};

/// Ends the program: main prints "pathweave: " and the message to standard error and exits with
/// the code. Messages are lower case and name the file and the problem.
class ToolError : public std::runtime_error {
public:
    ToolError(ExitCode exitCode, const std::string& message) : std::runtime_error(message), code(exitCode) {}
    ExitCode code;
};

/// The output formats of the commands that have `--format`.
enum class Format { Text, Json };

/// A number in its shortest form that reads back to the same double ("nan", "inf" and "-inf"
/// for the non-finite ones).
std::string formatNumber(double value);

/// Adds `--format text|json` to a command.
void addFormatOption(CLI::App& command, Format& format);

/// What a chosen subcommand runs; returns the exit code.
using Command = std::function<int()>;

/// Each adds its subcommand to the program and points `command` at it when it is chosen.
void addDemoCommand(CLI::App& app, Command& command);
void addSampleCommand(CLI::App& app, Command& command);
void addInfoCommand(CLI::App& app, Command& command);
void addDumpCommand(CLI::App& app, Command& command);
void addCheckCommand(CLI::App& app, Command& command);
void addIndexCommand(CLI::App& app, Command& command);
void addReplayCommand(CLI::App& app, Command& command);
void addGeojsonCommand(CLI::App& app, Command& command);

/// The bundled sample network (SQL text) and GPS track (CSV text).
extern const char* const sampleNetworkSql;
extern const char* const sampleTrackCsv;

/// The id under which the sample network stores its non-journey points.
inline const std::string sampleNonJourneyPointsId = "NJP";
/// The sample journey that the sample track drives.
inline const std::string sampleTrackJourney = "MARKET";

/// Opens an existing network database read-only. Throws ToolError(BadDatabase) when the file
/// cannot be opened as a database or has none of the network tables.
std::unique_ptr<Csqlite> openNetworkDatabase(const std::string& path);

/// `text` for a place between single quotes in SQL: each single quote doubled.
std::string quoted(const std::string& text);

/// Whether the database has a table of exactly this name.
bool hasTable(const Csqlite& database, const std::string& table);

/// Whether the table has an index whose leading columns are `columns`, in order: the index that
/// makes the library's lookups on those columns fast.
bool hasIndexOn(const Csqlite& database, const std::string& table, const std::vector<std::string>& columns);

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
/// `nonJourneyPointsId` when it is not empty; only `journeyId` when it is not empty) and then
/// the link nodes of every ordinary journey, in collection order. Shows progress on standard
/// error while loading many journeys, when standard error is a terminal.
void loadNetwork(Csqlite& database, const std::string& nonJourneyPointsId, const std::string& journeyId,
                 Network& network);

/// The ordinary journeys of a collection: every journey but the non-journey points.
inline pw::CJourneyCollection::Journeys::iterator firstOrdinaryJourney(pw::CJourneyCollection& journeys) {
    return journeys.journeys.begin() + static_cast<std::ptrdiff_t>(journeys.nonJourneyPointsCount);
}

/// Writes a file made from the sample network's SQL; refuses to overwrite an existing file.
void writeSampleDatabase(const std::string& path);

/// Replays a GPS track (CSV or NMEA, see track_file.h) along journey `journeyId` of a loaded network
/// with the journey tracker, writing one line (text) or one JSON object (json) per event to `out`.
/// Returns the exit code.
int replayTrack(Network& network, const std::string& journeyId, std::istream& track, Format format,
                std::ostream& out);

} // namespace pwtool
