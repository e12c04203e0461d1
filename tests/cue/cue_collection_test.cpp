#include "support/log_capture.h"

#include <gtest/gtest.h>
#include <pathweave/cue.h>

namespace {

using pw::CCue;
using pw::CCueCollection;
using pwtest::LogCapture;
using pwtest::LogLine;
using Lines = std::vector<LogLine>;

std::vector<std::string> keys(const pw::CCueSubset& subset) {
    std::vector<std::string> names;
    for (const auto& entry : subset.cues) {
        names.push_back(entry.first);
    }
    return names;
}

TEST(CCueCollection, keepsTheFirstCueOfAName) {
    CCueCollection catalogue;
    const CCue* first = catalogue.insert("bell", "SIMPLE", "a,b");
    ASSERT_NE(first, nullptr);

    EXPECT_EQ(catalogue.insert("bell", "GLOBAL", "c"), first);
    EXPECT_EQ(catalogue.cues.size(), 1u);
    EXPECT_EQ(first->type, CCue::Simple);
    EXPECT_EQ(first->arguments, (std::vector<std::string>{"a", "b"}));
}

TEST(CCueCollection, neverStoresAnEmptyName) {
    CCueCollection catalogue;
    EXPECT_EQ(catalogue.insert("", "GLOBAL", ""), nullptr);
    EXPECT_TRUE(catalogue.cues.empty());
    EXPECT_EQ(catalogue.find(""), nullptr);
}

TEST(CCueCollection, findsNamesExactly) {
    CCueCollection catalogue;
    const CCue* door = catalogue.insert("Door", "SIMPLE", "");
    EXPECT_EQ(catalogue.find("Door"), door);
    EXPECT_EQ(catalogue.find("door"), nullptr);
    EXPECT_EQ(catalogue.find("Door "), nullptr);
}

TEST(CCueCollection, clearDestroysEveryCue) {
    CCueCollection catalogue;
    catalogue.insert("a", "", "");
    catalogue.clear();
    EXPECT_TRUE(catalogue.cues.empty());
    EXPECT_EQ(catalogue.find("a"), nullptr);
}

TEST(CCueCollection, resolvesAListAndLogsEachNameItDoesNotHold) {
    CCueCollection catalogue;
    const CCue* bell = catalogue.insert("bell", "SIMPLE", "");
    const CCue* horn = catalogue.insert("horn", "SIMPLE", "");
    LogCapture capture;

    const pw::CCueSubset subset = catalogue.toCueSubset("horn,gong,bell");

    EXPECT_EQ(keys(subset), (std::vector<std::string>{"bell", "horn"}));
    EXPECT_EQ(subset.cues.at("bell").cue, bell);
    EXPECT_EQ(subset.cues.at("horn").cue, horn);
    EXPECT_EQ(capture.lines(),
              (Lines{{8, "CCueCollection::toCueSubset: Cue name not found in cue list:gong"}}));
}

TEST(CCueCollection, resolvesNamesUntrimmedAndLogsEmptyPieces) {
    CCueCollection catalogue;
    catalogue.insert("bell", "SIMPLE", "");
    LogCapture capture;

    const pw::CCueSubset subset = catalogue.toCueSubset("bell,, bell,");

    EXPECT_EQ(keys(subset), (std::vector<std::string>{"bell"}));
    EXPECT_EQ(capture.lines(),
              (Lines{{8, "CCueCollection::toCueSubset: Cue name not found in cue list:"},
                     {8, "CCueCollection::toCueSubset: Cue name not found in cue list: bell"},
                     {8, "CCueCollection::toCueSubset: Cue name not found in cue list:"}}));
}

TEST(CCueCollection, resolvesAnEmptyListOrARepeatedNameSilently) {
    CCueCollection catalogue;
    catalogue.insert("bell", "SIMPLE", "");
    LogCapture capture;

    EXPECT_TRUE(catalogue.toCueSubset("").cues.empty());
    EXPECT_EQ(keys(catalogue.toCueSubset("bell,bell")), (std::vector<std::string>{"bell"}));
    EXPECT_TRUE(capture.lines().empty());
}

TEST(CCueCollection, collectsGlobalCuesInNameOrderLoggingEachOne) {
    CCueCollection catalogue;
    catalogue.insert("zone", "global", "");
    catalogue.insert("Alarm", "GLOBAL", "");
    catalogue.insert("bell", "SIMPLE", "");
    catalogue.insert("odd", "GLOBAL ", "");
    LogCapture capture;

    const pw::CCueSubset globals = catalogue.toCueSubsetGlobal();

    EXPECT_EQ(keys(globals), (std::vector<std::string>{"Alarm", "zone"}));
    EXPECT_EQ(capture.lines(), (Lines{{2, "CCueCollection::toCueSubsetGlobal: adding global cue:Alarm"},
                                      {2, "CCueCollection::toCueSubsetGlobal: adding global cue:zone"}}));
}

TEST(CCueCollection, collectsNoGlobalCuesSilently) {
    CCueCollection catalogue;
    catalogue.insert("bell", "SIMPLE", "");
    LogCapture capture;
    EXPECT_TRUE(catalogue.toCueSubsetGlobal().cues.empty());
    EXPECT_TRUE(capture.lines().empty());
}

} // namespace
