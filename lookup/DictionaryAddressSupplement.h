#pragma once
// The import's address completion backed by the dictionary folder: postal
// code, JIS code and coordinates of an address text.
#include "lookup/DictionarySearch.h"
#include "lookup/AddressSupplement.h"

#include <filesystem>
#include <memory>

namespace kanata {

class DictionaryAddressSupplement : public AddressSupplement {
public:
    explicit DictionaryAddressSupplement(std::filesystem::path dicFolder);
    std::string open() override;
    std::optional<AddressCodes> lookUp(const std::string& address) override;

private:
    std::filesystem::path dicFolder_;
    std::unique_ptr<TContinualAdrsSearch> convert_;
};

} // namespace kanata
