#include "data/TelKeys.h"

#include <gtest/gtest.h>

using namespace kanata;

TEST(TelKeys, FullWidthDigitsAreDroppedNotConverted) {
    EXPECT_EQ(TelSearchKey("０３－１２３４－５６７８"), "");
    EXPECT_EQ(ExtractTelChars("０３-12ｱ.3", kTelDigits | kTelHyphen | kTelPeriod), "-12.3");
}

TEST(TelKeys, NumbersDifferingInPunctuationShareOneElevenDigitKey) {
    EXPECT_EQ(TelSearchKey("090-1234-5678"), "09012345678");
    EXPECT_EQ(TelSearchKey("09012345678"), "09012345678");
    EXPECT_EQ(TelSearchKey("031234567890"), "03123456789");
    EXPECT_EQ(TelSearchKey(" (03) 1234-5678 "), TelSearchKey("0312345678"));
}

TEST(TelKeys, ClassesSelectWhatIsKept) {
    const std::string typed = "(03) 1234-5678";
    EXPECT_EQ(ExtractTelChars(typed, kTelDigits), "0312345678");
    EXPECT_EQ(ExtractTelChars(typed, kTelDigits | kTelHyphen), "031234-5678");
    EXPECT_EQ(ExtractTelChars("12.5mm-3", kTelDigits | kTelPeriod), "12.53");
    EXPECT_EQ(ExtractTelChars("12.5-3", kTelHyphen), "-");
}

TEST(TelKeys, ReasonCodesAreNoNumbers) {
    EXPECT_EQ(TelSearchKey("P"), "");
    for (char code : std::string("POCS$"))
        EXPECT_TRUE(IsReasonCode(std::string(1, code))) << code;
    EXPECT_FALSE(IsReasonCode(""));
    EXPECT_FALSE(IsReasonCode("0312345678"));
    EXPECT_FALSE(IsReasonCode("p"));
    EXPECT_EQ(ReasonCodeText('P'), "匿名着信");
    EXPECT_EQ(ReasonCodeText('O'), "表示圏外");
    EXPECT_EQ(ReasonCodeText('C'), "公衆電話");
    EXPECT_EQ(ReasonCodeText('S'), "契約条件");
    EXPECT_EQ(ReasonCodeText('$'), "特殊電話番号");
    EXPECT_EQ(ReasonCodeText('0'), "");
}

TEST(TelKeys, PostalCodeShownAndStored) {
    EXPECT_EQ(FormatPostalCode("1234567"), "123-4567");
    EXPECT_EQ(FormatPostalCode("12345"), "123-45");
    EXPECT_EQ(FormatPostalCode("123456"), "123456");
    EXPECT_EQ(FormatPostalCode(""), "");
    // Already shown: must not gain a second hyphen.
    EXPECT_EQ(FormatPostalCode("123-456"), "123-456");
    EXPECT_EQ(PostalCodeToStore("〒123-4567"), "1234567");
    EXPECT_EQ(FormatPostalCode(PostalCodeToStore(FormatPostalCode("1000001"))), "100-0001");
}
