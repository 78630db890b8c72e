#include "lookup/FixedSlot.h"
#include "lookup/PhonebookData.h"
#include "tests/lookup/LookupTestFiles.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

using namespace kanata;
using namespace kanata::test;
namespace fs = std::filesystem;

namespace {

class Mkphonebook : public ::testing::Test {
protected:
    fs::path csv() const { return temp.scratch() / "source.csv"; }
    fs::path folder() const { return temp.scratch() / "set"; }

    ToolRun build(const std::string& text) {
        writeFile(csv(), text);
        return runMkphonebook({csv().string(), folder().string()});
    }

    int search(const std::string& key) {
        hit = PhonebookHit{};
        return SearchFromTelK(key.c_str(), &hit, folder().c_str(), "");
    }

    TempFolders temp;
    PhonebookHit hit{};
};

TEST_F(Mkphonebook, QuotedFieldsKeepCommasAndDoubledQuotes) {
    ToolRun run = build("\xEF\xBB\xBF" // a byte order mark is ignored
                        "\"(03) 5555-0201\",\"山田, 商店\",ﾔﾏﾀﾞ,,東京都港区,芝,"
                        "\"1-2 \"\"青\"\"ビル\",,\"01\" ,\"-5\",+7\r\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(search("0355550201"), kPhonebookFound);
    EXPECT_EQ(slot::read(hit.NameKanji), "山田, 商店");
    EXPECT_EQ(slot::read(hit.Address3), "1-2 \"青\"ビル");
    EXPECT_EQ(slot::read(hit.CompanyCode), "01");
    EXPECT_EQ(hit.Latitude, -5);
    EXPECT_EQ(hit.Longitude, 7);
}

TEST_F(Mkphonebook, BadLinesAreReportedWithTheirNumbersAndSkipped) {
    std::string text = "# comment\n"
                       "03-5555-0301,良い行\n"
                       "03-5555-0302,\"閉じない引用\n"
                       "なし,番号のない行\n"
                       "03-5555-0303,\n"
                       "03-5555-0304,多すぎ,,,,,,,,,,12\n"
                       "0355550305123,長い番号\n"
                       "03-5555-0301,重複\n"
                       "03-5555-0306,絵文字\xF0\x9F\x98\x80\n"
                       "03-5555-0307,郵便,,12-34\n"
                       "03-5555-0308,座標,,,,,,,,north\n"
                       "\n"
                       "03-5555-0309,最後の良い行";
    std::string kanji;
    for (int i = 0; i < 58; ++i)
        kanji += "漢";
    text += "\n03-5555-0310," + kanji + "\n"; // 116 bytes
    ToolRun run = build(text);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (int line : {3, 4, 5, 6, 7, 8, 9, 10, 11, 14})
        EXPECT_NE(run.err.find("source.csv:" + std::to_string(line) + ": skipped"),
                  std::string::npos)
            << "line " << line << " in:\n"
            << run.err;
    EXPECT_NE(run.err.find("already appears on line 2"), std::string::npos);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 10);
    EXPECT_NE(run.out.find("2 entries"), std::string::npos);

    EXPECT_EQ(search("0355550301"), kPhonebookFound);
    EXPECT_EQ(slot::read(hit.NameKanji), "良い行"); // the first of the repeated number
    EXPECT_EQ(search("0355550309"), kPhonebookFound);
    EXPECT_EQ(search("0355550306"), kPhonebookNoEntry);
}

TEST_F(Mkphonebook, AFailedBuildLeavesTheOldSetInPlace) {
    ASSERT_EQ(build("03-5555-0401,古い\n").exitCode, 0);
    ToolRun failed = build("番号なし,だけ\n");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("nothing written"), std::string::npos);
    EXPECT_EQ(search("0355550401"), kPhonebookFound);

    ASSERT_EQ(build("03-5555-0402,新しい\n").exitCode, 0);
    EXPECT_EQ(search("0355550401"), kPhonebookNoEntry);
    EXPECT_EQ(search("0355550402"), kPhonebookFound);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder())) {
        EXPECT_EQ(entry.path().extension(), "") << entry.path(); // no temporaries left
        ++files;
    }
    EXPECT_EQ(files, 3);
}

TEST_F(Mkphonebook, VerifyFindsDamageTheSearchDoesNotReach) {
    ASSERT_EQ(build("03-5555-0501,一\n03-5555-0502,二\n").exitCode, 0);
    EXPECT_EQ(runMkphonebook({"--verify", folder().string()}).exitCode, 0);
    std::string index = readFile(folder() / "DBT06T");
    index[32 + 16 + 9] ^= 0x01; // the last key digit of the second entry; order holds
    writeFile(folder() / "DBT06T", index);
    EXPECT_EQ(search("0355550501"), kPhonebookFound);
    ToolRun run = runMkphonebook({"--verify", folder().string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("DBT06T"), std::string::npos);
}

} // namespace
