#include "data/Hyphenation.h"

#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kanata;
using kanata::test::ScriptedMessages;

namespace {

std::string hyphen(const char* number, int* result = nullptr) {
    char out[kHyphenBufferSize] = {};
    SystemTime now = CurrentUtcSystemTime();
    int rc = GetHyphen(number, out, "Dic/", &now);
    if (result != nullptr)
        *result = rc;
    EXPECT_LT(std::strlen(out), kHyphenBufferSize);
    return out;
}

std::string noPlan() {
    return "libphonenumber の日本 (JP) の番号計画がありません";
}

class LoadedService : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service.Load("/nonexistent/Dic", messages)); }
    ScriptedMessages messages;
    HyphenationService service;
};

} // namespace

TEST(GetHyphen, HyphenatesValidJapaneseNumbersByTheirAreaCode) {
    EXPECT_EQ(hyphen("0312345678"), "03-1234-5678"); // Tokyo, 2-digit area code
    EXPECT_EQ(hyphen("03-1234-5678"), "03-1234-5678");
    EXPECT_EQ(hyphen("0466123456"), "0466-12-3456");   // 4-digit area code
    EXPECT_EQ(hyphen("0112345678"), "011-234-5678");   // 3-digit area code
    EXPECT_EQ(hyphen("09012345678"), "090-1234-5678"); // mobile
    EXPECT_EQ(hyphen("080 1234 5678"), "080-1234-5678");
    EXPECT_EQ(hyphen("0120123456"), "0120-123-456"); // toll-free
    EXPECT_EQ(hyphen("0120-12-3456"), "0120-123-456");
    EXPECT_EQ(hyphen("08001234567"), "0800-123-4567");
    EXPECT_EQ(hyphen("05012345678"), "050-1234-5678"); // IP phone
    EXPECT_EQ(hyphen("0570123456"), "0570-123-456");
}

TEST(GetHyphen, RefusesWhatIsNoValidNumber) {
    int rc = 0;
    for (const char* notANumber : {"117", "", "0", "+81312345678", "03-1234-567x", "P"}) {
        EXPECT_EQ(hyphen(notANumber, &rc), "") << notANumber;
        EXPECT_NE(rc, kHyphenDone) << notANumber;
    }
    // libphonenumber's national form drops the trunk 0 of these; they must
    // come back as not hyphenated instead.
    for (const char* invalid : {"012345678", "031234567890", "0800123456", "0081312345678"}) {
        EXPECT_EQ(hyphen(invalid, &rc), "") << invalid;
        EXPECT_EQ(rc, kHyphenNotValid) << invalid;
    }
    const std::string huge(1000, '0');
    EXPECT_EQ(hyphen(huge.c_str(), &rc), "");
    EXPECT_NE(rc, kHyphenDone);
    char out[kHyphenBufferSize] = {};
    EXPECT_EQ(GetHyphen(nullptr, out, nullptr, nullptr), kHyphenBadArgument);
    EXPECT_EQ(GetHyphen("0312345678", nullptr, nullptr, nullptr), kHyphenBadArgument);
    EXPECT_EQ(GetHyphen("0312345678", out, nullptr, nullptr), kHyphenDone);
}

TEST_F(LoadedService, FormatTelHyphenFallsBackToTheTrimmedNumber) {
    EXPECT_TRUE(service.loaded());
    EXPECT_EQ(service.FormatTelHyphen("  0312345678 "), "03-1234-5678");
    EXPECT_EQ(service.FormatTelHyphen(" 117 "), "117");
    EXPECT_EQ(service.FormatTelHyphen("099012345"), "099012345");
    EXPECT_EQ(service.FormatTelHyphen("031234567890"), "031234567890");
    EXPECT_EQ(service.FormatTelHyphen("   "), "");
    EXPECT_EQ(service.FormatTelHyphen("P"), "P");
}

TEST_F(LoadedService, InPlaceFormChangesTheNumberOnlyWhenDone) {
    std::string number = "0466123456";
    EXPECT_EQ(service.FormatTelHyphenInPlace(number), kHyphenDone);
    EXPECT_EQ(number, "0466-12-3456");
    std::string invalid = "012345678";
    EXPECT_NE(service.FormatTelHyphenInPlace(invalid), kHyphenDone);
    EXPECT_EQ(invalid, "012345678");
    std::string extension = "201";
    EXPECT_NE(service.FormatTelHyphenInPlace(extension), kHyphenDone);
    EXPECT_EQ(extension, "201");
}

TEST_F(LoadedService, SecondLoadOnlyReportsTheState) {
    EXPECT_TRUE(service.Load("/elsewhere", messages));
    EXPECT_TRUE(messages.shown().empty());
}

TEST(HyphenationService, PlanOfThisMachineServesJapan) {
    EXPECT_EQ(CheckJapaneseNumberingPlan(), "");
}

TEST(HyphenationService, WithoutAPlanItSaysSoOnceAndLeavesNumbersAlone) {
    ScriptedMessages messages;
    messages.expect("Dlhyp.dll LoadLibrary Error\r\nDLLのロードに失敗しました");
    HyphenationService service(&noPlan);
    EXPECT_FALSE(service.Load("Dic/", messages));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Stop);
    EXPECT_NE(messages.shown()[0].text.find("JP"), std::string::npos);
    EXPECT_FALSE(service.Load("Dic/", messages));
    EXPECT_FALSE(service.loaded());

    EXPECT_EQ(service.FormatTelHyphen(" 0312345678 "), "0312345678");
    std::string number = "0312345678";
    EXPECT_EQ(service.FormatTelHyphenInPlace(number), kHyphenNotLoaded);
    EXPECT_EQ(number, "0312345678");
}

TEST(HyphenationService, NotLoadedBeforeLoad) {
    HyphenationService service;
    EXPECT_FALSE(service.loaded());
    EXPECT_EQ(service.FormatTelHyphen("0312345678"), "0312345678");
}
