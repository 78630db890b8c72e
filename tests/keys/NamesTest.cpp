#include "data/CompanyType.h"
#include "data/Coordinates.h"
#include "data/Cp932.h"
#include "data/Prefectures.h"
#include "data/WidthConversion.h"
#include "tests/support/ExpectEach.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

using namespace kanata;
using kanata::test::ExpectEach;

// found, prefecture, rest: compared in one go.
std::tuple<bool, std::string, std::string> parts(const PrefectureSplit& split) {
    return {split.found, split.prefecture, split.rest};
}

TEST(Prefectures, SplitTakesThePrefectureThatBeginsTheAddress) {
    EXPECT_EQ(parts(SplitPrefecture("京都府京都市中京区")),
              std::make_tuple(true, "京都府", "京都市中京区"));
    // 東京都 contains 京都 but is its own prefecture.
    EXPECT_EQ(parts(SplitPrefecture("東京都京都通り1")),
              std::make_tuple(true, "東京都", "京都通り1"));
    EXPECT_EQ(parts(SplitPrefecture("港区芝公園")), std::make_tuple(false, "", "港区芝公園"));
    // Not at the start: no split.
    EXPECT_FALSE(SplitPrefecture("住所東京都港区").found);
}

TEST(Prefectures, KanaReadingsFollowTheCodeOrder) {
    ASSERT_EQ(PrefectureNames().size(), 47u);
    EXPECT_EQ(PrefectureNames()[0], "北海道");
    EXPECT_EQ(PrefectureNames()[12], "東京都");
    EXPECT_EQ(PrefectureNames()[25], "京都府");
    EXPECT_EQ(PrefectureNames()[46], "沖縄県");
    EXPECT_EQ(PrefectureKanaNames()[0], "ﾎﾂｶｲﾄﾞｳ");
    EXPECT_EQ(PrefectureKanaNames()[12], "ﾄｳｷﾖｳﾄ");
    EXPECT_EQ(PrefectureKanaNames()[46], "ｵｷﾅﾜｹﾝ");
    std::set<std::string_view> distinct(PrefectureNames().begin(), PrefectureNames().end());
    std::set<std::string_view> distinctKana(PrefectureKanaNames().begin(),
                                            PrefectureKanaNames().end());
    EXPECT_EQ(distinct.size(), 47u);
    EXPECT_EQ(distinctKana.size(), 47u);
    // The readings are half-width through and through, with no small kana.
    for (std::string_view kana : PrefectureKanaNames()) {
        EXPECT_EQ(cp932::byteWidth(kana), cp932::encode(kana).size());
        for (std::string_view small : {"ァ", "ィ", "ゥ", "ェ", "ォ", "ャ", "ュ", "ョ", "ッ"})
            EXPECT_EQ(ToFullWidth(kana).find(small), std::string::npos) << kana;
        EXPECT_EQ(cp932::byteWidth(kana) * 3, kana.size()) << kana;
    }

    EXPECT_EQ(parts(SplitPrefectureKana("ｷﾖｳﾄﾌｷﾖｳﾄｼ")), std::make_tuple(true, "ｷﾖｳﾄﾌ", "ｷﾖｳﾄｼ"));
    EXPECT_FALSE(SplitPrefectureKana("ﾐﾅﾄｸ").found);
}

TEST(CompanyType, MarkPlacedByTheCode) {
    const auto yamadaShoji = [](const std::string& code) {
        return CompanyTypeName(code, "山田商事");
    };
    ExpectEach(yamadaShoji, {{"01", "（株）山田商事"},
                             {"11", "山田商事（株）"},
                             {"00", "山田商事"},
                             {"10", "山田商事"},
                             {"08", "山田商事"},
                             // Codes that do not come from the phonebook data add nothing.
                             {"A1", "山田商事"},
                             {"1", "山田商事"},
                             {"", "山田商事"}});
    EXPECT_EQ(CompanyTypeName("0700", "山田会"), "（社）山田会");
    EXPECT_EQ(CompanyTypeName("92", "山田商店"), "山田商店（有）");
}

TEST(CompanyType, ResultFitsCorpKanji) {
    std::string name;
    for (int i = 0; i < 59; ++i)
        name += "山";                                // 118 bytes
    std::string front = CompanyTypeName("01", name); // 124 bytes before the cut
    EXPECT_EQ(cp932::byteWidth(front), 120u);
    EXPECT_TRUE(front.starts_with("（株）"));
    std::string behind = CompanyTypeName("11", name);
    EXPECT_EQ(cp932::byteWidth(behind), 120u);
    EXPECT_TRUE(behind.ends_with("（"));
    // A cut never splits a double-byte character.
    EXPECT_EQ(cp932::byteWidth(CompanyTypeName("00", "a" + name + "山")), 119u);
}

TEST(WidthConversion, AsciiAndBlanksBothWays) {
    ExpectEach(
        ToFullWidth,
        {{"Ab1 \\~", "Ａｂ１　＼～"}, {"'\"", "’”"}, {"漢字ひらがな", "漢字ひらがな"}, {"", ""}});
    ExpectEach(
        ToHalfWidth,
        {{"Ａｂ１　＼～", "Ab1 \\~"}, {"’”＇＂", "'\"'\""}, {"漢字ひらがなヶ", "漢字ひらがなヶ"}});
}

TEST(WidthConversion, VoicedMarksCombineAndSplit) {
    ExpectEach(ToFullWidth, {{"ｶﾞｷﾞﾊﾟﾋﾟﾎﾞｳﾞﾄﾞﾂﾞ", "ガギパピボヴドヅ"},
                             // A mark that has nothing to combine with stands alone.
                             {"ｱﾞﾏﾟﾞ", "ア゛マ゜゛"},
                             {"ｶﾟ", "カ゜"},
                             {"ｯｬｰ｡｢｣､･ｦﾝ", "ッャー。「」、・ヲン"}});
    ExpectEach(ToHalfWidth, {{"ガギパピボヴドヅ", "ｶﾞｷﾞﾊﾟﾋﾟﾎﾞｳﾞﾄﾞﾂﾞ"},
                             {"ア゛", "ｱﾞ"},
                             {"ッャー。「」、・ヲン", "ｯｬｰ｡｢｣､･ｦﾝ"}});
    // Round trip over every half-width katakana.
    std::string all;
    for (std::string_view kana : PrefectureKanaNames())
        all += kana;
    EXPECT_EQ(ToHalfWidth(ToFullWidth(all)), all);
    EXPECT_EQ(ToFullWidth("ﾄｳｷﾖｳﾄ"), "トウキヨウト");
}

TEST(WidthConversion, BytesThatAreNotUtf8PassUnchanged) {
    EXPECT_EQ(ToFullWidth("a\xFF"
                          "b"),
              "ａ\xFFｂ");
    EXPECT_EQ(ToHalfWidth("\xE3\x82"), "\xE3\x82");
}

TEST(WidthConversion, KanaIndexLetter) {
    ExpectEach(KanaIndexLetter, {{"ｱ", "あ"},
                                 {"ｶ", "か"},
                                 {"ﾜ", "わ"},
                                 {"ｦ", "を"},
                                 {"ﾝ", "ん"},
                                 {"A", "A"},
                                 {"ｧ", "ｧ"},
                                 {"ｶﾞ", "ｶﾞ"},
                                 {"", ""}});
}

TEST(Coordinates, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(0), 0);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(256), 1000);
    // 1 x 1000 / 256 = 3.906 -> 4; 16 -> 62.5 -> 63; 48 -> 187.5 -> 188.
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(1), 4);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(16), 63);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(48), 188);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(-16), -63);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(-48), -188);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(-1), -4);
    // 3 x 1000 / 256 = 11.72 -> 12.
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(3), 12);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(-3), -12);
    // 35°41'22.2" north: 128482.2 s = 32891443.2 / 256 s
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(32891443), 128482199);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(INT64_MAX), INT32_MAX);
    EXPECT_EQ(PhonebookCoordinateToMilliseconds(INT64_MIN), INT32_MIN);
}

TEST(Coordinates, DegreesMinutesSecondsRoundTrip) {
    ArcDms dms = MillisecondsToDms(-128482199);
    EXPECT_TRUE(dms.negative);
    EXPECT_EQ(dms.degrees, 35);
    EXPECT_EQ(dms.minutes, 41);
    EXPECT_EQ(dms.seconds, 22);
    EXPECT_EQ(dms.milliseconds, 199);
    EXPECT_EQ(DmsToMilliseconds(dms), -128482199);
    EXPECT_EQ(DmsToMilliseconds(MillisecondsToDms(INT32_MIN)), INT32_MIN);
}
