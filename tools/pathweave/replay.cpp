// `pathweave replay`: drives a journey along a GPS track the way a host does. By default the journey
// tracker turns the fixes into arrivals, departures, passes and skips; --naive tests every fix
// against every geo-fence, as a host without the tracker would, reporting each fence entered or left
// and each change of the journey's current link node.

#include "replay.h"

#include "json.h"
#include "tool.h"
#include "track_file.h"

#include <CLI/CLI.hpp>
#include <pathweave/track/tracker.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

namespace pwtool {

namespace {

struct ReplayOptions {
    std::string database;
    std::string journey;
    std::string track;
    std::string nonJourneyPoints;
    std::string output;
    Format format = Format::Text;
    bool naive = false;
    bool strict = false;
};

std::string cueName(const pw::CCue* cue) { return cue != nullptr ? cue->name : ""; }

JsonValue cueJson(const pw::CCue* cue) { return cue != nullptr ? JsonValue(cue->name) : JsonValue(nullptr); }

std::vector<std::string> cueNames(const pw::CCueSubset& subset) {
    std::vector<std::string> names;
    for (const auto& element : subset.cues) {
        names.push_back(element.first);
    }
    return names;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// Columns are measured in characters: the bytes that do not continue a UTF-8 sequence.
std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (const char byte : text) {
        width += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    }
    return width;
}

// Writes the events of a replay: one JSON object per line as they happen, or, for text, one row
// of an aligned table each, written when the replay ends.
class Report : public ReplayListener {
public:
    Report(Format outputFormat, std::ostream& output) : format(outputFormat), out(output) {
        rows.push_back({"time", "event", "node", "transition", "cues"});
    }

    void start(std::optional<double> time, const pw::CJourney& journey, const pw::CCueSubset& globalCues) {
        const std::vector<std::string> global = cueNames(globalCues);
        if (format == Format::Json) {
            write({{"time", timeJson(time)},
                   {"event", "start"},
                   {"journey", journey.id},
                   {"entryCue", cueJson(journey.entryCue)},
                   {"globalCues", global}});
        } else {
            rows.push_back({timeText(time), "start", journey.id, cueName(journey.entryCue),
                            global.empty() ? "" : "global: " + joined(global)});
        }
    }

    /// A node reached: with its transition cue and cues.
    void reached(const pw::track::Fix& fix, const char* event, const pw::CJourney& journey,
                 const pw::CLinkNode& node, bool onJourney,
                 bool /*repeated: the summary counts them*/) override {
        const double time = fix.time;
        const std::vector<std::string> cues = cueNames(node.cues);
        if (format == Format::Json) {
            write({{"time", jsonNumber(time)},
                   {"event", event},
                   {"journey", journey.id},
                   {"node", node.id},
                   {"transitionCue", cueJson(node.transitionCue)},
                   {"cues", cues}});
        } else {
            rows.push_back({formatNumber(time), event, nodeText(journey, node, onJourney),
                            cueName(node.transitionCue), joined(cues)});
        }
    }

    /// Any other event; `node` null for an event about the journey as a whole.
    void other(const pw::track::Fix& fix, const char* event, const pw::CJourney& journey,
               const pw::CLinkNode* node, bool onJourney) override {
        const double time = fix.time;
        if (format == Format::Json) {
            JsonValue object = {{"time", jsonNumber(time)}, {"event", event}, {"journey", journey.id}};
            if (node != nullptr) {
                object["node"] = node->id;
            }
            write(object);
        } else {
            rows.push_back({formatNumber(time), event,
                            node != nullptr ? nodeText(journey, *node, onJourney) : "", "", ""});
        }
    }

    void end(std::optional<double> time, const pw::CJourney& journey, const Visits& visits, std::size_t fixes,
             std::size_t leftOut) {
        const bool hasCurrent = journey.current != journey.linkNodes.end();
        const std::vector<std::string> missed = visits.missed();
        const std::optional<bool> inOrder = visits.inOrder();
        if (format == Format::Json) {
            write({{"time", timeJson(time)},
                   {"event", "end"},
                   {"journey", journey.id},
                   {"exitCue", cueJson(journey.exitCue)},
                   {"current", hasCurrent ? JsonValue(journey.current->id) : JsonValue(nullptr)},
                   {"visited", visits.visited()},
                   {"stops", visits.stops()},
                   {"missed", missed},
                   {"repeated", visits.repeatedEntries()},
                   {"inOrder", inOrder ? JsonValue(*inOrder) : JsonValue(nullptr)},
                   {"fixes", fixes},
                   {"leftOut", leftOut}});
            return;
        }
        rows.push_back({timeText(time), "end", journey.id, cueName(journey.exitCue), ""});
        writeTable();
        out << visitsSummary(journey, visits) << '\n';
        if (leftOut > 0) {
            out << "Left out " << leftOut << " of " << fixes << " fixes (standard error says why).\n";
        }
    }

private:
    struct Row {
        std::string time, event, node, transition, cues;
    };

    static JsonValue timeJson(std::optional<double> time) {
        return time ? jsonNumber(*time) : JsonValue(nullptr);
    }
    static std::string timeText(std::optional<double> time) { return time ? formatNumber(*time) : "-"; }

    // Non-journey points are marked with the id they are stored under.
    static std::string nodeText(const pw::CJourney& journey, const pw::CLinkNode& node, bool onJourney) {
        return onJourney ? node.id : node.id + " (" + journey.id + ")";
    }

    void write(const JsonValue& event) { writeJson(out, event, 0); }

    void writeTable() {
        std::size_t widths[4] = {};
        for (const Row& row : rows) {
            const std::string* cells[] = {&row.time, &row.event, &row.node, &row.transition};
            for (std::size_t i = 0; i < 4; ++i) {
                widths[i] = std::max(widths[i], displayWidth(*cells[i]));
            }
        }
        for (const Row& row : rows) {
            std::string line(widths[0] - displayWidth(row.time), ' ');
            line += row.time;
            const std::string* cells[] = {&row.event, &row.node, &row.transition, &row.cues};
            for (std::size_t i = 0; i < 4; ++i) {
                line += "  " + *cells[i];
                if (i < 3) {
                    line.append(widths[i + 1] - displayWidth(*cells[i]), ' ');
                }
            }
            line.erase(line.find_last_not_of(' ') + 1);
            out << line << '\n';
        }
    }

    Format format;
    std::ostream& out;
    std::vector<Row> rows;
};

// Whether the track visited every stop once and in order.
bool replay(Network& network, const std::string& journeyId, Track track, const std::string& trackName,
            const ReplayOptions& options, std::ostream& out) {
    pw::CJourney& journey = startJourney(network, journeyId);
    Report report(options.format, out);
    const std::vector<TrackFix>& fixes = track.fixes;
    report.start(fixes.empty() ? std::nullopt : std::optional<double>(fixes.front().fix.time), journey,
                 network.cues.toCueSubsetGlobal());
    const std::size_t lines = fixes.size() + track.leftOut.size();
    const Visits visits = replayFixes(network, journey, track, options.naive, report);
    report.end(fixes.empty() ? std::nullopt : std::optional<double>(fixes.back().fix.time), journey, visits,
               lines, track.leftOut.size());
    out.flush();
    reportLeftOut(std::move(track.leftOut), trackName);
    return visits.missed().empty() && visits.repeatedEntries() == 0 && visits.inOrder().value_or(true);
}

int runReplay(const ReplayOptions& options) {
    Track track = options.track == "-" ? readTrack(std::cin, "-") : readTrackFile(options.track);
    Output output(options.output);
    NetworkDatabase database(options.database);
    Network network;
    loadNetwork(database, options.nonJourneyPoints, options.journey, network);
    const bool onceInOrder =
        replay(network, options.journey, std::move(track), options.track, options, output.stream());
    output.finish();
    if (options.strict && !onceInOrder) {
        throw ToolError(Failed, "the track does not visit every stop of journey '" + options.journey +
                                    "' once and in order (--strict)");
    }
    return Success;
}

} // namespace

void replayTrack(Network& network, const std::string& journeyId, std::istream& track, Format format,
                 std::ostream& out) {
    ReplayOptions options;
    options.format = format;
    replay(network, journeyId, readTrack(track, ""), "", options, out);
}

void addReplayCommand(CLI::App& app, Command& command) {
    CLI::App* replay = addCommand(
        app, "replay",
        "Drive a journey along a GPS track as a host does with the journey tracker, reporting every "
        "stop arrived at, departed from, passed or skipped",
        "pathweave replay network.db --journey MARKET track.csv\n"
        "pathweave replay network.db --journey MARKET --strict - < drive.nmea");
    auto options = std::make_shared<ReplayOptions>();
    addDatabaseArgument(*replay, options->database);
    replay
        ->add_option("TRACK", options->track,
                     "The GPS track, - for standard input: time,latitude,longitude[,accuracy] lines "
                     "(seconds, decimal degrees, metres; a header allowed), or NMEA RMC and GGA sentences")
        ->required()
        ->type_name("");
    addJourneyOption(*replay, options->journey, true);
    addNonJourneyPointsOption(*replay, options->nonJourneyPoints);
    replay->add_flag("--naive", options->naive,
                     "Test every fix against every geo-fence instead of using the tracker, for comparison");
    replay->add_flag("--strict", options->strict,
                     "Exit with 1 when a stop is missed, entered twice or visited out of order");
    addFormatOption(*replay, options->format);
    addOutputOption(*replay, options->output);
    replay->callback([options, &command] { command = [options] { return runReplay(*options); }; });
}

} // namespace pwtool
