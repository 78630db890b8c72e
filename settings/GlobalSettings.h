#pragma once
// The global sections of Kanata195.ini: their keys with defaults, the checks
// made when they are loaded at start, and the three ways they are written
// back (the settings dialog, the end of the program, the notices window).
#include "settings/IniFile.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

class MessageService;

// The other INI files of the program.
inline constexpr const char* kIpAdapterIniName = "KTComm3ip.ini";   // work folder
inline constexpr const char* kCustomColoursIniName = "CstmClr.ini"; // work folder
inline constexpr const char* kAddressBookOpsIniName = "AdrsOp.ini"; // phonebook product's folders

inline constexpr const char* kDefaultUpdateDomain = "update.tenko.example";
inline constexpr const char* kNoWaveFile = "<None>";
inline constexpr const char* kRingSoundFileName = "Ringin.wav";
inline constexpr const char* kNoDriveMessage =
    "使用可能な CD-ROM ドライブが検出できませんでした  \r\nCD-ROM を使用した検索は利用できません  ";

enum class LineType { Analog = 0, Optical = 1, None = 2 };

struct GlobalSettings {
    // HIDDEN PARAMETER (never written)
    bool SearchDriveExtend = false;
    bool AdapterExtend = false;
    std::string HiddenPath;

    // UPDATE PARAMETER (never written)
    std::string UpdateDomain = kDefaultUpdateDomain;
    std::string UpdatePath = "/check/";
    std::string UpdateApp = "/app/";

    // VERSION
    std::string DLL;

    // COMMON
    int UseType = 0;
    int Adapter = -1;
    std::string Port;
    std::string DataPath; // with a trailing "/" once loaded
    std::string CD;       // as stored; see PhonebookDataFolder for the one in use
    int Map = 8;
    int MapSearchKind = 0;
    int NGCut = 0;
    int UsbSerial = 0;
    bool ExportRecvData = false;
    bool Info = true;

    // OPERATION
    bool ViewSplash = true;
    bool HisListPopup = true;
    bool RecvViewPopup = true;
    bool RecvViewMiniPopup = false;
    bool RingSound = false;
    std::string WaveFile = kNoWaveFile;
    bool NotMoveFocus = false;
    bool DeleteType = false;
    bool WindowsEnd = true;

    // RECEIVE HISTORY
    bool EarlierSearch = true;
    bool NewDataView = true;
    bool AutoAdd = true;
    bool SameTelUpdate = true;
    bool BeforeSelectItems = true;
    bool BeforeRecvDateTime = true;
    bool AutoDel = false;
    int DeleteDay = 7;
    bool AutoDelConfirm = true;

    // MEIBO VIEW
    bool AutoSaveMeibo = true;
    bool SaveMeiboConfirm = true;

    // SCREEN VIEW
    int ListMaxCount = 200;
    std::string SelectItem1, SelectItem2, SelectItem3;
    bool MenuVisible = false;
    bool MenuTopMost = false;
    bool CloseMsg = true;

    // AUTO BACKUP
    bool AutoBU = true;
    int AutoBUCount = 3;

    // AUTO UPDATE
    bool UpdateCheck = true;

    // USE PBADRS
    bool UsePbAdrs = false;
    int PbSeries = 0;
    int PbAdrsBook = 0;
    std::string PbAdrsBookName;
    bool RunPbDlg = true;
    bool PbBackup = true;
    bool PbBackupDlg = true;
    int Memo1 = 0, Memo2 = 1, Memo3 = 2;
    int rank = 0;
    int Line1 = 3, Line2 = 4;

    // ADAPTER
    bool NewFunc = false;
    bool CTISet = false;
    bool UseBelleBox = false;
    bool UseOGW = false;

    // ENVIRONMENT (the settings dialog's own page and hint switch)
    int InitTab = 0;
    bool TipView = true;

    // MENU VIEW, in stored (96-dpi) units; empty = centred
    std::optional<int> MenuLeft, MenuTop;

    // Derived at load, not stored: the folder of the phonebook data in use
    // (HIDDEN PARAMETER Path when it exists, else CD), without a trailing "/".
    std::string PhonebookDataFolder;

    LineType lineType() const { return static_cast<LineType>(UseType); }
};

// What loading needs from the world outside the file.
struct SettingsEnvironment {
    std::filesystem::path applicationFolder; // holds Ringin.wav
    std::filesystem::path workFolder;        // for the default data folder
    // Packed version of the adapter library in use, as decimal text; empty
    // optional when no library is loaded (the check is then skipped).
    std::optional<std::string> adapterLibraryVersion;
    // A 32-bit process on an old 64-bit Windows: the address book cannot be
    // used. Never the case here; kept so the rule stays visible.
    bool oldWow64Process = false;
    // Mounted media that may hold the phonebook data (first = preferred).
    std::function<std::vector<std::string>(bool includeNetwork)> scanDrives;
};

struct SettingsLoadResult {
    bool firstRun = false;                 // the settings file was absent
    bool fileDamaged = false;              // it could not be read whole (IniFile::damaged)
    bool needEnvironmentSetup = false;     // open the settings dialog before the line
    bool dataPathReplaced = false;         // skip the automatic backup at this start
    bool adapterLibraryReplaced = false;   // show the replaced-library message
    std::vector<std::string> replacedKeys; // "SECTION/Key" of each value replaced, for diagnosis
};

// Reads every global key with its checks, in the order the program always
// made them; the no-drive notice goes through `messages`.
// What the user is told before the settings dialog when the file was damaged.
std::string DamagedSettingsFileMessage(const std::filesystem::path& file);

SettingsLoadResult LoadGlobalSettings(const IniFile& ini, const SettingsEnvironment& env,
                                      MessageService& messages, GlobalSettings& settings);

// The three writers change only their own keys in `ini`, and of those only
// the ones whose value differs from what the file reads as.
// Writes what the settings dialog's "設定(&S)" stores.
void SaveFromSettingsDialog(const GlobalSettings& settings, IniFile& ini);
// Writes what the main window stores when it is destroyed.
void SaveAtExit(const GlobalSettings& settings, IniFile& ini);

// The phonebook data location after the settings dialog changed CD: the
// hidden location still wins when it names a folder.
void RefreshPhonebookDataFolder(GlobalSettings& settings);
// Writes what the notices window stores.
void SaveNotices(const GlobalSettings& settings, IniFile& ini);

} // namespace kanata
