// The address searches on the shipped dictionary folder.
#include "data/TelKeys.h"
#include "lookup/CoordinateLookup.h"
#include "lookup/DictionarySearch.h"
#include "lookup/KanaRow.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace kanata;

std::filesystem::path shipped() {
    return test::stageFolder() / "Dic";
}

std::vector<std::string> cityNames(const AddressSearchBase& s) {
    std::vector<std::string> names;
    for (const DicCity& c : s.Cities())
        names.push_back(c.name);
    return names;
}

TEST(AddressSearch, PostalCodeGivesCityTownAndReading) {
    test::ScriptedMessages messages;
    CoordinateLookup coordinates(shipped(), messages);
    TPosSearch search(shipped(), &coordinates);
    ASSERT_EQ(search.Search("100-0005"), kDicFound);
    ASSERT_EQ(cityNames(search), std::vector<std::string>{"千代田区"});
    const auto& towns = search.Towns(0, false);
    ASSERT_EQ(towns.size(), 1u);
    EXPECT_EQ(towns[0].town, "丸の内");
    EXPECT_EQ(towns[0].townKana, "ﾏﾙﾉｳﾁ");
    const DicResult r = search.MakeResult(0, &towns[0]);
    EXPECT_EQ(coordinates.users(), 1);
    EXPECT_EQ(r.postalCode, "100-0005");
    EXPECT_EQ(r.prefecture, "東京都");
    EXPECT_EQ(r.city, "千代田区");
    EXPECT_EQ(r.town, "丸の内");
    EXPECT_EQ(r.jisCode, "13101");
    EXPECT_NE(r.latitude, 0);
}

TEST(AddressSearch, PostalPrefixSplitsTownsFromOfficesAndChecksItsInput) {
    TPosSearch search(shipped());
    ASSERT_EQ(search.Search("100"), kDicFound);
    const auto towns = search.Towns(0, false);
    const auto offices = search.Towns(0, true);
    EXPECT_GT(towns.size(), 10u);
    EXPECT_GT(offices.size(), 10u);
    EXPECT_TRUE(std::none_of(towns.begin(), towns.end(), [](auto& r) { return r.isOffice(); }));
    EXPECT_TRUE(std::all_of(offices.begin(), offices.end(), [](auto& r) {
        return r.isOffice() && !r.townKana.empty(); // an office reads as its town
    }));
    EXPECT_EQ(search.Search("1000"), kDicBadInput);
    EXPECT_EQ(search.Search("12a"), kDicBadInput);
    EXPECT_EQ(search.Search("0000000"), kDicNotFound);
    EXPECT_TRUE(search.Cities().empty());
    try {
        search.Search("--");
        FAIL() << "no error for a missing postal code";
    } catch (const EPosSearchError& e) {
        EXPECT_STREQ(e.what(), "検索郵便番号が未入力です");
    }
}

TEST(AddressSearch, TokyoNumberListsTheTwentyThreeWards) {
    TKykbnSearch search(shipped());
    ASSERT_EQ(search.Search("03-1234-5678"), kDicFound);
    EXPECT_EQ(search.FormattedNumber(), "03-1234-5678");
    const auto names = cityNames(search);
    ASSERT_EQ(names.size(), 23u);
    EXPECT_EQ(names.front(), "千代田区");
    EXPECT_NE(std::find(names.begin(), names.end(), "世田谷区"), names.end());
    EXPECT_FALSE(search.Towns(0, false).empty());
    EXPECT_EQ(search.Search("0466-12-3456"), kDicFound);
    EXPECT_EQ(cityNames(search), std::vector<std::string>{"藤沢市"});
    EXPECT_EQ(search.Search("3-1234"), kDicBadInput);
    EXPECT_EQ(search.Search("090-1234-5678"), kDicNotFound);
}

TEST(AddressSearch, AddressTextFindsItsCityAndTown) {
    TAdrsSearch search(shipped());
    ASSERT_EQ(search.Search("東京都千代田区丸の内"), kDicFound);
    ASSERT_EQ(cityNames(search), std::vector<std::string>{"東京都千代田区"});
    const auto& towns = search.Towns(0, false);
    ASSERT_FALSE(towns.empty());
    EXPECT_EQ(towns.front().town, "丸の内");
    // Without the prefecture, and with the district left out.
    ASSERT_EQ(search.Search("当別町"), kDicFound);
    EXPECT_EQ(cityNames(search), std::vector<std::string>{"北海道石狩郡当別町"});
    EXPECT_EQ(search.Search("どこにもない町"), kDicNotFound);
    EXPECT_THROW(search.Search("  "), EAdrsSearchError);
}

TEST(AddressSearch, CompletionFillsCodesFromAnAddressOrAPostalCode) {
    TContinualAdrsSearch convert(shipped());
    AddressConversion c;
    ASSERT_EQ(convert.Convert("東京都千代田区丸の内２－７－２", c), kDicFound);
    EXPECT_EQ(c.postal, "1000005");
    EXPECT_EQ(c.jis, "13101");
    EXPECT_EQ(c.town, "丸の内");
    EXPECT_NE(c.latitude, 0);
    ASSERT_EQ(convert.Convert("251-0001", c), kDicFound);
    EXPECT_EQ(c.city, "藤沢市");
    EXPECT_EQ(c.jis, "14205");
    EXPECT_EQ(convert.Convert("0000000", c), kDicNotFound);
    try {
        convert.Convert(" ", c);
        FAIL() << "no error for an empty address";
    } catch (const EContinualAdrsSearchError& e) {
        EXPECT_STREQ(e.what(), "検索住所が未入力です");
    }
}

TEST(AddressSearch, MunicipalityWithoutAPointHasNoCoordinates) {
    const AddressDictionary data(shipped());
    const Municipality* fukuoka = data.FindMunicipality("40131");
    ASSERT_NE(fukuoka, nullptr);
    EXPECT_FALSE(fukuoka->latitude.has_value());
    test::ScriptedMessages messages;
    CoordinateLookup coordinates(shipped(), messages);
    TPosSearch search(shipped(), &coordinates);
    ASSERT_EQ(search.Search("8120011"), kDicFound);
    EXPECT_EQ(search.MakeResult(0, nullptr).latitude, 0);
}

TEST(KanaRowFilter, RowsRunUpToTheNextRowAndWaHoldsOnlyWa) {
    EXPECT_TRUE(PassesKanaRow(0, "ﾝ"));
    EXPECT_TRUE(PassesKanaRow(1, "ｱｶｻｶ"));
    EXPECT_TRUE(PassesKanaRow(1, "ｵｵﾃﾏﾁ"));
    EXPECT_FALSE(PassesKanaRow(1, "ｶﾝﾀﾞ"));
    EXPECT_TRUE(PassesKanaRow(2, "ｶﾝﾀﾞ"));
    EXPECT_TRUE(PassesKanaRow(10, "ﾜｶﾊﾞ"));
    EXPECT_FALSE(PassesKanaRow(10, "ｦ"));
    EXPECT_FALSE(PassesKanaRow(10, "ﾝ"));
    EXPECT_FALSE(PassesKanaRow(9, "ﾜｶﾊﾞ"));
    EXPECT_FALSE(PassesKanaRow(3, ""));
    EXPECT_EQ(ReadingInitial("ﾏﾙﾉｳﾁ"), "ま");
    EXPECT_EQ(ReadingInitial("ｦ"), "を");
    EXPECT_EQ(ReadingInitial("ｶﾞ"), "か");
    EXPECT_EQ(ReadingInitial("1ｶｲ"), "1");
}

TEST(AddressSearch, MissingFolderIsTheLibrarysLoadErrorNamingTheFile) {
    try {
        TPosSearch search("/nonexistent/Dic");
        FAIL();
    } catch (const EDlzplstError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Dlzplst.dll LoadLibrary Error\r\nDLLのロードに失敗しました\r\n", 0),
                  0u);
        EXPECT_NE(std::string(e.what()).find("city.txt"), std::string::npos);
    }
    EXPECT_THROW(TKykbnSearch("/nonexistent/Dic"), EDLTelError);
    EXPECT_THROW(TAdrsSearch("/nonexistent/Dic"), EDLZsError);
    EXPECT_THROW(TContinualAdrsSearch("/nonexistent/Dic"), EDLZsCnvErro);
}

} // namespace
