#include "bench_support.h"

#include <pathweave/persist.h>

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace pwbench {

namespace {

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The text with every single-quoted literal replaced by "?", and the literals' values.
void takeLiterals(Statement& statement) {
    const std::string& text = statement.text;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\'') {
            statement.shape += text[at];
            continue;
        }
        std::string value;
        for (++at; at < text.size(); ++at) {
            if (text[at] == '\'') {
                if (at + 1 < text.size() && text[at + 1] == '\'') {
                    ++at;
                } else {
                    break;
                }
            }
            value += text[at];
        }
        statement.shape += '?';
        statement.literals.push_back(std::move(value));
    }
}

Statement makeStatement(Statement::Kind kind, std::string text) {
    Statement statement{kind, std::move(text), {}, {}, {}};
    takeLiterals(statement);
    return statement;
}

int trace(unsigned, void* context, void* statement, void*) {
    char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
    static_cast<std::vector<std::string>*>(context)->emplace_back(sql != nullptr ? sql : "");
    sqlite3_free(sql);
    return 0;
}

// A text as the least a reader can do: no text for NULL, else its bytes.
std::size_t readText(sqlite3_stmt* statement, int pos) {
    const unsigned char* text = sqlite3_column_text(statement, pos);
    return text != nullptr ? static_cast<std::size_t>(sqlite3_column_bytes(statement, pos)) : 0;
}

// A number as the least a reader can do: SQLite reads NULL as 0.0, the readers' default.
double readNumber(sqlite3_stmt* statement, int pos) { return sqlite3_column_double(statement, pos); }

// The columns each check looks for, in the order the readers test them.
std::size_t lookUpColumns(sqlite3_stmt* statement, const std::string& text) {
    static const char* const journeys[] = {
        "JOURNEY_ID", "JOURNEY_TRANSITION_CUE", "LINK_TRANSITION_CUE", "CUES", "SELECTABLE", nullptr};
    static const char* const links[] = {"LINK_ID", "LINKNODE_ID1", "LINKNODE_ID2", "DISTANCE_TRANSIT",
                                        nullptr};
    static const char* const linkNodes[] = {"LINKNODE_ID", "POINT_ID",  "CUES",      "BBLATMIN",
                                            "BBLATMAX",    "BBLONGMIN", "BBLONGMAX", nullptr};
    const char* const* names = text == "select * from journeys;" ? journeys
                               : text == "select * from links;"  ? links
                                                                 : linkNodes;
    std::size_t found = 0;
    const int count = sqlite3_column_count(statement);
    for (const char* const* name = names; *name != nullptr; ++name) {
        for (int pos = 0; pos < count; ++pos) {
            const char* column = sqlite3_column_name(statement, pos);
            if (column != nullptr && std::strcmp(column, *name) == 0) {
                found += static_cast<std::size_t>(pos);
                break;
            }
        }
    }
    return found;
}

} // namespace

std::string networkDirectory() {
    const char* configured = std::getenv("PATHWEAVE_BENCH_NETWORKS");
    return configured != nullptr && *configured != '\0' ? configured : PATHWEAVE_BENCH_NETWORKS;
}

std::string network(const NetworkSpec& spec, bool indexed) {
    const std::string directory = networkDirectory();
    const std::string path = directory + "/" + networkFileName(spec, indexed);
    if (!std::filesystem::exists(path)) {
        std::cout << "Generating " << path << " ..." << std::endl;
    }
    return ensureNetwork(directory, spec, indexed);
}

void resetSymbolLists() {
    pw::CPersist::latitudeSymbols[0] = "LAT";
    pw::CPersist::latitudeSymbols[1] = "lat";
    pw::CPersist::latitudeSymbols[2] = "Lat";
    pw::CPersist::longitudeSymbols[0] = "LONG";
    pw::CPersist::longitudeSymbols[1] = "long";
    pw::CPersist::longitudeSymbols[2] = "Long";
}

std::size_t Model::linkNodes() const {
    std::size_t count = 0;
    for (const pw::CJourney& journey : journeys.journeys) {
        count += journey.linkNodes.size();
    }
    return count;
}

void load(Csqlite& database, Model& model, std::size_t journeyLimit) {
    resetSymbolLists();
    pw::CPersist reader(&database);
    reader.ReadCCueCollection(&model.cues);
    reader.ReadCJourneyCollection(&model.journeys, model.cues, nonJourneyPointsId, "");
    std::size_t read = 0;
    for (auto journey = model.journeys.journeys.begin() + model.journeys.nonJourneyPointsCount;
         journey != model.journeys.journeys.end() && read < journeyLimit; ++journey, ++read) {
        reader.ReadCJourney(&*journey, model.cues);
    }
}

std::vector<Statement> recordLoad(Csqlite& database, std::size_t journeyLimit) {
    std::vector<std::string> traced;
    sqlite3_trace_v2(database.handle(), SQLITE_TRACE_STMT, trace, &traced);
    {
        Model model;
        load(database, model, journeyLimit);
    }
    sqlite3_trace_v2(database.handle(), 0, nullptr, nullptr);

    std::vector<Statement> statements;
    statements.reserve(traced.size() + traced.size() / 8);
    for (std::string& text : traced) {
        if (startsWith(text, "select value from attributes ")) {
            statements.push_back(makeStatement(Statement::Attribute, std::move(text)));
        } else if (startsWith(text, "SELECT lk.LINK_ID,")) {
            statements.push_back(makeStatement(Statement::ColumnCheck, "select * from links;"));
            statements.push_back(makeStatement(Statement::ColumnCheck, "select * from link_nodes;"));
            statements.push_back(makeStatement(Statement::JourneyData, std::move(text)));
        } else if (startsWith(text, "SELECT JOURNEY_ID,")) {
            statements.push_back(makeStatement(Statement::ColumnCheck, "select * from journeys;"));
            statements.push_back(makeStatement(Statement::JourneyList, std::move(text)));
        } else if (startsWith(text, "select cue_id,")) {
            statements.push_back(makeStatement(Statement::CueCatalogue, std::move(text)));
        } else {
            throw std::runtime_error("a load ran a statement of no known kind: " + text);
        }
    }
    return statements;
}

std::size_t distinctShapes(const std::vector<Statement>& statements) {
    std::map<std::string, int> shapes;
    for (const Statement& statement : statements) {
        shapes.emplace(statement.shape, 0);
    }
    return shapes.size();
}

CompileCounter::CompileCounter(sqlite3* db) : connection(db) { sqlite3_set_authorizer(db, authorize, this); }

CompileCounter::~CompileCounter() { sqlite3_set_authorizer(connection, nullptr, nullptr); }

int CompileCounter::authorize(void* self, int action, const char*, const char*, const char*, const char*) {
    if (action == SQLITE_SELECT) {
        ++static_cast<CompileCounter*>(self)->count;
    }
    return SQLITE_OK;
}

Floors::Floors(const std::string& path, std::vector<Statement> statements) : sequence(std::move(statements)) {
    if (sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(connection);
        throw std::runtime_error("cannot open " + path);
    }
    std::map<std::string, std::size_t> shapes;
    shapeOf.reserve(sequence.size());
    for (Statement& statement : sequence) {
        const auto found = shapes.emplace(statement.shape, prepared.size());
        if (found.second) {
            sqlite3_stmt* shape = nullptr;
            if (sqlite3_prepare_v3(connection, statement.shape.c_str(),
                                   static_cast<int>(statement.shape.size()), SQLITE_PREPARE_PERSISTENT,
                                   &shape, nullptr) != SQLITE_OK) {
                throw std::runtime_error("cannot prepare " + statement.shape);
            }
            prepared.push_back(shape);
        }
        shapeOf.push_back(found.first->second);
        if (statement.kind == Statement::JourneyData) {
            // Which rows bring a node the graph does not hold yet, as the graph loader sees them.
            sqlite3_stmt* shape = prepared[found.first->second];
            bind(shape, statement);
            std::set<std::string> nodes;
            while (sqlite3_step(shape) == SQLITE_ROW) {
                const auto* start = reinterpret_cast<const char*>(sqlite3_column_text(shape, 2));
                const auto* end = reinterpret_cast<const char*>(sqlite3_column_text(shape, 9));
                const bool newStart = nodes.insert(start != nullptr ? start : "").second;
                const bool newEnd = nodes.insert(end != nullptr ? end : "").second;
                statement.newNodes.push_back(
                    static_cast<unsigned char>((newStart ? 1 : 0) | (newEnd ? 2 : 0)));
            }
            sqlite3_reset(shape);
        }
    }
}

Floors::~Floors() {
    for (sqlite3_stmt* statement : prepared) {
        sqlite3_finalize(statement);
    }
    sqlite3_close(connection);
}

void Floors::bind(sqlite3_stmt* statement, const Statement& what) const {
    int parameter = 0;
    for (const std::string& literal : what.literals) {
        sqlite3_bind_text(statement, ++parameter, literal.data(), static_cast<int>(literal.size()),
                          SQLITE_STATIC);
    }
}

std::size_t Floors::run(sqlite3_stmt* statement, const Statement& what) const {
    std::size_t sink = 0;
    switch (what.kind) {
    case Statement::ColumnCheck:
        return lookUpColumns(statement, what.text);
    case Statement::Attribute:
        if (sqlite3_step(statement) == SQLITE_ROW) {
            sink += readText(statement, 0);
        }
        return sink;
    case Statement::CueCatalogue:
    case Statement::JourneyList:
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int pos = 0; pos < (what.kind == Statement::CueCatalogue ? 3 : 4); ++pos) {
                sink += readText(statement, pos);
            }
        }
        return sink;
    case Statement::JourneyData:
        for (std::size_t row = 0; sqlite3_step(statement) == SQLITE_ROW; ++row) {
            const unsigned char newNodes = row < what.newNodes.size() ? what.newNodes[row] : 3;
            double numbers = readNumber(statement, 1);
            for (const int pos : {0, 2, 9}) {
                sink += readText(statement, pos);
            }
            if (newNodes & 1) {
                sink += readText(statement, 3) + readText(statement, 4);
                for (const int pos : {5, 6, 7, 8}) {
                    numbers += readNumber(statement, pos);
                }
            }
            if (newNodes & 2) {
                sink += readText(statement, 10) + readText(statement, 11);
                for (const int pos : {12, 13, 14, 15}) {
                    numbers += readNumber(statement, pos);
                }
            }
            sink += numbers > 0.0 ? 1 : 0;
        }
        return sink;
    }
    return sink;
}

std::size_t Floors::reprepare() {
    std::size_t sink = 0;
    for (const Statement& statement : sequence) {
        sqlite3_stmt* statementOfText = nullptr;
        sqlite3_prepare_v2(connection, statement.text.c_str(), static_cast<int>(statement.text.size()),
                           &statementOfText, nullptr);
        sink += run(statementOfText, statement);
        sqlite3_finalize(statementOfText);
    }
    return sink;
}

std::size_t Floors::bound() {
    std::size_t sink = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        sqlite3_stmt* shape = prepared[shapeOf[i]];
        bind(shape, sequence[i]);
        sink += run(shape, sequence[i]);
        sqlite3_reset(shape);
    }
    return sink;
}

std::size_t Floors::boundInTransaction() {
    sqlite3_exec(connection, "BEGIN;", nullptr, nullptr, nullptr);
    const std::size_t sink = bound();
    sqlite3_exec(connection, "COMMIT;", nullptr, nullptr, nullptr);
    return sink;
}

std::size_t residentBytes() {
    std::FILE* status = std::fopen("/proc/self/statm", "r");
    if (status == nullptr) {
        return 0;
    }
    unsigned long pages = 0;
    unsigned long resident = 0;
    const int read = std::fscanf(status, "%lu %lu", &pages, &resident);
    std::fclose(status);
    return read == 2 ? static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE))
                     : 0;
}

std::size_t peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

} // namespace pwbench
