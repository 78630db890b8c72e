#include "views/OutputItems.h"
#include "data/DateTime.h"
#include "data/CallRecord.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolders.h"
#include "views/CallerFields.h"

#include <gtest/gtest.h>

using namespace kanata;

namespace {

IniFile iniWith(const std::string& text) {
    IniFile ini("unused.ini");
    ini.parse("[RECEIVE VIEW OUTPUT]\r\n" + text);
    return ini;
}

TEST(OutputItems, DefaultsAndFallBacks) {
    const auto s = OutputItemSettings::Load(iniWith(""));
    EXPECT_EQ(s.roster, DefaultOutputOrder());
    EXPECT_TRUE(s.roster[3].output);
    EXPECT_FALSE(s.roster[0].output);
    EXPECT_EQ(s.FontName, "ＭＳ ゴシック");
    EXPECT_EQ(s.fontPoints(), 9);
    EXPECT_EQ(s.MemoItems[4], "来訪されました");
    EXPECT_EQ(s.MemoTelPos, 2);

    const auto odd = OutputItemSettings::Load(
        iniWith("FontSize=24\r\nFontStyle=4\r\nFontCharset=1\r\nFontName=  \r\nMemoTelPos=9\r\n"));
    EXPECT_EQ(odd.FontSize, 2);
    EXPECT_EQ(odd.FontStyle, 0);
    EXPECT_EQ(odd.FontCharset, 128);
    EXPECT_EQ(odd.FontName, "ＭＳ ゴシック");
    EXPECT_EQ(odd.MemoTelPos, 2);
    EXPECT_EQ(OutputItemSettings::Load(iniWith("FontCharset=0")).FontCharset, 0);
}

TEST(OutputItems, WrongLengthOrderFallsBackWithItsFlags) {
    // 24 codes: the order and the flags both return to the defaults.
    const auto s = OutputItemSettings::Load(
        iniWith("ItemIndex=24,23,22,21,20,19,18,17,16,15,14,13,12,11,10,9,8,7,6,5,4,3,2,1\r\n"
                "ItemOutput=1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"));
    EXPECT_EQ(s.roster, DefaultOutputOrder());
    // A repeated code cannot be shown either.
    const auto twice = OutputItemSettings::Load(
        iniWith("ItemIndexPb=0,0,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24"));
    EXPECT_EQ(twice.addressBook, DefaultOutputOrder());
    // A good order with flags of the wrong length keeps the order.
    const auto flagsShort = OutputItemSettings::Load(
        iniWith("ItemIndex=13,1,2,3,4,5,6,7,8,9,10,11,12,0,14,15,16,17,18,19,20,21,22,23,24\r\n"
                "ItemOutput=1,0\r\n"));
    EXPECT_EQ(flagsShort.roster[0].code, 13);
    EXPECT_TRUE(flagsShort.roster[0].output);
    EXPECT_FALSE(flagsShort.roster[13].output); // item 0's default
}

TEST(OutputItems, SaveAndLoadRoundTrip) {
    kanata::test::TempFolders folders;
    OutputItemSettings s;
    std::swap(s.roster[0], s.roster[13]);
    s.roster[0].output = false;
    s.addressBook[6].output = true;
    s.FontName = "Noto Sans Mono";
    s.FontSize = 5;
    s.FontStyle = 3;
    s.FontCharset = 0;
    s.MemoTitle = "電話メモ";
    s.MemoItems[2] = "";
    s.MemoTelPos = 0;
    s.MemoPrintMsg = false;
    s.PrintMsg = false;
    s.InitTab = 2;
    IniFile ini(folders.scratch() / "Kanata195.ini");
    s.Save(ini);
    ASSERT_TRUE(ini.save());
    IniFile again(folders.scratch() / "Kanata195.ini");
    ASSERT_TRUE(again.load());
    EXPECT_EQ(OutputItemSettings::Load(again), s);
    EXPECT_EQ(again.readString("RECEIVE VIEW OUTPUT", "ItemIndex").substr(0, 8), "13,1,2,3");
}

TEST(OutputItems, ClipboardLineFollowsTheChosenOrder) {
    CallRecord record;
    record.RecvDateTime = DateTime{2026, 3, 2, 9, 5, 7, 0}.toDays();
    CallerFields f;
    f.NameKanji = " 山田太郎 ";
    f.Tel1 = "03-1234-5678";
    f.Note = {"一行目", "二行目"};
    f.ExtLink = {"https://a.example/", "/home/x.pdf"};
    const auto values = OutputItemValues(f, record);
    EXPECT_EQ(values[3], "2026年 03月 02日");
    EXPECT_EQ(values[4], "09時 05分 07秒");
    EXPECT_EQ(values[1], "");
    EXPECT_EQ(values[0], "新規");
    EXPECT_EQ(values[14], "個人");
    EXPECT_EQ(values[23], "https://a.example/\t/home/x.pdf");
    EXPECT_EQ(values[24], "一行目\t二行目");

    // Only 着信日付 and 名前漢字, in that order.
    OutputItemOrder order = DefaultOutputOrder();
    for (auto& item : order)
        item.output = false;
    order[3].output = true;
    order[13].output = true;
    EXPECT_EQ(BuildOutputLine(values, order), "2026年 03月 02日,山田太郎");
    // Name first when it is moved above the date.
    std::swap(order[3], order[13]);
    EXPECT_EQ(BuildOutputLine(values, order), "山田太郎,2026年 03月 02日");
}

TEST(OutputItems, AddressBookNamesDifferInTheNumbers) {
    EXPECT_EQ(OutputItemName(5, false), "電話番号１");
    EXPECT_EQ(OutputItemName(5, true), "着信電話番号");
    EXPECT_EQ(OutputItemName(6, true), "他の電話番号");
    EXPECT_EQ(OutputItemName(22, true), "受付");
}

} // namespace
