#pragma once

#include <string>

namespace pwtest {

/// A database file made from SQL text in a fresh temporary folder, removed with the object.
class TempDatabase {
public:
    /// Runs `sql` into a new database file; a failing statement fails the current test.
    explicit TempDatabase(const std::string& sql);
    ~TempDatabase();

    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    /// The database file's path.
    const std::string& path() const { return file; }
    /// The temporary folder that holds the file; tests may put other files there.
    const std::string& folder() const { return directory; }

private:
    std::string directory;
    std::string file;
};

/// Reads a whole file's bytes.
std::string readFile(const std::string& path);

} // namespace pwtest
