// `pathweave replay`: drives a journey along a GPS track the way a host does, and reports every
// geo-fence that a fix enters or leaves and every change of the journey's current link node.

#include "json.h"
#include "tool.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

namespace pwtool {

namespace {

struct ReplayOptions {
    std::string database;
    std::string journey;
    std::string track;
    std::string nonJourneyPoints;
    Format format = Format::Text;
};

// One line of a track: a position at a time, in seconds.
struct Fix {
    double time;
    pw::CPoint position;
};

// `name` empty stands for a track that is no file (the bundled one).
[[noreturn]] void trackError(const std::string& name, const std::string& why) {
    throw ToolError(
        Failed, (name.empty() ? std::string("cannot read the track") : "cannot read track '" + name + "'") +
                    ": " + why);
}

std::string trimmed(const std::string& text) {
    const char* const blanks = " \t\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma = line.find(','); comma != std::string::npos; comma = line.find(',', start)) {
        fields.push_back(trimmed(line.substr(start, comma - start)));
        start = comma + 1;
    }
    fields.push_back(trimmed(line.substr(start)));
    return fields;
}

// The finite number that is all of `field`, if it is one.
std::optional<double> finiteNumber(const std::string& field) {
    double value = 0.0;
    const char* const end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, value);
    if (field.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Whether a line is a header rather than a fix: it begins with a name, not with a number.
bool isHeader(const std::string& line) {
    const auto first = static_cast<unsigned char>(line[line.find_first_not_of(" \t")]);
    return std::isalpha(first) != 0 || first == '"' || first == '_';
}

// The fixes of a track. The first line that is not blank may be a header.
std::vector<Fix> readTrack(std::istream& track, const std::string& name) {
    static const char* const columns[] = {"time_s", "latitude", "longitude"};
    std::vector<Fix> fixes;
    std::string line;
    bool headerAllowed = true;
    for (std::size_t number = 1; std::getline(track, line); ++number) {
        if (trimmed(line).empty()) {
            continue;
        }
        const bool header = headerAllowed && isHeader(line);
        headerAllowed = false;
        if (header) {
            continue;
        }
        const std::vector<std::string> fields = fieldsOf(line);
        const std::string where = "line " + std::to_string(number);
        if (fields.size() != 3) {
            trackError(name, where + " has " + std::to_string(fields.size()) +
                                 (fields.size() == 1 ? " field" : " fields") +
                                 ", not the three time_s,latitude,longitude");
        }
        double values[3] = {};
        for (std::size_t i = 0; i < 3; ++i) {
            const std::optional<double> value = finiteNumber(fields[i]);
            if (!value) {
                trackError(name, where + ": " + columns[i] + " '" + fields[i] + "' is not a finite number");
            }
            values[i] = *value;
        }
        fixes.push_back(Fix{values[0], pw::CPoint{values[1], values[2]}});
    }
    if (track.bad()) {
        trackError(name, "the read failed");
    }
    return fixes;
}

std::vector<Fix> readTrackFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        trackError(path, "no such file");
    }
    if (status.type() == std::filesystem::file_type::directory) {
        trackError(path, "is a directory");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        std::string why = error ? error.message() : std::strerror(errno);
        why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
        trackError(path, why);
    }
    return readTrack(file, path);
}

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
class Report {
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

    void enter(double time, const pw::CJourney& journey, const pw::CLinkNode& node, bool onJourney) {
        const std::vector<std::string> cues = cueNames(node.cues);
        if (format == Format::Json) {
            write({{"time", jsonNumber(time)},
                   {"event", "enter"},
                   {"journey", journey.id},
                   {"node", node.id},
                   {"transitionCue", cueJson(node.transitionCue)},
                   {"cues", cues}});
        } else {
            rows.push_back({formatNumber(time), "enter", nodeText(journey, node, onJourney),
                            cueName(node.transitionCue), joined(cues)});
        }
    }

    void leave(double time, const pw::CJourney& journey, const pw::CLinkNode& node, bool onJourney) {
        nodeEvent(time, "leave", journey, node, onJourney);
    }

    void current(double time, const pw::CJourney& journey, const pw::CLinkNode& node) {
        nodeEvent(time, "current", journey, node, true);
    }

    void end(std::optional<double> time, const pw::CJourney& journey, std::size_t visited, std::size_t stops,
             bool inOrder) {
        const bool hasCurrent = journey.current != journey.linkNodes.end();
        if (format == Format::Json) {
            write({{"time", timeJson(time)},
                   {"event", "end"},
                   {"journey", journey.id},
                   {"exitCue", cueJson(journey.exitCue)},
                   {"current", hasCurrent ? JsonValue(journey.current->id) : JsonValue(nullptr)},
                   {"visited", visited},
                   {"stops", stops},
                   {"inOrder", inOrder}});
            return;
        }
        rows.push_back({timeText(time), "end", journey.id, cueName(journey.exitCue), ""});
        writeTable();
        const char* order = visited < 2 ? "" : inOrder ? ", in journey order" : ", not in journey order";
        out << "Visited " << visited << " of " << stops << " stops" << order << "; "
            << (hasCurrent ? journey.current->id + " is current" : std::string("no link node is current"))
            << ".\n";
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

    void nodeEvent(double time, const char* event, const pw::CJourney& journey, const pw::CLinkNode& node,
                   bool onJourney) {
        if (format == Format::Json) {
            write({{"time", jsonNumber(time)}, {"event", event}, {"journey", journey.id}, {"node", node.id}});
        } else {
            rows.push_back({formatNumber(time), event, nodeText(journey, node, onJourney), "", ""});
        }
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

// A geo-fenced link node that the replay watches.
struct Fence {
    pw::CJourney* journey;
    std::size_t index;
    bool onJourney;
    bool inside = false;
    bool visited = false;
};

// The link nodes of `journey` with a usable box. The first node, the journey's ROOT, is no place;
// a box that is not valid would contain every position.
void addFences(pw::CJourney& journey, bool onJourney, std::vector<Fence>& fences) {
    for (std::size_t index = 1; index < journey.linkNodes.size(); ++index) {
        if (journey.linkNodes[index].bounds.valid) {
            fences.push_back(Fence{&journey, index, onJourney});
        }
    }
}

int replay(Network& network, const std::string& journeyId, const std::vector<Fix>& fixes, Format format,
           std::ostream& out) {
    auto& journeys = network.journeys;
    if (journeys.find(journeyId) == journeys.journeys.end()) {
        throw ToolError(Failed, "no journey '" + journeyId + "' in the network");
    }
    // The journey may be current already, which SetCurrent answers with none.
    journeys.SetCurrent(journeyId);
    journeys.SetActiveFromCurrent();
    pw::CJourney& journey = *journeys.current;

    std::vector<Fence> fences;
    addFences(journey, true, fences);
    const std::size_t stops = fences.size();
    const auto points = journeys.GetNonJourneyPoints();
    if (points != journeys.journeys.end()) {
        addFences(*points, false, fences);
    }

    Report report(format, out);
    report.start(fixes.empty() ? std::nullopt : std::optional<double>(fixes.front().time), journey,
                 network.cues.toCueSubsetGlobal());
    std::size_t visited = 0;
    std::size_t lastVisited = 0;
    bool inOrder = true;
    std::vector<bool> inside(fences.size());
    for (const Fix& fix : fixes) {
        for (std::size_t i = 0; i < fences.size(); ++i) {
            const Fence& fence = fences[i];
            inside[i] = fence.journey->linkNodes[fence.index].WithinBounds(fix.position);
            if (fence.inside && !inside[i]) {
                report.leave(fix.time, *fence.journey, fence.journey->linkNodes[fence.index],
                             fence.onJourney);
            }
        }
        for (std::size_t i = 0; i < fences.size(); ++i) {
            Fence& fence = fences[i];
            const bool entered = !fence.inside && inside[i];
            fence.inside = inside[i];
            if (!entered) {
                continue;
            }
            const pw::CLinkNode& node = fence.journey->linkNodes[fence.index];
            report.enter(fix.time, *fence.journey, node, fence.onJourney);
            if (!fence.onJourney) {
                continue;
            }
            if (!fence.visited) {
                fence.visited = true;
                inOrder = inOrder && (visited == 0 || fence.index > lastVisited);
                lastVisited = fence.index;
                ++visited;
            }
            const auto current = journey.SetCurrent(node.id);
            if (current != journey.linkNodes.end()) {
                report.current(fix.time, journey, *current);
            }
        }
    }
    report.end(fixes.empty() ? std::nullopt : std::optional<double>(fixes.back().time), journey, visited,
               stops, inOrder);
    return Success;
}

int runReplay(const ReplayOptions& options) {
    const std::vector<Fix> fixes = readTrackFile(options.track);
    Output output("-");
    NetworkDatabase database(options.database);
    Network network;
    loadNetwork(database, options.nonJourneyPoints, options.journey, network);
    const int code = replay(network, options.journey, fixes, options.format, output.stream());
    output.finish();
    return code;
}

} // namespace

int replayTrack(Network& network, const std::string& journeyId, std::istream& track, Format format,
                std::ostream& out) {
    return replay(network, journeyId, readTrack(track, ""), format, out);
}

void addReplayCommand(CLI::App& app, Command& command) {
    CLI::App* replay = addCommand(
        app, "replay",
        "Drive a journey along a GPS track as a host does, reporting every geo-fence entered or left",
        "pathweave replay network.db --journey MARKET track.csv");
    auto options = std::make_shared<ReplayOptions>();
    addDatabaseArgument(*replay, options->database);
    replay
        ->add_option("TRACK", options->track,
                     "The GPS track: time_s,latitude,longitude lines, a header allowed")
        ->required()
        ->type_name("");
    addJourneyOption(*replay, options->journey, true);
    addNonJourneyPointsOption(*replay, options->nonJourneyPoints);
    addFormatOption(*replay, options->format);
    replay->callback([options, &command] { command = [options] { return runReplay(*options); }; });
}

} // namespace pwtool
