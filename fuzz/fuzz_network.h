#pragma once

// What the fuzz targets share: a database file of their own, made from untrusted SQL within limits,
// and a load of it as the tests load one, with the library's promises checked on the way.

#include <string>

namespace pwfuzz {

/// The database file of the targets, in a folder of this process's own, removed at exit.
const std::string& databasePath();

/// Removes the database file and whatever SQLite made beside it (journal, WAL, shared memory).
void removeDatabase();

/// Runs `sql` into the database file at `path`, statement by statement, skipping those that fail.
/// The SQL may not reach other files, and it runs within a budget of work and a limit on value sizes.
void makeDatabase(const std::string& path, const std::string& sql);

/// Aborts, which the fuzzer reports, with `what` when `condition` is false: a broken promise.
void check(bool condition, const char* what);

/// Loads the database file at `path` as the tests do (non-journey points "NJP") and drives the model
/// as a host does; aborts, which the fuzzer reports, when the model breaks a promise of the library.
void loadLikeAHost(const std::string& path);

} // namespace pwfuzz
