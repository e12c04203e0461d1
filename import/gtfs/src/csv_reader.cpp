#include "csv_reader.h"

#include "import_error.h"
#include "text.h"

#include <csv.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace pw::gtfs {

namespace {

constexpr std::size_t chunkSize = 1 << 16;
// No field of a sane feed comes near this; an unclosed quote would otherwise swallow the file.
constexpr std::size_t fieldLimit = 1 << 20;

void* limitedRealloc(void* pointer, std::size_t size) {
    return size > fieldLimit + chunkSize ? nullptr : std::realloc(pointer, size);
}

// Blanks are data: an id with a blank at its end keeps it.
int noSpace(unsigned char) { return 0; }

} // namespace

CsvReader::CsvReader(Feed& sourceFeed, std::string fileName, std::vector<Column> wanted, Findings& found,
                     Progress caller)
    : feed(sourceFeed), file(std::move(fileName)), columns(std::move(wanted)), findings(found),
      progress(std::move(caller)), parser(new csv_parser) {
    csv_init(parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL);
    csv_set_space_func(parser, noSpace);
    csv_set_realloc_func(parser, limitedRealloc);
    row.positions.assign(columns.size(), -1);
}

CsvReader::~CsvReader() {
    csv_free(parser);
    delete parser;
}

void CsvReader::onField(void* data, std::size_t size, void* self) {
    auto& reader = *static_cast<CsvReader*>(self);
    if (reader.pending) {
        return;
    }
    // No exception may pass through libcsv's C frames: it is kept and thrown once libcsv returns.
    try {
        reader.addField(static_cast<const char*>(data), size);
    } catch (...) {
        reader.pending = std::current_exception();
    }
}

void CsvReader::onRowEnd(int terminator, void* self) {
    auto& reader = *static_cast<CsvReader*>(self);
    if (reader.pending) {
        return;
    }
    try {
        reader.endRow(terminator);
    } catch (...) {
        reader.pending = std::current_exception();
    }
}

void CsvReader::addField(const char* text, std::size_t size) {
    if (size > 0) {
        row.data.append(text, size);
        // Line ends inside quoted fields count as lines of the file.
        line += static_cast<uint64_t>(std::count(text, text + size, '\n'));
    }
    row.starts.push_back(row.data.size());
    afterCarriageReturn = false;
}

void CsvReader::endRow(int terminator) {
    const std::size_t fields = row.starts.size() - 1;
    if (fields > 0) {
        if (!headerRead) {
            takeHeader();
        } else if (fields < headerSize) {
            findings.add("short-row", file, row.line,
                         std::to_string(fields) + " of " + std::to_string(headerSize) + " fields");
        } else if (fields > headerSize) {
            findings.add("long-row", file, row.line,
                         std::to_string(fields) + " fields, the header has " + std::to_string(headerSize));
        } else {
            (*handler)(row);
        }
    }
    // A CR LF pair ends one line; libcsv reports each of the two.
    if (terminator == '\r' || (terminator == '\n' && !afterCarriageReturn)) {
        ++line;
    }
    afterCarriageReturn = terminator == '\r';
    row.data.clear();
    row.starts.resize(1);
    row.line = line;
}

void CsvReader::rethrowPending() {
    if (pending) {
        std::exception_ptr error = pending;
        pending = nullptr;
        handler = nullptr;
        std::rethrow_exception(error);
    }
}

void CsvReader::takeHeader() {
    headerRead = true;
    headerSize = row.starts.size() - 1;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        for (std::size_t at = 0; at < headerSize; ++at) {
            // Some feeds put a blank after each comma of the header.
            if (trimmed(std::string_view(row.data).substr(
                    row.starts[at], row.starts[at + 1] - row.starts[at])) == columns[i].name) {
                row.positions[i] = static_cast<int>(at);
                break;
            }
        }
        if (row.positions[i] < 0 && columns[i].required) {
            throw ImportError("missing-column", file, 1,
                              std::string(file) + " has no column " + columns[i].name);
        }
    }
}

void CsvReader::read(const std::function<void(const CsvRow&)>& handle) {
    const std::unique_ptr<FeedFile> input = feed.openFile(file);
    handler = &handle;
    headerRead = false;
    pending = nullptr;
    line = 1;
    row.line = 1;
    std::vector<char> buffer(chunkSize);
    uint64_t done = 0;
    bool first = true;
    const auto failIfBad = [this](bool bad) {
        if (bad) {
            const int error = csv_error(parser);
            throw ImportError("malformed-csv", file, line,
                              file + " line " + std::to_string(line) + ": " +
                                  (error == CSV_EPARSE ? "a quote where none may be, or a quote left open"
                                                       : "a field over 1 MiB"));
        }
    };
    for (std::size_t got; (got = input->read(buffer.data(), buffer.size())) > 0;) {
        std::size_t skip = 0;
        if (first && got >= 3 && std::memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0) {
            skip = 3;
        }
        first = false;
        const std::size_t parsed =
            csv_parse(parser, buffer.data() + skip, got - skip, onField, onRowEnd, this);
        rethrowPending();
        failIfBad(parsed != got - skip);
        done += got;
        if (progress && !progress(done, input->size())) {
            throw ImportError("", file, line, "the import was cancelled");
        }
    }
    const int finished = csv_fini(parser, onField, onRowEnd, this);
    rethrowPending();
    failIfBad(finished != 0);
    handler = nullptr;
}

} // namespace pw::gtfs
