#include "data/Cp932.h"
#include "data/DateTime.h"
#include "data/TDMKanata195.h"
#include "data/THistoryData.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>

using namespace kanata;

namespace {

std::string readAll(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void writeAll(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string expectMessage(const std::function<void()>& f) {
    try {
        f();
    } catch (const EHistoryDataError& e) {
        return e.what();
    }
    return "(no error)";
}

class ItemList : public ::testing::Test {
protected:
    kanata::test::TempFolders folders;
    std::filesystem::path file = folders.scratch() / "Data" / "SelItem1.mtd";
};

TEST_F(ItemList, SavesTheDocumentedLayoutAndReadsItBack) {
    THistoryData list(file, true, 60);
    list.Add("  見積", 45000.5);
    list.Insert(0, "A", 1.25);
    list.Save();

    const std::string bytes = readAll(file);
    ASSERT_EQ(bytes.size(), 4u + (1 + 8 + 1) + (1 + 8 + 6));
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x02\x00\x00\x00", 4));
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 9);
    EXPECT_EQ(bytes.substr(5, 8), std::string("\x00\x00\x00\x00\x00\x00\xF4\x3F", 8)); // 1.25
    EXPECT_EQ(static_cast<unsigned char>(bytes[13]), 0xFF ^ 'A');
    // The leading blanks are kept on insert and dropped on reading.
    EXPECT_EQ(static_cast<unsigned char>(bytes[14]), 8 + 6);

    THistoryData again(file, false, 60);
    again.Load();
    ASSERT_EQ(again.Count(), 2);
    EXPECT_EQ(again.Get(0), "A");
    EXPECT_EQ(again.Get(1), "見積");
    EXPECT_DOUBLE_EQ(again.DateOf(1), 45000.5);
    EXPECT_EQ(again.IndexOf("見積"), 1);
    EXPECT_EQ(again.IndexOf("a"), -1);
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".tmp"));
}

TEST_F(ItemList, EmptyAndMissingFilesGiveEmptyLists) {
    THistoryData list(file, true, 60);
    list.Load();
    EXPECT_EQ(list.Count(), 0);
    for (const std::string& bytes : {std::string(), std::string("\0\0\0\0", 4),
                                     std::string("\xFF\xFF\xFF\xFF", 4), std::string("\x01", 1)}) {
        writeAll(file, bytes);
        list.Add("stale");
        list.Load();
        EXPECT_EQ(list.Count(), 0);
    }
}

TEST_F(ItemList, FileEndingInsideAnItemIsAReadError) {
    THistoryData list(file, true, 60);
    list.Add("one", 1);
    list.Add("two", 2);
    list.Save();
    std::string bytes = readAll(file);
    writeAll(file, bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(expectMessage([&] { list.Load(); }),
              "データが読み込めませんでした\r\n" + file.string());
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ItemList, AFileBeyondTheLimitIsAReadErrorAndIsNotWrittenOver) {
    const std::string junk(kMaxItemListBytes + 1, 'x');
    writeAll(file, junk);
    THistoryData list(file, true, 60);
    EXPECT_EQ(expectMessage([&] { list.Load(); }),
              "データが読み込めませんでした\r\n" + file.string());
    list.Add("one", 1);
    EXPECT_NE(expectMessage([&] { list.Save(); }), "(no error)");
    EXPECT_EQ(readAll(file), junk);
}

TEST_F(ItemList, CutNeverLeavesAHalfCharacter) {
    // 59 single bytes and a double-byte character: 61 bytes, byte 60 a lead byte.
    const std::string text = std::string(59, 'x') + "漢";
    THistoryData list(file, true, 60);
    list.Add(text, 1);
    EXPECT_EQ(list.Get(0), std::string(59, 'x'));
    list.Save();
    EXPECT_EQ(static_cast<unsigned char>(readAll(file)[4]), 8 + 59);

    // The length byte caps a stored text at 247 bytes, whatever the size.
    THistoryData wide(file, true, 255);
    wide.Add(std::string(255, 'y'), 1);
    EXPECT_EQ(wide.Get(0).size(), 247u);
}

TEST_F(ItemList, DateZeroMeansNow) {
    THistoryData list(file, true, 20);
    const double before = DateTime::now().toDays();
    list.Add("x");
    EXPECT_GE(list.DateOf(0), before - 1.0 / 86400);
    EXPECT_LT(list.DateOf(0), before + 1.0 / 24);
}

TEST_F(ItemList, ReportsBadIndexesSizesAndMissingFiles) {
    THistoryData list(file, true, 60);
    list.Add("a", 1);
    EXPECT_EQ(expectMessage([&] { list.Get(1); }), "Indexが範囲外です");
    EXPECT_EQ(expectMessage([&] { list.Delete(-1); }), "Indexが範囲外です");
    EXPECT_EQ(expectMessage([&] { list.Insert(2, "b", 1); }), "Indexが範囲外です");
    list.Insert(1, "b", 1);
    list.Delete(0);
    EXPECT_EQ(list.Get(0), "b");
    EXPECT_EQ(expectMessage([&] { THistoryData(file, true, 0); }),
              "項目サイズには1～255の値を指定してください\r\n" + file.string());
    EXPECT_EQ(expectMessage([&] { THistoryData(file, true, 256); }),
              "項目サイズには1～255の値を指定してください\r\n" + file.string());
    EXPECT_EQ(expectMessage([&] { THistoryData(file, false, 60); }),
              "ファイルが見つかりません\r\n" + file.string());
}

TEST_F(ItemList, SaveFailureIsReportedAndKeepsTheOldFile) {
    THistoryData list(file, true, 60);
    list.Add("kept", 1);
    list.Save();
    // A folder where the temporary file would go makes the write fail.
    std::filesystem::create_directories(file.string() + ".tmp");
    list.Add("lost", 1);
    EXPECT_EQ(expectMessage([&] { list.Save(); }),
              "データが書き込めませんでした\r\n" + file.string());
    THistoryData again(file, true, 60);
    again.Load();
    EXPECT_EQ(again.Count(), 1);
}

TEST_F(ItemList, RankTemplateIsCopiedOnlyIntoAFolderWithoutOne) {
    kanata::test::ScriptedMessages messages;
    const auto app = folders.scratch() / "app";
    THistoryData shipped(app / "Common" / "History" / "Rank.mtd", true, 20);
    shipped.Add("Ａランク", 1);
    shipped.Add("要注意", 1);
    shipped.Save();

    const auto data = folders.scratch() / "Data";
    TDMKanata195 dm(data, messages);
    dm.LoadItemLists(app);
    ASSERT_EQ(dm.Rank().Count(), 2);
    EXPECT_EQ(dm.Rank().Get(1), "要注意");
    EXPECT_EQ(dm.SelItem(1).Count(), 0);
    EXPECT_FALSE(std::filesystem::exists(data / "SelItem1.mtd"));

    dm.Rank().Delete(0);
    dm.Rank().Save();
    TDMKanata195 later(data, messages);
    later.LoadItemLists(app);
    EXPECT_EQ(later.Rank().Count(), 1);
}

TEST(ShippedRanks, TemplateInTheApplicationFolderLoads) {
    THistoryData rank(kanata::test::stageFolder() / "Common" / "History" / "Rank.mtd", false, 20);
    rank.Load();
    ASSERT_GT(rank.Count(), 3);
    EXPECT_EQ(rank.Get(0), "Ａランク");
    for (int i = 0; i < rank.Count(); ++i)
        EXPECT_LE(cp932::byteWidth(rank.Get(i)), 20u);
}

} // namespace
