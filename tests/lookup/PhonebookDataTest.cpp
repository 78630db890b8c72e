#include "lookup/PhonebookData.h"
#include "lookup/FixedSlot.h"
#include "tests/lookup/LookupTestFiles.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

using namespace kanata;
using namespace kanata::test;
namespace fs = std::filesystem;

namespace {

class PhonebookData : public ::testing::Test {
protected:
    fs::path folder() const { return temp.scratch() / "TelData" / "Kanata195"; }

    void buildSample() {
        ToolRun run = runMkphonebook(
            {(sourceFolder() / "tools/mkphonebook/sample.csv").string(), folder().string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }

    int search(const std::string& key) {
        return SearchPhonebook(key, hit, folder(), stageFolder() / "Dic", messages);
    }

    TempFolders temp;
    ScriptedMessages messages;
    PhonebookHit hit{};
};

TEST_F(PhonebookData, FindsAnEntryBuiltFromTheSampleWithEveryField) {
    buildSample();
    ASSERT_EQ(search("0355550101"), kPhonebookFound);
    EXPECT_EQ(slot::read(hit.Tel), "0355550101");
    EXPECT_EQ(slot::read(hit.Pos), "1000001");
    EXPECT_EQ(slot::read(hit.NameKanji), "見本商事");
    EXPECT_EQ(slot::read(hit.NameKana), "ﾐﾎﾝｼｮｳｼﾞ");
    EXPECT_EQ(slot::read(hit.Address1), "東京都千代田区");
    EXPECT_EQ(slot::read(hit.Address2), "千代田");
    EXPECT_EQ(slot::read(hit.Address3), "1-1 見本ビル3F");
    EXPECT_EQ(slot::read(hit.AddressCode), "13101000000");
    EXPECT_EQ(slot::read(hit.CompanyCode), "11");
    EXPECT_EQ(hit.Latitude, 32891494);
    EXPECT_EQ(hit.Longitude, 128803840);

    // The texts arrive in code page 932, as the hit layout has them.
    EXPECT_EQ(std::string(hit.NameKanji, 8), "\x8C\xA9\x96\x7B\x8F\xA4\x8E\x96");

    // Every entry of the sample, the first and the last by key included.
    for (const char* key : {"0355550102", "0355550103", "0655550104", "09055550105"})
        EXPECT_EQ(search(key), kPhonebookFound) << key;
    EXPECT_EQ(slot::read(hit.CompanyCode), "");
    EXPECT_EQ(hit.Latitude, 0);
}

TEST_F(PhonebookData, UnknownNumbersAndBadKeysAreQuiet) {
    buildSample();
    EXPECT_EQ(search("0355550100"), kPhonebookNoEntry);
    EXPECT_EQ(search("035555010"), kPhonebookNoEntry);   // a prefix of an entry
    EXPECT_EQ(search("0000000000"), kPhonebookNoEntry);  // before the first key
    EXPECT_EQ(search("99999999999"), kPhonebookNoEntry); // after the last key
    EXPECT_EQ(search(""), kPhonebookBadKey);
    EXPECT_EQ(search("03-5555-0101"), kPhonebookBadKey);
    // Only the first 11 digits of a key count.
    EXPECT_EQ(search("090555501059"), kPhonebookFound);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PhonebookData, NoDirectoryFindsNothingAndSaysNothing) {
    EXPECT_EQ(search("0355550101"), kPhonebookNoData); // folder missing
    fs::create_directories(folder());
    EXPECT_EQ(search("0355550101"), kPhonebookNoData); // folder empty
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(SearchFromTelK("0355550101", &hit, "", ""), kPhonebookWrongSetupFolder);
}

TEST_F(PhonebookData, AFileGivenAsDataFolderIsAWrongSetupPath) {
    writeFile(folder(), "not a folder");
    messages.expect("セットアップパスの指定に誤りがあります");
    EXPECT_EQ(search("0355550101"), kPhonebookWrongSetupFolder);
    EXPECT_EQ(messages.shown().at(0).icon, MessageIcon::Stop);
}

TEST_F(PhonebookData, DamagedOrIncompleteSetsAreReportedNotRead) {
    buildSample();
    const std::string check = readFile(folder() / "DBT06C");
    const std::string records = readFile(folder() / "DBT06B");
    const std::string callError = "SearchFromTelK (Dlt06.dll) Call Error\r\nRC = 3";

    std::string damaged = check;
    damaged[13] ^= 0x01; // the entry count
    writeFile(folder() / "DBT06C", damaged);
    messages.expect(callError);
    EXPECT_EQ(search("0355550101"), kPhonebookDamaged);
    writeFile(folder() / "DBT06C", check);

    writeFile(folder() / "DBT06B", records.substr(0, records.size() - 10));
    messages.expect(callError);
    EXPECT_EQ(search("0355550101"), kPhonebookDamaged);

    // One byte changed inside the first record: that entry fails its check,
    // the others are still served.
    std::string flipped = records;
    flipped[32 + 6 + 1 + 3] ^= 0x01;
    writeFile(folder() / "DBT06B", flipped);
    messages.expect(callError);
    EXPECT_EQ(search("0355550101"), kPhonebookDamaged);
    EXPECT_EQ(search("0355550102"), kPhonebookFound);
    writeFile(folder() / "DBT06B", records);

    fs::rename(folder() / "DBT06T", temp.scratch() / "DBT06T");
    messages.expect(callError);
    EXPECT_EQ(search("0355550101"), kPhonebookDamaged);
    EXPECT_EQ(messages.shown().size(), 4u);
}

TEST_F(PhonebookData, FilesOfTwoBuildsDoNotMix) {
    buildSample();
    const std::string firstRecords = readFile(folder() / "DBT06B");
    buildSample(); // the same entries again, so only the set ids differ
    ASSERT_EQ(firstRecords.size(), readFile(folder() / "DBT06B").size());
    writeFile(folder() / "DBT06B", firstRecords);
    messages.expect("RC = 3");
    EXPECT_EQ(search("0355550101"), kPhonebookDamaged);
}

TEST(PhonebookDataFolder, PrefersTheCopyInTheWorkFolderWhenComplete) {
    TempFolders temp;
    const fs::path work = temp.workFolder();
    const fs::path cd = temp.scratch() / "cdrom";
    const fs::path copy = work / "TelData" / "Kanata195" / "";
    EXPECT_EQ(PhonebookDataFolder(work, cd), cd / "Kanata195" / "");
    EXPECT_EQ(PhonebookDataFolder(work, ""), copy);
    writeFile(copy / "DBT06B", "x");
    writeFile(copy / "DBT06C", "x");
    EXPECT_EQ(PhonebookDataFolder(work, cd), cd / "Kanata195" / "");
    writeFile(copy / "DBT06T", "x");
    EXPECT_EQ(PhonebookDataFolder(work, cd), copy);
}

} // namespace
