#pragma once

#include "support/log_capture.h"
#include "support/network_schema.h"
#include "support/statement_log.h"
#include "support/temp_database.h"

#include <csqlite/Csqlite.h>
#include <gtest/gtest.h>
#include <pathweave/persist.h>

#include <memory>
#include <string>
#include <vector>

namespace pwtest {

/// A test that reads a database made from SQL text, capturing log lines and statements, with
/// the process-wide symbol lists back in their first order.
class PersistTest : public ::testing::Test {
protected:
    void SetUp() override {
        pw::CPersist::latitudeSymbols[0] = "LAT";
        pw::CPersist::latitudeSymbols[1] = "lat";
        pw::CPersist::latitudeSymbols[2] = "Lat";
        pw::CPersist::longitudeSymbols[0] = "LONG";
        pw::CPersist::longitudeSymbols[1] = "long";
        pw::CPersist::longitudeSymbols[2] = "Long";
    }

    /// Makes the database from `sql` and binds `persist` to it.
    void open(const std::string& sql) {
        statementLog.reset();
        persist.reset();
        database.reset();
        fixture = std::make_unique<TempDatabase>(sql);
        database = std::make_unique<Csqlite>(fixture->path());
        ASSERT_TRUE(database->valid) << database->errorMessage;
        persist = std::make_unique<pw::CPersist>(database.get());
        statementLog = std::make_unique<StatementLog>(database->handle());
    }

    const std::string& fileName() const { return fixture->path(); }
    const std::vector<std::string>& statements() const { return statementLog->statements(); }
    const std::vector<LogLine>& lines() const { return capture.lines(); }

    LogCapture capture;
    std::unique_ptr<TempDatabase> fixture;
    std::unique_ptr<Csqlite> database;
    std::unique_ptr<pw::CPersist> persist;
    std::unique_ptr<StatementLog> statementLog;
};

using Lines = std::vector<LogLine>;
using Texts = std::vector<std::string>;

} // namespace pwtest
