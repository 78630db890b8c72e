#include "transfer/ExportSettings.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolders.h"
#include "transfer/ExportPassword.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

using namespace kanata;

namespace {

// Each entry as "column:item", to compare whole layouts at a glance.
std::vector<std::string> shape(const ExportLayout& l) {
    std::vector<std::string> out;
    for (const ExportLayoutEntry& e : l.entries())
        out.push_back(std::to_string(e.column) + ":" + std::to_string(e.item));
    return out;
}
using Shape = std::vector<std::string>;

TEST(ExportLayout, EditsKeepColumnsConsecutiveAndTheFirstEntryAColumn) {
    ExportLayout l;
    ASSERT_TRUE(l.set(0, 4));
    ASSERT_TRUE(l.add(0, 6)); // continues column 1
    ASSERT_TRUE(l.set(2, 2)); // at the trailing empty row: a new last column
    ASSERT_TRUE(l.set(0, 0)); // before everything
    EXPECT_EQ(shape(l), (Shape{"1:0", "2:4", "0:6", "3:2"}));
    EXPECT_EQ(l.toKeys(), (std::vector<std::string>{"0", "4,6", "2"}));

    l.remove(1); // its continuation takes over the column
    EXPECT_EQ(shape(l), (Shape{"1:0", "2:6", "3:2"}));
    ASSERT_TRUE(l.add(1, 9));
    EXPECT_FALSE(l.moveUp(0));
    ASSERT_TRUE(l.moveUp(2)); // a continuation brought up stays one, below a column
    EXPECT_EQ(shape(l), (Shape{"1:0", "0:9", "2:6", "3:2"}));
    ASSERT_TRUE(l.moveUp(1)); // ... but never into the first row
    EXPECT_EQ(shape(l), (Shape{"1:9", "2:0", "3:6", "4:2"}));

    ExportLayout d;
    d.addColumn({1, 2});
    ASSERT_TRUE(d.moveDown(0)); // the continuation comes first and starts the column
    EXPECT_EQ(shape(d), (Shape{"1:2", "2:1"}));
    d.remove(d.size()); // the trailing empty row removes the last
    EXPECT_EQ(shape(d), (Shape{"1:2"}));
}

TEST(ExportLayout, RefusesToPassOneHundredEntries) {
    ExportLayout l;
    ASSERT_TRUE(l.setAll(28));
    EXPECT_EQ(l.columns().size(), 28u);
    for (int i = 28; i < 100; ++i)
        ASSERT_TRUE(l.add(i, 1));
    EXPECT_FALSE(l.set(0, 1));
    EXPECT_FALSE(l.add(0, 1));
    EXPECT_EQ(l.size(), 100);
    EXPECT_FALSE(l.setAll(101));
    EXPECT_EQ(l.size(), 100);
}

TEST(ExportSettings, RoundTripThroughTheSettingsFileWithStaleKeysRemoved) {
    test::TempFolders folders;
    IniFile ini(folders.scratch() / "Kanata195.ini");
    ini.parse("[FILE EXPORT]\r\nSource=7\r\nrange=2\r\nTYPE=1\r\nRecvHisLayout1=4,6\r\n"
              "RecvHisLayout2=x,99,2\r\nRecvHisLayout5=0\r\nAddMeiboLayout1=3\r\n");
    ExportSettings s = ExportSettings::Read(ini);
    EXPECT_EQ(s.source, ExportSource::History); // out of range reads as 0
    EXPECT_EQ(s.range, ExportRange::All);
    EXPECT_EQ(s.type, ExportType::Normal);
    EXPECT_TRUE(s.options.OutHeader);
    EXPECT_TRUE(s.options.EditTelHyphen);
    EXPECT_FALSE(s.options.BindDblQuote);
    EXPECT_EQ(s.layouts[0].toKeys(), (std::vector<std::string>{"4,6", "2", "0"}));
    EXPECT_EQ(s.layouts[1].toKeys(), (std::vector<std::string>{"3"}));

    s.layouts[0].remove(0);
    s.options.BindDblQuote = true;
    s.write(ini);
    EXPECT_FALSE(ini.hasKey("FILE EXPORT", "RecvHisLayout5"));
    EXPECT_FALSE(ini.hasKey("FILE EXPORT", "RecvHisLayout4"));
    const ExportSettings again = ExportSettings::Read(ini);
    EXPECT_EQ(again.layouts[0].toKeys(), s.layouts[0].toKeys());
    EXPECT_TRUE(again.options.BindDblQuote);
}

TEST(ExportPassword, RulesAreCheckedInOrderWithTheFieldConcerned) {
    auto message = [](const std::string& p, const std::string& c) {
        auto problem = CheckExportPassword(p, c);
        return problem ? problem->message.substr(0, problem->message.find(' ')) : std::string("ok");
    };
    EXPECT_EQ(message("", ""), "パスワードを入力してください");
    EXPECT_EQ(CheckExportPassword("abc", "")->field, PasswordField::Confirmation);
    EXPECT_EQ(message("abcdefg", "abcdefg"), "パスワードは8文字～16文字で入力してください");
    EXPECT_EQ(message("abcdefgh12345678X", "x"), "パスワードは8文字～16文字で入力してください");
    EXPECT_EQ(message("abcd-efgh", "abcd-efgh"), "パスワードに使用できる文字は");
    EXPECT_EQ(message("abcdｅfgh", "abcdｅfgh"), "パスワードに使用できる文字は");
    const auto differ = CheckExportPassword("Abcdefgh", "abcdefgh");
    ASSERT_TRUE(differ);
    EXPECT_TRUE(differ->clearConfirmation);
    EXPECT_EQ(differ->field, PasswordField::Confirmation);
    EXPECT_EQ(message("Abcdefgh12345678", "Abcdefgh12345678"), "ok");
}

TEST(ExportPassword, SavedCopyIsBornOwnerOnlyAndNeverWrittenIntoAWiderFile) {
    test::TempFolders folders;
    const auto file = folders.scratch() / "FExport.pwd";
    const mode_t umaskBefore = ::umask(0);
    std::ofstream(file) << "older";
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read | std::filesystem::perms::others_read);
    // Someone who could read the older file and still holds it open.
    std::ifstream reader(file, std::ios::binary);
    const bool saved = SaveExportPassword(file, "Secret2026pass");
    ::umask(umaskBefore);
    ASSERT_TRUE(saved);
    EXPECT_EQ(std::filesystem::status(file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::string seen((std::istreambuf_iterator<char>(reader)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(seen, "older");
    EXPECT_EQ(LoadExportPassword(file), "Secret2026pass");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folders.scratch()),
                            std::filesystem::directory_iterator()),
              1); // no temporary file beside it
}

TEST(ExportPassword, SavedCopyIsNotPlainAndBadCopiesAreRefused) {
    test::TempFolders folders;
    const auto file = folders.scratch() / "FExport.pwd";
    EXPECT_FALSE(LoadExportPassword(file));
    ASSERT_TRUE(SaveExportPassword(file, "Secret2026pass"));
    std::ifstream in(file, std::ios::binary);
    std::string stored;
    std::getline(in, stored);
    EXPECT_EQ(stored.find("Secret"), std::string::npos);
    EXPECT_EQ(LoadExportPassword(file), "Secret2026pass");
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::none);

    std::ofstream(file, std::ios::trunc) << ScramblePassword("has space");
    EXPECT_FALSE(LoadExportPassword(file));
    std::ofstream(file, std::ios::trunc) << "Secret2026pass";
    EXPECT_FALSE(LoadExportPassword(file));
}

} // namespace
