#include "data/Cp932.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>

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

// What iconv itself makes of a text, with the same stand-ins for what it
// cannot convert: the conversions' reference.
std::string iconvConvert(const std::string& in, bool toCp932) {
    static const iconv_t toUtf8 = iconv_open("UTF-8", "CP932");
    static const iconv_t fromUtf8 = iconv_open("CP932", "UTF-8");
    const iconv_t cd = toCp932 ? fromUtf8 : toUtf8;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
        char buffer[64];
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, dst);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const auto lead = static_cast<unsigned char>(*src);
            std::size_t skip = 1;
            if (toCp932)
                skip = (lead & 0xE0) == 0xC0   ? 2
                       : (lead & 0xF0) == 0xE0 ? 3
                       : (lead & 0xF8) == 0xF0 ? 4
                                               : 1;
            else if (isLeadByte(lead) && left >= 2)
                skip = 2;
            skip = std::min(skip, left);
            out += toCp932 ? "?" : "\xEF\xBF\xBD";
            src += skip;
            left -= skip;
        }
    }
    return out;
}

TEST(Cp932, EveryByteAndBytePairDecodesAsIconvDecodesIt) {
    for (unsigned lead = 0; lead < 256; ++lead) {
        std::string pairs;
        for (unsigned trail = 0; trail < 256; ++trail) {
            const std::string two = {static_cast<char>(lead), static_cast<char>(trail)};
            ASSERT_EQ(decode(two), iconvConvert(two, false)) << lead << " " << trail;
            pairs += two;
        }
        // Whole runs too, where a failed pair hands the rest over.
        ASSERT_EQ(decode("a" + pairs), iconvConvert("a" + pairs, false)) << lead;
    }
}

std::string utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

TEST(Cp932, EveryCharacterEncodesAsIconvEncodesIt) {
    std::string run; // known and unknown characters mixed
    for (char32_t c = 0; c < 0x10000; ++c) {
        const std::string one = utf8Of(c);
        ASSERT_EQ(encode(one), iconvConvert(one, true)) << std::hex << static_cast<unsigned>(c);
        if (c % 37 == 0)
            run += one;
    }
    EXPECT_EQ(encode(run), iconvConvert(run, true));
    // Malformed sequences in the middle of known text.
    for (const std::string& bad :
         std::vector<std::string>{"山\x80川", "山\xE5\xB1川", "山\xED\xA0\x80川", "山\xC0\xAF川"})
        EXPECT_EQ(encode(bad), iconvConvert(bad, true));
}
