#pragma once

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
    /// Where one occurrence is: a file of the feed and its line (1 is the header; 0 when the
    /// finding is about the file or the feed as a whole).
    struct Example {
        std::string file;
        uint64_t line;
        std::string detail;
    };

    struct Group {
        const FindingKind* kind;
        uint64_t count = 0;
        std::vector<Example> examples;
    };

    static constexpr std::size_t exampleLimit = 10;

    /// Adds an occurrence of the finding `code`, which must be one of findingKinds().
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
