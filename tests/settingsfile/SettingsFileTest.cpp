// Kanata195.ini as people and older versions leave it: reading and saving
// must not change what the program does not own.
#include "platform/MessageService.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace kanata::test {
namespace {

ino_t inodeOf(const std::filesystem::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A file as a person edits it: LF and CR LF mixed, no line end at the end,
// bytes that are not code page 932 ("\x81\x20", "\xFD") in sections the
// program does not know and in a value it reads, quotes, odd spellings, a
// switch stored as 2. Every value loads unchanged.
std::string handEditedFile(const std::filesystem::path& dataFolder) {
    return "; kept by hand\n"
           "[OTHER TOOL]\r\n"
           "Name=\x81\x20"
           "broken\xFD\n"
           "\xA0\xFF raw line\r\n"
           "[common]\n"
           "useType = 0\n"
           "Adapter=900\r\n"
           "Port=\"COM1\"\n"
           "DataPath=" +
           dataFolder.string() +
           "/\n"
           "CD=/media/cdrom\n"
           "Map=08\n"
           "[OPERATION]\n"
           "HisListPopup=2\n"
           "WaveFile=/snd/\x82\xA0\xFD.wav\n"
           "[SCREEN VIEW]\n"
           "SelectItem1=\x93\xE0\x97\x65\n"
           "SelectItem2=x\n"
           "SelectItem3=y\n"
           "[HISTORY LIST]\n"
           "Left=10";
}

class SettingsFile : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    std::filesystem::path file = folders.scratch() / "Kanata195.ini";
    std::filesystem::path dataFolder = folders.scratch() / "Data";

    void SetUp() override { std::filesystem::create_directories(dataFolder); }

    GlobalSettings load(IniFile& ini) {
        EXPECT_TRUE(ini.load());
        SettingsEnvironment env;
        env.applicationFolder = folders.scratch();
        env.workFolder = folders.scratch();
        GlobalSettings settings;
        const SettingsLoadResult result = LoadGlobalSettings(ini, env, messages, settings);
        EXPECT_TRUE(result.replacedKeys.empty()) << result.replacedKeys.front();
        return settings;
    }
};

TEST_F(SettingsFile, SavingWhatWasReadWritesNothing) {
    const std::string original = handEditedFile(dataFolder);
    writeFile(file, original);
    const ino_t before = inodeOf(file);

    IniFile ini(file);
    const GlobalSettings settings = load(ini);
    EXPECT_TRUE(settings.HisListPopup);
    EXPECT_EQ(settings.Map, 8);
    SaveNotices(settings, ini);
    SaveFromSettingsDialog(settings, ini);
    SaveAtExit(settings, ini);
    ini.writeInteger("HISTORY LIST", "Left", 10);
    EXPECT_FALSE(ini.modified());
    ASSERT_TRUE(ini.save()) << ini.lastError();

    EXPECT_EQ(readFile(file), original);
    EXPECT_EQ(inodeOf(file), before) << "the file was replaced";
}

TEST_F(SettingsFile, AChangedKeyRewritesOnlyItsOwnLine) {
    const std::string original = handEditedFile(dataFolder);
    writeFile(file, original);

    IniFile ini(file);
    GlobalSettings settings = load(ini);
    settings.Map = 3;
    settings.SelectItem2 = "用件";
    settings.ListMaxCount = 50; // absent: added to its section
    SaveFromSettingsDialog(settings, ini);
    ASSERT_TRUE(ini.save()) << ini.lastError();

    std::string expected = original;
    const auto replace = [&expected](const std::string& from, const std::string& to) {
        const std::size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace("Map=08\n", "Map=3\n");
    replace("SelectItem2=x\n", "SelectItem2=\x97\x70\x8C\x8F\n");
    // A new key goes after the section's last key, with the program's line end.
    replace("SelectItem3=y\n", "SelectItem3=y\nListMaxCount=50\r\n");
    EXPECT_EQ(readFile(file), expected);
}

TEST_F(SettingsFile, ADamagedFileIsKeptUntilTheUserConfirms) {
    // A crash left zeros after the last good line.
    std::string original = "[COMMON]\r\nAdapter=900\r\nPort=COM2\r\n[SCREEN VIEW]\r\nXyz";
    original += std::string(64, '\0');
    writeFile(file, original);

    IniFile ini(file);
    ASSERT_TRUE(ini.load());
    ASSERT_TRUE(ini.damaged());
    ini.holdWrites();
    GlobalSettings settings;
    SettingsEnvironment env;
    env.workFolder = folders.scratch();
    messages.expect("CD-ROM");
    const SettingsLoadResult result = LoadGlobalSettings(ini, env, messages, settings);
    EXPECT_TRUE(result.fileDamaged);
    EXPECT_TRUE(result.needEnvironmentSetup);
    EXPECT_FALSE(result.firstRun);
    EXPECT_EQ(settings.Port, "COM2") << "what could be read is used";

    SaveFromSettingsDialog(settings, ini);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(file), original) << "written before the user confirmed";
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".damaged"));

    ASSERT_TRUE(ini.acceptRewrite()) << ini.lastError();
    ASSERT_TRUE(ini.save()) << ini.lastError();
    EXPECT_EQ(readFile(file.string() + ".damaged"), original);
    const std::string rewritten = readFile(file);
    EXPECT_EQ(rewritten.find('\0'), std::string::npos);
    EXPECT_EQ(rewritten.find("Xyz"), std::string::npos) << "the damaged line is dropped";

    IniFile again(file);
    ASSERT_TRUE(again.load());
    EXPECT_FALSE(again.damaged());
    EXPECT_EQ(again.readString("COMMON", "Port"), "COM2");
    EXPECT_EQ(again.readInteger("COMMON", "Adapter", -1), 900);
}

TEST_F(SettingsFile, AFileBeyondTheLimitIsReadAsFarAsItAndKeptWhole) {
    std::string original = "[COMMON]\r\nPort=COM2\r\n[SCREEN VIEW]\r\nSelectItem1=";
    original += std::string(IniFile::kMaxFileBytes, 'x') + "\r\n[COMMON]\r\nAdapter=900\r\n";
    writeFile(file, original);
    IniFile ini(file);
    ASSERT_TRUE(ini.load());
    EXPECT_TRUE(ini.damaged());
    EXPECT_EQ(ini.readString("COMMON", "Port"), "COM2");
    EXPECT_EQ(ini.readString("SCREEN VIEW", "SelectItem1", "none"), "none") << "cut short";
    EXPECT_EQ(ini.readInteger("COMMON", "Adapter", -1), -1) << "beyond the limit";
    ini.holdWrites();
    ini.writeString("COMMON", "Port", "COM1");
    ASSERT_TRUE(ini.acceptRewrite()) << ini.lastError();
    ASSERT_TRUE(ini.save()) << ini.lastError();
    EXPECT_EQ(readFile(file.string() + ".damaged"), original);
    EXPECT_EQ(readFile(file), "[COMMON]\r\nPort=COM1\r\n[SCREEN VIEW]\r\n");
}

TEST_F(SettingsFile, ASecondDamagedCopyDoesNotReplaceTheFirst) {
    writeFile(file.string() + ".damaged", "first");
    writeFile(file, std::string("\x01\x02", 2));
    IniFile ini(file);
    ASSERT_TRUE(ini.load());
    ini.holdWrites();
    ini.writeString("COMMON", "Port", "COM1");
    ASSERT_TRUE(ini.acceptRewrite());
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(file.string() + ".damaged"), "first");
    EXPECT_EQ(readFile(file.string() + ".damaged2"), std::string("\x01\x02", 2));
    EXPECT_EQ(readFile(file), "[COMMON]\r\nPort=COM1\r\n");
}

TEST_F(SettingsFile, AValueCannotStartANewLine) {
    IniFile ini(file);
    ini.writeString("SCREEN VIEW", "SelectItem1", "a\r\n[COMMON]\r\nDataPath=/");
    ASSERT_TRUE(ini.save());
    IniFile again(file);
    ASSERT_TRUE(again.load());
    EXPECT_FALSE(again.hasSection("COMMON"));
    EXPECT_EQ(again.readString("SCREEN VIEW", "SelectItem1"), "a  [COMMON]  DataPath=/");
}

TEST(SettingsFileMessages, FailuresAreToldInJapaneseWithTheFile) {
    EXPECT_EQ(IniFile::writeFailureText("/w/Kanata195.ini", ENOSPC),
              "設定ファイルに書き込めませんでした  \r\n/w/Kanata195.ini  \r\n"
              "ディスクの空き容量が足りません  ");
    EXPECT_NE(IniFile::writeFailureText("/w/a.ini", EROFS).find("読み取り専用"), std::string::npos);
    EXPECT_NE(IniFile::readFailureText("/w/a.ini", EACCES).find("読み込みが許可されていません"),
              std::string::npos);
}

} // namespace
} // namespace kanata::test
