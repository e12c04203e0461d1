#include "support/log_capture.h"

#include <gtest/gtest.h>
#include <pathweave/cue.h>
#include <strutil/strutil.h>

namespace {

using pw::CCue;
using Texts = std::vector<std::string>;

Texts keys(const pw::CCueSubset& subset) {
    Texts names;
    for (const auto& [name, element] : subset.cues) {
        names.push_back(name + (element.state ? "+" : ""));
    }
    return names;
}

TEST(CCue, takesTheTypeBitOfItsUpperCasedTypeTextAndSplitsItsArgumentsOnCommas) {
    const Texts bits = CSVsplit("ENTER_TRANSITION,Exit_Transition,simple,GLOBAL,journey_entry_transition,"
                                "JOURNEY_EXIT_TRANSITION,Link_Entry_Transition,LINK_EXIT_TRANSITION",
                                ",");
    for (uint32_t bit = 0; bit < 8; ++bit) {
        EXPECT_EQ(CCue("cue", bits[bit], "").type, 1u << bit) << bits[bit];
    }
    EXPECT_EQ(CCue::toCueType("transition"), CCue::EnterTransition);
    const std::string others[] = {"GLOBAL ", "ENTRY_TRANSITION", "", "GLOBALS", std::string("GLOBAL\0", 7)};
    for (const std::string& other : others) {
        EXPECT_EQ(CCue::toCueType(other), 0u) << other;
    }
    EXPECT_EQ(CCue::toCueArguments(""), Texts{});
    EXPECT_EQ(CCue(" A cue ", "", " a,,B ,").arguments, (Texts{" a", "", "B ", ""}));
}

TEST(CCueSubset, keysCuesByNameBytewiseAndInsertingClearsOnlyTheInsertedState) {
    const CCue door("door", "SIMPLE", ""), other("door", "GLOBAL", ""), upper("Door", "", ""),
        high("\xc3\x84", "", "");
    pw::CCueSubset subset;
    for (const CCue* cue : {&door, &high, static_cast<const CCue*>(nullptr)}) {
        subset.insert(cue);
    }
    subset.SetState(true);
    pw::CCueSubset copy = subset;
    subset.insert(&upper);
    subset.insert(&other);
    copy.SetState(false);
    EXPECT_EQ(keys(subset), (Texts{"Door", "door", "\xc3\x84+"})) << "a copy has states of its own";
    EXPECT_EQ(subset.cues.at("door").cue, &other);
    EXPECT_EQ(keys(copy), (Texts{"door", "\xc3\x84"}));
}

TEST(CCueCollection, keepsTheFirstCueOfANameFindsNamesExactlyAndResolvesNameListsLoggingUnknownNames) {
    pw::CCueCollection catalogue;
    const CCue* bell = catalogue.insert("bell", "SIMPLE", "a,b");
    EXPECT_EQ(catalogue.insert("bell", "GLOBAL", "c"), bell);
    EXPECT_EQ(catalogue.insert("", "GLOBAL", ""), nullptr);
    catalogue.insert("horn", "global", "");
    EXPECT_TRUE(catalogue.find("bell") == bell && !catalogue.find("Bell") && !catalogue.find("bell ") &&
                !catalogue.find(""));
    pwtest::LogCapture capture;
    const pw::CCueSubset subset = catalogue.toCueSubset("horn,gong,bell,, bell,bell,");
    EXPECT_EQ(keys(subset), (Texts{"bell", "horn"}));
    EXPECT_EQ(subset.cues.at("bell").cue, bell);
    EXPECT_EQ(keys(catalogue.toCueSubsetGlobal()), Texts{"horn"});
    const std::string missing = "CCueCollection::toCueSubset: Cue name not found in cue list:";
    EXPECT_EQ(capture.lines(), (std::vector<pwtest::LogLine>{
                                   {8, missing + "gong"},
                                   {8, missing},
                                   {8, missing + " bell"},
                                   {8, missing},
                                   {2, "CCueCollection::toCueSubsetGlobal: adding global cue:horn"}}));
}

} // namespace
