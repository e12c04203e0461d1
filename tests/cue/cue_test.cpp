#include <gtest/gtest.h>
#include <pathweave/cue.h>

namespace {

using pw::CCue;
using Arguments = std::vector<std::string>;

TEST(CCue, recognisesEveryTypeTextWhateverItsCase) {
    EXPECT_EQ(CCue::toCueType("ENTER_TRANSITION"), 0x01u);
    EXPECT_EQ(CCue::toCueType("transition"), 0x01u);
    EXPECT_EQ(CCue::toCueType("Transition"), 0x01u);
    EXPECT_EQ(CCue::toCueType("exit_transition"), 0x02u);
    EXPECT_EQ(CCue::toCueType("Simple"), 0x04u);
    EXPECT_EQ(CCue::toCueType("global"), 0x08u);
    EXPECT_EQ(CCue::toCueType("JOURNEY_ENTRY_TRANSITION"), 0x10u);
    EXPECT_EQ(CCue::toCueType("journey_exit_transition"), 0x20u);
    EXPECT_EQ(CCue::toCueType("Link_Entry_Transition"), 0x40u);
    EXPECT_EQ(CCue::toCueType("LINK_EXIT_TRANSITION"), 0x80u);
}

TEST(CCue, givesTypeZeroForAnyOtherText) {
    for (const char* text : {"GLOBAL ", " SIMPLE", "ENTRY_TRANSITION", "", "GLOBAL\t", "GLOBALS", "GL0BAL"}) {
        EXPECT_EQ(CCue::toCueType(text), 0u) << '"' << text << '"';
    }
    EXPECT_EQ(CCue::toCueType(std::string("GLOBAL\0", 7)), 0u);
}

TEST(CCue, masksSelectEntryAndExitTransitions) {
    EXPECT_EQ(CCue::EntryTransitionMask, 0x51u);
    EXPECT_EQ(CCue::ExitTransitionMask, 0xA2u);
}

TEST(CCue, splitsArgumentsOnCommasWithoutTrimming) {
    EXPECT_EQ(CCue::toCueArguments(""), Arguments{});
    EXPECT_EQ(CCue::toCueArguments("a"), (Arguments{"a"}));
    EXPECT_EQ(CCue::toCueArguments("a,b,c"), (Arguments{"a", "b", "c"}));
    EXPECT_EQ(CCue::toCueArguments(" a,,B ,"), (Arguments{" a", "", "B ", ""}));
}

TEST(CCue, keepsItsNameAsGiven) {
    const CCue cue(" Door Open ", "link_exit_transition", "chime,2");
    EXPECT_EQ(cue.name, " Door Open ");
    EXPECT_EQ(cue.type, 0x80u);
    EXPECT_EQ(cue.arguments, (Arguments{"chime", "2"}));

    const CCue unnamed("", "", "");
    EXPECT_EQ(unnamed.name, "");
    EXPECT_EQ(unnamed.type, 0u);
    EXPECT_TRUE(unnamed.arguments.empty());
}

} // namespace
