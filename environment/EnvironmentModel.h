#pragma once
// What the settings dialog edits and checks, without a window: a working
// copy of the global settings, the lists its pages offer, and the checks of
// "設定(&S)" in their fixed order, each with its message.
#include "intake/AdapterAbi.h"
#include "platform/LoginAutostart.h"
#include "settings/GlobalSettings.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

class MessageService;
class Registry;

// The dialog's pages, in the order of its tabs.
enum class EnvironmentPage {
    General = 0,
    Operation,
    ReceiveHistory,
    Meibo,
    Screen,
    AutoBackup,
    Update,
    Phonebook,
};
inline constexpr int kEnvironmentPageCount = 8;

// The control a refused check leaves the focus on.
enum class EnvironmentField {
    Port,
    DataPath,
    WaveFile,
    SelectItem1,
    SelectItem2,
    SelectItem3,
    UsePbAdrs,
    PbSeries,
    PbAdrsBook,
    Keywords,
};

struct EnvironmentRefusal {
    EnvironmentPage page;
    EnvironmentField field;
};

inline constexpr const char* kTapiPort = "TAPI制御";
inline constexpr const char* kUsbPort = "USB";
inline constexpr int kDeleteDayMin = 1, kDeleteDayMax = 14;
inline constexpr int kListMaxCountMin = 1, kListMaxCountMax = 1000;
inline constexpr int kAutoBUCountMin = 1, kAutoBUCountMax = 9;
// The optical library lists two analog/INS64 models of its own from this
// version on (a.b.c.d packed with a on top).
inline constexpr std::uint32_t kOpticalVersionWithIcom = 0x01000003;
inline constexpr std::int32_t kIcomAnalogKindId = 226; // "アイコム VE-AG1"
inline constexpr std::int32_t kIcomIsdnKindId = 227;   // "アイコム VE-IG1"
inline constexpr std::int32_t kBelleBoxKindId = 241;   // listed with ADAPTER UseBelleBox
inline constexpr std::int32_t kFirstOgwKindId = 256;   // 256..259 with ADAPTER UseOGW
inline constexpr std::int32_t kLastOgwKindId = 259;

// Shown before the line is re-opened on new adapter settings.
inline constexpr const char* kReconfigureNotice =
    "変更内容を有効にするため再設定をおこないます  \r\n処理が終了するまでの間、以下の状態になりま"
    "す  \r\n\r\n　◇着信情報は取得できません  ";

// The port list: "COM1".."COM9", "USB", "TAPI制御".
const std::vector<std::string>& EnvironmentPorts();
bool IsComPort(const std::string& port);

// A model as the dialog lists it.
struct AdapterModel {
    std::int32_t kindId = 0;
    std::string name;
    std::int32_t historyCapacity = 0;
    std::int32_t dialPorts = 0;
    std::int32_t portType = KT_PORT_COM;
};
std::vector<AdapterModel> ToAdapterModels(const std::vector<AdapterKind>& kinds);

// The models of both libraries, as gathered when the dialog opens. A list
// whose library could not be read stays empty.
struct AdapterCatalog {
    std::vector<AdapterModel> analog;
    std::vector<AdapterModel> optical;
    std::uint32_t opticalVersion = 0;
};
// The optical list as offered: 241 only with UseBelleBox, 256..259 only with
// UseOGW, and the two Icom models added from library version 1.0.0.3 on.
std::vector<AdapterModel> OfferedOpticalModels(const std::vector<AdapterModel>& listed,
                                               std::uint32_t version, bool useBelleBox,
                                               bool useOgw);

// An edition of the phonebook product as the link page shows it.
struct PhonebookEditionState {
    bool installed = false;         // its address-book folder is known
    std::vector<std::string> books; // names, in the order PbAdrsBook counts
};

// What the checks need from outside.
struct EnvironmentServices {
    // Opens a COM port exclusively once and closes it; false when in use or
    // missing. Unset: the serial device of that port is tried.
    std::function<bool(const std::string& port)> probePort;
    // The pause after a successful probe (500 ms).
    std::function<void(std::chrono::milliseconds)> wait;
    // The table of mounted file systems, for the kind of the data folder's drive.
    std::filesystem::path mountsFile = "/proc/mounts";
    // The phonebook editions' installations. Unset: no edition is installed.
    std::function<PhonebookEditionState(int edition)> phonebookEdition;
    // The login autostart entry the dialog turns on and off. Unset: the
    // option is not offered.
    std::optional<LoginAutostart> autostart;
};

// Opens the serial device behind a COM port name the way the adapter library
// does ($KANATA_COM<n>, else /dev/ttyS<n-1>), exclusively, and closes it.
bool ProbeComPort(const std::string& port);

// The installed state of an edition from the registry stand-in and its
// address-book folders.
PhonebookEditionState ReadPhonebookEdition(const Registry& registry, int edition);

class EnvironmentModel {
public:
    EnvironmentModel(const GlobalSettings& current, AdapterCatalog catalog, bool startupMode,
                     MessageService& messages, EnvironmentServices services = {});

    GlobalSettings& settings() { return settings_; }
    const GlobalSettings& settings() const { return settings_; }
    const GlobalSettings& original() const { return original_; }
    bool startupMode() const { return startupMode_; }
    const AdapterCatalog& catalog() const { return catalog_; }

    // The models of a line type (empty for "使用しない").
    const std::vector<AdapterModel>& models(LineType type) const;
    const AdapterModel* currentModel() const;
    // Switches the line type; the model becomes the stored one when that
    // type is the stored one, else none.
    void chooseLineType(LineType type);
    // Chooses a model of the current line type and moves the port as its
    // PortType asks. Returns the line type in use afterwards (an Icom model
    // chosen in the analog list moves to the optical list, with a notice).
    LineType chooseModel(std::int32_t kindId);
    void choosePort(const std::string& port) { settings_.Port = port; }
    // "○"/"×" of the two function indicators for the chosen model.
    bool historyFunction() const;
    bool dialFunction() const;

    // The lines of the generation warning, or none.
    static std::optional<std::vector<std::string>> GenerationWarning(int storedCount,
                                                                     int enteredCount);

    PhonebookEditionState phonebookEdition(int edition) const;
    // Chooses an address book by its index in the edition's list (-1: none).
    void chooseAddressBook(int index);

    // The checks of "設定(&S)" in order; the first refusal shows its message
    // and is returned. None: the settings may be saved.
    std::optional<EnvironmentRefusal> validate();

    // Starting at login: offered only where the entry's place is known.
    bool offersStartAtLogin() const { return services_.autostart.has_value(); }
    bool startAtLogin() const { return startAtLogin_; }
    void setStartAtLogin(bool on) { startAtLogin_ = on; }
    // Writes or removes the autostart entry when the choice changed; a
    // failure is told and leaves the other settings to be saved.
    void commitStartAtLogin();

    // Whether the line must be re-opened for these settings.
    bool adapterSettingsChanged() const;
    static bool AdapterSettingsChanged(const GlobalSettings& before, const GlobalSettings& after);

private:
    std::optional<EnvironmentRefusal> checkPort();
    std::optional<EnvironmentRefusal> checkDataFolder();
    std::optional<EnvironmentRefusal> checkPhonebookLink();

    GlobalSettings original_;
    GlobalSettings settings_;
    AdapterCatalog catalog_;
    bool startupMode_;
    MessageService& messages_;
    EnvironmentServices services_;
    bool startAtLogin_ = false;
};

} // namespace kanata
