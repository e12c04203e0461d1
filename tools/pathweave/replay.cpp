// `pathweave replay`: drives a journey along a GPS track the way a host does. By default the journey
// tracker turns the fixes into arrivals, departures, passes and skips; --naive tests every fix
// against every geo-fence, as a host without the tracker would, reporting each fence entered or left
// and each change of the journey's current link node.

#include "json.h"
#include "tool.h"
#include "track_file.h"

#include <CLI/CLI.hpp>
#include <pathweave/track/tracker.h>

#include <algorithm>
#include <iostream>
#include <limits>
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

// What a replay saw of the journey's stops, its link nodes with a box. A circular journey starts a
// new lap whenever it reaches a stop before the one reached last.
class Visits {
public:
    explicit Visits(const pw::CJourney& journey)
        : nodes(journey.linkNodes), order(journey.order), seen(nodes.size(), false),
          inLap(nodes.size(), false), skipped(nodes.size(), false) {}

    void reach(std::size_t node) {
        if (last < nodes.size() && node < last) {
            if (order == pw::CJourney::Circular) {
                std::fill(inLap.begin(), inLap.end(), false);
            } else if (order == pw::CJourney::Standard) {
                ordered = false;
            }
        }
        repeated += inLap[node] ? 1 : 0;
        inLap[node] = true;
        seen[node] = true;
        last = node;
    }

    void skip(std::size_t node) { skipped[node] = true; }

    /// Each stop skipped or never reached, in journey order.
    std::vector<std::string> missed() const {
        std::vector<std::string> ids;
        for (std::size_t node = 0; node < nodes.size(); ++node) {
            if (nodes[node].bounds.valid && (skipped[node] || !seen[node])) {
                ids.push_back(nodes[node].id);
            }
        }
        return ids;
    }
    std::size_t stops() const {
        return std::size_t(std::count_if(nodes.begin(), nodes.end(),
                                         [](const pw::CLinkNode& node) { return node.bounds.valid; }));
    }
    std::size_t visited() const { return std::size_t(std::count(seen.begin(), seen.end(), true)); }
    std::size_t repeatedEntries() const { return repeated; }
    /// Whether the stops came in journey order; none for a random journey, which has no order.
    std::optional<bool> inOrder() const {
        return order == pw::CJourney::Random ? std::nullopt : std::optional<bool>(ordered);
    }

private:
    const pw::CJourney::LinkNodes& nodes;
    pw::CJourney::JourneyOrder order;
    std::vector<bool> seen, inLap, skipped;
    std::size_t last = std::numeric_limits<std::size_t>::max();
    std::size_t repeated = 0;
    bool ordered = true;
};

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

    /// A node reached: with its transition cue and cues.
    void reached(double time, const char* event, const pw::CJourney& journey, const pw::CLinkNode& node,
                 bool onJourney) {
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
    void other(double time, const char* event, const pw::CJourney& journey, const pw::CLinkNode* node,
               bool onJourney = true) {
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
        out << "Visited " << visits.visited() << " of " << visits.stops() << " stops";
        if (!missed.empty()) {
            out << ", missed " << joined(missed);
        }
        if (visits.repeatedEntries() > 0) {
            out << ", " << visits.repeatedEntries() << (visits.repeatedEntries() == 1 ? " entry" : " entries")
                << " repeated";
        }
        if (inOrder && visits.visited() > 1) {
            out << (*inOrder ? ", in journey order" : ", not in journey order");
        }
        out << "; "
            << (hasCurrent ? journey.current->id + " is current" : std::string("no link node is current"))
            << ".\n";
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

// A geo-fenced link node that the replay tests every fix against.
struct Fence {
    pw::CJourney* journey;
    std::size_t index;
    bool onJourney;
    bool inside = false;
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

// One replay: the journey, the fences tested fix by fix, and what they saw.
class Replay {
public:
    Replay(Network& network, pw::CJourney& tracked, Format format, std::ostream& out)
        : journey(tracked), visits(tracked), report(format, out) {
        const auto points = network.journeys.GetNonJourneyPoints();
        if (points != network.journeys.journeys.end()) {
            addFences(*points, false, fences);
        }
    }

    // Every fix against every fence, moving the current node on entering one of the journey's.
    void naive(const std::vector<TrackFix>& fixes) {
        std::vector<Fence> points = std::move(fences);
        fences.clear();
        addFences(journey, true, fences);
        fences.insert(fences.end(), points.begin(), points.end());
        for (const TrackFix& item : fixes) {
            watchFences(item.fix.time, item.fix.position);
        }
    }

    // The journey tracker; the non-journey points fix by fix.
    void tracked(const std::vector<TrackFix>& fixes, std::vector<LeftOut>& leftOut) {
        pw::track::Tracker tracker(journey);
        for (const TrackFix& item : fixes) {
            const pw::track::FixCounts before = tracker.counts();
            for (const pw::track::Event& event : tracker.update(item.fix)) {
                show(event);
            }
            const pw::track::FixCounts& after = tracker.counts();
            if (after.used == before.used) {
                leftOut.push_back(LeftOut{
                    item.line, after.jumps != before.jumps ? "a jump the vehicle cannot make"
                               : after.inaccurate != before.inaccurate
                                   ? "accuracy " + formatNumber(item.fix.accuracy) + " m is worse than " +
                                         formatNumber(tracker.rules().maxAccuracy) + " m"
                                   : "a negative accuracy"});
            }
            watchFences(item.fix.time, item.fix.position);
        }
    }

    pw::CJourney& journey;
    Visits visits;
    Report report;

private:
    void show(const pw::track::Event& event) {
        static const char* const names[] = {"arrived",     "departed",        "passed",   "skipped",
                                            "off journey", "back on journey", "completed"};
        const char* name = names[event.type];
        const pw::CLinkNode* node =
            event.node == pw::track::Event::noNode ? nullptr : &journey.linkNodes[event.node];
        if (event.type == pw::track::Event::Arrived || event.type == pw::track::Event::Passed) {
            visits.reach(event.node);
            report.reached(event.time, name, journey, *node, true);
            return;
        }
        if (event.type == pw::track::Event::Skipped) {
            visits.skip(event.node);
        }
        report.other(event.time, name, journey, node);
    }

    // Leaving comes before entering, so that a fix that moves from one fence to the next says so
    // in that order.
    void watchFences(double time, const pw::CPoint& position) {
        for (Fence& fence : fences) {
            const pw::CLinkNode& node = fence.journey->linkNodes[fence.index];
            if (fence.inside && !node.WithinBounds(position)) {
                fence.inside = false;
                report.other(time, "leave", *fence.journey, &node, fence.onJourney);
            }
        }
        for (Fence& fence : fences) {
            const pw::CLinkNode& node = fence.journey->linkNodes[fence.index];
            if (fence.inside || !node.WithinBounds(position)) {
                continue;
            }
            fence.inside = true;
            report.reached(time, "enter", *fence.journey, node, fence.onJourney);
            if (fence.onJourney) {
                visits.reach(fence.index);
                const auto current = journey.SetCurrent(node.id);
                if (current != journey.linkNodes.end()) {
                    report.other(time, "current", journey, &*current);
                }
            }
        }
    }

    std::vector<Fence> fences;
};

void reportLeftOut(std::vector<LeftOut> leftOut, const std::string& name) {
    std::stable_sort(leftOut.begin(), leftOut.end(),
                     [](const LeftOut& a, const LeftOut& b) { return a.line < b.line; });
    for (const LeftOut& line : leftOut) {
        std::cerr << "pathweave: " << trackLabel(name) << " line " << line.line << ": " << line.why
                  << "; the fix is left out\n";
    }
}

// Whether the track visited every stop once and in order.
bool replay(Network& network, const std::string& journeyId, Track track, const std::string& trackName,
            const ReplayOptions& options, std::ostream& out) {
    auto& journeys = network.journeys;
    if (journeys.find(journeyId) == journeys.journeys.end()) {
        throw ToolError(Failed, "no journey '" + journeyId + "' in the network");
    }
    // The journey may be current already, which SetCurrent answers with none.
    journeys.SetCurrent(journeyId);
    journeys.SetActiveFromCurrent();

    Replay replay(network, *journeys.current, options.format, out);
    const std::vector<TrackFix>& fixes = track.fixes;
    replay.report.start(fixes.empty() ? std::nullopt : std::optional<double>(fixes.front().fix.time),
                        replay.journey, network.cues.toCueSubsetGlobal());
    const std::size_t lines = fixes.size() + track.leftOut.size();
    if (options.naive) {
        replay.naive(fixes);
    } else {
        replay.tracked(fixes, track.leftOut);
    }
    replay.report.end(fixes.empty() ? std::nullopt : std::optional<double>(fixes.back().fix.time),
                      replay.journey, replay.visits, lines, track.leftOut.size());
    out.flush();
    reportLeftOut(std::move(track.leftOut), trackName);
    return replay.visits.missed().empty() && replay.visits.repeatedEntries() == 0 &&
           replay.visits.inOrder().value_or(true);
}

int runReplay(const ReplayOptions& options) {
    Track track = options.track == "-" ? readTrack(std::cin, "-") : readTrackFile(options.track);
    Output output("-");
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

int replayTrack(Network& network, const std::string& journeyId, std::istream& track, Format format,
                std::ostream& out) {
    ReplayOptions options;
    options.format = format;
    replay(network, journeyId, readTrack(track, ""), "", options, out);
    return Success;
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
    replay->callback([options, &command] { command = [options] { return runReplay(*options); }; });
}

} // namespace pwtool
