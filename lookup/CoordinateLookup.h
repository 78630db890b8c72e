#pragma once
// The coordinates library (Dlmtad) as its users see it: loaded on first use
// and counted, freed when the last user releases it. A load failure is shown
// once per attempt (101) and names the file that could not be opened; a
// lookup without the library answers 103.
#include "lookup/DicData.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace kanata {

class MessageService;

class CoordinateLookup {
public:
    static constexpr int kLoadFailed = 101;
    static constexpr int kFunctionMissing = 102; // kept for the codes' meaning; never happens
    static constexpr int kNotLoaded = 103;

    CoordinateLookup(std::filesystem::path dicFolder, MessageService& messages,
                     const void* owner = nullptr);

    // One more user: 0, or kLoadFailed when the first load fails (shown).
    int Acquire();
    // One user less; the last frees the library.
    void Release();
    bool loaded() const { return data_ != nullptr; }
    int users() const { return users_; }

    // DLMTAdrs on the address: 0 with the point, the library's result
    // otherwise, kNotLoaded without the library.
    int Coordinates(const std::string& address, std::int32_t& latitude,
                    std::int32_t& longitude) const;

private:
    std::filesystem::path dicFolder_;
    MessageService& messages_;
    const void* owner_;
    int users_ = 0;
    std::unique_ptr<DicDataUse> data_;
};

} // namespace kanata
