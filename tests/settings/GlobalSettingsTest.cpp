#include "settings/GlobalSettings.h"

#include "settings/WorkFolders.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace kanata {
namespace {
namespace fs = std::filesystem;

// A settings file that passes every check, so each test changes one thing.
std::string validFile(const fs::path& dataFolder) {
    return "[VERSION]\nDLL=300\n[COMMON]\nAdapter=5\nPort=COM2\nDataPath=" + dataFolder.string() +
           "\nCD=/media/cd/\n[OPERATION]\nWaveFile=\n[SCREEN "
           "VIEW]\nSelectItem1=a\nSelectItem2=b\nSelectItem3=c\n";
}

class GlobalSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(data_);
        env_.applicationFolder = t_.scratch() / "app";
        env_.workFolder = t_.workFolder();
        env_.adapterLibraryVersion = "300";
        env_.scanDrives = [this](bool network) {
            scannedWithNetwork_ = network;
            return drives_;
        };
    }

    // Loads the valid file with `section`/`key` set to `value`.
    SettingsLoadResult loadWith(const std::string& section, const std::string& key,
                                const std::string& value) {
        IniFile ini("unused.ini");
        ini.parse(validFile(data_));
        ini.writeString(section, key, value);
        return LoadGlobalSettings(ini, env_, messages_, s_);
    }

    test::TempFolders t_;
    fs::path data_ = t_.scratch() / "data";
    SettingsEnvironment env_;
    std::vector<std::string> drives_{"/media/cdrom"};
    bool scannedWithNetwork_ = false;
    test::ScriptedMessages messages_;
    GlobalSettings s_;
};

TEST_F(GlobalSettingsTest, ValidFileNeedsNoSetup) {
    auto r = loadWith("COMMON", "Map", "10");
    EXPECT_FALSE(r.needEnvironmentSetup) << ::testing::PrintToString(r.replacedKeys);
    EXPECT_FALSE(r.dataPathReplaced);
    EXPECT_EQ(s_.DataPath, data_.string() + "/");
    EXPECT_EQ(s_.CD, "/media/cd");
    EXPECT_EQ(s_.Map, 10);
}

TEST_F(GlobalSettingsTest, RangeChecksWithSetup) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        int expected;
        bool setup;
        int GlobalSettings::*member;
    };
    const Case cases[] = {
        {"RECEIVE HISTORY", "DeleteDay", "0", 7, true, &GlobalSettings::DeleteDay},
        {"RECEIVE HISTORY", "DeleteDay", "15", 7, true, &GlobalSettings::DeleteDay},
        {"RECEIVE HISTORY", "DeleteDay", "1", 1, false, &GlobalSettings::DeleteDay},
        {"RECEIVE HISTORY", "DeleteDay", "14", 14, false, &GlobalSettings::DeleteDay},
        {"SCREEN VIEW", "ListMaxCount", "1000", 1000, false, &GlobalSettings::ListMaxCount},
        {"SCREEN VIEW", "ListMaxCount", "1001", 200, true, &GlobalSettings::ListMaxCount},
        {"SCREEN VIEW", "ListMaxCount", "0", 200, true, &GlobalSettings::ListMaxCount},
        {"AUTO BACKUP", "AutoBUCount", "9", 9, false, &GlobalSettings::AutoBUCount},
        {"AUTO BACKUP", "AutoBUCount", "10", 3, true, &GlobalSettings::AutoBUCount},
        {"COMMON", "Map", "11", 8, true, &GlobalSettings::Map},
        {"COMMON", "Map", "-1", 8, true, &GlobalSettings::Map},
        {"COMMON", "MapSearchKind", "2", 0, true, &GlobalSettings::MapSearchKind},
        {"COMMON", "Adapter", "-1", 0, true, &GlobalSettings::Adapter},
        {"COMMON", "Adapter", "-2", -2, false, &GlobalSettings::Adapter},
        // The address-book keys are mended silently.
        {"USE PBADRS", "PbSeries", "14", 0, false, &GlobalSettings::PbSeries},
        {"USE PBADRS", "PbSeries", "13", 13, false, &GlobalSettings::PbSeries},
        {"USE PBADRS", "PbAdrsBook", "-1", 0, false, &GlobalSettings::PbAdrsBook},
        {"USE PBADRS", "Memo2", "5", 1, false, &GlobalSettings::Memo2},
        {"USE PBADRS", "rank", "3", 0, false, &GlobalSettings::rank},
        {"USE PBADRS", "Line2", "-1", 4, false, &GlobalSettings::Line2},
    };
    for (const Case& c : cases) {
        auto r = loadWith(c.section, c.key, c.value);
        EXPECT_EQ(s_.*c.member, c.expected) << c.key << "=" << c.value;
        EXPECT_EQ(r.needEnvironmentSetup, c.setup) << c.key << "=" << c.value;
    }
}

TEST_F(GlobalSettingsTest, AdapterIsZeroWithoutALine) {
    IniFile ini("unused.ini");
    ini.parse(validFile(data_) + "[COMMON]\n");
    ini.writeInteger("COMMON", "UseType", 2);
    auto r = LoadGlobalSettings(ini, env_, messages_, s_);
    EXPECT_EQ(s_.Adapter, 0);
    EXPECT_FALSE(r.needEnvironmentSetup);
}

TEST_F(GlobalSettingsTest, PortShorterThanThreeBecomesCom1) {
    auto r = loadWith("COMMON", "Port", "CO");
    EXPECT_EQ(s_.Port, "COM1");
    EXPECT_TRUE(r.needEnvironmentSetup);
    r = loadWith("COMMON", "Port", "USB");
    EXPECT_EQ(s_.Port, "USB");
    EXPECT_FALSE(r.needEnvironmentSetup);
}

TEST_F(GlobalSettingsTest, LongDataPathIsReplacedAndSkipsTheBackup) {
    const std::string base = t_.scratch().string() + "/";
    const fs::path long201 = base + std::string(201 - base.size(), 'd');
    fs::create_directories(long201);
    auto r = loadWith("COMMON", "DataPath", long201.string());
    EXPECT_EQ(s_.DataPath, (t_.workFolder() / "Data").string() + "/");
    EXPECT_TRUE(r.dataPathReplaced);
    EXPECT_TRUE(r.needEnvironmentSetup);
}

TEST_F(GlobalSettingsTest, BlankSelectionCaptionsGetTheirNames) {
    IniFile ini("unused.ini");
    ini.parse(validFile(data_));
    ini.writeString("SCREEN VIEW", "SelectItem1", "");
    ini.writeString("SCREEN VIEW", "SelectItem2", "   ");
    ini.writeString("SCREEN VIEW", "SelectItem3", "受付係");
    auto r = LoadGlobalSettings(ini, env_, messages_, s_);
    EXPECT_EQ(s_.SelectItem1, "内容");
    EXPECT_EQ(s_.SelectItem2, "メモ");
    EXPECT_EQ(s_.SelectItem3, "受付係");
    EXPECT_TRUE(r.needEnvironmentSetup);
}

TEST_F(GlobalSettingsTest, RingSoundFile) {
    auto r = loadWith("OPERATION", "WaveFile", "<None>");
    EXPECT_EQ(s_.WaveFile, (env_.applicationFolder / "Ringin.wav").string());
    EXPECT_TRUE(r.needEnvironmentSetup);

    IniFile ini("unused.ini");
    ini.parse(validFile(data_));
    ini.writeBool("OPERATION", "RingSound", true);
    ini.writeString("OPERATION", "WaveFile", (t_.scratch() / "missing.wav").string());
    EXPECT_TRUE(LoadGlobalSettings(ini, env_, messages_, s_).needEnvironmentSetup);

    std::ofstream(t_.scratch() / "ring.wav") << "RIFF";
    ini.writeString("OPERATION", "WaveFile", (t_.scratch() / "ring.wav").string());
    EXPECT_FALSE(LoadGlobalSettings(ini, env_, messages_, s_).needEnvironmentSetup);
}

TEST_F(GlobalSettingsTest, AdapterLibraryVersion) {
    auto r = loadWith("VERSION", "DLL", "");
    EXPECT_EQ(s_.DLL, "300");
    EXPECT_TRUE(r.needEnvironmentSetup);
    EXPECT_FALSE(r.adapterLibraryReplaced);

    r = loadWith("VERSION", "DLL", "299");
    EXPECT_EQ(s_.DLL, "300");
    EXPECT_TRUE(r.needEnvironmentSetup);
    EXPECT_TRUE(r.adapterLibraryReplaced);
}

TEST_F(GlobalSettingsTest, PhonebookLocation) {
    // Empty CD takes the first drive, with setup; network drives only when asked.
    auto r = loadWith("COMMON", "CD", "");
    EXPECT_EQ(s_.CD, "/media/cdrom");
    EXPECT_TRUE(r.needEnvironmentSetup);
    EXPECT_FALSE(scannedWithNetwork_);
    IniFile ini("unused.ini");
    ini.parse(validFile(data_));
    ini.writeString("COMMON", "CD", "");
    ini.writeBool("HIDDEN PARAMETER", "SearchDriveExtend", true);
    LoadGlobalSettings(ini, env_, messages_, s_);
    EXPECT_TRUE(scannedWithNetwork_);
    scannedWithNetwork_ = false;
    loadWith("HIDDEN PARAMETER", "SearchDriveExtend", "1");
    EXPECT_FALSE(scannedWithNetwork_) << "a stored CD needs no scan";
    EXPECT_EQ(s_.CD, "/media/cd");

    // An existing hidden Path wins over CD, which is kept as stored.
    r = loadWith("HIDDEN PARAMETER", "Path", data_.string() + "/");
    EXPECT_EQ(s_.PhonebookDataFolder, data_.string());
    EXPECT_EQ(s_.CD, "/media/cd/");
    EXPECT_FALSE(r.needEnvironmentSetup);

    // No drive and no location: the notice, and start-up goes on.
    drives_.clear();
    messages_.expect("使用可能な CD-ROM ドライブが検出できませんでした  \r\nCD-ROM "
                     "を使用した検索は利用できません  ");
    r = loadWith("COMMON", "CD", "");
    EXPECT_TRUE(messages_.allAnswered());
    EXPECT_EQ(messages_.shown().back().icon, MessageIcon::Information);
    EXPECT_TRUE(s_.CD.empty());
    EXPECT_FALSE(r.needEnvironmentSetup);
}

TEST_F(GlobalSettingsTest, MissingFileIsAFirstRunWithDefaults) {
    IniFile ini(t_.workFolder() / kSettingsFileName);
    ASSERT_TRUE(ini.load());
    auto r = LoadGlobalSettings(ini, env_, messages_, s_);
    EXPECT_TRUE(r.firstRun);
    EXPECT_TRUE(r.needEnvironmentSetup);
    EXPECT_EQ(s_.Port, "COM1");
    EXPECT_EQ(s_.ListMaxCount, 200);
    EXPECT_TRUE(s_.Info);
    EXPECT_EQ(s_.UpdatePath, "/check/");
}

// Every key of the global sections, filled with one value: a writer changes
// exactly the keys it owns whose stored value does not read as its setting.
std::string everyKeyAs(const std::string& value) {
    const std::vector<std::pair<std::string, std::string>> sections = {
        {"VERSION", "DLL"},
        {"COMMON", "UseType Adapter Port DataPath CD Map MapSearchKind NGCut UsbSerial "
                   "ExportRecvData Info"},
        {"OPERATION", "ViewSplash HisListPopup RecvViewPopup RecvViewMiniPopup RingSound "
                      "WaveFile NotMoveFocus DeleteType WindowsEnd"},
        {"RECEIVE HISTORY", "EarlierSearch NewDataView AutoAdd SameTelUpdate BeforeSelectItems "
                            "BeforeRecvDateTime AutoDel DeleteDay AutoDelConfirm"},
        {"MEIBO VIEW", "AutoSaveMeibo SaveMeiboConfirm"},
        {"SCREEN VIEW",
         "ListMaxCount SelectItem1 SelectItem2 SelectItem3 MenuVisible MenuTopMost CloseMsg"},
        {"AUTO BACKUP", "AutoBU AutoBUCount"},
        {"AUTO UPDATE", "UpdateCheck"},
        {"USE PBADRS", "UsePbAdrs PbSeries PbAdrsBook PbAdrsBookName RunPbDlg PbBackup "
                       "PbBackupDlg Memo1 Memo2 Memo3 rank Line1 Line2"},
        {"ADAPTER", "NewFunc CTISet UseBelleBox UseOGW"},
        {"HIDDEN PARAMETER", "SearchDriveExtend AdapterExtend Path"},
        {"UPDATE PARAMETER", "Domain Path App"},
        {"MENU VIEW", "Left Top"},
    };
    std::string text;
    for (const auto& [section, keys] : sections) {
        text += "[" + section + "]\n";
        std::istringstream names(keys);
        for (std::string key; names >> key;)
            text += key + "=" + value + "\n";
    }
    return text;
}

// The keys a writer changes, with settings whose values all differ from one
// of the two fillings (a number for texts and integers, 0 and 1 for switches).
std::vector<std::string> keysWritten(void (*writer)(const GlobalSettings&, IniFile&),
                                     const GlobalSettings& settings = GlobalSettings{}) {
    std::vector<std::string> keys;
    for (const char* filling : {"12345", "0"}) {
        IniFile ini("unused.ini");
        ini.parse(everyKeyAs(filling));
        writer(settings, ini);
        for (const auto& section : ini.sections())
            for (const auto& key : ini.keys(section))
                if (ini.readString(section, key) != filling &&
                    std::find(keys.begin(), keys.end(), section + "/" + key) == keys.end())
                    keys.push_back(section + "/" + key);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(GlobalSettingsSave, EachWriterWritesOnlyItsKeys) {
    auto dialog = keysWritten(SaveFromSettingsDialog);
    for (const char* k :
         {"VERSION/DLL", "COMMON/DataPath", "COMMON/CD", "COMMON/NGCut", "OPERATION/ViewSplash",
          "SCREEN VIEW/SelectItem3", "SCREEN VIEW/CloseMsg", "AUTO UPDATE/UpdateCheck",
          "USE PBADRS/Line2", "MEIBO VIEW/SaveMeiboConfirm", "AUTO BACKUP/AutoBUCount"})
        EXPECT_TRUE(contains(dialog, k)) << k;
    for (const char* k : {"COMMON/ExportRecvData", "COMMON/Info", "ADAPTER/NewFunc",
                          "HIDDEN PARAMETER/Path", "UPDATE PARAMETER/Domain", "MENU VIEW/Left"})
        EXPECT_FALSE(contains(dialog, k)) << k;
    EXPECT_EQ(dialog.size(), 1u + 9 + 9 + 9 + 2 + 7 + 2 + 1 + 13);

    GlobalSettings placed;
    placed.MenuLeft = 10;
    placed.MenuTop = 20;
    EXPECT_EQ(keysWritten(SaveAtExit, placed),
              (std::vector<std::string>{"ADAPTER/CTISet", "ADAPTER/NewFunc", "ADAPTER/UseBelleBox",
                                        "ADAPTER/UseOGW", "COMMON/NGCut", "COMMON/UsbSerial",
                                        "MENU VIEW/Left", "MENU VIEW/Top", "SCREEN VIEW/CloseMsg",
                                        "SCREEN VIEW/MenuTopMost", "SCREEN VIEW/MenuVisible"}));

    EXPECT_EQ(keysWritten(SaveNotices),
              (std::vector<std::string>{"AUTO UPDATE/UpdateCheck", "COMMON/Info"}));
}

TEST(GlobalSettingsSave, ExitLeavesOtherKeysAloneAndRoundTrips) {
    IniFile ini("unused.ini");
    ini.parse(
        "[COMMON]\nPort=COM4\nInfo=0\n[HISTORY LIST]\nList1=80\n[SCREEN VIEW]\nListMaxCount=50\n");
    GlobalSettings s;
    s.MenuVisible = true;
    s.NGCut = 3;
    s.Port = "COM9"; // not an exit key
    SaveAtExit(s, ini);
    EXPECT_EQ(ini.readString("COMMON", "Port"), "COM4");
    EXPECT_EQ(ini.readString("COMMON", "Info"), "0");
    EXPECT_EQ(ini.readInteger("HISTORY LIST", "List1", 0), 80);
    EXPECT_EQ(ini.readInteger("SCREEN VIEW", "ListMaxCount", 0), 50);
    EXPECT_TRUE(ini.readBool("SCREEN VIEW", "MenuVisible", false));
    EXPECT_EQ(ini.readInteger("COMMON", "NGCut", 0), 3);
    EXPECT_FALSE(ini.hasSection("MENU VIEW")) << "no position, nothing written";
}

TEST_F(GlobalSettingsTest, DialogSaveReadsBackTheSame) {
    loadWith("SCREEN VIEW", "SelectItem1", "用件");
    s_.DeleteDay = 3;
    s_.PbSeries = 12;
    IniFile ini("unused.ini");
    SaveFromSettingsDialog(s_, ini);
    GlobalSettings again;
    LoadGlobalSettings(ini, env_, messages_, again);
    EXPECT_EQ(again.SelectItem1, "用件");
    EXPECT_EQ(again.DeleteDay, 3);
    EXPECT_EQ(again.PbSeries, 12);
    EXPECT_EQ(again.DataPath, s_.DataPath);
    EXPECT_EQ(again.DLL, "300");
}

} // namespace
} // namespace kanata
