#include "settings/GlobalSettings.h"

#include "data/Cp932.h"
#include "platform/MessageService.h"
#include "settings/WorkFolders.h"

#include <cstdint>
#include <system_error>

namespace kanata {
namespace fs = std::filesystem;
namespace {

constexpr const char* kHidden = "HIDDEN PARAMETER";
constexpr const char* kUpdateParameter = "UPDATE PARAMETER";
constexpr const char* kVersion = "VERSION";
constexpr const char* kCommon = "COMMON";
constexpr const char* kOperation = "OPERATION";
constexpr const char* kReceiveHistory = "RECEIVE HISTORY";
constexpr const char* kMeiboView = "MEIBO VIEW";
constexpr const char* kScreenView = "SCREEN VIEW";
constexpr const char* kAutoBackup = "AUTO BACKUP";
constexpr const char* kAutoUpdate = "AUTO UPDATE";
constexpr const char* kUsePbAdrs = "USE PBADRS";
constexpr const char* kAdapter = "ADAPTER";
constexpr const char* kEnvironment = "ENVIRONMENT";
constexpr const char* kMenuView = "MENU VIEW";

std::string withoutTrailingDelimiter(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(fs::path(path), ec);
}

bool isFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Reads the keys of one load and records every replacement.
class Loader {
public:
    Loader(const IniFile& ini, const SettingsEnvironment& env, MessageService& messages,
           GlobalSettings& s)
        : ini_(ini), env_(env), messages_(messages), s_(s) {}

    SettingsLoadResult run() {
        result_.firstRun = !ini_.existed();
        if (ini_.damaged()) {
            result_.fileDamaged = true;
            result_.needEnvironmentSetup = true;
        }
        hiddenAndUpdateParameters();
        version();
        common();
        operation();
        receiveHistory();
        meiboView();
        screenView();
        autoBackupAndUpdate();
        usePbAdrs();
        adapter();
        restOfCommon();
        environmentAndMenu();
        return result_;
    }

private:
    void replaced(const char* section, const char* key, bool setup) {
        result_.replacedKeys.push_back(std::string(section) + "/" + key);
        if (setup)
            result_.needEnvironmentSetup = true;
    }

    // Reads an integer; outside lo..hi it becomes `fallback`.
    int ranged(const char* section, const char* key, int def, int lo, int hi, int fallback,
               bool setup) {
        int v = ini_.readInteger(section, key, def);
        if (v >= lo && v <= hi)
            return v;
        replaced(section, key, setup);
        return fallback;
    }

    void hiddenAndUpdateParameters() {
        s_.SearchDriveExtend = ini_.readBool(kHidden, "SearchDriveExtend", false);
        s_.AdapterExtend = ini_.readBool(kHidden, "AdapterExtend", false);
        s_.HiddenPath = ini_.readString(kHidden, "Path");
        s_.UpdateDomain = ini_.readString(kUpdateParameter, "Domain", kDefaultUpdateDomain);
        s_.UpdatePath = ini_.readString(kUpdateParameter, "Path", "/check/");
        s_.UpdateApp = ini_.readString(kUpdateParameter, "App", "/app/");
    }

    void version() {
        s_.DLL = ini_.readString(kVersion, "DLL");
        if (!env_.adapterLibraryVersion || s_.DLL == *env_.adapterLibraryVersion)
            return;
        if (!s_.DLL.empty())
            result_.adapterLibraryReplaced = true;
        s_.DLL = *env_.adapterLibraryVersion;
        replaced(kVersion, "DLL", true);
    }

    void common() {
        s_.UseType = ini_.readInteger(kCommon, "UseType", 0);
        s_.Adapter = ini_.readInteger(kCommon, "Adapter", -1);
        if (s_.Adapter == -1) {
            s_.Adapter = 0;
            replaced(kCommon, "Adapter", true);
        }
        if (s_.lineType() == LineType::None)
            s_.Adapter = 0;

        s_.Port = ini_.readString(kCommon, "Port");
        if (cp932::byteWidth(s_.Port) < 3) {
            s_.Port = "COM1";
            replaced(kCommon, "Port", true);
        }

        DataFolder data = resolveDataFolder(ini_.readString(kCommon, "DataPath"), env_.workFolder);
        s_.DataPath = data.dataPath;
        if (data.replaced) {
            result_.dataPathReplaced = true;
            replaced(kCommon, "DataPath", true);
        }

        s_.Map = ranged(kCommon, "Map", 8, 0, 10, 8, true);
        s_.MapSearchKind = ranged(kCommon, "MapSearchKind", 0, 0, 1, 0, true);
        s_.NGCut = ini_.readInteger(kCommon, "NGCut", 0);
        s_.UsbSerial = ini_.readInteger(kCommon, "UsbSerial", 0);
    }

    void operation() {
        s_.ViewSplash = ini_.readBool(kOperation, "ViewSplash", true);
        s_.HisListPopup = ini_.readBool(kOperation, "HisListPopup", true);
        s_.RecvViewPopup = ini_.readBool(kOperation, "RecvViewPopup", true);
        s_.RecvViewMiniPopup = ini_.readBool(kOperation, "RecvViewMiniPopup", false);
        s_.RingSound = ini_.readBool(kOperation, "RingSound", false);
        s_.WaveFile = ini_.readString(kOperation, "WaveFile", kNoWaveFile);
        if (s_.WaveFile == kNoWaveFile) {
            s_.WaveFile = (env_.applicationFolder / kRingSoundFileName).string();
            replaced(kOperation, "WaveFile", true);
        }
        const std::string wave = cp932::trim(s_.WaveFile);
        if (s_.RingSound && !wave.empty() && !isFile(wave))
            result_.needEnvironmentSetup = true;
        s_.NotMoveFocus = ini_.readBool(kOperation, "NotMoveFocus", false);
        s_.DeleteType = ini_.readBool(kOperation, "DeleteType", false);
        s_.WindowsEnd = ini_.readBool(kOperation, "WindowsEnd", true);
    }

    void receiveHistory() {
        s_.EarlierSearch = ini_.readBool(kReceiveHistory, "EarlierSearch", true);
        s_.NewDataView = ini_.readBool(kReceiveHistory, "NewDataView", true);
        s_.AutoAdd = ini_.readBool(kReceiveHistory, "AutoAdd", true);
        s_.SameTelUpdate = ini_.readBool(kReceiveHistory, "SameTelUpdate", true);
        s_.BeforeSelectItems = ini_.readBool(kReceiveHistory, "BeforeSelectItems", true);
        s_.BeforeRecvDateTime = ini_.readBool(kReceiveHistory, "BeforeRecvDateTime", true);
        s_.AutoDel = ini_.readBool(kReceiveHistory, "AutoDel", false);
        s_.DeleteDay = ranged(kReceiveHistory, "DeleteDay", 7, 1, 14, 7, true);
        s_.AutoDelConfirm = ini_.readBool(kReceiveHistory, "AutoDelConfirm", true);
    }

    void meiboView() {
        s_.AutoSaveMeibo = ini_.readBool(kMeiboView, "AutoSaveMeibo", true);
        s_.SaveMeiboConfirm = ini_.readBool(kMeiboView, "SaveMeiboConfirm", true);
    }

    std::string caption(const char* key, const char* fallback) {
        std::string v = ini_.readString(kScreenView, key);
        if (!cp932::trim(v).empty())
            return v;
        replaced(kScreenView, key, true);
        return fallback;
    }

    void screenView() {
        s_.ListMaxCount = ranged(kScreenView, "ListMaxCount", 200, 1, 1000, 200, true);
        s_.SelectItem1 = caption("SelectItem1", "内容");
        s_.SelectItem2 = caption("SelectItem2", "メモ");
        s_.SelectItem3 = caption("SelectItem3", "受付");
        s_.MenuVisible = ini_.readBool(kScreenView, "MenuVisible", false);
        s_.MenuTopMost = ini_.readBool(kScreenView, "MenuTopMost", false);
        s_.CloseMsg = ini_.readBool(kScreenView, "CloseMsg", true);
    }

    void autoBackupAndUpdate() {
        s_.AutoBU = ini_.readBool(kAutoBackup, "AutoBU", true);
        s_.AutoBUCount = ranged(kAutoBackup, "AutoBUCount", 3, 1, 9, 3, true);
        s_.UpdateCheck = ini_.readBool(kAutoUpdate, "UpdateCheck", true);
    }

    void usePbAdrs() {
        s_.UsePbAdrs = ini_.readBool(kUsePbAdrs, "UsePbAdrs", false);
        if (env_.oldWow64Process)
            s_.UsePbAdrs = false;
        s_.PbSeries = ranged(kUsePbAdrs, "PbSeries", 0, 0, 13, 0, false);
        s_.PbAdrsBook = ranged(kUsePbAdrs, "PbAdrsBook", 0, 0, INT32_MAX, 0, false);
        s_.PbAdrsBookName = ini_.readString(kUsePbAdrs, "PbAdrsBookName");
        s_.RunPbDlg = ini_.readBool(kUsePbAdrs, "RunPbDlg", true);
        s_.PbBackup = ini_.readBool(kUsePbAdrs, "PbBackup", true);
        s_.PbBackupDlg = ini_.readBool(kUsePbAdrs, "PbBackupDlg", true);
        s_.Memo1 = ranged(kUsePbAdrs, "Memo1", 0, 0, 4, 0, false);
        s_.Memo2 = ranged(kUsePbAdrs, "Memo2", 1, 0, 4, 1, false);
        s_.Memo3 = ranged(kUsePbAdrs, "Memo3", 2, 0, 4, 2, false);
        s_.rank = ranged(kUsePbAdrs, "rank", 0, 0, 2, 0, false);
        s_.Line1 = ranged(kUsePbAdrs, "Line1", 3, 0, 4, 3, false);
        s_.Line2 = ranged(kUsePbAdrs, "Line2", 4, 0, 4, 4, false);
    }

    void adapter() {
        s_.NewFunc = ini_.readBool(kAdapter, "NewFunc", false);
        s_.CTISet = ini_.readBool(kAdapter, "CTISet", false);
        s_.UseBelleBox = ini_.readBool(kAdapter, "UseBelleBox", false);
        s_.UseOGW = ini_.readBool(kAdapter, "UseOGW", false);
    }

    void restOfCommon() {
        s_.CD = ini_.readString(kCommon, "CD");
        if (isFolder(s_.HiddenPath)) {
            // The hidden location wins; CD is kept as stored for writing back.
            s_.PhonebookDataFolder = withoutTrailingDelimiter(s_.HiddenPath);
        } else if (s_.CD.empty()) {
            std::vector<std::string> drives = env_.scanDrives
                                                  ? env_.scanDrives(s_.SearchDriveExtend)
                                                  : std::vector<std::string>{};
            if (drives.empty()) {
                messages_.information(kNoDriveMessage);
            } else {
                s_.CD = withoutTrailingDelimiter(drives.front());
                replaced(kCommon, "CD", true);
            }
            s_.PhonebookDataFolder = s_.CD;
        } else {
            s_.CD = withoutTrailingDelimiter(s_.CD);
            s_.PhonebookDataFolder = s_.CD;
        }
        s_.ExportRecvData = ini_.readBool(kCommon, "ExportRecvData", false);
        s_.Info = ini_.readBool(kCommon, "Info", true);
    }

    void environmentAndMenu() {
        s_.InitTab = ini_.readInteger(kEnvironment, "InitTab", 0);
        s_.TipView = ini_.readBool(kEnvironment, "TipView", true);
        s_.MenuLeft = ini_.hasKey(kMenuView, "Left")
                          ? std::optional(ini_.readInteger(kMenuView, "Left", 0))
                          : std::nullopt;
        s_.MenuTop = ini_.hasKey(kMenuView, "Top")
                         ? std::optional(ini_.readInteger(kMenuView, "Top", 0))
                         : std::nullopt;
    }

    const IniFile& ini_;
    const SettingsEnvironment& env_;
    MessageService& messages_;
    GlobalSettings& s_;
    SettingsLoadResult result_;
};

} // namespace

std::string DamagedSettingsFileMessage(const std::filesystem::path& file) {
    return "設定ファイルが壊れているため、読み込めない設定がありました  \r\n" + file.string() +
           "  \r\n\r\n読み込めた設定で環境設定に入ります  \r\n"
           "「設定」を押すまで設定ファイルは書き換えません  \r\n"
           "元のファイルは名前の後に .damaged を付けて残します  ";
}

SettingsLoadResult LoadGlobalSettings(const IniFile& ini, const SettingsEnvironment& env,
                                      MessageService& messages, GlobalSettings& settings) {
    settings = GlobalSettings{};
    return Loader(ini, env, messages, settings).run();
}

namespace {

// Writes a key only when the file does not already read as the value (with
// the default the loader takes for an absent key), so that saving leaves the
// spelling of values the user did not change, and absent keys, as they are.
class ChangedKeys {
public:
    explicit ChangedKeys(IniFile& ini) : ini_(ini) {}
    void writeBool(const char* section, const char* key, bool value, bool def) {
        if (ini_.readBool(section, key, def) != value)
            ini_.writeBool(section, key, value);
    }
    void writeInteger(const char* section, const char* key, int value, int def) {
        if (ini_.readInteger(section, key, def) != value)
            ini_.writeInteger(section, key, value);
    }
    void writeString(const char* section, const char* key, const std::string& value,
                     const std::string& def) {
        if (ini_.readString(section, key, def) != value)
            ini_.writeString(section, key, value);
    }

private:
    IniFile& ini_;
};

// The keys that both the settings dialog and the exit write: the menu
// window's state and the line options.
void writeMenuState(ChangedKeys& w, const GlobalSettings& s, const GlobalSettings& d) {
    w.writeBool(kScreenView, "MenuVisible", s.MenuVisible, d.MenuVisible);
    w.writeBool(kScreenView, "MenuTopMost", s.MenuTopMost, d.MenuTopMost);
    w.writeBool(kScreenView, "CloseMsg", s.CloseMsg, d.CloseMsg);
}

void writeLineOptions(ChangedKeys& w, const GlobalSettings& s, const GlobalSettings& d) {
    w.writeInteger(kCommon, "NGCut", s.NGCut, d.NGCut);
    w.writeInteger(kCommon, "UsbSerial", s.UsbSerial, d.UsbSerial);
}

} // namespace

void SaveFromSettingsDialog(const GlobalSettings& s, IniFile& ini) {
    ChangedKeys w(ini);
    const GlobalSettings d;
    w.writeString(kVersion, "DLL", s.DLL, d.DLL);

    w.writeInteger(kCommon, "UseType", s.UseType, d.UseType);
    w.writeInteger(kCommon, "Adapter", s.Adapter, d.Adapter);
    w.writeString(kCommon, "Port", s.Port, d.Port);
    w.writeString(kCommon, "DataPath", s.DataPath, d.DataPath);
    w.writeString(kCommon, "CD", s.CD, d.CD);
    w.writeInteger(kCommon, "Map", s.Map, d.Map);
    w.writeInteger(kCommon, "MapSearchKind", s.MapSearchKind, d.MapSearchKind);
    writeLineOptions(w, s, d);

    w.writeBool(kOperation, "ViewSplash", s.ViewSplash, d.ViewSplash);
    w.writeBool(kOperation, "HisListPopup", s.HisListPopup, d.HisListPopup);
    w.writeBool(kOperation, "RecvViewPopup", s.RecvViewPopup, d.RecvViewPopup);
    w.writeBool(kOperation, "RecvViewMiniPopup", s.RecvViewMiniPopup, d.RecvViewMiniPopup);
    w.writeBool(kOperation, "RingSound", s.RingSound, d.RingSound);
    w.writeString(kOperation, "WaveFile", s.WaveFile, d.WaveFile);
    w.writeBool(kOperation, "NotMoveFocus", s.NotMoveFocus, d.NotMoveFocus);
    w.writeBool(kOperation, "DeleteType", s.DeleteType, d.DeleteType);
    w.writeBool(kOperation, "WindowsEnd", s.WindowsEnd, d.WindowsEnd);

    w.writeBool(kReceiveHistory, "EarlierSearch", s.EarlierSearch, d.EarlierSearch);
    w.writeBool(kReceiveHistory, "NewDataView", s.NewDataView, d.NewDataView);
    w.writeBool(kReceiveHistory, "AutoAdd", s.AutoAdd, d.AutoAdd);
    w.writeBool(kReceiveHistory, "SameTelUpdate", s.SameTelUpdate, d.SameTelUpdate);
    w.writeBool(kReceiveHistory, "BeforeSelectItems", s.BeforeSelectItems, d.BeforeSelectItems);
    w.writeBool(kReceiveHistory, "BeforeRecvDateTime", s.BeforeRecvDateTime, d.BeforeRecvDateTime);
    w.writeBool(kReceiveHistory, "AutoDel", s.AutoDel, d.AutoDel);
    w.writeInteger(kReceiveHistory, "DeleteDay", s.DeleteDay, d.DeleteDay);
    w.writeBool(kReceiveHistory, "AutoDelConfirm", s.AutoDelConfirm, d.AutoDelConfirm);

    w.writeBool(kMeiboView, "AutoSaveMeibo", s.AutoSaveMeibo, d.AutoSaveMeibo);
    w.writeBool(kMeiboView, "SaveMeiboConfirm", s.SaveMeiboConfirm, d.SaveMeiboConfirm);

    w.writeInteger(kScreenView, "ListMaxCount", s.ListMaxCount, d.ListMaxCount);
    w.writeString(kScreenView, "SelectItem1", s.SelectItem1, d.SelectItem1);
    w.writeString(kScreenView, "SelectItem2", s.SelectItem2, d.SelectItem2);
    w.writeString(kScreenView, "SelectItem3", s.SelectItem3, d.SelectItem3);
    writeMenuState(w, s, d);

    w.writeBool(kAutoBackup, "AutoBU", s.AutoBU, d.AutoBU);
    w.writeInteger(kAutoBackup, "AutoBUCount", s.AutoBUCount, d.AutoBUCount);
    w.writeBool(kAutoUpdate, "UpdateCheck", s.UpdateCheck, d.UpdateCheck);

    w.writeBool(kUsePbAdrs, "UsePbAdrs", s.UsePbAdrs, d.UsePbAdrs);
    w.writeInteger(kUsePbAdrs, "PbSeries", s.PbSeries, d.PbSeries);
    w.writeInteger(kUsePbAdrs, "PbAdrsBook", s.PbAdrsBook, d.PbAdrsBook);
    w.writeString(kUsePbAdrs, "PbAdrsBookName", s.PbAdrsBookName, d.PbAdrsBookName);
    w.writeBool(kUsePbAdrs, "RunPbDlg", s.RunPbDlg, d.RunPbDlg);
    w.writeBool(kUsePbAdrs, "PbBackup", s.PbBackup, d.PbBackup);
    w.writeBool(kUsePbAdrs, "PbBackupDlg", s.PbBackupDlg, d.PbBackupDlg);
    w.writeInteger(kUsePbAdrs, "Memo1", s.Memo1, d.Memo1);
    w.writeInteger(kUsePbAdrs, "Memo2", s.Memo2, d.Memo2);
    w.writeInteger(kUsePbAdrs, "Memo3", s.Memo3, d.Memo3);
    w.writeInteger(kUsePbAdrs, "rank", s.rank, d.rank);
    w.writeInteger(kUsePbAdrs, "Line1", s.Line1, d.Line1);
    w.writeInteger(kUsePbAdrs, "Line2", s.Line2, d.Line2);
}

void SaveAtExit(const GlobalSettings& s, IniFile& ini) {
    ChangedKeys w(ini);
    const GlobalSettings d;
    writeMenuState(w, s, d);
    w.writeBool(kAdapter, "NewFunc", s.NewFunc, d.NewFunc);
    w.writeBool(kAdapter, "CTISet", s.CTISet, d.CTISet);
    w.writeBool(kAdapter, "UseBelleBox", s.UseBelleBox, d.UseBelleBox);
    w.writeBool(kAdapter, "UseOGW", s.UseOGW, d.UseOGW);
    writeLineOptions(w, s, d);
    if (s.MenuLeft)
        ini.writeInteger(kMenuView, "Left", *s.MenuLeft);
    if (s.MenuTop)
        ini.writeInteger(kMenuView, "Top", *s.MenuTop);
}

void SaveNotices(const GlobalSettings& s, IniFile& ini) {
    ChangedKeys w(ini);
    const GlobalSettings d;
    w.writeBool(kCommon, "Info", s.Info, d.Info);
    w.writeBool(kAutoUpdate, "UpdateCheck", s.UpdateCheck, d.UpdateCheck);
}

void RefreshPhonebookDataFolder(GlobalSettings& settings) {
    settings.PhonebookDataFolder = isFolder(settings.HiddenPath)
                                       ? withoutTrailingDelimiter(settings.HiddenPath)
                                       : withoutTrailingDelimiter(settings.CD);
}

} // namespace kanata
