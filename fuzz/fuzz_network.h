#pragma once

// What the fuzz targets share: a scratch folder of their own, databases made from untrusted SQL
// within limits, and a load of a database file the way a host loads one, with the library's
// promises checked on the way.

#include <cstddef>
#include <string>

struct sqlite3;

namespace pwfuzz {

/// The database file that the targets write, in a folder of this process's own that is removed at
/// exit.
const std::string& databasePath();

/// Removes the database file and whatever SQLite made beside it (journal, WAL, shared memory).
void removeDatabase();

/// Runs `sql` into a new database file at `path`, statement by statement, skipping the statements
/// that fail. The SQL may not attach or write other files, nor change where SQLite keeps files, and
/// it runs within a budget of work and a limit on value sizes, so that no input can hang or exhaust
/// the process.
void makeDatabase(const std::string& path, const std::string& sql);

/// Gives the connection a budget of work; once it is spent, every statement is interrupted.
void limitWork(sqlite3* connection);

/// Loads the database file at `path` as a host does: the cue catalogue, the journey collection with
/// the non-journey points "NJP", every journey's link nodes, the global cues; then drives the model
/// as a host does (current journeys and link nodes, geo-fence tests, resets, copies). Aborts, so that
/// the fuzzer reports it, when the model breaks a promise of the library.
void loadLikeAHost(const std::string& path);

/// Replaces the log sink with one that takes each line and drops it.
void discardLog();

/// Aborts with `what` on standard error when `condition` is false.
void check(bool condition, const char* what);

} // namespace pwfuzz
