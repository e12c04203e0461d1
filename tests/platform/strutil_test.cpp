#include <gtest/gtest.h>
#include <strutil/strutil.h>

namespace {

using Pieces = std::vector<std::string>;

TEST(toupper, foldsOnlyAsciiLetters) {
    EXPECT_EQ(toupper("Exit_transition 9z@[`{"), "EXIT_TRANSITION 9Z@[`{");
    EXPECT_EQ(toupper(std::string("caf\xc3\xa9 \xff\0b", 8)), std::string("CAF\xc3\xa9 \xff\0B", 8));
}

TEST(CSVsplit, keepsEveryPieceBetweenWholeSeparatorsUntrimmed) {
    const struct {
        std::string text, separator;
        Pieces pieces;
    } cases[] = {{"a,,b,", ",", {"a", "", "b", ""}},
                 {" a , \"b", ",", {" a ", " \"b"}},
                 {"", ",", {""}},
                 {"a::b:c::", "::", {"a", "b:c", ""}},
                 {"a,b", "", {"a,b"}}};
    for (const auto& c : cases) {
        EXPECT_EQ(CSVsplit(c.text, c.separator), c.pieces) << c.text << " on " << c.separator;
    }
}

} // namespace
