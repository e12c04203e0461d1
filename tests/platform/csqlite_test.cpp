#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using pwtest::TempDatabase;

const char* const people = "CREATE TABLE people (name TEXT, age REAL, note TEXT);"
                           "INSERT INTO people VALUES ('Ann', 31.5, NULL);"
                           "INSERT INTO people VALUES ('Bob', NULL, 'x');";

TEST(Csqlite, opensAnExistingDatabaseReadOnly) {
    TempDatabase fixture(people);
    const std::string before = pwtest::readFile(fixture.path());

    Csqlite db(fixture.path());
    ASSERT_TRUE(db.valid) << db.errorMessage;
    EXPECT_EQ(db.errorMessage, "");
    EXPECT_EQ(db.GetDatabaseFilename(), fixture.path());
    ASSERT_NE(db.handle(), nullptr);

    Csqlite::CsqliteQuerySelect write("INSERT INTO people VALUES ('Cy', 1, '');", db);
    ASSERT_TRUE(write.valid);
    EXPECT_FALSE(write.Step());
    EXPECT_EQ(write.errorMessage, "attempt to write a readonly database");
    EXPECT_EQ(pwtest::readFile(fixture.path()), before);
}

TEST(Csqlite, refusesAMissingFileWithoutCreatingIt) {
    TempDatabase fixture("");
    const std::string missing = fixture.folder() + "/missing.db";

    Csqlite db(missing);
    EXPECT_FALSE(db.valid);
    EXPECT_EQ(db.errorMessage, "cannot open database '" + missing + "': no such file");
    EXPECT_EQ(db.handle(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(Csqlite, refusesADirectoryAndAFileThatIsNoDatabase) {
    TempDatabase fixture("");
    Csqlite folder(fixture.folder());
    EXPECT_FALSE(folder.valid);
    EXPECT_EQ(folder.errorMessage, "cannot open database '" + fixture.folder() + "': is a directory");

    const std::string text = fixture.folder() + "/notes.txt";
    std::ofstream(text) << "These are not the pages of an SQLite database, whatever the name says.\n";
    Csqlite notes(text);
    EXPECT_FALSE(notes.valid);
    EXPECT_EQ(notes.errorMessage, "cannot open database '" + text + "': file is not a database");

    Csqlite::CsqliteQuerySelect query("SELECT 1;", notes);
    EXPECT_FALSE(query.valid);
    EXPECT_EQ(query.errorMessage, "database is not open");
    EXPECT_FALSE(query.Step());
}

TEST(CsqliteQuerySelect, readsRowsByPositionWithDefaultsForNull) {
    TempDatabase fixture(people);
    Csqlite db(fixture.path());
    Csqlite::CsqliteQuerySelect query("SELECT name, age, note FROM people ORDER BY name;", db);
    ASSERT_TRUE(query.valid) << query.errorMessage;

    EXPECT_EQ(query.GetColumnAsString(0, "none"), "none") << "no row is current before Step";

    ASSERT_TRUE(query.Step());
    EXPECT_EQ(query.GetColumnAsString(0, ""), "Ann");
    EXPECT_EQ(query.GetColumnAsDouble(1, 0.0), 31.5);
    EXPECT_EQ(query.GetColumnAsString(1, ""), "31.5");
    EXPECT_EQ(query.GetColumnAsString(2, "null"), "null");
    EXPECT_EQ(query.GetColumnAsDouble(2, -1.0), -1.0);
    EXPECT_EQ(query.GetColumnAsString(3, "out"), "out");
    EXPECT_EQ(query.GetColumnAsDouble(-1, 7.0), 7.0);

    ASSERT_TRUE(query.Step());
    EXPECT_EQ(query.GetColumnAsString(0, ""), "Bob");
    EXPECT_EQ(query.GetColumnAsDouble(1, 2.5), 2.5);
    EXPECT_EQ(query.GetColumnAsDouble(2, 9.0), 0.0) << "text that is no number reads as SQLite converts it";

    EXPECT_FALSE(query.Step());
    EXPECT_FALSE(query.Step()) << "a finished cursor does not start again";
    EXPECT_EQ(query.errorMessage, "");
}

TEST(CsqliteQuerySelect, findsColumnsByExactNameBeforeTheFirstStep) {
    TempDatabase fixture(people);
    Csqlite db(fixture.path());
    Csqlite::CsqliteQuerySelect query("SELECT name, age AS Age FROM people;", db);
    ASSERT_TRUE(query.valid);
    EXPECT_EQ(query.GetColumnIndex("name"), 0);
    EXPECT_EQ(query.GetColumnIndex("Age"), 1);
    EXPECT_EQ(query.GetColumnIndex("age"), -1);
    EXPECT_EQ(query.GetColumnIndex("note"), -1);
}

TEST(CsqliteQuerySelect, keepsEveryByteOfAText) {
    TempDatabase fixture("");
    Csqlite db(fixture.path());
    Csqlite::CsqliteQuerySelect query("SELECT CAST(x'41004280' AS TEXT), x'00ff';", db);
    ASSERT_TRUE(query.Step());
    EXPECT_EQ(query.GetColumnAsString(0, ""), std::string("A\0B\x80", 4));
    EXPECT_EQ(query.GetColumnAsString(1, ""), std::string("\0\xff", 2));
}

TEST(CsqliteQuerySelect, reportsAStatementThatCannotBePrepared) {
    TempDatabase fixture(people);
    Csqlite db(fixture.path());

    Csqlite::CsqliteQuerySelect missingTable("select a from nowhere;", db);
    EXPECT_FALSE(missingTable.valid);
    EXPECT_EQ(missingTable.errorMessage, "no such table: nowhere");
    EXPECT_FALSE(missingTable.Step());
    EXPECT_EQ(missingTable.GetColumnIndex("a"), -1);
    EXPECT_EQ(missingTable.GetColumnAsString(0, "d"), "d");

    Csqlite::CsqliteQuerySelect empty("", db);
    EXPECT_FALSE(empty.valid);
    EXPECT_EQ(empty.errorMessage, "no statement in the text");
}

} // namespace
