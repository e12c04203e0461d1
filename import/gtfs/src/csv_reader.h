#pragma once

#include "feed.h"
#include "progress.h"

#include <pathweave/gtfs/findings.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct csv_parser;

namespace pw::gtfs {

/// A column that a reader of a feed file asks for.
struct Column {
    const char* name;
    bool required;
};

/// One data row of a CSV file, its fields in the order the reader asked for its columns. Valid
/// only during the call it is passed to.
class CsvRow {
public:
    /// The field of the asked-for column `column`; empty when the file has no such column.
    std::string_view operator[](std::size_t column) const {
        if (positions[column] < 0) {
            return {};
        }
        const auto at = static_cast<std::size_t>(positions[column]);
        return std::string_view(data.data() + starts[at], starts[at + 1] - starts[at]);
    }

    /// The line where the row starts (the header is line 1).
    uint64_t line = 0;

private:
    friend class CsvReader;
    std::string data;
    std::vector<std::size_t> starts{0};
    std::vector<int> positions;
};

/// Reads a CSV file of a feed as a stream, strictly as RFC 4180 has it (through libcsv): a
/// byte-order mark, CRLF or LF line ends, quoted fields with commas, doubled quotes and line ends,
/// columns in any order and unknown columns all read as they should. Blank lines are skipped;
/// rows with fewer or more fields than the header are reported and skipped.
class CsvReader {
public:
    /// A reader of the file `fileName` of `feed` that reports bad rows to `findings` and calls
    /// `progress` after each piece of the file with the bytes read so far and the file's size (0
    /// when unknown); returning false cancels the read. Every read is given one, so that an
    /// import can be cancelled in any file (askingOnly() for a file whose bytes are not shown).
    CsvReader(Feed& feed, std::string fileName, std::vector<Column> columns, Findings& findings,
              Progress progress);
    ~CsvReader();

    // Owns the parser.
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    /// Reads the file from its start, calling `handle` for each data row. Throws ImportError on a
    /// missing required column, malformed CSV or a read error, or when the progress callback
    /// cancels.
    void read(const std::function<void(const CsvRow&)>& handle);

    /// Whether the file's header has the asked-for column `column`; known once read() started.
    bool hasColumn(std::size_t column) const { return row.positions[column] >= 0; }

    const std::string& name() const { return file; }

private:
    static void onField(void* data, std::size_t size, void* self);
    static void onRowEnd(int terminator, void* self);
    void addField(const char* text, std::size_t size);
    void endRow(int terminator);
    void takeHeader();
    void rethrowPending();

    Feed& feed;
    std::string file;
    std::vector<Column> columns;
    Findings& findings;
    Progress progress;
    csv_parser* parser;

    CsvRow row;
    bool headerRead = false;
    std::size_t headerSize = 0;
    uint64_t line = 1;
    bool afterCarriageReturn = false;
    const std::function<void(const CsvRow&)>* handler = nullptr;
    std::exception_ptr pending;
};

} // namespace pw::gtfs
