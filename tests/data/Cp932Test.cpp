#include "data/Cp932.h"

#include <gtest/gtest.h>

using namespace kanata::cp932;

TEST(Cp932, RoundTripsJapaneseAndHalfWidthKana) {
    const std::string text = "着信帳ｱｲｳﾞ abc１２３";
    std::string bytes = encode(text);
    EXPECT_EQ(bytes.size(), 6u + 4u + 4u + 6u);
    EXPECT_EQ(decode(bytes), text);
}

TEST(Cp932, CharacterOutsideTheCodePageBecomesOneQuestionMark) {
    // U+20BB7 (a variant of 吉) and an emoji have no code page 932 form.
    EXPECT_EQ(encode("a\xF0\xA0\xAE\xB7z"), "a?z");
    EXPECT_EQ(encode("山\xF0\x9F\x98\x80"), "\x8E\x52?");
    EXPECT_EQ(byteWidth("a\xF0\xA0\xAE\xB7z"), 3u);
}

TEST(Cp932, InvalidBytesDecodeToReplacementCharacter) {
    EXPECT_EQ(decode("a\xA0z"), "a\xEF\xBF\xBDz");
    // A lead byte cut off at the end of the text.
    EXPECT_EQ(decode("a\x82"), "a\xEF\xBF\xBD");
    EXPECT_EQ(encode("a\xFFz"), "a?z");
}

TEST(Cp932, WidthCountsAsciiAndHalfWidthKanaAsOneByte) {
    EXPECT_EQ(byteWidth("abc"), 3u);
    EXPECT_EQ(byteWidth("ｶﾅ"), 2u);
    EXPECT_EQ(byteWidth("カナ"), 4u);
    EXPECT_EQ(byteWidth(""), 0u);
}

TEST(Cp932, CutNeverLeavesALeadByteAlone) {
    std::string bytes = std::string(59, 'a') + encode("あ"); // 61 bytes, 60th is a lead byte
    ASSERT_TRUE(isLeadByte(static_cast<unsigned char>(bytes[59])));
    EXPECT_EQ(cutBytes(bytes, 60).size(), 59u);
    EXPECT_EQ(cutBytes(bytes, 61).size(), 61u);
    EXPECT_EQ(cutToWidth(std::string(59, 'a') + "あ", 60), std::string(59, 'a'));
    EXPECT_EQ(cutToWidth("あいう", 5), "あい");
    EXPECT_EQ(cutToWidth("ｱｲｳ", 2), "ｱｲ");
}

TEST(Cp932, LeadByteRanges) {
    EXPECT_FALSE(isLeadByte(0x80));
    EXPECT_TRUE(isLeadByte(0x81));
    EXPECT_TRUE(isLeadByte(0x9F));
    EXPECT_FALSE(isLeadByte(0xA0));
    EXPECT_FALSE(isLeadByte(0xDF)); // half-width katakana
    EXPECT_TRUE(isLeadByte(0xE0));
    EXPECT_TRUE(isLeadByte(0xFC));
    EXPECT_FALSE(isLeadByte(0xFD));
}

TEST(Cp932, TrimRemovesBlanksButNotIdeographicSpace) {
    EXPECT_EQ(trim("  \t山田 \r\n"), "山田");
    EXPECT_EQ(trim("　山田　"), "　山田　");
    EXPECT_EQ(trim("   "), "");
}
