#include "settings/IniFile.h"

#include "data/Cp932.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/TempFolders.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace kanata {
namespace {

using test::readFile;
using test::writeFile;

TEST(IniFile, NamesCompareWithoutCaseAndFirstDuplicateWins) {
    IniFile ini("unused.ini");
    ini.parse("[Common]\nDataPath=/a/\ndatapath=/b/\n[COMMON]\nPort=COM3\n");
    EXPECT_EQ(ini.readString("COMMON", "DATAPATH"), "/a/");
    EXPECT_EQ(ini.readString("common", "Port", "none"), "none"); // only the first section is read
    ini.writeString("cOmMoN", "DATAPATH", "/c/");
    EXPECT_EQ(ini.readString("Common", "DataPath"), "/c/");
    EXPECT_NE(ini.text().find("DataPath=/c/"), std::string::npos)
        << "the file's spelling of the key is kept";
}

TEST(IniFile, ValuesAreTrimmedAndUnquotedAsWindowsReadsThem) {
    IniFile ini("unused.ini");
    ini.parse("[S]\n  Key  =  \t value with  blanks \t \nQ=\"  quoted  \"\nHalf=\"open\nC;=x\n; "
              "Key2=comment\n");
    EXPECT_EQ(ini.readString("S", "Key"), "value with  blanks");
    EXPECT_EQ(ini.readString("S", "Q"), "  quoted  ");
    EXPECT_EQ(ini.readString("S", "Half"), "\"open");
    EXPECT_FALSE(ini.hasKey("S", "; Key2"));
    EXPECT_FALSE(ini.hasKey("S", "Key2"));

    // Values that would not read back unchanged are written in quotes.
    ini.writeString("S", "Lead", "  x ");
    ini.writeString("S", "Quoted", "\"q\"");
    IniFile again("unused.ini");
    again.parse(ini.text());
    EXPECT_EQ(again.readString("S", "Lead"), "  x ");
    EXPECT_EQ(again.readString("S", "Quoted"), "\"q\"");
}

TEST(IniFile, IntegersFollowGetPrivateProfileInt) {
    EXPECT_EQ(IniFile::parseInteger("42abc", 7), 42);
    EXPECT_EQ(IniFile::parseInteger("  -1", 7), -1);
    EXPECT_EQ(IniFile::parseInteger("+15", 7), 15);
    EXPECT_EQ(IniFile::parseInteger("abc", 7), 7);
    EXPECT_EQ(IniFile::parseInteger("-", 7), 7);
    EXPECT_EQ(IniFile::parseInteger("", 7), 7);
    IniFile ini("unused.ini");
    ini.parse("[S]\nOn=2\nOff=0\nJunk=yes\n");
    EXPECT_TRUE(ini.readBool("S", "On", false));
    EXPECT_FALSE(ini.readBool("S", "Off", true));
    EXPECT_TRUE(ini.readBool("S", "Junk", true));
    EXPECT_FALSE(ini.readBool("S", "Junk", false));
}

TEST(IniFile, DiskFormIsCodePage932AndUnknownLinesSurviveWithTheirEnds) {
    test::TempFolders t;
    const auto path = t.scratch() / "Kanata195.ini";
    const std::string original =
        "; written by hand\n[UNKNOWN]\nFoo = bar \n\n[SCREEN VIEW]\nSelectItem1=内容\nOdd line\n";
    writeFile(path, cp932::encode(original));

    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    EXPECT_TRUE(ini.existed());
    EXPECT_EQ(ini.readString("SCREEN VIEW", "SelectItem1"), "内容");
    ini.writeString("SCREEN VIEW", "SelectItem2", "メモ");
    ini.writeString("NEW", "Key", "受付");
    ASSERT_TRUE(ini.save()) << ini.lastError();

    const std::string bytes = readFile(path);
    EXPECT_EQ(bytes, cp932::encode(
                         "; written by hand\n[UNKNOWN]\nFoo = bar \n\n[SCREEN VIEW]\n"
                         "SelectItem1=内容\nOdd line\nSelectItem2=メモ\r\n[NEW]\r\nKey=受付\r\n"));
    EXPECT_EQ(bytes.find("\xE5\x86\x85"), std::string::npos) << "no UTF-8 on disk";

    IniFile reread(path);
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.readString("new", "key"), "受付");
    EXPECT_EQ(reread.sections(), (std::vector<std::string>{"UNKNOWN", "SCREEN VIEW", "NEW"}));
}

TEST(IniFile, RemovingKeysAndSections) {
    IniFile ini("unused.ini");
    ini.parse("[A]\nx=1\ny=2\n[B]\nz=3\n");
    ini.deleteKey("a", "X");
    ini.eraseSection("b");
    EXPECT_EQ(ini.keys("A"), std::vector<std::string>{"y"});
    EXPECT_FALSE(ini.hasSection("B"));
    EXPECT_EQ(ini.text(), "[A]\ny=2\n");
}

TEST(IniFile, MissingFileReadsAsEmpty) {
    test::TempFolders t;
    IniFile ini(t.scratch() / "absent.ini");
    EXPECT_TRUE(ini.load());
    EXPECT_FALSE(ini.existed());
    EXPECT_EQ(ini.readInteger("COMMON", "Map", 8), 8);
}

TEST(IniFile, SaveIntoAFolderThatCannotBeWrittenReportsFailure) {
    test::TempFolders t;
    // A regular file where the folder should be: fails even for root.
    writeFile(t.scratch() / "notafolder", "x");
    IniFile ini(t.scratch() / "notafolder" / "Kanata195.ini");
    ini.writeString("S", "K", "v");
    EXPECT_FALSE(ini.save());
    EXPECT_FALSE(ini.lastError().empty());

    if (::geteuid() != 0) {
        const auto folder = t.scratch() / "readonly";
        std::filesystem::create_directory(folder);
        writeFile(folder / "Kanata195.ini", "[S]\r\nK=old\r\n");
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
        IniFile ro(folder / "Kanata195.ini");
        ASSERT_TRUE(ro.load());
        ro.writeString("S", "K", "new");
        EXPECT_FALSE(ro.save());
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        EXPECT_EQ(readFile(folder / "Kanata195.ini"), "[S]\r\nK=old\r\n");
    }
}

// A write cut short (disk full, quota) must leave the old file whole and no
// temporary file behind. The file size limit makes the write fail for root too.
TEST(IniFile, WriteCutShortKeepsTheOldFile) {
    test::TempFolders t;
    const auto path = t.scratch() / "Kanata195.ini";
    const std::string old = "[S]\r\nK=old\r\n";
    writeFile(path, old);
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    ini.writeString("S", "Big", std::string(8192, 'x'));

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = ini.save();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(ini.lastError(), "設定ファイルに書き込めませんでした  \r\n" + path.string() +
                                   "  \r\nディスクの空き容量が足りません  ");
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.scratch()), {}), 1)
        << "temporary file left";
}

} // namespace
} // namespace kanata
