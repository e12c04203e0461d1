#include <gtest/gtest.h>
#include <strutil/strutil.h>

namespace {

using Pieces = std::vector<std::string>;

TEST(toupper, foldsOnlyAsciiLetters) {
    EXPECT_EQ(toupper("Exit_transition 9z"), "EXIT_TRANSITION 9Z");
    EXPECT_EQ(toupper("caf\xc3\xa9 \xff"), "CAF\xc3\xa9 \xff");
    EXPECT_EQ(toupper(std::string("a\0b", 3)), std::string("A\0B", 3));
    EXPECT_EQ(toupper(""), "");
}

TEST(CSVsplit, keepsEmptyPiecesAndBlanks) {
    EXPECT_EQ(CSVsplit("a,,b,", ","), (Pieces{"a", "", "b", ""}));
    EXPECT_EQ(CSVsplit(" a , b", ","), (Pieces{" a ", " b"}));
    EXPECT_EQ(CSVsplit("\"a,b\"", ","), (Pieces{"\"a", "b\""}));
    EXPECT_EQ(CSVsplit("abc", ","), (Pieces{"abc"}));
    EXPECT_EQ(CSVsplit("", ","), (Pieces{""}));
    EXPECT_EQ(CSVsplit(",", ","), (Pieces{"", ""}));
}

TEST(CSVsplit, splitsOnAWholeSeparatorText) {
    EXPECT_EQ(CSVsplit("a::b:c::", "::"), (Pieces{"a", "b:c", ""}));
    EXPECT_EQ(CSVsplit("a,b", ""), (Pieces{"a,b"}));
}

} // namespace
