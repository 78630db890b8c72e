#pragma once
// What the import asks of the address dictionary to complete a roster
// record: a lookup by free address text that yields the postal code, the
// JIS and KAJO address codes and the coordinates. The dictionary module
// implements this interface; until one is plugged in, NoAddressSupplement
// finds nothing and the records keep what the file gave.
#include <optional>
#include <stdexcept>
#include <string>

namespace kanata {

struct AddressCodes {
    std::string postalCode; // as the dictionary writes it; only its digits are kept
    std::string jisCode;
    std::string kajoCode;
    int latitude = 0; // milliseconds of arc
    int longitude = 0;
};

// A dictionary that failed during a lookup; the record becomes "その他のエラー".
class AddressSupplementError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class AddressSupplement {
public:
    virtual ~AddressSupplement() = default;
    // Prepares the dictionary; an empty text when ready, else the load
    // error to show (the import then reads no record).
    virtual std::string open() = 0;
    // The codes of an address, nullopt when the dictionary has none;
    // AddressSupplementError when the dictionary fails.
    virtual std::optional<AddressCodes> lookUp(const std::string& address) = 0;
};

class NoAddressSupplement : public AddressSupplement {
public:
    std::string open() override { return {}; }
    std::optional<AddressCodes> lookUp(const std::string&) override { return std::nullopt; }
};

} // namespace kanata
