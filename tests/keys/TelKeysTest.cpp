#include "data/TelKeys.h"
#include "tests/support/ExpectEach.h"

#include <gtest/gtest.h>

using namespace kanata;
using kanata::test::ExpectEach;

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
    ExpectEach<char>(ReasonCodeText, {{'P', "匿名着信"},
                                      {'O', "表示圏外"},
                                      {'C', "公衆電話"},
                                      {'S', "契約条件"},
                                      {'$', "特殊電話番号"},
                                      {'0', ""}});
}

TEST(TelKeys, PostalCodeShownAndStored) {
    ExpectEach(FormatPostalCode, {{"1234567", "123-4567"},
                                  {"12345", "123-45"},
                                  {"123456", "123456"},
                                  {"", ""},
                                  // Already shown: must not gain a second hyphen.
                                  {"123-456", "123-456"}});
    EXPECT_EQ(PostalCodeToStore("〒123-4567"), "1234567");
    EXPECT_EQ(FormatPostalCode(PostalCodeToStore(FormatPostalCode("1000001"))), "100-0001");
}
