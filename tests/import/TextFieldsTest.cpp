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

namespace {
// Whether a code page 932 field's last character is a lone double quote
// (not the second byte of a pair).
bool endsInQuote(const std::string& field) {
    std::size_t last = 0;
    for (std::size_t at = 0; at < field.size();) {
        last = at;
        at += cp932::isLeadByte(static_cast<unsigned char>(field[at])) && at + 1 < field.size() ? 2
                                                                                                : 1;
    }
    return !field.empty() && last == field.size() - 1 && field.back() == '"';
}
// A code page 932 line split the long way: its separators counted and its
// fields cut on the bytes, outer quotes taken off where both are quote
// characters, each field decoded on its own.
Pieces splitBytesThenDecode(const std::string& line) {
    Pieces fields = SplitFields(line, CountSeparators(line), SplitMode::Quoted);
    for (std::string& f : fields) {
        if (f.size() >= 2 && f.front() == '"' && endsInQuote(f))
            f = f.substr(1, f.size() - 2);
        f = cp932::decode(f);
    }
    return fields;
}
Pieces decodeThenSplit(const std::string& line, Pieces reused = {}) {
    SplitRecordFields(cp932::decode(line), reused);
    return reused;
}
} // namespace

TEST(TextFields, ADecodedLineSplitsAsItsBytesDo) {
    // Fields with quotes, doubled quotes and commas inside, in both kinds.
    EXPECT_EQ(decodeThenSplit(sjis("a,\"山,田\",\"x\"\"y\",,\"\"")),
              (Pieces{"a", "山,田", "x\"\"y", "", ""}));
    EXPECT_EQ(decodeThenSplit(""), (Pieces{""}));
    EXPECT_EQ(decodeThenSplit("a,b\"c,d,e"), (Pieces{"a", "b\"c,d,e"}));
    // The reused fields of a longer line before are cut back, not kept.
    EXPECT_EQ(decodeThenSplit("p,q", {"1", "2", "3", "4"}), (Pieces{"p", "q"}));
    // Characters whose second byte is 0x5C, and every byte that may begin a
    // double-byte character followed by a comma or a quote: the comma or
    // quote belongs to that byte, whether the pair is a character or not.
    std::vector<std::string> tokens = {",",        "\"", "a",       " ",       sjis("ソ"),
                                       sjis("表"), "\\", sjis("ｱ"), sjis("山")};
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        tokens.push_back(std::string(1, static_cast<char>(lead)) + ",");
        tokens.push_back(std::string(1, static_cast<char>(lead)) + "\"");
    }
    for (std::size_t t = 9; t < tokens.size(); ++t) {
        const std::string line = "x," + tokens[t] + ",\"" + tokens[t] + ",y\"," + tokens[t];
        ASSERT_EQ(decodeThenSplit(line), splitBytesThenDecode(line)) << t;
    }
    // Lines drawn from all of them, a lead byte last on some.
    unsigned state = 12345;
    for (int n = 0; n < 3000; ++n) {
        std::string line;
        for (int k = 0; k < 12; ++k) {
            state = state * 1103515245 + 12345;
            line += tokens[(state >> 8) % tokens.size()];
        }
        if (n % 3 == 0)
            line += '\x81';
        ASSERT_EQ(decodeThenSplit(line), splitBytesThenDecode(line)) << n;
    }
}
