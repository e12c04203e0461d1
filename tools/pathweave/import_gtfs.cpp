// `pathweave import-gtfs`: turns a GTFS feed into a network database through the importer module,
// and prints what it found in the feed the way `check` prints its findings.

#include "json.h"
#include "tool.h"

#include <CLI/CLI.hpp>
#include <pathweave/gtfs/import.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <iostream>

namespace pwtool {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

// While it lives, Ctrl-C asks the import to stop (and leave no file) instead of killing it.
class InterruptGuard {
public:
    InterruptGuard() : previous(std::signal(SIGINT, onInterrupt)) {}
    ~InterruptGuard() { std::signal(SIGINT, previous); }

    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    void (*previous)(int);
};

struct ImportOptions {
    pw::gtfs::Options import;
    Format format = Format::Text;
};

// A bar of the bytes of stop_times.txt read, on a terminal only and not with --quiet. The import
// asks it whether to go on, which it does until Ctrl-C.
class ProgressBar {
public:
    bool update(uint64_t read, uint64_t total) {
        if (total > 0 && !programOptions.quiet && isatty(STDERR_FILENO) == 1) {
            const int percent = static_cast<int>(std::min<uint64_t>(100, read * 100 / total));
            if (percent != percentShown) {
                percentShown = percent;
                std::cerr << "\rstop_times.txt [" << std::string(static_cast<std::size_t>(percent / 4), '#')
                          << std::string(static_cast<std::size_t>(25 - percent / 4), ' ') << "] " << percent
                          << "%" << std::flush;
                lineOpen = true;
            }
        }
        return interrupted == 0;
    }

    // Ends the bar's line, so that what is printed next starts a line of its own.
    void end() {
        if (lineOpen) {
            std::cerr << '\n' << std::flush;
            lineOpen = false;
        }
    }

private:
    int percentShown = -1;
    bool lineOpen = false;
};

std::string place(const pw::gtfs::Findings::Example& example) {
    return example.file.empty()
               ? ""
               : example.file + (example.line > 0 ? ":" + std::to_string(example.line) : "") + ": ";
}

void writeText(std::ostream& out, const ImportOptions& options, const pw::gtfs::Report& report) {
    for (const pw::gtfs::Findings::Group* group : report.findings.ordered()) {
        out << pw::gtfs::severityName(group->kind->severity) << ' ' << group->kind->code << " ("
            << group->count << "): " << group->kind->message << '\n';
        for (const auto& example : group->examples) {
            out << "  " << place(example) << example.detail << '\n';
        }
        if (group->count > group->examples.size()) {
            out << "  ... and " << group->count - group->examples.size() << " more\n";
        }
    }
    const auto counted = [&report](pw::gtfs::Severity severity, const char* noun) {
        const uint64_t count = report.findings.count(severity);
        return std::to_string(count) + ' ' + noun + (count == 1 ? "" : "s");
    };
    // A failure outside the feed (the database exists, say) has nothing to count.
    if (!report.succeeded() && report.findings.ordered().empty()) {
        return;
    }
    out << options.import.feed << ": " << counted(pw::gtfs::Severity::Error, "error") << ", "
        << counted(pw::gtfs::Severity::Warning, "warning") << ", "
        << counted(pw::gtfs::Severity::Info, "info") << '\n';
    if (!report.succeeded()) {
        return;
    }
    const pw::gtfs::Summary& s = report.summary;
    out << options.import.database << ": " << s.journeys << " journeys (" << s.selectableJourneys
        << " selectable, " << s.circularJourneys << " circular) from " << s.tripsChosen << " of "
        << s.tripsRead << " trips, " << s.linkNodes << " link nodes, " << s.links << " links\n"
        << "link distances: " << s.distances.shapeDistTraveled << " from shape_dist_traveled"
        << (s.shapeDistUnit.empty() ? "" : " (" + s.shapeDistUnit + ")") << ", " << s.distances.alongShape
        << " along shapes, " << s.distances.greatCircle << " great-circle\n"
        << "fences: " << s.shrunkFences << " shrunk to meet a neighbour's halfway\n"
        << "non-journey points: " << s.nonJourneyPoints << " under the journey id '"
        << options.import.nonJourneyPointsId << "'\n";
}

void writeJsonReport(std::ostream& out, const ImportOptions& options, const pw::gtfs::Report& report) {
    JsonValue findings = JsonValue::array();
    for (const pw::gtfs::Findings::Group* group : report.findings.ordered()) {
        JsonValue examples = JsonValue::array();
        for (const auto& example : group->examples) {
            examples.push_back(
                JsonValue{{"file", example.file}, {"line", example.line}, {"detail", example.detail}});
        }
        findings.push_back(JsonValue{{"severity", pw::gtfs::severityName(group->kind->severity)},
                                     {"code", group->kind->code},
                                     {"message", group->kind->message},
                                     {"count", group->count},
                                     {"examples", std::move(examples)}});
    }
    const pw::gtfs::Summary& s = report.summary;
    JsonValue summary = nullptr;
    if (report.succeeded()) {
        summary = JsonValue{{"journeys", s.journeys},
                            {"selectableJourneys", s.selectableJourneys},
                            {"circularJourneys", s.circularJourneys},
                            {"tripsRead", s.tripsRead},
                            {"tripsChosen", s.tripsChosen},
                            {"linkNodes", s.linkNodes},
                            {"links", s.links},
                            {"stopTimesRows", s.stopTimesRows},
                            {"stopTimesGrouped", s.stopTimesGrouped},
                            {"distances",
                             {{"shapeDistTraveled", s.distances.shapeDistTraveled},
                              {"alongShape", s.distances.alongShape},
                              {"greatCircle", s.distances.greatCircle},
                              {"shapeDistUnit", s.shapeDistUnit}}},
                            {"shrunkFences", s.shrunkFences},
                            {"nonJourneyPoints", s.nonJourneyPoints},
                            {"nonJourneyPointsId", options.import.nonJourneyPointsId}};
    }
    writeJson(out, JsonValue{{"feed", options.import.feed},
                             {"database", options.import.database},
                             {"written", report.succeeded()},
                             {"findingCounts",
                              {{"errors", report.findings.count(pw::gtfs::Severity::Error)},
                               {"warnings", report.findings.count(pw::gtfs::Severity::Warning)},
                               {"infos", report.findings.count(pw::gtfs::Severity::Info)}}},
                             {"summary", std::move(summary)},
                             {"findings", std::move(findings)}});
}

// What the command refuses before the feed is read, in the command's words; the importer checks
// the same again in its own.
void checkCommandLine(const pw::gtfs::Options& options) {
    const std::string& path = options.database;
    if (path.empty()) {
        throw ToolError(UsageError, "the output file name is empty: give the name of the database to write");
    }
    if (path == "-") {
        throw ToolError(UsageError, "the network is an SQLite database, which cannot go to standard output: "
                                    "give the name of the database to write");
    }
    if (options.nonJourneyPointsId.empty()) {
        throw ToolError(UsageError, "--non-journey-points-id must not be empty");
    }
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0 && (S_ISDIR(status.st_mode) || !options.force)) {
        throw ToolError(
            Failed, "cannot import '" + options.feed + "': will not overwrite '" + path + "': " +
                        (S_ISDIR(status.st_mode) ? "it is a directory" : "it exists (--force replaces it)"));
    }
}

int runImport(ImportOptions& options) {
    checkCommandLine(options.import);
    ProgressBar bar;
    options.import.progress = [&bar](uint64_t read, uint64_t total) { return bar.update(read, total); };
    pw::gtfs::Report report;
    {
        const InterruptGuard guard;
        report = pw::gtfs::importFeed(options.import);
    }
    // The report, or the error of a failed or cancelled import, starts a line of its own.
    bar.end();
    Output output("-");
    if (options.format == Format::Json) {
        writeJsonReport(output.stream(), options, report);
    } else {
        writeText(output.stream(), options, report);
    }
    output.finish();
    if (!report.succeeded()) {
        throw ToolError(Failed, "cannot import '" + options.import.feed + "': " + report.failure);
    }
    return Success;
}

} // namespace

void addImportGtfsCommand(CLI::App& app, Command& command) {
    CLI::App* sub = addCommand(
        app, "import-gtfs", "Turn a GTFS feed (a zip or a directory) into a network database (writes DB)",
        "pathweave import-gtfs examples/gtfs -o wrenmouth.db\n"
        "pathweave import-gtfs feed.zip -o network.db --date 20260310 --route R1 --force\n"
        "pathweave import-gtfs feed.zip -o network.db --all-patterns --format json");
    auto options = std::make_shared<ImportOptions>();
    pw::gtfs::Options& o = options->import;
    sub->add_option("FEED", o.feed, "The GTFS feed: a zip file or a directory")->required()->type_name("");
    sub->add_option("-o,--output", o.database, "The network database to write")->required()->type_name("DB");
    sub->add_flag("--force", o.force, "Replace DB if it exists");
    sub->add_flag(
        "--all-patterns", o.allPatterns,
        "Make every trip pattern selectable, not only the most frequent of each route and direction");
    sub->add_option("--fence-radius", o.fenceRadius,
                    "Half the side of each stop's geo-fence box, in metres (30)")
        ->check(CLI::Range(0.5, 10000.0))
        ->type_name("M");
    sub->add_option("--date", o.date, "Keep only the trips that run on this day")
        ->type_name("YYYYMMDD")
        ->check(
            [](const std::string& date) {
                const bool digits =
                    date.size() == 8 && date.find_first_not_of("0123456789") == std::string::npos;
                return digits ? std::string() : "--date must be a date YYYYMMDD";
            },
            "YYYYMMDD");
    sub->add_option("--route", o.routes, "Keep only the trips of this route_id (repeatable)")
        ->type_name("ID");
    sub->add_option("--non-journey-points-id", o.nonJourneyPointsId,
                    "The journey id of the stops that no chosen trip serves (NON_JOURNEY)")
        ->type_name("ID");
    addFormatOption(*sub, options->format);
    sub->callback([options, &command] { command = [options] { return runImport(*options); }; });
}

} // namespace pwtool
