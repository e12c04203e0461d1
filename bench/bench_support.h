#pragma once

#include "network_generator.h"

#include <csqlite/Csqlite.h>
#include <pathweave/cue.h>
#include <pathweave/journey.h>

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace pwbench {

/// The folder that keeps the generated networks between runs: $PATHWEAVE_BENCH_NETWORKS when set,
/// else the one under the build tree.
std::string networkDirectory();

/// The network of `spec` with or without the recommended indexes, generated when missing; says so
/// on standard output when it has to generate.
std::string network(const NetworkSpec& spec, bool indexed);

/// Puts the process-wide attribute symbol lists back in their first order, so that every load of a
/// network runs the same statements.
void resetSymbolLists();

/// What a host holds after loading a network.
struct Model {
    pw::CCueCollection cues;
    pw::CJourneyCollection journeys;

    /// Link nodes of every journey, the non-journey points and each journey's ROOT included.
    std::size_t linkNodes() const;
};

constexpr std::size_t allJourneys = std::numeric_limits<std::size_t>::max();

/// Loads the way a host does at start: the cue catalogue, the journey collection with the
/// non-journey points, then the link nodes of the first `journeyLimit` journeys (all by default).
void load(Csqlite& database, Model& model, std::size_t journeyLimit = allJourneys);

/// One statement of a load, as the library's connection ran it.
struct Statement {
    enum Kind { ColumnCheck, CueCatalogue, JourneyList, JourneyData, Attribute };
    Kind kind;
    std::string text;
    /// The text with its single-quoted literals replaced by "?", and the literals' values.
    std::string shape;
    std::vector<std::string> literals;
    /// Of a journey data statement, for each row: 1 when the row's start node is new to the graph,
    /// 2 when its end node is; the reader reads the columns of a new node only.
    std::vector<unsigned char> newNodes;
};

/// The statements of one load of the first `journeyLimit` journeys, in order, recorded from the
/// library's own connection with sqlite3_trace_v2 (texts from sqlite3_expanded_sql). The trace sees
/// a statement when it is stepped; the column checks, which the readers prepare but never step, are
/// put back where the readers run them: "select * from journeys;" before the journey list, "select
/// * from links;" and "select * from link_nodes;" before each journey's data statement.
std::vector<Statement> recordLoad(Csqlite& database, std::size_t journeyLimit = allJourneys);

/// The number of distinct shapes among `statements`.
std::size_t distinctShapes(const std::vector<Statement>& statements);

/// Counts the SQL compilations on a connection while it lives: SQLite asks the authorizer about
/// every SELECT it compiles.
class CompileCounter {
public:
    explicit CompileCounter(sqlite3* connection);
    ~CompileCounter();

    // The authorizer points at this object.
    CompileCounter(const CompileCounter&) = delete;
    CompileCounter& operator=(const CompileCounter&) = delete;

    std::size_t compilations() const { return count; }

private:
    static int authorize(void* self, int action, const char*, const char*, const char*, const char*);

    sqlite3* connection;
    std::size_t count = 0;
};

/// A load's statements replayed through the raw SQLite C API on a connection of its own: the least
/// that any reader of these statements can spend. Each statement is run as the library runs it:
/// column checks look up the names the readers test and step nothing, an attribute lookup steps
/// once, the other statements step every row; every column the readers read is read as text or as
/// a number, as they read it (of a journey's links, the columns of a node the graph does not hold
/// yet, found out once beforehand).
class Floors {
public:
    Floors(const std::string& path, std::vector<Statement> statements);
    ~Floors();

    // One connection, one owner.
    Floors(const Floors&) = delete;
    Floors& operator=(const Floors&) = delete;

    /// Prepares each text anew, runs it and finalizes it.
    std::size_t reprepare();
    /// Runs every statement through one prepared statement per shape, kept for the whole run, with
    /// the literals bound as parameters.
    std::size_t bound();
    /// `bound` inside one read transaction.
    std::size_t boundInTransaction();

    const std::vector<Statement>& statements() const { return sequence; }

private:
    std::size_t run(sqlite3_stmt* statement, const Statement& what) const;
    void bind(sqlite3_stmt* statement, const Statement& what) const;

    sqlite3* connection = nullptr;
    std::vector<Statement> sequence;
    std::vector<sqlite3_stmt*> prepared;
    std::vector<std::size_t> shapeOf;
};

/// Current and peak resident set size of the process, in bytes.
std::size_t residentBytes();
std::size_t peakResidentBytes();

} // namespace pwbench
