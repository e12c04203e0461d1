// `pathweave check`: loads a network database as a host does, and beyond, and reports what is
// wrong with it. The library's own log lines are one source of findings; the check's own
// read-only statements (check_schema.cpp, check_tables.cpp) are the other.

#include "check.h"

#include "check_fences.h"
#include "check_findings.h"
#include "check_schema.h"
#include "check_tables.h"
#include "tool.h"

#include <CLI/CLI.hpp>

namespace pwtool {

namespace {

using check::Findings;
using check::journeyLabel;
using check::Schema;
using check::shown;

struct CheckOptions {
    std::string database;
    std::string nonJourneyPoints;
    std::string output;
    Format format = Format::Text;
};

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const std::string readingLine = "CPersist::ReadCJourney: reading: ";
const std::string exitLine = "CPersist::ReadCJourney Exit";
const std::string errorReadingLine = "CPersist::ReadCJourney: error reading: ";
const std::string cueNotFoundLine = "CCueCollection::toCueSubset: Cue name not found in cue list:";
const std::string selfLinkStart = "CPersist::GetCGraphSorter:";
const std::string selfLinkNode = " Duplicate Node ID:";
const std::string selfLinkEnd = ". Discarded.";
const std::string randomAndCircularLine =
    "Journey cannot be both circular and random.  Standard order assumed.";

// Keeps the library's lines of level 8 and above while it lives, with the journey being read when
// they came.
class LoadLog {
public:
    struct Line {
        int32_t level;
        std::string text;
        /// The journey whose link nodes were being read, or empty outside such a read.
        std::string journey;
    };

    LoadLog() {
        LibraryLog::observe([this](int32_t level, const std::string& line) {
            if (startsWith(line, readingLine)) {
                journey = line.substr(readingLine.size());
            } else if (line == exitLine) {
                journey.clear();
            }
            if (level >= 8) {
                lines.push_back({level, line, journey});
            }
            if (startsWith(line, errorReadingLine)) {
                journey.clear();
            }
        });
    }
    ~LoadLog() { LibraryLog::observe({}); }

    // The observer points at this object.
    LoadLog(const LoadLog&) = delete;
    LoadLog& operator=(const LoadLog&) = delete;

    std::vector<Line> lines;

private:
    std::string journey;
};

// Loads the network as a host does, then the journeys that are not selectable, which a host
// asks for by id: an author wants every journey checked.
void loadEverything(Csqlite& database, const Schema& schema, const std::string& nonJourneyPoints,
                    Network& network, Findings& findings) {
    pw::CPersist reader(&database);
    reader.ReadCCueCollection(&network.cues);
    reader.ReadCJourneyCollection(&network.journeys, network.cues, nonJourneyPoints, "");
    for (const std::string& id : check::unlistedJourneyIds(database, schema, findings)) {
        if (network.journeys.find(id) != network.journeys.journeys.end()) {
            continue;
        }
        pw::CJourneyCollection byId;
        reader.ReadCJourneyCollection(&byId, network.cues, "", id);
        for (const pw::CJourney& journey : byId.journeys) {
            network.journeys.insert(journey.id, journey.cues, journey.entryCue, journey.exitCue,
                                    journey.linkTransitionCue);
        }
    }
    for (auto journey = firstOrdinaryJourney(network.journeys); journey != network.journeys.journeys.end();
         ++journey) {
        reader.ReadCJourney(&*journey, network.cues);
    }
}

// Turns the library's lines into findings. Lines that a schema finding explains already (a
// missing table or column makes statements fail) are left out.
void interpretLog(const std::vector<LoadLog::Line>& lines, const Csqlite& database, const Schema& schema,
                  const std::string& nonJourneyPoints, const std::set<std::string>& reportedCueNames,
                  Findings& findings) {
    const std::string file = database.GetDatabaseFilename();
    const bool cuesReadable = schema.usable("cues");
    const bool journeysReadable = schema.usable("journeys");
    const bool linksReadable =
        schema.usable("Journey_links") && schema.usable("links") && schema.usable("link_nodes");
    for (const LoadLog::Line& line : lines) {
        const std::string& text = line.text;
        const std::string journey = journeyLabel(line.journey, nonJourneyPoints);
        const std::string inJourney = line.journey.empty() ? "" : journey + ": ";
        if (startsWith(text, cueNotFoundLine)) {
            const std::string name = text.substr(cueNotFoundLine.size());
            // Without a readable catalogue every name is unknown: the schema finding says why.
            if (cuesReadable && reportedCueNames.count(name) == 0) {
                if (name.empty()) {
                    findings.add("empty-cue-name-piece", inJourney + "a cue list that the library read");
                } else {
                    findings.add("unknown-cue",
                                 inJourney + "a cue list that the library read: " + shown(name));
                }
            }
        } else if (text == randomAndCircularLine) {
            findings.add("random-and-circular", journey);
        } else if (startsWith(text, errorReadingLine)) {
            const std::string id = text.substr(errorReadingLine.size());
            if (linksReadable) {
                findings.add("journey-without-links", journeyLabel(id, nonJourneyPoints) + ": " +
                                                          check::whyWithoutLinks(database, id));
            }
        } else if (startsWith(text, selfLinkStart + line.journey + ": Link ID:") &&
                   endsWith(text, selfLinkEnd)) {
            // "<start><journey>: Link ID:<link> Duplicate Node ID:<node>. Discarded."
            const auto start = (selfLinkStart + line.journey + ": Link ID:").size();
            const std::string rest = text.substr(start, text.size() - start - selfLinkEnd.size());
            const auto at = rest.find(selfLinkNode);
            findings.add("self-link", at == std::string::npos
                                          ? journey + ": " + text
                                          : journey + ": link " + shown(rest.substr(0, at)) + " from " +
                                                shown(rest.substr(at + selfLinkNode.size())) + " to itself");
        } else if (text ==
                   "CPersist::ReadCJourneyCollection: database: " + file + " : mandatory fields missing.") {
            if (journeysReadable) {
                findings.add("statement-failed",
                             "reading the journey list: the library found required columns of "
                             "journeys missing");
            }
        } else if (text == "CPersist::GetCGraphSorter: database: " + file + " : mandatory fields missing.") {
            if (schema.usable("links") && schema.usable("link_nodes")) {
                findings.add("statement-failed", "reading the links of " + journey +
                                                     ": the library found required columns of links or "
                                                     "link_nodes missing");
            }
        } else if (startsWith(text, "CPersist::ReadCCueCollection: " + file + " : ")) {
            if (cuesReadable) {
                findings.add("statement-failed",
                             "reading the cue catalogue: " +
                                 text.substr(("CPersist::ReadCCueCollection: " + file + " : ").size()));
            }
        } else if (startsWith(text, "CPersist::GetCGraphSorter: " + file + " : ")) {
            if (linksReadable) {
                findings.add("statement-failed",
                             "reading the links of " + journey + ": " +
                                 text.substr(("CPersist::GetCGraphSorter: " + file + " : ").size()));
            }
        } else if (line.level >= 16) {
            // Level 16 is the library's level for database failures.
            findings.add("statement-failed", inJourney + text);
        }
    }
}

// Compares each loaded journey with the links it is made of: link nodes of its links that it does
// not hold were reached from no start node, and more than one start node interleaves the journey.
void compareJourneys(const Network& network, const check::JourneyLinks& links, Findings& findings) {
    const auto& journeys = network.journeys.journeys;
    for (std::size_t i = 0; i < journeys.size(); ++i) {
        const pw::CJourney& journey = journeys[i];
        const auto found = links.find(journey.id);
        // A journey without link nodes is a journey-without-links finding already.
        if (journey.linkNodes.empty() || found == links.end()) {
            continue;
        }
        // The first link node is the built-in ROOT of every loaded journey.
        std::set<std::string> loaded;
        for (auto node = journey.linkNodes.begin() + 1; node != journey.linkNodes.end(); ++node) {
            loaded.insert(node->id);
        }
        std::set<std::string> nodes;
        std::set<std::string> entered;
        for (const auto& [from, to] : found->second) {
            nodes.insert(from);
            nodes.insert(to);
            entered.insert(to);
        }
        std::vector<std::string> unreachable;
        std::vector<std::string> starts;
        for (const std::string& node : nodes) {
            if (loaded.count(node) == 0) {
                unreachable.push_back(node);
            }
            if (entered.count(node) == 0) {
                starts.push_back(node);
            }
        }
        const bool points = i < network.journeys.nonJourneyPointsCount;
        const std::string label = (points ? "non-journey points " : "journey ") + shown(journey.id);
        if (!unreachable.empty()) {
            findings.add("unreachable-link-nodes",
                         label + ": " + check::shownList(unreachable) +
                             (starts.empty() ? " (no start node: the links form a closed ring)" : ""));
        }
        // The order of the non-journey points means nothing.
        if (starts.size() > 1 && !points) {
            findings.add("several-start-nodes", label + ": " + check::shownList(starts));
        }
    }
}

int runCheck(const CheckOptions& options) {
    Output output(options.output);
    NetworkDatabase opened(options.database);
    Findings findings;
    check::checkDatabase(opened, options.nonJourneyPoints, findings);
    const std::string file = opened.csqlite().GetDatabaseFilename();
    if (options.format == Format::Json) {
        findings.writeJson(output.stream(), file);
    } else {
        findings.writeText(output.stream(), file);
    }
    output.finish();
    return findings.count(check::Severity::Error) > 0 ? Failed : Success;
}

} // namespace

void check::checkDatabase(NetworkDatabase& opened, const std::string& nonJourneyPoints, Findings& findings) {
    Csqlite& database = opened.csqlite();
    check::checkIntegrity(database, findings);
    const Schema schema = Schema::inspect(database, findings);

    Network network;
    std::vector<LoadLog::Line> lines;
    {
        LoadLog log;
        const Csqlite::ReadTransaction transaction(database);
        loadEverything(database, schema, nonJourneyPoints, network, findings);
        lines = std::move(log.lines);
    }
    const std::set<std::string> reportedCueNames =
        check::checkTables(database, schema, network.cues, nonJourneyPoints, findings);
    interpretLog(lines, database, schema, nonJourneyPoints, reportedCueNames, findings);
    if (schema.usable("Journey_links") && schema.usable("links") && schema.usable("link_nodes")) {
        compareJourneys(network, check::readJourneyLinks(database, findings), findings);
    }
    check::checkFences(network.journeys, findings);
    check::checkIndexes(database, schema, findings);
    opened.requireFinished();
}

void addCheckCommand(CLI::App& app, Command& command) {
    CLI::App* check =
        addCommand(app, "check", "Load everything and report what is wrong with a network database",
                   "pathweave check network.db --non-journey-points NJP\n"
                   "pathweave check network.db --format json -o findings.json");
    auto options = std::make_shared<CheckOptions>();
    addDatabaseArgument(*check, options->database);
    addNonJourneyPointsOption(*check, options->nonJourneyPoints);
    addFormatOption(*check, options->format);
    addOutputOption(*check, options->output);
    check->callback([options, &command] { command = [options] { return runCheck(*options); }; });
}

} // namespace pwtool
