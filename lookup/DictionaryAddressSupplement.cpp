#include "lookup/DictionaryAddressSupplement.h"

namespace kanata {

DictionaryAddressSupplement::DictionaryAddressSupplement(std::filesystem::path dicFolder)
    : dicFolder_(std::move(dicFolder)) {}

std::string DictionaryAddressSupplement::open() {
    if (convert_)
        return {};
    try {
        convert_ = std::make_unique<TContinualAdrsSearch>(dicFolder_);
    } catch (const DictionaryError& e) {
        return e.what();
    }
    return {};
}

std::optional<AddressCodes> DictionaryAddressSupplement::lookUp(const std::string& address) {
    if (!convert_)
        throw AddressSupplementError("the address dictionary is not open");
    AddressConversion found;
    try {
        if (convert_->Convert(address, found) != kDicFound)
            return std::nullopt;
    } catch (const EContinualAdrsSearchError&) {
        return std::nullopt; // an empty address has nothing to complete
    } catch (const EDLZsCnvErro& e) {
        throw AddressSupplementError(e.what());
    }
    AddressCodes codes;
    codes.postalCode = found.postal;
    codes.jisCode = found.jis;
    codes.kajoCode = found.kajo;
    codes.latitude = found.latitude;
    codes.longitude = found.longitude;
    return codes;
}

} // namespace kanata
