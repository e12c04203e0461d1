#include "check_findings.h"

#include "json.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <utility>

namespace pwtool::check {

namespace {

// Keep in step with docs/check-codes.md: every code here has a section there.
const std::vector<FindingKind> kinds = {
    {"missing-table", Severity::Error,
     "A table that the library reads is missing, so nothing it would hold can be loaded."},
    {"missing-column", Severity::Error,
     "A table lacks a column that the library requires, so the library reads nothing from that table."},
    {"statement-failed", Severity::Error,
     "SQLite could not prepare or run a statement on the database, so what it reads is missing from the "
     "loaded network."},
    {"quick-check-failed", Severity::Error,
     "SQLite's own consistency check (PRAGMA quick_check) found damage in the database file."},
    {"unknown-cue", Severity::Error,
     "A cue list or a transition cue names a cue that is not in the cues table, so the library skips "
     "that name."},
    {"duplicate-cue", Severity::Error,
     "Several rows of cues have the same cue_id; the library keeps the first row it reads and drops the "
     "others."},
    {"duplicate-journey", Severity::Error,
     "Several rows of journeys have the same JOURNEY_ID; each is loaded as a journey, but a host finds "
     "only the first."},
    {"journey-without-links", Severity::Error,
     "A journey has no link that the library can read, so it loads without any link node."},
    {"self-link", Severity::Error,
     "A link goes from a link node to itself; the library drops the link, and the node does not enter "
     "the journey through it."},
    {"unreachable-link-nodes", Severity::Error,
     "Link nodes of a journey's links are reached from no start node (a closed ring or a detached part), "
     "so the library leaves them out of the journey."},
    {"missing-link", Severity::Error,
     "A row of Journey_links names a LINK_ID that is not in links, so that link is not part of the "
     "journey."},
    {"missing-link-node", Severity::Error,
     "A link of a journey names a link node that is not in link_nodes, so the library drops the link."},
    {"missing-box-columns", Severity::Warning,
     "link_nodes lacks some of the four bounding-box columns, so every link node's box is invalid and "
     "contains every position."},
    {"unknown-cue-type", Severity::Warning,
     "A cue's type text is none of the nine type names, so the cue is neither an entry, an exit nor a "
     "global cue."},
    {"several-start-nodes", Severity::Warning,
     "A journey has several start nodes (link nodes that no link enters), so its link nodes are "
     "interleaved level by level instead of following one chain."},
    {"point-without-coordinates", Severity::Warning,
     "A link node's point has no usable latitude or longitude in attributes, so the missing coordinate "
     "reads as 0."},
    {"missing-box", Severity::Warning,
     "A link node has no bounding box (all four limits are 0 or NULL), so its geo-fence contains every "
     "position."},
    {"invalid-box", Severity::Warning,
     "A link node's bounding box has a minimum that is not strictly below its maximum, so the box is "
     "invalid and contains every position."},
    {"point-outside-box", Severity::Warning, "A link node's point lies outside its own bounding box."},
    {"oversized-box", Severity::Warning,
     "A link node's bounding box is more than 2 km across, far larger than a stop's geo-fence, so the "
     "node is entered long before the stop."},
    {"overlapping-fences", Severity::Warning,
     "The geo-fences of two consecutive link nodes of a journey overlap, so one position lies in both and "
     "a host that tests each fence announces both at once; shrink them to meet halfway."},
    {"random-and-circular", Severity::Warning,
     "A journey is marked both random and circular (IsRandom and IsCircular are both 1), so the library "
     "loads it in standard order."},
    {"suspicious-id", Severity::Warning,
     "An id is empty, has a blank at either end or a control character, is a cue id with a comma, or is "
     "a link node named ROOT, which is likely a mistake."},
    {"empty-cue-name-piece", Severity::Warning,
     "A cue list has an empty name (two commas in a row, or a comma at either end), which the library "
     "looks up and logs as not found."},
    {"unclear-flag", Severity::Warning,
     "A journey flag has a value other than 1 or 0, or a symbol spelled other than IsRandom or "
     "IsCircular, so it reads as false or is not read at all."},
    {"missing-index", Severity::Info,
     "An index that makes loading fast is missing, so every lookup scans the whole table (slow on a "
     "large database); `pathweave index {database}` creates it."},
    {"overlapping-nonconsecutive-fences", Severity::Info,
     "The geo-fences of two link nodes of one journey that are not consecutive overlap (a route that "
     "passes one place twice, or fences larger than the stops' spacing)."},
    {"links-of-unknown-journey", Severity::Info,
     "Journey_links has rows for a JOURNEY_ID that is neither a row of journeys nor the non-journey points "
     "id, so nothing reads those links."},
};

const FindingKind& kindOf(const std::string& code) {
    const auto kind =
        std::find_if(kinds.begin(), kinds.end(), [&code](const FindingKind& k) { return code == k.code; });
    if (kind == kinds.end()) {
        throw std::logic_error("unknown finding code '" + code + "'");
    }
    return *kind;
}

std::string messageFor(const FindingKind& kind, const std::string& database) {
    std::string message = kind.message;
    const std::string placeholder = "{database}";
    const auto at = message.find(placeholder);
    if (at != std::string::npos) {
        message.replace(at, placeholder.size(), database);
    }
    return message;
}

std::string counted(std::size_t count, const char* noun) {
    return std::to_string(count) + ' ' + noun + (count == 1 ? "" : "s");
}

} // namespace

const char* severityName(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    default:
        return "info";
    }
}

const std::vector<FindingKind>& findingKinds() { return kinds; }

std::string shown(const std::string& id) {
    std::string text = "'";
    for (const char ch : id) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '\n') {
            text += "\\n";
        } else if (ch == '\t') {
            text += "\\t";
        } else if (ch == '\r') {
            text += "\\r";
        } else if (byte < 0x20 || byte == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text += escape;
        } else {
            text += ch;
        }
    }
    return text + "'";
}

std::string shownList(const std::vector<std::string>& ids, std::size_t limit) {
    std::string text;
    for (std::size_t i = 0; i < ids.size() && i < limit; ++i) {
        text += (i == 0 ? "" : ", ") + shown(ids[i]);
    }
    if (ids.size() > limit) {
        text += " and " + std::to_string(ids.size() - limit) + " more";
    }
    return text;
}

void Findings::add(const std::string& code, const std::string& example) {
    add(code, example, kindOf(code).severity);
}

void Findings::add(const std::string& code, const std::string& example, Severity severity) {
    record(code, example, severity, Subject());
}

void Findings::add(const std::string& code, const std::string& example, Subject subject) {
    record(code, example, kindOf(code).severity, std::move(subject));
}

void Findings::record(const std::string& code, const std::string& example, Severity severity,
                      Subject subject) {
    kindOf(code);
    Group& group = groups[code];
    group.severity = std::max(group.severity, severity);
    if (group.seen.insert(example).second) {
        group.examples.push_back(example);
        group.subjects.push_back(std::move(subject));
    }
}

bool Findings::has(const std::string& code) const { return groups.count(code) != 0; }

std::size_t Findings::count(Severity severity) const {
    std::size_t total = 0;
    for (const auto& entry : groups) {
        if (entry.second.severity == severity) {
            total += entry.second.examples.size();
        }
    }
    return total;
}

std::vector<Findings::Instance> Findings::instances() const {
    std::vector<Instance> result;
    for (const auto& [kind, group] : ordered()) {
        for (std::size_t i = 0; i < group->examples.size(); ++i) {
            result.push_back({kind, group->severity, &group->examples[i], &group->subjects[i]});
        }
    }
    return result;
}

std::vector<std::pair<const FindingKind*, const Findings::Group*>> Findings::ordered() const {
    std::vector<std::pair<const FindingKind*, const Group*>> result;
    for (const Severity severity : {Severity::Error, Severity::Warning, Severity::Info}) {
        for (const FindingKind& kind : kinds) {
            const auto group = groups.find(kind.code);
            if (group != groups.end() && group->second.severity == severity) {
                result.emplace_back(&kind, &group->second);
            }
        }
    }
    return result;
}

void Findings::writeText(std::ostream& out, const std::string& database) const {
    for (const auto& [kind, group] : ordered()) {
        out << severityName(group->severity) << ' ' << kind->code << " (" << group->examples.size()
            << "): " << messageFor(*kind, database) << '\n';
        const std::size_t shownCount = std::min(group->examples.size(), exampleLimit);
        for (std::size_t i = 0; i < shownCount; ++i) {
            out << "  " << group->examples[i] << '\n';
        }
        if (group->examples.size() > shownCount) {
            out << "  ... and " << group->examples.size() - shownCount << " more\n";
        }
    }
    out << database << ": " << counted(count(Severity::Error), "error") << ", "
        << counted(count(Severity::Warning), "warning") << ", " << counted(count(Severity::Info), "info")
        << '\n';
}

void Findings::writeJson(std::ostream& out, const std::string& database) const {
    JsonValue findings = JsonValue::array();
    for (const auto& [kind, group] : ordered()) {
        const auto end = group->examples.begin() +
                         static_cast<std::ptrdiff_t>(std::min(group->examples.size(), exampleLimit));
        findings.push_back(JsonValue{{"severity", severityName(group->severity)},
                                     {"code", kind->code},
                                     {"message", messageFor(*kind, database)},
                                     {"count", group->examples.size()},
                                     {"examples", std::vector<std::string>(group->examples.begin(), end)}});
    }
    pwtool::writeJson(out, JsonValue{{"database", database},
                                     {"summary",
                                      {{"errors", count(Severity::Error)},
                                       {"warnings", count(Severity::Warning)},
                                       {"infos", count(Severity::Info)}}},
                                     {"findings", std::move(findings)}});
}

} // namespace pwtool::check
