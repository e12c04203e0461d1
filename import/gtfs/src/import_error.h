#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace pw::gtfs {

/// Stops an import. importFeed turns it into the report's failure and, when `code` is not empty,
/// into a finding of that code.
class ImportError : public std::runtime_error {
public:
    ImportError(std::string findingCode, std::string feedFile, uint64_t fileLine, const std::string& message)
        : std::runtime_error(message), code(std::move(findingCode)), file(std::move(feedFile)),
          line(fileLine) {}

    std::string code;
    std::string file;
    uint64_t line;
};

/// A reason given by the system or a library, worded as the importer's messages are: in lower case,
/// but for a leading abbreviation ("CRC error").
inline std::string lowerCase(std::string reason) {
    if (reason.size() > 1 && reason[0] >= 'A' && reason[0] <= 'Z' &&
        !(reason[1] >= 'A' && reason[1] <= 'Z')) {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    return reason;
}

/// The text of an errno value, in lower case.
inline std::string errnoText(int error) { return lowerCase(std::strerror(error)); }

} // namespace pw::gtfs
