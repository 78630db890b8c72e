#pragma once
// The adapter library, loaded by file name and wrapped call by call.
//
// LineType 0 loads KTComm3.so, LineType 1 KTComm3ip.so, from the application
// folder first and then through the loader's usual search. A library that
// cannot be loaded, or lacks one of its seven functions, is reported and no
// object is made. All calls are made on the main thread; the library's
// events arrive through the AdapterHost whose handle the line is opened with.
#include "intake/AdapterAbi.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

class AdapterHost;
class MessageService;

class TKTCommDLL {
public:
    // The library file for a LineType (0 or 1); empty for any other type.
    static std::string libraryFileName(int libraryIndex);
    // The port number of a COMMON Port setting: the fourth character's value
    // after "COM", otherwise 0.
    static std::int32_t portNumberFromSetting(std::string_view port);

    // Loads and resolves; on failure shows the message and returns null.
    static std::unique_ptr<TKTCommDLL> create(MessageService& messages,
                                              const std::filesystem::path& applicationFolder,
                                              int libraryIndex, AdapterHost& owner);
    ~TKTCommDLL();
    TKTCommDLL(const TKTCommDLL&) = delete;
    TKTCommDLL& operator=(const TKTCommDLL&) = delete;

    int libraryIndex() const { return libraryIndex_; }
    const std::string& fileName() const { return fileName_; }

    std::uint32_t GetVersion();
    // Whether a library of this version offers OpenCommLineEx.
    static bool canOpenLineEx(std::uint32_t version) { return version >= KT_VERSION_OPEN_LINE_EX; }
    bool LoadKinds();
    bool SelectKind(std::int32_t kindId);

    void SetExtendMode(bool on) { extendMode_ = on ? 1 : 0; }
    void SetPort(std::int32_t port) { port_ = port; }
    void SetKindId(std::int32_t kindId) { kindId_ = kindId; }
    bool ExtendMode() const { return extendMode_ != 0; }
    std::int32_t Port() const { return port_; }
    std::int32_t KindId() const { return kindId_; }

    std::int32_t OpenLine();
    std::int32_t OpenLineEx(bool cti);
    void CloseLine();
    void Dial(std::int32_t lineNumber, const std::string& number);
    bool ReadHistory(std::int32_t kindId, std::int32_t& count, AdapterHistoryRecord* buffer);

    std::int32_t OpenResult() const { return openResult_; }
    const std::vector<AdapterKind>& Kinds() const { return kinds_; }
    const AdapterKind& CurrentKind() const { return currentKind_; }

private:
    struct Functions {
        GetKTComm3Version_t getVersion = nullptr;
        GetKinds2_t getKinds2 = nullptr;
        OpenCommLine_t openCommLine = nullptr;
        OpenCommLineEx_t openCommLineEx = nullptr;
        CloseCommLine_t closeCommLine = nullptr;
        KTCommDial_t dial = nullptr;
        GetHistory_t getHistory = nullptr;
    };
    TKTCommDLL(int libraryIndex, std::string fileName, void* module, const Functions& functions,
               AdapterHost& owner);

    int libraryIndex_;
    std::string fileName_;
    void* module_;
    Functions fn_;
    AdapterHost& owner_;
    std::uint8_t extendMode_ = 0;
    std::int32_t port_ = 0;
    std::int32_t kindId_ = 0;
    std::int32_t openResult_ = -1;
    std::vector<AdapterKind> kinds_;
    AdapterKind currentKind_{};
};

// A model's name as shown: decoded from code page 932, up to its first NUL,
// trimmed.
std::string adapterKindName(const AdapterKind& kind);

} // namespace kanata
