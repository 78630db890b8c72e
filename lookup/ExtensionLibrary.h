#pragma once
// The optional extension library ExtDLL.so: a shared object a site may drop
// into the application folder to receive every call (for a ticket system, a
// screen pop in another program, ...). Its one function is
//
//     int ExtendDLLFunc(ExtensionRecord* record, const char* workFolder);
//
// called once per incoming call, after the lookup and before the call is
// stored; 1 means success. Nothing it writes into the record comes back to
// the call. Any other result is noted in the work folder's extdll_call.log
// and the call goes on as usual.
#include "data/CallRecord.h"

#include <filesystem>

namespace kanata {

class MessageService;

class ExtensionLibrary {
public:
    static constexpr const char* kFileName = "ExtDLL.so";
    static constexpr const char* kFunctionName = "ExtendDLLFunc";
    static constexpr const char* kLogName = "extdll_call.log";
    static constexpr int kSuccess = 1;
    static constexpr int kNotLoaded = 103;

    ExtensionLibrary(std::filesystem::path workFolder, MessageService& messages);
    ~ExtensionLibrary();
    ExtensionLibrary(const ExtensionLibrary&) = delete;
    ExtensionLibrary& operator=(const ExtensionLibrary&) = delete;

    // Loads ExtDLL.so from the application folder when it is there; without
    // it nothing is said. A file that cannot be loaded or lacks the function
    // is reported and left unused. Returns whether the extension is usable.
    bool load(const std::filesystem::path& applicationFolder);
    void unload();
    bool loaded() const { return function_ != nullptr; }

    // Hands the call to the extension; kNotLoaded without one.
    int CallExtension(const CallRecord& call);

private:
    using Function = int (*)(void* record, const char* workFolder);

    void logFailure(int result) const;

    std::filesystem::path workFolder_;
    MessageService& messages_;
    void* handle_ = nullptr;
    Function function_ = nullptr;
};

} // namespace kanata
