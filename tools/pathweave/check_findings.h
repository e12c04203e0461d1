#pragma once

// The findings of `pathweave check`: the codes it knows, how instances are collected by code and
// how the report is written. docs/check-codes.md documents every code listed here.

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

namespace pwtool::check {

/// How bad a finding is. Errors make the check fail (exit code 1).
enum class Severity { Info = 0, Warning = 1, Error = 2 };

/// "info", "warning" or "error".
const char* severityName(Severity severity);

/// One kind of finding: its stable code, its usual severity and the sentence that explains it.
struct FindingKind {
    const char* code;
    Severity severity;
    /// One sentence for a database author; "{database}" stands for the database's path.
    const char* message;
};

/// Every code, in the order the report lists codes of one severity.
const std::vector<FindingKind>& findingKinds();

/// `id` between single quotes, with control characters made visible (\n, \t, \r, \xNN), so that
/// blanks at either end show and a report line never breaks.
std::string shown(const std::string& id);

/// Up to `limit` of `ids`, each shown, separated by ", ", then "and N more" for the rest.
std::string shownList(const std::vector<std::string>& ids, std::size_t limit = 10);

/// What a finding concerns, for a reader that places findings on a map without parsing their
/// text: a journey's id (empty when the finding concerns the link nodes wherever they are used)
/// and link node ids. Empty when the finding has no place.
struct Subject {
    std::string journey;
    std::vector<std::string> linkNodes;
};

/// The findings of one check, grouped by code.
class Findings {
public:
    /// One recorded instance: its kind, the severity of its code's group, its example and its
    /// subject.
    struct Instance {
        const FindingKind* kind;
        Severity severity;
        const std::string* example;
        const Subject* subject;
    };

    /// Records an instance of `code` concerning the objects that `example` names. An example
    /// recorded already for the code counts once. The group's severity is the highest of its
    /// instances; `severity` defaults to the code's own. An unknown code is a programming error
    /// and throws std::logic_error.
    void add(const std::string& code, const std::string& example);
    void add(const std::string& code, const std::string& example, Severity severity);
    /// As add(code, example), with what the instance concerns.
    void add(const std::string& code, const std::string& example, Subject subject);

    /// Whether an instance of `code` has been recorded.
    bool has(const std::string& code) const;

    /// The number of instances of this severity, over all codes.
    std::size_t count(Severity severity) const;

    /// Every instance in report order, valid while the findings live and get no new instance.
    std::vector<Instance> instances() const;

    /// At most this many examples of a code are written.
    static constexpr std::size_t exampleLimit = 20;

    /// The report as text: one block per code (severity, code, count, sentence, examples), then a
    /// summary line.
    void writeText(std::ostream& out, const std::string& database) const;

    /// The report as one JSON object: database, summary (errors, warnings, infos) and findings
    /// (severity, code, message, count, examples).
    void writeJson(std::ostream& out, const std::string& database) const;

private:
    void record(const std::string& code, const std::string& example, Severity severity, Subject subject);

    struct Group {
        Severity severity = Severity::Info;
        std::vector<std::string> examples;
        /// One per example; most are empty.
        std::vector<Subject> subjects;
        std::unordered_set<std::string> seen;
    };

    // The groups in report order: errors first, then by the order of findingKinds().
    std::vector<std::pair<const FindingKind*, const Group*>> ordered() const;

    std::map<std::string, Group> groups;
};

} // namespace pwtool::check
