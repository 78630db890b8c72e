#include "data/TelKeys.h"
#include "tests/callerlookup/LookupWorld.h"
#include "tests/support/RosterEntry.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace kanata;
using namespace kanata::test;

namespace {

MeiboRow rosterEntry(const std::string& tel1, const std::string& tel2, const std::string& name) {
    MeiboRow row = RosterEntry(tel1, tel2);
    row.CorpKanji = name;
    return row;
}

class CallerLookupTest : public ::testing::Test {
protected:
    LookupWorld world;
    CallRecord record;
};

TEST_F(CallerLookupTest, CallsWithoutANumberAreRecordedAsTheyCameAndNotSearched) {
    // A roster entry keyed "P" would be found if the code were searched.
    MeiboRow odd;
    odd.SchTel1 = "P";
    odd.CorpKanji = "見つかってはいけない";
    world.addRoster(odd);

    EXPECT_EQ(world.lookup().LookupCaller(true, true, "P", record), CallerLookup::kNotANumber);
    EXPECT_EQ(record.SchTel[0], "P");
    EXPECT_EQ(record.Tel[0], "P");
    EXPECT_EQ(record.Division, 0);
    EXPECT_EQ(record.CorpKanji, "");

    EXPECT_EQ(world.lookup().LookupCaller(true, true, "", record), CallerLookup::kNotANumber);
    EXPECT_EQ(world.lookup().LookupCaller(true, true, "ABCDEFGHIJKLMNOP", record),
              CallerLookup::kNotANumber);
    EXPECT_EQ(record.SchTel[0], "ABCDEFGHIJK");
    EXPECT_EQ(record.Tel[0], "ABCDEFGHIJKLM");
    EXPECT_TRUE(world.messages.shown().empty());
}

TEST_F(CallerLookupTest, RosterEntryFoundByEitherNumberFillsTheRecord) {
    MeiboRow row = rosterEntry("03-1111-2222", "090-3333-4444", "着信商事");
    row.Pos = "1000001";
    row.Tdfkn = "東京都";
    row.PrivCorp = "1";
    row.Msg = 1;
    row.Msg1 = "至急";
    row.ExtLink = "/srv/a.pdf\r\nhttps://example.jp/";
    world.addRoster(rosterEntry("03-9999-0000", "", "別人"));
    const int recNo = world.addRoster(row);

    ASSERT_EQ(world.lookup().LookupCaller(true, false, "090-3333-4444", record),
              CallerLookup::kFound);
    EXPECT_EQ(record.TelIndex, 1);
    EXPECT_EQ(record.SchTel[1], "09033334444");
    EXPECT_EQ(record.Tel[1], "090-3333-4444");
    EXPECT_EQ(record.MeiboRecNo, recNo);
    EXPECT_EQ(record.CorpKanji, "着信商事");
    EXPECT_EQ(record.Pos, "100-0001");
    EXPECT_EQ(record.PrivCorp, 1);
    EXPECT_EQ(record.Msg, 1);
    EXPECT_EQ(record.Division, 1);
    EXPECT_EQ(record.ExtLink, (std::vector<std::string>{"/srv/a.pdf", "https://example.jp/"}));
    EXPECT_EQ(record.Note, std::vector<std::string>{});

    ASSERT_EQ(world.lookup().LookupCaller(true, false, "0311112222", record), CallerLookup::kFound);
    EXPECT_EQ(record.TelIndex, 0);
    EXPECT_FALSE(world.lookup().FromAddressBook());
}

TEST_F(CallerLookupTest, ANumberWithoutDigitsFindsNoEntryLackingASecondNumber) {
    world.addRoster(rosterEntry("03-1111-2222", "", "二番目なし"));
    // Blanks count as a number, but their key is empty.
    EXPECT_NE(world.lookup().LookupCaller(true, false, "   ", record), CallerLookup::kFound);
    EXPECT_EQ(record.CorpKanji, "");
    EXPECT_EQ(record.Division, 0);
}

TEST_F(CallerLookupTest, TheUserDecidesWhetherARosterFindIsUsed) {
    world.addRoster(rosterEntry("03-1111-2222", "", "着信商事"));
    world.messages.expect("登録名簿の中に該当するデータが見つかりました", MessageResult::Yes)
        .expect("照会しない場合はCDを検索します", MessageResult::No)
        .expect("キャンセルすると検索を中止します", MessageResult::Cancel);
    EXPECT_EQ(world.lookup().LookupRoster(true, "0311112222", record), CallerLookup::kFound);
    EXPECT_EQ(record.CorpKanji, "着信商事");
    CallRecord untouched;
    EXPECT_EQ(world.lookup().LookupRoster(true, "0311112222", untouched), CallerLookup::kNotFound);
    EXPECT_EQ(untouched.CorpKanji, "");
    EXPECT_EQ(world.lookup().LookupRoster(true, "0311112222", untouched), CallerLookup::kCancelled);
    EXPECT_EQ(untouched.CorpKanji, "");
    EXPECT_EQ(world.messages.shown().at(0).buttons, MessageButtons::YesNoCancel);

    // Cancelled through LookupCaller: only the number is kept.
    world.messages.expect("登録名簿", MessageResult::Cancel);
    EXPECT_EQ(world.lookup().LookupCaller(true, true, "03-1111-2222", record),
              CallerLookup::kCancelled);
    EXPECT_EQ(record.SchTel[0], "0311112222");
    EXPECT_EQ(record.Tel[0], "03-1111-2222");
    EXPECT_EQ(record.CorpKanji, "");
}

TEST_F(CallerLookupTest, PhonebookDataFindsCompaniesAndPersons) {
    world.buildPhonebookData();
    world.addRoster(rosterEntry("03-5555-0102", "", "名簿の架空さん"));

    // Without the earlier search the roster is passed over.
    ASSERT_EQ(world.lookup().LookupCaller(false, false, "03-5555-0102", record),
              CallerLookup::kFound);
    EXPECT_EQ(record.NameKanji, "架空太郎");
    EXPECT_EQ(record.CorpKanji, "");
    EXPECT_EQ(record.PrivCorp, 0);
    EXPECT_EQ(record.Division, 0);
    ASSERT_EQ(world.lookup().LookupCaller(true, false, "03-5555-0102", record),
              CallerLookup::kFound);
    EXPECT_EQ(record.CorpKanji, "名簿の架空さん");
    EXPECT_EQ(record.Division, 1);

    // Not in the roster: on to the phonebook data. Company code 11.
    ASSERT_EQ(world.lookup().LookupCaller(true, false, "03-5555-0101", record),
              CallerLookup::kFound);
    EXPECT_EQ(record.CorpKanji, "見本商事（株）");
    EXPECT_EQ(record.CorpKana, "ﾐﾎﾝｼｮｳｼﾞ");
    EXPECT_EQ(record.PrivCorp, 1);
    EXPECT_EQ(record.Division, 0);
    EXPECT_EQ(record.SchTel[0], "0355550101");
    EXPECT_EQ(record.Tel[0], "03-5555-0101");
    EXPECT_EQ(record.Pos, "100-0001");
    EXPECT_EQ(record.Tdfkn, "東京都");
    EXPECT_EQ(record.Adrs1, "千代田区");
    EXPECT_EQ(record.Adrs2, "千代田1-1 見本ビル3F");
    EXPECT_EQ(record.JisCode, "13101");
    EXPECT_EQ(record.Latitude, 128482398); // 35°41'22.4" in milliseconds of arc

    // Unknown everywhere: the quiet result of the data, only the number kept.
    EXPECT_EQ(world.lookup().LookupCaller(true, false, "0355550199", record), 1);
    EXPECT_EQ(record.SchTel[0], "0355550199");
    EXPECT_EQ(record.CorpKanji, "");
    EXPECT_TRUE(world.messages.shown().empty());
}

TEST_F(CallerLookupTest, DamagedPhonebookDataIsReportedInOneBox) {
    const auto folder = world.workFolder() / "TelData" / "Kanata195";
    std::filesystem::create_directories(folder);
    for (const char* name : {"DBT06B", "DBT06C", "DBT06T"})
        std::ofstream(folder / name) << "damaged";
    world.messages.expect("SearchFromTelK (Dlt06.dll) Call Error\r\nRC = ");
    const int result = world.lookup().LookupCaller(true, false, "0355550101", record);
    EXPECT_NE(result, CallerLookup::kFound);
    EXPECT_EQ(world.messages.shown().size(), 1u);
    EXPECT_EQ(world.messages.shown()[0].icon, MessageIcon::Stop);
    EXPECT_EQ(record.SchTel[0], "0355550101");
}

} // namespace
