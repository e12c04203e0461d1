#include <pathweave/gtfs/findings.h>

#include <stdexcept>

namespace pw::gtfs {

namespace {

// Keep in step with docs/gtfs-import.md: every code here has a line there.
const std::vector<FindingKind> kinds = {
    {"cannot-read-feed", Severity::Error, "The feed cannot be opened or one of its files cannot be read."},
    {"missing-file", Severity::Error, "A file that the import needs is not in the feed."},
    {"missing-column", Severity::Error, "A file lacks a column that the import needs."},
    {"malformed-csv", Severity::Error,
     "A file is not valid CSV (a stray or unclosed quote, or a field over 1 MiB); nothing after that "
     "point can be trusted."},
    {"unknown-route-option", Severity::Error,
     "A route_id among the routes to keep is not in routes.txt, so the import cannot keep that route."},
    {"no-journeys", Severity::Error, "No journey results from the feed with the options given."},
    {"short-row", Severity::Warning, "A row has fewer fields than the header; it is skipped."},
    {"long-row", Severity::Warning, "A row has more fields than the header; it is skipped."},
    {"duplicate-key", Severity::Warning,
     "A row repeats the key of an earlier row (a stop_id, route_id, trip_id, service_id or date); the "
     "later row is skipped."},
    {"bad-value", Severity::Warning,
     "A field that must be a number, a date or one of a few values is empty or is not; the row is "
     "skipped."},
    {"bad-coordinate", Severity::Warning,
     "A stop's or a shape point's latitude or longitude is missing or out of range; the row is skipped."},
    {"unknown-route", Severity::Warning,
     "A trip names a route_id that routes.txt does not have; it is skipped."},
    {"unknown-trip", Severity::Warning,
     "A row names a trip_id that trips.txt does not have (or whose row was skipped); it is skipped."},
    {"unknown-stop", Severity::Warning,
     "A stop_times row names a stop_id that stops.txt does not have (or whose row was skipped); it is "
     "skipped."},
    {"unknown-service", Severity::Warning,
     "Trips are chosen by date and a trip names a service_id that neither calendar.txt nor "
     "calendar_dates.txt has; it is left out."},
    {"stop-sequence-not-increasing", Severity::Warning,
     "A trip has two stop_times rows with the same stop_sequence; the later row is skipped."},
    {"trip-too-short", Severity::Warning,
     "A trip has fewer than two stops (after its bad rows were skipped), so it makes no journey."},
    {"shape-dist-unit", Severity::Warning,
     "shape_dist_traveled fits no known unit (metres, kilometres, miles, feet) against the straight-line "
     "distances, so it is not used."},
    {"shape-far-from-stops", Severity::Warning,
     "A stop of a pattern lies more than 200 m from its shape, so the pattern's distances are measured "
     "stop to stop instead."},
    {"fences-too-close", Severity::Warning,
     "Two consecutive stops of a pattern are less than 2 m apart, so their fences are left overlapping."},
    {"lone-non-journey-point", Severity::Warning,
     "Only one stop is served by no chosen trip; a journey needs a link, so it is not stored."},
    {"unknown-shape", Severity::Info,
     "A trip names a shape_id that shapes.txt does not have; its distances are measured without it."},
    {"repeated-stop", Severity::Info,
     "A trip lists the same stop twice in a row; the two are taken as one stop."},
    {"stop-visited-again", Severity::Info,
     "A pattern passes a stop a second time; that visit gets a link node of its own, named "
     "<stop_id>#<visit>, so that the journey keeps its order."},
};

} // namespace

const std::vector<FindingKind>& findingKinds() { return kinds; }

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

void Findings::add(const std::string& code, const std::string& file, uint64_t line,
                   const std::string& detail) {
    auto found = groups.find(code);
    if (found == groups.end()) {
        const FindingKind* kind = nullptr;
        for (const FindingKind& candidate : kinds) {
            if (code == candidate.code) {
                kind = &candidate;
            }
        }
        if (kind == nullptr) {
            throw std::logic_error("unknown finding code '" + code + "'");
        }
        found = groups.emplace(code, Group{kind, 0, {}}).first;
    }
    Group& group = found->second;
    ++group.count;
    if (group.examples.size() < exampleLimit) {
        group.examples.push_back({file, line, detail});
    }
}

void Findings::merge(const Findings& other) {
    for (const auto& [code, theirs] : other.groups) {
        Group& ours = groups.emplace(code, Group{theirs.kind, 0, {}}).first->second;
        ours.count += theirs.count;
        for (const Example& example : theirs.examples) {
            if (ours.examples.size() < exampleLimit) {
                ours.examples.push_back(example);
            }
        }
    }
}

std::vector<const Findings::Group*> Findings::ordered() const {
    std::vector<const Group*> result;
    for (const Severity severity : {Severity::Error, Severity::Warning, Severity::Info}) {
        for (const FindingKind& kind : kinds) {
            const auto found = groups.find(kind.code);
            if (found != groups.end() && kind.severity == severity) {
                result.push_back(&found->second);
            }
        }
    }
    return result;
}

uint64_t Findings::count(Severity severity) const {
    uint64_t total = 0;
    for (const auto& entry : groups) {
        total += entry.second.kind->severity == severity ? entry.second.count : 0;
    }
    return total;
}

uint64_t Findings::count(const std::string& code) const {
    const auto found = groups.find(code);
    return found == groups.end() ? 0 : found->second.count;
}

} // namespace pw::gtfs
