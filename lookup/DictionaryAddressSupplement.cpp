#include "lookup/DictionaryAddressSupplement.h"

namespace kanata {

DictionaryAddressSupplement::DictionaryAddressSupplement(std::filesystem::path dicFolder)
    : dicFolder_(std::move(dicFolder)) {}

std::string DictionaryAddressSupplement::open() {
    if (convert_)
        return {};
    try {
        convert_ = std::make_unique<TContinualAdrsSearch>(OpenAddressDictionary(dicFolder_));
    } catch (const DictionaryError& e) {
        return e.what();
    }
    return {};
}

std::optional<AddressCodes> DictionaryAddressSupplement::lookUp(const std::string& address) {
    if (!convert_)
        throw AddressSupplementError("the address dictionary is not open");
    AddressCompletion found;
    try {
        if (convert_->Convert(address, found) != kDicFound)
            return std::nullopt;
    } catch (const EContinualAdrsSearchError&) {
        return std::nullopt; // an empty address has nothing to complete
    }
    AddressCodes codes;
    codes.postalCode = found.postal;
    codes.jisCode = found.jis;
    codes.latitude = found.latitude.value_or(0);
    codes.longitude = found.longitude.value_or(0);
    return codes;
}

} // namespace kanata
