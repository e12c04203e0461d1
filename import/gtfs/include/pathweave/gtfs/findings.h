#pragma once

// What the GTFS importer found wrong with a feed: each kind of finding with its code, its
// severity and its message, and the findings of one import, counted by code with the first few
// places of each. docs/gtfs-import.md lists the codes.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pw::gtfs {

/// How much a finding matters. An error stops the import: no database is written.
enum class Severity { Error, Warning, Info };

/// One kind of finding, as docs/gtfs-import.md lists it.
struct FindingKind {
    const char* code;
    Severity severity;
    const char* message; ///< one sentence: what happened and what the importer did about it
};

/// Every kind the importer reports, in report order within a severity.
const std::vector<FindingKind>& findingKinds();

/// The lower-case name of a severity: "error", "warning" or "info".
const char* severityName(Severity severity);

/// What the importer found wrong with a feed, grouped by code. Each group counts every
/// occurrence and keeps the first `exampleLimit` of them with their place, so that a feed with a
/// million bad rows takes no more memory than one with ten.
class Findings {
public:
    /// One occurrence: where it is and what it is about.
    struct Example {
        /// The file of the feed ("stop_times.txt"); empty when the finding is about the feed or
        /// the options as a whole.
        std::string file;
        /// The line of `file` where the row starts: 1 is the header; 0 when the finding is about
        /// the file as a whole, or the line is not known.
        uint64_t line;
        /// What was found there, naming the ids and values concerned ("stop_id 'X': '95', '0'").
        std::string detail;
    };

    /// Every occurrence of one kind of finding.
    struct Group {
        /// The kind, one of findingKinds().
        const FindingKind* kind;
        /// Every occurrence, however many.
        uint64_t count = 0;
        /// The first occurrences, in the order they were found: at most exampleLimit.
        std::vector<Example> examples;
    };

    /// How many occurrences of each code keep their place as an Example.
    static constexpr std::size_t exampleLimit = 10;

    /// Adds an occurrence of the finding `code`. Throws std::logic_error when `code` is none of
    /// findingKinds(): a mistake of the code that adds it, not of the feed.
    void add(const std::string& code, const std::string& file, uint64_t line, const std::string& detail);

    /// Adds every occurrence of `other`, keeping the example limit.
    void merge(const Findings& other);

    /// The groups: errors first, then warnings, then infos, each in the order of findingKinds().
    std::vector<const Group*> ordered() const;

    /// Occurrences of findings of this severity.
    uint64_t count(Severity severity) const;

    /// Occurrences of the finding `code`.
    uint64_t count(const std::string& code) const;

private:
    std::map<std::string, Group> groups;
};

} // namespace pw::gtfs
