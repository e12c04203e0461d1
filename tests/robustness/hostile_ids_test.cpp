// Ids that a careless statement builder would let change its statements: quotes, SQL, LIKE
// wildcards, megabyte lengths, invalid UTF-8 and NUL bytes, as journey, link, link node, point and
// cue ids. They must come back exactly as stored, find exactly what they name, and leave the
// database file as it was.

#include "robustness/robustness_support.h"
#include "support/log_capture.h"
#include "support/network_schema.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/journey_query.h>
#include <pathweave/persist.h>

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

using Value = std::variant<std::string, double>;
using Texts = std::vector<std::string>;

std::string repeatedTo(const std::string& piece, std::size_t size) {
    std::string text;
    while (text.size() < size) {
        text += piece;
    }
    text.resize(size);
    return text;
}

// Every text that could change a statement's meaning if it were placed between quotes unchanged.
Texts hostileTexts() {
    return {
        "'",
        "''",
        "' OR '1'='1",
        "'; DROP TABLE cues; --",
        "%",
        "_",
        "%_%' OR id LIKE '%",
        "\\'",
        "x'); DELETE FROM attributes; SELECT ('",
        std::string("\xff\xfe\x80", 3),         // bytes that never occur in UTF-8
        std::string("\xc3\x28\xc0\xaf", 4),     // a broken pair and an overlong slash
        std::string("\xed\xa0\x80\xf4\x90", 5), // a surrogate and a code point past the last
        repeatedTo("x", 1 << 20),
        repeatedTo("' OR '1'='1", 1 << 20),
    };
}

std::string shown(const std::string& text) {
    return text.size() > 40 ? text.substr(0, 20) + "... (" + std::to_string(text.size()) + " bytes)" : text;
}

// Inserts one row with every text bound exactly, NUL bytes and invalid UTF-8 included.
void insertRow(sqlite3* db, const std::string& table, const std::vector<Value>& values) {
    std::string sql = "INSERT INTO " + table + " VALUES (";
    for (std::size_t i = 0; i < values.size(); ++i) {
        sql += i == 0 ? "?" : ", ?";
    }
    sql += ");";
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int parameter = static_cast<int>(i + 1);
        if (const auto* text = std::get_if<std::string>(&values[i])) {
            sqlite3_bind_text(statement, parameter, text->data(), static_cast<int>(text->size()),
                              SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_double(statement, parameter, std::get<double>(values[i]));
        }
    }
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE) << sqlite3_errmsg(db);
    sqlite3_finalize(statement);
}

// The rows of `sql` prepared as it is, without the wrapper's statement cache: the first column of each.
Texts firstColumns(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    Texts rows;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) ==
            SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, 0));
                rows.emplace_back(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, 0)));
            }
        } else {
            rows.push_back(std::string("prepare failed: ") + sqlite3_errmsg(db));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

std::string endOf(const std::string& id) { return "end:" + id; }
double latitudeOf(std::size_t i) { return static_cast<double>(i) + 0.5; }
double longitudeOf(std::size_t i) { return -static_cast<double>(i) - 0.25; }
double distanceOf(std::size_t i) { return static_cast<double>(i) + 1.5; }

class HostileIds : public ::testing::Test {
protected:
    void SetUp() override { pwtest::resetSymbolLists(); }
    void TearDown() override { pwtest::resetSymbolLists(); }

    // A journey per text: the text is the journey's id, its one link's id, the link's start node id,
    // that node's point id, and the name of the one cue that the journey and the node list and that
    // serves as their transition cues.
    void makeNetwork(const Texts& texts) {
        fixture = std::make_unique<pwtest::TempDatabase>(pwtest::schemaSql());
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(fixture->path().c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const std::string& id = texts[i];
            insertRow(db, "cues", {id, std::string("ENTER_TRANSITION"), id});
            insertRow(db, "journeys", {id, id, id, id, 1.0});
            insertRow(db, "Journey_links", {id, id});
            insertRow(db, "links", {id, id, endOf(id), distanceOf(i)});
            insertRow(db, "link_nodes", {id, id, id, 1.0, 2.0, 3.0, 4.0});
            insertRow(db, "link_nodes", {endOf(id), endOf(id), std::string(), 0.0, 0.0, 0.0, 0.0});
            insertRow(db, "attributes", {id, std::string("LAT"), std::to_string(latitudeOf(i))});
            insertRow(db, "attributes", {id, std::string("LONG"), std::to_string(longitudeOf(i))});
            insertRow(db, "attributes", {id, std::string("IsCircular"), std::string("1")});
        }
        sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        bytes = pwtest::readFile(fixture->path());
        database = std::make_unique<Csqlite>(fixture->path());
        ASSERT_TRUE(database->valid) << database->errorMessage;
        persist = std::make_unique<pw::CPersist>(database.get());
    }

    // Whether the database file holds the bytes it was made with and nothing was added beside it.
    void expectDatabaseUnchanged() {
        database.reset();
        EXPECT_TRUE(pwtest::readFile(fixture->path()) == bytes) << "the database file changed";
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(fixture->folder())) {
            static_cast<void>(entry);
            ++files;
        }
        EXPECT_EQ(files, 1u) << "files appeared beside the database";
    }

    std::vector<pwtest::LogLine> rejections() const {
        std::vector<pwtest::LogLine> lines;
        for (const pwtest::LogLine& line : capture.lines()) {
            if (line.level >= 8) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    pwtest::LogCapture capture;
    std::unique_ptr<pwtest::TempDatabase> fixture;
    std::string bytes;
    std::unique_ptr<Csqlite> database;
    std::unique_ptr<pw::CPersist> persist;
};

TEST_F(HostileIds, areReadBackExactlyAndFindExactlyWhatTheyName) {
    const Texts texts = hostileTexts();
    makeNetwork(texts);
    const std::string& nonJourneyPoints = texts[2];

    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    persist->ReadCCueCollection(&catalogue);
    persist->ReadCJourneyCollection(&network, catalogue, nonJourneyPoints, "");

    ASSERT_EQ(catalogue.cues.size(), texts.size());
    ASSERT_EQ(network.journeys.size(), texts.size() + 1);
    ASSERT_EQ(network.GetNonJourneyPoints()->id, nonJourneyPoints);
    EXPECT_EQ(network.GetNonJourneyPoints()->linkNodes.size(), 3u);

    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& id = texts[i];
        SCOPED_TRACE("id " + shown(id));
        const pw::CCue* cue = catalogue.find(id);
        ASSERT_NE(cue, nullptr);
        EXPECT_TRUE(cue->name == id);
        EXPECT_TRUE(cue->arguments == Texts{id});

        const auto journey = network.find(id);
        ASSERT_NE(journey, network.journeys.end());
        EXPECT_TRUE(journey->id == id);
        ASSERT_EQ(journey->cues.cues.size(), 1u);
        EXPECT_TRUE(journey->cues.cues.begin()->first == id);
        EXPECT_EQ(journey->entryCue, cue);
        EXPECT_EQ(journey->exitCue, nullptr);
        EXPECT_EQ(journey->linkTransitionCue, cue);

        persist->ReadCJourney(&*journey, catalogue);
        ASSERT_EQ(journey->linkNodes.size(), 3u);
        const pw::CLinkNode& start = journey->linkNodes[1];
        const pw::CLinkNode& end = journey->linkNodes[2];
        EXPECT_TRUE(start.id == id);
        EXPECT_TRUE(end.id == endOf(id));
        EXPECT_EQ(start.point.latitude, latitudeOf(i));
        EXPECT_EQ(start.point.longitude, longitudeOf(i));
        ASSERT_EQ(start.cues.cues.size(), 1u);
        EXPECT_EQ(start.cues.cues.begin()->second.cue, cue);
        EXPECT_EQ(start.transitionCue, cue);
        EXPECT_TRUE(start.bounds.valid);
        EXPECT_EQ(end.distance, distanceOf(i));
        EXPECT_EQ(end.transitionCue, cue);
        EXPECT_EQ(journey->order, pw::CJourney::Circular);
        EXPECT_EQ(journey->find(id), journey->linkNodes.begin() + 1);
        EXPECT_EQ(journey->SetCurrent(endOf(id)), journey->linkNodes.begin() + 2);

        EXPECT_EQ(persist->getAttrAsDouble(id, "LAT"), std::make_pair(latitudeOf(i), true));
        EXPECT_EQ(persist->getAttrAsBool(id, "IsCircular"), std::make_pair(true, true));

        pw::CJourneyCollection single;
        persist->ReadCJourneyCollection(&single, catalogue, "", id);
        ASSERT_EQ(single.journeys.size(), 1u);
        EXPECT_TRUE(single.journeys.front().id == id);

        EXPECT_TRUE(network.SetCurrent(id) == journey);
    }
    EXPECT_TRUE(rejections().empty()) << rejections().front().text.substr(0, 200);
    expectDatabaseUnchanged();
}

TEST_F(HostileIds, keepTheirMeaningInTheStatementsPreparedAsWritten) {
    const Texts texts = hostileTexts();
    makeNetwork(texts);
    for (const std::string& id : texts) {
        SCOPED_TRACE("id " + shown(id));
        EXPECT_TRUE(firstColumns(fixture->path(), CJourneyListQuery().BuildQuery(id, pw::field::Required)) ==
                    Texts{id});
        EXPECT_TRUE(firstColumns(fixture->path(), CJourneyDataQuery().BuildQuery(
                                                      id, pw::field::Required | pw::field::DistanceTransit |
                                                              pw::field::BoundingBox)) == Texts{id});
    }
    expectDatabaseUnchanged();
}

TEST_F(HostileIds, holdingANulByteAreReadBackExactlyAndFindNothingThroughAStatement) {
    const std::string journeyId("nul\0journey", 11);
    const std::string linkId("nul\0link", 8);
    const std::string nodeId("nul\0node", 8);
    const std::string pointId("nul\0point", 9);
    const std::string cueName("nul\0cue", 7);
    makeNetwork({});
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(fixture->path().c_str(), &db), SQLITE_OK);
        insertRow(db, "cues", {cueName, std::string("SIMPLE"), std::string("a\0b", 3)});
        insertRow(db, "journeys", {journeyId, cueName, cueName, cueName, 1.0});
        insertRow(db, "journeys", {std::string("carrier"), std::string(), std::string(), cueName, 1.0});
        insertRow(db, "Journey_links", {journeyId, linkId});
        insertRow(db, "Journey_links", {std::string("carrier"), linkId});
        insertRow(db, "links", {linkId, nodeId, std::string("end"), 5.0});
        insertRow(db, "link_nodes", {nodeId, pointId, cueName, 1.0, 2.0, 3.0, 4.0});
        insertRow(db, "link_nodes", {std::string("end"), std::string(), std::string(), 0.0, 0.0, 0.0, 0.0});
        insertRow(db, "attributes", {pointId, std::string("LAT"), std::string("9.5")});
        sqlite3_close(db);
        bytes = pwtest::readFile(fixture->path());
    }

    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    persist->ReadCCueCollection(&catalogue);
    persist->ReadCJourneyCollection(&network, catalogue, "", "");

    // Read back exactly, and found in memory.
    const pw::CCue* cue = catalogue.find(cueName);
    ASSERT_NE(cue, nullptr);
    EXPECT_EQ(cue->name, cueName);
    EXPECT_EQ(cue->arguments, Texts{std::string("a\0b", 3)});
    EXPECT_EQ(catalogue.find("nul"), nullptr);
    ASSERT_EQ(network.journeys.size(), 2u);
    EXPECT_EQ(network.journeys[0].id, journeyId);
    EXPECT_EQ(network.journeys[0].entryCue, cue);
    EXPECT_EQ(network.journeys[0].linkTransitionCue, cue);
    EXPECT_EQ(network.find(journeyId), network.journeys.begin());
    EXPECT_EQ(network.find("nul"), network.journeys.end());

    // A node reached through another journey's statement keeps its id, cues and point id.
    pw::CJourney& carrier = network.journeys[1];
    persist->ReadCJourney(&carrier, catalogue);
    ASSERT_EQ(carrier.linkNodes.size(), 3u);
    EXPECT_EQ(carrier.linkNodes[1].id, nodeId);
    EXPECT_EQ(carrier.find(nodeId), carrier.linkNodes.begin() + 1);
    EXPECT_EQ(carrier.find("nul"), carrier.linkNodes.end());
    EXPECT_EQ(carrier.linkNodes[1].cues.cues.count(cueName), 1u);
    EXPECT_EQ(carrier.linkNodes[2].distance, 5.0);
    // Its point is looked up by a statement, which cannot carry the byte: nothing is found.
    EXPECT_EQ(carrier.linkNodes[1].point.latitude, 0.0);
    EXPECT_EQ(persist->getAttrAsDouble(pointId, "LAT"), std::make_pair(0.0, false));
    EXPECT_EQ(persist->getAttrAsBool(pointId, "LAT"), std::make_pair(false, false));

    // So is the journey whose own id holds the byte, without a crash and with the failure logged.
    capture.clear();
    persist->ReadCJourney(&network.journeys[0], catalogue);
    EXPECT_TRUE(network.journeys[0].linkNodes.empty());
    const auto lines = rejections();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].level, 16);
    const std::string prefix = "CPersist::GetCGraphSorter: " + fixture->path() + " : ";
    EXPECT_EQ(lines[0].text.substr(0, prefix.size()), prefix);
    EXPECT_EQ(lines[1], (pwtest::LogLine{8, "CPersist::ReadCJourney: error reading: " + journeyId}));

    pw::CJourneyCollection single;
    capture.clear();
    persist->ReadCJourneyCollection(&single, catalogue, "", journeyId);
    EXPECT_TRUE(single.journeys.empty());
    EXPECT_TRUE(rejections().empty());
    expectDatabaseUnchanged();
}

} // namespace
