#pragma once
// The three address searches of the dictionary dialog, by exchange prefix,
// by postal code and by address text, and the batch address conversion of
// the import. Each keeps the list of cities its last search found and the
// towns (or large business offices) of the city asked for last.
//
// Result codes of Search: 0 found, 4 the input is wrong, 8 nothing found.
// Missing input and empty lists raise the search's own error; the data folder
// that cannot be read raises the dictionary's error.
#include "lookup/AddressDictionary.h"
#include "lookup/DicResult.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kanata {

struct DictionaryError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
#define KANATA_DIC_ERROR(name)                                                                     \
    struct name : DictionaryError {                                                                \
        using DictionaryError::DictionaryError;                                                    \
    }
KANATA_DIC_ERROR(EKykbnSearchError);
KANATA_DIC_ERROR(EDLTelError);
KANATA_DIC_ERROR(EPosSearchError);
KANATA_DIC_ERROR(EDlzplstError);
KANATA_DIC_ERROR(EAdrsSearchError);
KANATA_DIC_ERROR(EDLZsError);
KANATA_DIC_ERROR(EContinualAdrsSearchError);
KANATA_DIC_ERROR(EDLZsCnvErro);
#undef KANATA_DIC_ERROR

inline constexpr int kDicFound = 0;
inline constexpr int kDicBadInput = 4;
inline constexpr int kDicNotFound = 8;

// One entry of the city list.
struct DicCity {
    std::string name;
    const Municipality* municipality = nullptr; // null: an area name without towns
    std::string addressRest;                    // address search: text after the city
    std::vector<PostalRow> rows;                // postal search: the rows of the code
};

class AddressSearchBase {
public:
    virtual ~AddressSearchBase() = default;
    const std::vector<DicCity>& Cities() const { return cities_; }
    // The towns (offices = false) or large business offices of city `i`,
    // fetched once per city and kind.
    const std::vector<PostalRow>& Towns(std::size_t i, bool offices);
    // The dictionary hit for city `i` and, when given, one of its rows.
    DicResult MakeResult(std::size_t i, const PostalRow* row) const;

protected:
    AddressSearchBase(std::shared_ptr<const AddressDictionary> dictionary);
    virtual std::vector<PostalRow> fetchTowns(const DicCity& city, bool offices) const;
    virtual void emptyList(const char* text) const = 0;
    void setCities(std::vector<DicCity> cities);

    std::shared_ptr<const AddressDictionary> dictionary_;
    std::vector<DicCity> cities_;

private:
    std::size_t townsCity_ = SIZE_MAX;
    bool townsOffices_ = false;
    std::vector<PostalRow> towns_;
};

// By telephone number: the exchange area of its prefix.
class TKykbnSearch : public AddressSearchBase {
public:
    explicit TKykbnSearch(std::shared_ptr<const AddressDictionary> d) : AddressSearchBase(d) {}
    int Search(const std::string& number);
    const std::string& FormattedNumber() const { return formatted_; }

protected:
    void emptyList(const char* text) const override { throw EKykbnSearchError(text); }

private:
    std::string formatted_;
};

class TPosSearch : public AddressSearchBase {
public:
    explicit TPosSearch(std::shared_ptr<const AddressDictionary> d) : AddressSearchBase(d) {}
    int Search(const std::string& postal);

protected:
    std::vector<PostalRow> fetchTowns(const DicCity& city, bool offices) const override;
    void emptyList(const char* text) const override { throw EPosSearchError(text); }
};

class TAdrsSearch : public AddressSearchBase {
public:
    explicit TAdrsSearch(std::shared_ptr<const AddressDictionary> d) : AddressSearchBase(d) {}
    int Search(const std::string& address);

protected:
    std::vector<PostalRow> fetchTowns(const DicCity& city, bool offices) const override;
    void emptyList(const char* text) const override { throw EAdrsSearchError(text); }
};

// The import's completion of an address: postal code, prefecture, city,
// town, JIS code and coordinates from an address text or a postal code.
class TContinualAdrsSearch {
public:
    explicit TContinualAdrsSearch(std::shared_ptr<const AddressDictionary> d)
        : dictionary_(std::move(d)) {}
    // 0 completed, 8 nothing found; an empty text raises the error.
    int Convert(const std::string& address, AddressCompletion& result) const;

private:
    std::shared_ptr<const AddressDictionary> dictionary_;
};

// Opens the address data of a dictionary folder; the error names what could
// not be read ("... cannot be read").
std::shared_ptr<const AddressDictionary> OpenAddressDictionary(const std::filesystem::path& dic);

} // namespace kanata
