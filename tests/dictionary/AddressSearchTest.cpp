// The address searches on the shipped dictionary folder.
#include "data/TelKeys.h"
#include "lookup/CoordinateLookup.h"
#include "lookup/DictionarySearch.h"
#include "lookup/KanaRow.h"
#include "lookup/TabFile.h"
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
    ASSERT_GE(names.size(), 23u);
    EXPECT_EQ(names.front(), "千代田区");
    EXPECT_NE(std::find(names.begin(), names.end(), "世田谷区"), names.end());
    // The 03 area reaches beyond the wards.
    EXPECT_NE(std::find(names.begin(), names.end(), "狛江市"), names.end());
    EXPECT_FALSE(search.Towns(0, false).empty());
    EXPECT_EQ(search.Search("0466-12-3456"), kDicFound);
    EXPECT_EQ(cityNames(search), std::vector<std::string>{"藤沢市"});
    EXPECT_EQ(search.Search("3-1234"), kDicBadInput);
    EXPECT_EQ(search.Search("090-1234-5678"), kDicNotFound);
}

bool lists(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(AddressSearch, AreasWhoseNamesClashOrAreNoMunicipalityListTheirMunicipalities) {
    TKykbnSearch search(shipped());
    // 横浜 is also a town in Aomori, in another region of the numbering plan.
    ASSERT_EQ(search.Search("045-123-4567"), kDicFound);
    auto names = cityNames(search);
    EXPECT_EQ(names.size(), 18u);
    EXPECT_TRUE(lists(names, "横浜市中区"));
    EXPECT_TRUE(std::all_of(names.begin(), names.end(),
                            [](const std::string& n) { return n.rfind("横浜市", 0) == 0; }));
    ASSERT_EQ(search.Search("04996-2-1234"), kDicFound);
    EXPECT_EQ(cityNames(search), std::vector<std::string>{"八丈島八丈町"});
    ASSERT_EQ(search.Search("0422-21-3456"), kDicFound);
    EXPECT_EQ(cityNames(search), (std::vector<std::string>{"武蔵野市", "三鷹市"}));
    ASSERT_EQ(search.Search("06-1234-5678"), kDicFound);
    names = cityNames(search);
    EXPECT_TRUE(lists(names, "大阪市北区"));
    EXPECT_TRUE(lists(names, "尼崎市"));
    EXPECT_TRUE(lists(names, "豊中市"));
}

TEST(AddressSearch, FewExchangeAreasAreLeftWithoutMunicipalities) {
    const TabFile areas(shipped() / "area.txt");
    std::size_t unlinked = 0;
    for (std::size_t i = 0; i < areas.size(); ++i)
        unlinked += areas.field(i, 2).empty() ? 1 : 0;
    EXPECT_GT(areas.size(), 1000u);
    EXPECT_LT(unlinked * 50, areas.size()) << unlinked << " of " << areas.size();
}

TEST(AddressSearch, AddressesAsPeopleWriteThemComplete) {
    TContinualAdrsSearch convert(shipped());
    AddressConversion c;
    // 大字 before the town; the town 大 of the same city must not catch it.
    ASSERT_EQ(convert.Convert("茨城県つくば市大字北条１２３", c), kDicFound);
    EXPECT_EQ(c.postal, "3004231");
    EXPECT_EQ(c.town, "北条");
    for (const char* sapporo : {"北海道札幌市中央区北1条西2丁目", "札幌市中央区北１条西２－１"}) {
        ASSERT_EQ(convert.Convert(sapporo, c), kDicFound) << sapporo;
        EXPECT_EQ(c.postal, "0600001") << sapporo;
        EXPECT_EQ(c.town, "北一条西");
    }
    ASSERT_EQ(convert.Convert("東京都千代田区霞ヶ関１－１", c), kDicFound);
    EXPECT_EQ(c.postal, "1000013");
    EXPECT_EQ(c.town, "霞が関");
    ASSERT_EQ(convert.Convert("東京都青ケ島村無番地", c), kDicFound);
    EXPECT_EQ(c.jis, "13402");
    EXPECT_EQ(c.city, "青ヶ島村");
    ASSERT_EQ(convert.Convert("京都府京都市中京区烏丸通御池上る二条殿町５５２", c), kDicFound);
    EXPECT_EQ(c.postal, "6040845");
    EXPECT_EQ(c.town, "二条殿町");
    // The prefecture without its 都, 府 or 県; 京都市 stays a city of 京都府.
    for (const auto& [address, postal] :
         {std::pair{"東京千代田区丸の内２－７－２", "1000005"},
          std::pair{"神奈川横浜市西区みなとみらい２－３－１", "2200012"},
          std::pair{"大阪大阪市北区梅田３丁目", "5300001"},
          std::pair{"京都市中京区烏丸通御池上る二条殿町５５２", "6040845"}}) {
        ASSERT_EQ(convert.Convert(address, c), kDicFound) << address;
        EXPECT_EQ(c.postal, postal) << address;
    }
}

TEST(AddressSearch, AddressTabFindsTheTownsOfAnAddressWrittenAnotherWay) {
    TAdrsSearch search(shipped());
    ASSERT_EQ(search.Search("千代田区霞ヶ関"), kDicFound);
    ASSERT_EQ(search.Cities().size(), 1u);
    const auto& towns = search.Towns(0, false);
    ASSERT_FALSE(towns.empty());
    EXPECT_EQ(towns.front().town, "霞が関");
    ASSERT_EQ(search.Search("札幌市中央区北1条西"), kDicFound);
    ASSERT_FALSE(search.Towns(0, false).empty());
    EXPECT_EQ(search.Towns(0, false).front().town, "北一条西");
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
