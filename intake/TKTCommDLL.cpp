#include "intake/TKTCommDLL.h"

#include "data/Cp932.h"
#include "intake/AdapterHost.h"
#include "platform/MessageService.h"

#include <cstring>
#include <dlfcn.h>

namespace kanata {
namespace {

constexpr std::int32_t kMaxKinds = 10000;

std::string lastLoaderError() {
    const char* e = dlerror();
    return e ? e : "";
}

std::string withDetail(std::string message, const std::string& detail) {
    if (!detail.empty())
        message += "\r\n\r\n" + detail;
    return message;
}

// The application folder first, so a library shipped beside the program
// wins; then the loader's own search, like a bare name on Windows. When both
// fail, the application folder's reason is the one worth reading.
void* openLibrary(const std::filesystem::path& folder, const std::string& fileName,
                  std::string& error) {
    const std::filesystem::path local = folder / fileName;
    if (void* module = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL))
        return module;
    error = lastLoaderError();
    std::error_code ec;
    if (std::filesystem::exists(local, ec))
        return nullptr;
    if (void* module = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL))
        return module;
    return nullptr;
}

template <typename F> bool resolve(void* module, const char* name, F& target, std::string& error) {
    dlerror();
    void* symbol = dlsym(module, name);
    if (!symbol) {
        error = lastLoaderError();
        return false;
    }
    target = reinterpret_cast<F>(symbol);
    return true;
}

} // namespace

std::string TKTCommDLL::libraryFileName(int libraryIndex) {
    switch (libraryIndex) {
    case 0:
        return "KTComm3.so";
    case 1:
        return "KTComm3ip.so";
    default:
        return {};
    }
}

std::int32_t TKTCommDLL::portNumberFromSetting(std::string_view port) {
    if (port.size() < 4 || port.substr(0, 3) != "COM")
        return 0;
    const char c = port[3];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

std::unique_ptr<TKTCommDLL> TKTCommDLL::create(MessageService& messages,
                                               const std::filesystem::path& applicationFolder,
                                               int libraryIndex, AdapterHost& owner) {
    const std::string fileName = libraryFileName(libraryIndex);
    if (fileName.empty())
        return nullptr;

    std::string detail;
    void* module = openLibrary(applicationFolder, fileName, detail);
    if (!module) {
        messages.error(
            withDetail(fileName + " LoadLibrary Error  \r\nDLLのロードに失敗しました  ", detail));
        return nullptr;
    }

    Functions fn;
    const char* missing = nullptr;
    if (!resolve(module, "GetKTComm3Version", fn.getVersion, detail))
        missing = "GetKTComm3Version";
    else if (!resolve(module, "GetKinds2", fn.getKinds2, detail))
        missing = "GetKinds2";
    else if (!resolve(module, "OpenCommLine", fn.openCommLine, detail))
        missing = "OpenCommLine";
    else if (!resolve(module, "OpenCommLineEx", fn.openCommLineEx, detail))
        missing = "OpenCommLineEx";
    else if (!resolve(module, "CloseCommLine", fn.closeCommLine, detail))
        missing = "CloseCommLine";
    else if (!resolve(module, "KTCommDial", fn.dial, detail))
        missing = "KTCommDial";
    else if (!resolve(module, "GetHistory", fn.getHistory, detail))
        missing = "GetHistory";
    if (missing) {
        dlclose(module);
        messages.error(withDetail(std::string(missing) + " (" + fileName +
                                      ") GetProcAddress Error  \r\n関数の割り当てに失敗しました  ",
                                  detail));
        return nullptr;
    }
    return std::unique_ptr<TKTCommDLL>(new TKTCommDLL(libraryIndex, fileName, module, fn, owner));
}

TKTCommDLL::TKTCommDLL(int libraryIndex, std::string fileName, void* module,
                       const Functions& functions, AdapterHost& owner)
    : libraryIndex_(libraryIndex), fileName_(std::move(fileName)), module_(module), fn_(functions),
      owner_(owner) {}

TKTCommDLL::~TKTCommDLL() {
    kinds_.clear();
    if (module_)
        dlclose(module_);
}

std::uint32_t TKTCommDLL::GetVersion() {
    std::int32_t version = 0;
    fn_.getVersion(&version);
    return static_cast<std::uint32_t>(version);
}

bool TKTCommDLL::LoadKinds() {
    kinds_.clear();
    std::int32_t count = 0;
    fn_.getKinds2(extendMode_, &count, nullptr);
    // A count no adapter library could mean is a broken library, not a
    // reason to allocate gigabytes.
    if (count <= 0 || count > kMaxKinds)
        return false;
    std::vector<AdapterKind> buffer(static_cast<std::size_t>(count));
    std::int32_t filled = count;
    fn_.getKinds2(extendMode_, &filled, buffer.data());
    // A library that reports fewer on the second call is taken at its word;
    // one that reports more cannot have written more than the buffer holds.
    if (filled < 0)
        filled = 0;
    if (filled > count)
        filled = count;
    if (filled == 0)
        return false;
    kinds_.assign(buffer.begin(), buffer.begin() + filled);
    return true;
}

bool TKTCommDLL::SelectKind(std::int32_t kindId) {
    if (kindId == 0) {
        currentKind_ = AdapterKind{};
        return true;
    }
    for (const AdapterKind& kind : kinds_) {
        if (kind.KindId == kindId) {
            currentKind_ = kind;
            return true;
        }
    }
    return false;
}

std::int32_t TKTCommDLL::OpenLine() {
    openResult_ = fn_.openCommLine(owner_.handle(), port_, kindId_);
    return openResult_;
}

std::int32_t TKTCommDLL::OpenLineEx(bool cti) {
    openResult_ = fn_.openCommLineEx(0, owner_.handle(), port_, kindId_, cti ? 1 : 0);
    return openResult_;
}

void TKTCommDLL::CloseLine() {
    if (openResult_ != KT_OPEN_OK)
        return;
    fn_.closeCommLine();
    openResult_ = -1;
}

void TKTCommDLL::Dial(std::int32_t lineNumber, const std::string& number) {
    fn_.dial(lineNumber, number.c_str());
}

bool TKTCommDLL::ReadHistory(std::int32_t kindId, std::int32_t& count,
                             AdapterHistoryRecord* buffer) {
    return fn_.getHistory(kindId, &count, buffer) == KT_HISTORY_OK;
}

std::string adapterKindName(const AdapterKind& kind) {
    const std::size_t length = strnlen(kind.Name, sizeof kind.Name);
    return cp932::trim(cp932::decode(std::string_view(kind.Name, length)));
}

} // namespace kanata
