#include "lookup/ExtensionLibrary.h"

#include "lookup/ExtensionRecord.h"
#include "platform/MessageService.h"

#include <ctime>
#include <dlfcn.h>
#include <fstream>

namespace kanata {

ExtensionLibrary::ExtensionLibrary(std::filesystem::path workFolder, MessageService& messages)
    : workFolder_(std::move(workFolder)), messages_(messages) {}

ExtensionLibrary::~ExtensionLibrary() {
    unload();
}

bool ExtensionLibrary::load(const std::filesystem::path& applicationFolder) {
    unload();
    std::filesystem::path file = applicationFolder / kFileName;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return false;
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        messages_.error(std::string(kFileName) + " LoadLibrary Error\r\nDLLのロードに失敗しました");
        return false;
    }
    function_ = reinterpret_cast<Function>(dlsym(handle_, kFunctionName));
    if (!function_) {
        messages_.error(std::string(kFunctionName) + " (" + kFileName +
                        ") GetProcAddress Error\r\n関数の割り当てに失敗しました");
        unload();
        return false;
    }
    return true;
}

void ExtensionLibrary::unload() {
    function_ = nullptr;
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
}

int ExtensionLibrary::CallExtension(const CallRecord& call) {
    if (!function_)
        return kNotLoaded;
    ExtensionRecord record = MakeExtensionRecord(call);
    std::string folder = (workFolder_ / "").string();
    int result = function_(&record, folder.c_str());
    if (result != kSuccess)
        logFailure(result);
    return result;
}

void ExtensionLibrary::logFailure(int result) const {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M:%S", &local);
    std::error_code ec;
    std::filesystem::create_directories(workFolder_, ec);
    std::ofstream log(workFolder_ / kLogName, std::ios::app | std::ios::binary);
    log << stamp << ",extended dll call error [rc=" << result << "]\n";
}

} // namespace kanata
