#pragma once

#include <cstdint>
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

} // namespace pw::gtfs
