#include "transfer/TextFields.h"
#include "data/Cp932.h"

#include <gtest/gtest.h>

using namespace kanata;

namespace {
using Pieces = std::vector<std::string>;
std::string sjis(const char* utf8) {
    return cp932::encode(utf8);
}
} // namespace

TEST(TextFields, CountSeparatorsHonoursQuotesAndDoubleByteCharacters) {
    EXPECT_EQ(CountSeparators(""), 0);
    EXPECT_EQ(CountSeparators("a,\"b,c\",d"), 2);
    // A stray quote keeps the rest of the line inside quotes.
    EXPECT_EQ(CountSeparators("a,b\"c,d,e"), 1);
    // Both bytes of a double-byte character are stepped over, so a second
    // byte that equals a comma or a quote is neither.
    EXPECT_EQ(CountSeparators("\x81,x,y"), 1);
    EXPECT_EQ(CountSeparators("\x81\"x,y"), 1);
    EXPECT_EQ(CountSeparators(sjis("ソ,表,能")), 2); // second bytes 0x5C
    EXPECT_EQ(CountSeparators("\x81\"x,y", TextEncoding::Utf8), 0);
}

TEST(TextFields, SplitModesOneToThree) {
    EXPECT_EQ(SplitFields("a,b,c,d", 2, SplitMode::Split), (Pieces{"a", "b", "c,d"}));
    EXPECT_EQ(SplitFields("a", 2, SplitMode::Split), (Pieces{"a", "", ""}));
    EXPECT_EQ(SplitFields("a;b", 1, SplitMode::Split, ';'), (Pieces{"a", "b"}));
    EXPECT_EQ(SplitFields("a,\"b,c\",d", 2, SplitMode::Split), (Pieces{"a", "\"b", "c\",d"}));
    EXPECT_EQ(SplitFields("a,\"b,c\",d", 2, SplitMode::Quoted), (Pieces{"a", "\"b,c\"", "d"}));
    EXPECT_EQ(SplitFields("a,\"b,c\",d", 2, SplitMode::Unquote), (Pieces{"a", "b,c", "d"}));
    // Doubled quotes inside stay; a lone quote is not a pair to remove.
    EXPECT_EQ(SplitFields("\"x\"\"y\",\",\"", 1, SplitMode::Unquote), (Pieces{"x\"\"y", ","}));
    EXPECT_EQ(SplitFields("\"", 0, SplitMode::Unquote), (Pieces{"\""}));
    EXPECT_EQ(SplitFields("\"\",", 1, SplitMode::Unquote), (Pieces{"", ""}));
    // A separator byte inside a double-byte character is no cut point.
    const std::string line = std::string("\x81,") + "," + sjis("表") + ",z";
    EXPECT_EQ(SplitFields(line, 2, SplitMode::Quoted), (Pieces{"\x81,", sjis("表"), "z"}));
}

TEST(TextFields, CutAtWidthNeverSplitsACharacter) {
    EXPECT_EQ(SplitFields("abc", 1, SplitMode::CutAtWidth, ',', 5), (Pieces{"abc", ""}));
    EXPECT_EQ(SplitFields("abcdef", 1, SplitMode::CutAtWidth, ',', 4), (Pieces{"abcd", "ef"}));
    const std::string text = "a" + sjis("東京都");
    EXPECT_EQ(SplitFields(text, 1, SplitMode::CutAtWidth, ',', 4),
              (Pieces{"a" + sjis("東") + " ", sjis("京都")}));
    EXPECT_EQ(SplitFields(text, 1, SplitMode::CutAtWidth, ',', 5),
              (Pieces{"a" + sjis("東京"), sjis("都")}));
    // The same rule on UTF-8 text, widths counted in code page 932 bytes.
    EXPECT_EQ(SplitFields("a東京都", 1, SplitMode::CutAtWidth, ',', 4, TextEncoding::Utf8),
              (Pieces{"a東 ", "京都"}));
    EXPECT_EQ(SplitFields("a東京都", 1, SplitMode::CutAtWidth, ',', 7, TextEncoding::Utf8),
              (Pieces{"a東京都", ""}));
}
