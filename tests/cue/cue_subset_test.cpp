#include <gtest/gtest.h>
#include <pathweave/cue.h>

namespace {

using pw::CCue;
using pw::CCueSubset;

std::vector<std::string> keys(const CCueSubset& subset) {
    std::vector<std::string> names;
    for (const auto& entry : subset.cues) {
        names.push_back(entry.first);
    }
    return names;
}

TEST(CCueSubset, ignoresANullCue) {
    CCueSubset subset;
    subset.insert(nullptr);
    EXPECT_TRUE(subset.cues.empty());
}

TEST(CCueSubset, replacesACueOfTheSameNameAndClearsOnlyItsState) {
    const CCue first("bell", "SIMPLE", "");
    const CCue second("bell", "GLOBAL", "");
    const CCue other("horn", "SIMPLE", "");
    CCueSubset subset;
    subset.insert(&first);
    subset.insert(&other);
    subset.SetState(true);

    subset.insert(&second);

    ASSERT_EQ(subset.cues.size(), 2u);
    EXPECT_EQ(subset.cues.at("bell").cue, &second);
    EXPECT_FALSE(subset.cues.at("bell").state);
    EXPECT_EQ(subset.cues.at("horn").cue, &other);
    EXPECT_TRUE(subset.cues.at("horn").state);
}

TEST(CCueSubset, listsCuesInByteWiseNameOrder) {
    const CCue lower("door", "", "");
    const CCue upper("Door", "", "");
    const CCue longer("doors", "", "");
    const CCue high("\xc3\x84rger", "", "");
    CCueSubset subset;
    for (const CCue* cue : {&high, &longer, &lower, &upper}) {
        subset.insert(cue);
    }
    EXPECT_EQ(keys(subset), (std::vector<std::string>{"Door", "door", "doors", "\xc3\x84rger"}));
}

TEST(CCueSubset, copiesCarryTheirOwnStates) {
    const CCue bell("bell", "SIMPLE", "");
    CCueSubset source;
    source.SetState(true);
    EXPECT_TRUE(source.cues.empty());

    source.insert(&bell);
    source.SetState(true);
    CCueSubset copy = source;
    EXPECT_EQ(copy.cues.at("bell").cue, &bell);
    EXPECT_TRUE(copy.cues.at("bell").state);

    copy.SetState(false);
    EXPECT_TRUE(source.cues.at("bell").state);
}

} // namespace
