#include "environment/EnvironmentModel.h"

#include "data/Cp932.h"
#include "intake/TKTCommDLL.h"
#include "lookup/PhonebookEditions.h"
#include "platform/MessageService.h"
#include "settings/Registry.h"
#include "settings/AddressBookOperations.h"
#include "settings/WorkFolders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace kanata {
namespace fs = std::filesystem;

namespace {

// The project's own simulator models take their calls from a local socket,
// not from the port they are configured with, so their port is not probed.
constexpr std::int32_t kSimulatorAnalogKindId = 900;
constexpr std::int32_t kSimulatorOpticalKindId = 901;

std::string unescapeMountField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + static_cast<long>(i) + 1,
                        field.begin() + static_cast<long>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

bool isNetworkFileSystem(const std::string& type) {
    static const std::set<std::string> network{
        "nfs", "nfs4", "cifs", "smb3",      "smbfs",          "fuse.sshfs", "sshfs",      "ncpfs",
        "afs", "9p",   "ceph", "glusterfs", "fuse.glusterfs", "davfs",      "fuse.davfs2"};
    return network.count(type) != 0;
}

// The type of the file system that holds `folder` (the longest mount point
// above it); empty when the table cannot be read.
std::string fileSystemTypeOf(const fs::path& folder, const fs::path& mountsFile) {
    std::ifstream in(mountsFile);
    const std::string target = folder.lexically_normal().generic_string();
    std::string line, bestType;
    std::size_t bestLength = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        mountPoint = unescapeMountField(mountPoint);
        while (mountPoint.size() > 1 && mountPoint.back() == '/')
            mountPoint.pop_back();
        const bool above =
            mountPoint == "/" || target == mountPoint || target.rfind(mountPoint + "/", 0) == 0;
        if (above && mountPoint.size() >= bestLength) {
            bestLength = mountPoint.size();
            bestType = type;
        }
    }
    return bestType;
}

const AdapterModel* findModel(const std::vector<AdapterModel>& models, std::int32_t kindId) {
    const auto it = std::find_if(models.begin(), models.end(),
                                 [kindId](const AdapterModel& m) { return m.kindId == kindId; });
    return it == models.end() ? nullptr : &*it;
}

const std::vector<AdapterModel>& noModels() {
    static const std::vector<AdapterModel> none;
    return none;
}

} // namespace

const std::vector<std::string>& EnvironmentPorts() {
    static const std::vector<std::string> ports{"COM1", "COM2", "COM3", "COM4",   "COM5",   "COM6",
                                                "COM7", "COM8", "COM9", kUsbPort, kTapiPort};
    return ports;
}

bool IsComPort(const std::string& port) {
    return port.size() == 4 && port.rfind("COM", 0) == 0 && port[3] >= '1' && port[3] <= '9';
}

std::vector<AdapterModel> ToAdapterModels(const std::vector<AdapterKind>& kinds) {
    std::vector<AdapterModel> models;
    for (const AdapterKind& kind : kinds)
        models.push_back({kind.KindId, adapterKindName(kind), kind.HistoryCapacity, kind.DialPorts,
                          kind.PortType});
    return models;
}

std::vector<AdapterModel> OfferedOpticalModels(const std::vector<AdapterModel>& listed,
                                               std::uint32_t version, bool useBelleBox,
                                               bool useOgw) {
    std::vector<AdapterModel> offered;
    for (const AdapterModel& model : listed) {
        if (model.kindId == kBelleBoxKindId && !useBelleBox)
            continue;
        if (model.kindId >= kFirstOgwKindId && model.kindId <= kLastOgwKindId && !useOgw)
            continue;
        offered.push_back(model);
    }
    if (version >= kOpticalVersionWithIcom) {
        offered.push_back({kIcomAnalogKindId, "アイコム VE-AG1", 0, 0, KT_PORT_COM});
        offered.push_back({kIcomIsdnKindId, "アイコム VE-IG1", 0, 0, KT_PORT_COM});
    }
    return offered;
}

bool ProbeComPort(const std::string& port) {
    if (!IsComPort(port))
        return false;
    const std::string variable = "KANATA_COM" + port.substr(3);
    const char* configured = std::getenv(variable.c_str());
    const std::string device =
        configured ? configured : "/dev/ttyS" + std::to_string(port[3] - '1');
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Another program holding the port holds its lock, as serial programs do.
    const bool free = ::isatty(fd) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

PhonebookEditionState ReadPhonebookEdition(const Registry& registry, int edition) {
    PhonebookEditionState state;
    const PhonebookInstallation installation = FindPhonebookInstallation(registry, edition);
    if (!installation.registered || installation.installFolder.empty())
        return state;
    state.installed = true;
    ApplyPendingAddressBookOperations(installation.installFolder / "Adrs");
    for (const AddressBookEntry& book : ListAddressBooks(installation.installFolder))
        state.books.push_back(book.displayName);
    return state;
}

EnvironmentModel::EnvironmentModel(const GlobalSettings& current, AdapterCatalog catalog,
                                   bool startupMode, MessageService& messages,
                                   EnvironmentServices services)
    : original_(current), settings_(current), catalog_(std::move(catalog)),
      startupMode_(startupMode), messages_(messages), services_(std::move(services)) {
    if (!services_.probePort)
        services_.probePort = ProbeComPort;
    if (!services_.wait)
        services_.wait = [](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); };
    if (settings_.lineType() == LineType::None)
        settings_.Adapter = 0;
    startAtLogin_ = services_.autostart && services_.autostart->enabled();
}

void EnvironmentModel::commitStartAtLogin() {
    if (!services_.autostart || services_.autostart->enabled() == startAtLogin_)
        return;
    if (const std::error_code ec = services_.autostart->set(startAtLogin_))
        messages_.error("ログイン時の自動起動を設定できませんでした  \r\n" +
                        services_.autostart->entry().string() + "\r\n" + ec.message());
}

const std::vector<AdapterModel>& EnvironmentModel::models(LineType type) const {
    switch (type) {
    case LineType::Analog:
        return catalog_.analog;
    case LineType::Optical:
        return catalog_.optical;
    case LineType::None:
        break;
    }
    return noModels();
}

const AdapterModel* EnvironmentModel::currentModel() const {
    if (settings_.Adapter == 0)
        return nullptr;
    return findModel(models(settings_.lineType()), settings_.Adapter);
}

void EnvironmentModel::chooseLineType(LineType type) {
    settings_.UseType = static_cast<int>(type);
    if (type == LineType::None)
        settings_.Adapter = 0;
    else if (type == original_.lineType())
        settings_.Adapter = findModel(models(type), original_.Adapter) ? original_.Adapter : 0;
    else
        settings_.Adapter = 0;
}

LineType EnvironmentModel::chooseModel(std::int32_t kindId) {
    const LineType type = settings_.lineType();
    const AdapterModel* model = findModel(models(type), kindId);
    if (!model) {
        settings_.Adapter = 0;
        return type;
    }
    if (type == LineType::Analog && catalog_.opticalVersion >= kOpticalVersionWithIcom &&
        (model->name == "アイコム VE-AG1" || model->name == "アイコム VE-IG1")) {
        const bool analog = model->name == "アイコム VE-AG1";
        messages_.information(analog
                                  ? "「アイコム VE-AG1」はアナログ回線対応機器ですが  \r\n詳細設定"
                                    "が必要なため光回線対応機器として扱います  "
                                  : "「アイコム VE-IG1」はINS64回線対応機器ですが  \r\n詳細設定が"
                                    "必要なため光回線対応機器として扱います  ");
        settings_.UseType = static_cast<int>(LineType::Optical);
        settings_.Adapter = analog ? kIcomAnalogKindId : kIcomIsdnKindId;
        return LineType::Optical;
    }
    settings_.Adapter = kindId;
    if (model->portType == KT_PORT_USB)
        settings_.Port = kUsbPort;
    else if (model->portType == KT_PORT_TAPI)
        settings_.Port = kTapiPort;
    else if (!IsComPort(settings_.Port))
        settings_.Port = original_.Port;
    return type;
}

bool EnvironmentModel::historyFunction() const {
    const AdapterModel* model = currentModel();
    return model && model->historyCapacity != 0;
}

bool EnvironmentModel::dialFunction() const {
    const AdapterModel* model = currentModel();
    return model && model->dialPorts != 0;
}

std::optional<std::vector<std::string>> EnvironmentModel::GenerationWarning(int storedCount,
                                                                            int enteredCount) {
    if (storedCount <= 1 || enteredCount >= storedCount)
        return std::nullopt;
    const bool several = storedCount - enteredCount > 1;
    return std::vector<std::string>{
        "※現在設定中の世代数よりも少ない世代数が指定されています。", "このまま設定をおこなうと",
        std::to_string(enteredCount + 1) +
            (several ? " 世代目以降のバックアップデータ" : " 世代目のバックアップデータ"),
        "が既に作成されている場合、それらのデータは以後更新されなくなります。"};
}

PhonebookEditionState EnvironmentModel::phonebookEdition(int edition) const {
    if (!services_.phonebookEdition)
        return {};
    return services_.phonebookEdition(edition);
}

void EnvironmentModel::chooseAddressBook(int index) {
    const PhonebookEditionState state = phonebookEdition(settings_.PbSeries);
    if (index < 0 || index >= static_cast<int>(state.books.size())) {
        settings_.PbAdrsBook = -1;
        settings_.PbAdrsBookName.clear();
        return;
    }
    settings_.PbAdrsBook = index;
    settings_.PbAdrsBookName = state.books[static_cast<std::size_t>(index)];
}

std::optional<EnvironmentRefusal> EnvironmentModel::checkPort() {
    const AdapterModel* model = currentModel();
    if (settings_.lineType() != LineType::Analog || !model)
        return std::nullopt;
    const EnvironmentRefusal refusal{EnvironmentPage::General, EnvironmentField::Port};
    const std::string& port = settings_.Port;
    if (model->portType == KT_PORT_USB && port != kUsbPort) {
        messages_.information(
            "指定したアダプターを使用する場合は  \r\nUSBポートを指定してください  ");
        return refusal;
    }
    if (model->portType == KT_PORT_TAPI && port != kTapiPort) {
        messages_.information(
            "指定したアダプターを使用する場合は  \r\nTAPI制御を指定してください  ");
        return refusal;
    }
    if (model->portType == KT_PORT_COM && !IsComPort(port)) {
        messages_.information(
            "指定した対応機器を使用する場合は  \r\nCOMポートを指定してください  ");
        return refusal;
    }
    const bool simulator =
        model->kindId == kSimulatorAnalogKindId || model->kindId == kSimulatorOpticalKindId;
    if (IsComPort(port) && !simulator && (port != original_.Port || startupMode_)) {
        if (!services_.probePort(port)) {
            messages_.information(
                "指定したCOMポートは使用できません  \r\n別のCOMポートを指定してください  ");
            return refusal;
        }
        services_.wait(std::chrono::milliseconds(500));
    }
    return std::nullopt;
}

std::optional<EnvironmentRefusal> EnvironmentModel::checkDataFolder() {
    const EnvironmentRefusal refusal{EnvironmentPage::General, EnvironmentField::DataPath};
    const std::string typed = cp932::trim(settings_.DataPath);
    if (typed.empty()) {
        messages_.information("フォルダーを指定してください  ");
        return refusal;
    }
    // A folder here is an absolute path; anything else names no place.
    const fs::path folder(typed);
    if (typed.size() < 2 || !folder.is_absolute()) {
        messages_.information("指定したフォルダーは無効です");
        return refusal;
    }
    if (isNetworkFileSystem(fileSystemTypeOf(folder, services_.mountsFile))) {
        messages_.information(
            "ハードディスクドライブか  \r\nリムーバブルドライブを指定してください  ");
        return refusal;
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        if (fs::exists(folder, ec)) {
            messages_.information("指定したフォルダーは無効です");
            return refusal;
        }
        if (!messages_.ask("指定したフォルダーが見つかりません  \r\n作成してもよろしいですか？  "))
            return refusal;
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder, ec)) {
            messages_.information("フォルダーが作成できませんでした  ");
            return refusal;
        }
    }
    settings_.DataPath = withTrailingDelimiter(typed);
    return std::nullopt;
}

std::optional<EnvironmentRefusal> EnvironmentModel::checkPhonebookLink() {
    if (!settings_.UsePbAdrs)
        return std::nullopt;
    const PhonebookEditionState edition = phonebookEdition(settings_.PbSeries);
    if (!edition.installed || edition.books.empty()) {
        messages_.information(
            "指定の番号名鑑がインストールされていないか　　\r\nアドレス帳がみつかりません　　\r\n\r"
            "\n"
            "番号名鑑のアドレス帳を登録名簿として　　\r\n使用することはできません　  ");
        return EnvironmentRefusal{EnvironmentPage::Phonebook, EnvironmentField::PbSeries};
    }
    const int index = settings_.PbAdrsBook;
    if (index >= 0 &&
        (index >= static_cast<int>(edition.books.size()) ||
         edition.books[static_cast<std::size_t>(index)] != settings_.PbAdrsBookName)) {
        messages_.information("指定の番号名鑑のアドレス帳がみつかりません　　\r\n\r\n"
                              "番号名鑑のアドレス帳を登録名簿として　　\r\n使用することはできません"
                              "　  ");
        return EnvironmentRefusal{EnvironmentPage::Phonebook, EnvironmentField::PbAdrsBook};
    }
    if (index < 0) {
        messages_.information("指定の番号名鑑のアドレス帳を選択してください　　");
        return EnvironmentRefusal{EnvironmentPage::Phonebook, EnvironmentField::PbAdrsBook};
    }
    const std::set<int> keywords{settings_.Memo1, settings_.Memo2, settings_.Memo3, settings_.Line1,
                                 settings_.Line2};
    if (keywords.size() != 5) {
        messages_.information("番号名鑑連携のキーワードは重複して指定できません　  ");
        return EnvironmentRefusal{EnvironmentPage::Phonebook, EnvironmentField::Keywords};
    }
    return std::nullopt;
}

std::optional<EnvironmentRefusal> EnvironmentModel::validate() {
    if (auto refused = checkPort())
        return refused;
    if (auto refused = checkDataFolder())
        return refused;
    if (settings_.RingSound) {
        std::error_code ec;
        const std::string wave = cp932::trim(settings_.WaveFile);
        if (wave.empty() || !fs::is_regular_file(wave, ec)) {
            messages_.information("指定したWaveファイルが見つかりません  ");
            return EnvironmentRefusal{EnvironmentPage::Operation, EnvironmentField::WaveFile};
        }
    }
    const std::string* captions[] = {&settings_.SelectItem1, &settings_.SelectItem2,
                                     &settings_.SelectItem3};
    const EnvironmentField captionFields[] = {EnvironmentField::SelectItem1,
                                              EnvironmentField::SelectItem2,
                                              EnvironmentField::SelectItem3};
    for (int i = 0; i < 3; ++i) {
        if (cp932::trim(*captions[i]).empty()) {
            messages_.information("選択項目名称が未入力です  ");
            return EnvironmentRefusal{EnvironmentPage::Screen, captionFields[i]};
        }
    }
    if (auto refused = checkPhonebookLink())
        return refused;
    if (settings_.lineType() == LineType::None)
        settings_.Adapter = 0;
    return std::nullopt;
}

bool EnvironmentModel::AdapterSettingsChanged(const GlobalSettings& before,
                                              const GlobalSettings& after) {
    return before.UseType != after.UseType || before.Adapter != after.Adapter ||
           before.Port != after.Port;
}

bool EnvironmentModel::adapterSettingsChanged() const {
    return AdapterSettingsChanged(original_, settings_);
}

} // namespace kanata
