#include "lookup/CoordinateLookup.h"

#include "data/Cp932.h"
#include "lookup/DlMtad.h"
#include "platform/MessageService.h"

#include <stdexcept>

namespace kanata {

CoordinateLookup::CoordinateLookup(std::filesystem::path dicFolder, MessageService& messages,
                                   const void* owner)
    : dicFolder_(std::move(dicFolder)), messages_(messages), owner_(owner) {}

int CoordinateLookup::Acquire() {
    if (!data_) {
        try {
            data_ = std::make_unique<DicDataUse>(cp932::encode(dicFolder_.string()));
        } catch (const std::runtime_error& e) {
            // The box's caption is the program's; the library's title leads the text.
            messages_.error(
                "Dlmtad.dll LoadLibrary Error\r\nDlmtad.dll\r\nDLLのロードに失敗しました\r\n" +
                    std::string(e.what()),
                owner_);
            return kLoadFailed;
        }
    }
    ++users_;
    return 0;
}

void CoordinateLookup::Release() {
    if (users_ > 0 && --users_ == 0)
        data_.reset();
}

int CoordinateLookup::Coordinates(const std::string& address, std::int32_t& latitude,
                                  std::int32_t& longitude) const {
    latitude = longitude = 0;
    if (!data_)
        return kNotLoaded;
    DlmtadResult result{};
    const std::string folder = cp932::encode(dicFolder_.string());
    const int rc = DLMTAdrs(cp932::encode(address).c_str(), &result, folder.c_str());
    if (rc == kDlFound) {
        latitude = result.latitude;
        longitude = result.longitude;
    }
    return rc;
}

} // namespace kanata
