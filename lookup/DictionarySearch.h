#pragma once
// The three address searches of the dictionary dialog, by exchange prefix
// (Dltel), by postal code (Dlzplst) and by address text (Dlzs), and the
// batch address conversion of the import (DLZsCnv). Each goes through its
// library's calls and decodes the records they fill; it keeps the cities its
// last search found and the towns (or large business offices) of the city
// asked for last.
//
// Result codes of Search: 0 found, 4 the input is wrong, 8 nothing found.
// Missing input and empty lists raise the search's own error; a library that
// cannot be loaded, or a result the search does not accept, raises the
// library's error with the library's texts.
#include "lookup/DicData.h"
#include "lookup/DicResult.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kanata {

class CoordinateLookup;
struct DltelCity;
struct DlzplstCity;
struct DlzsCity;

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

// "DLTLCity2 (Dltel.dll) Call Error\r\nRC = 3"
std::string DicCallErrorText(const char* function, const char* library, int rc);
// "Dltel.dll LoadLibrary Error\r\nDLLのロードに失敗しました\r\n" and what could not be opened.
std::string DicLoadErrorText(const char* library, const std::string& failure);

// One entry of the city list, decoded from the library's city record.
struct DicCity {
    std::string name; // as listed
    std::string jis, prefecture, city;
    int townCount = 0, officeCount = 0; // as far as the record tells them
    // An exchange area that names no municipality has no towns to list.
    bool hasMunicipality() const { return !jis.empty(); }
};

// One row of the town list, decoded from a town record (and, for a large
// business office, its office record).
struct DicTown {
    std::string postal; // digits
    std::string jis, kajo, prefecture, city, town, townKana;
    std::string office, officeAddress; // empty for a town
    bool isOffice() const { return !office.empty(); }
};

// The row of a town record (DLZPLST's, or another call's of the same shape).
template <typename Town> DicTown DecodedTown(const Town& t) {
    return {dicdata::Get(t.postal),
            dicdata::Get(t.jis),
            dicdata::Get(t.kajo),
            dicdata::Get(t.prefecture),
            dicdata::Get(t.city),
            dicdata::Get(t.town),
            dicdata::Get(t.reading),
            {},
            {}};
}

class AddressSearchBase {
public:
    virtual ~AddressSearchBase();
    AddressSearchBase(const AddressSearchBase&) = delete;
    AddressSearchBase& operator=(const AddressSearchBase&) = delete;

    const std::vector<DicCity>& Cities() const { return cities_; }
    // The towns (offices = false) or large business offices of city `i`,
    // fetched once per city and kind.
    const std::vector<DicTown>& Towns(std::size_t i, bool offices);
    // The dictionary hit for city `i` and, when given, one of its rows; the
    // coordinates come from the coordinates library when one was given.
    DicResult MakeResult(std::size_t i, const DicTown* town);

protected:
    AddressSearchBase(const std::filesystem::path& dicFolder, const char* library,
                      CoordinateLookup* coordinates);
    virtual std::vector<DicTown> fetchTowns(std::size_t i, bool offices) = 0;
    [[noreturn]] virtual void emptyList(const char* text) const = 0;
    [[noreturn]] virtual void libraryError(const std::string& text) const = 0;
    // Raises the library's "Call Error" unless rc is one of `accepted`.
    void check(int rc, std::initializer_list<int> accepted, const char* function) const;
    void setCities(std::vector<DicCity> cities);

    const std::string folder_; // code page 932, as the calls take it
    const char* const libraryName_;
    std::vector<DicCity> cities_;

private:
    CoordinateLookup* coordinates_;
    bool usingCoordinates_ = false;
    std::size_t townsCity_ = SIZE_MAX;
    bool townsOffices_ = false;
    std::vector<DicTown> towns_;
};

// By telephone number: the exchange area of its prefix (Dltel).
class TKykbnSearch : public AddressSearchBase {
public:
    explicit TKykbnSearch(const std::filesystem::path& dicFolder,
                          CoordinateLookup* coordinates = nullptr);
    ~TKykbnSearch() override;
    int Search(const std::string& number);
    const std::string& FormattedNumber() const { return formatted_; }

protected:
    std::vector<DicTown> fetchTowns(std::size_t i, bool offices) override;
    [[noreturn]] void emptyList(const char* text) const override { throw EKykbnSearchError(text); }
    [[noreturn]] void libraryError(const std::string& text) const override {
        throw EDLTelError(text);
    }

private:
    std::unique_ptr<DicDataUse> loaded_; // the library's data, open while the search lives
    std::string digits_, formatted_;
    std::vector<DltelCity> records_;
};

// By postal code (Dlzplst): keeps the library's listing open until the next
// search.
class TPosSearch : public AddressSearchBase {
public:
    explicit TPosSearch(const std::filesystem::path& dicFolder,
                        CoordinateLookup* coordinates = nullptr);
    ~TPosSearch() override;
    int Search(const std::string& postal);

protected:
    std::vector<DicTown> fetchTowns(std::size_t i, bool offices) override;
    [[noreturn]] void emptyList(const char* text) const override { throw EPosSearchError(text); }
    [[noreturn]] void libraryError(const std::string& text) const override {
        throw EDlzplstError(text);
    }

private:
    void close();

    std::unique_ptr<DicDataUse> loaded_; // the library's data, open while the search lives
    DlHandle handle_ = 0;
    std::vector<DlzplstCity> records_;
};

// By address text (Dlzs).
class TAdrsSearch : public AddressSearchBase {
public:
    explicit TAdrsSearch(const std::filesystem::path& dicFolder,
                         CoordinateLookup* coordinates = nullptr);
    ~TAdrsSearch() override;
    int Search(const std::string& address);

protected:
    std::vector<DicTown> fetchTowns(std::size_t i, bool offices) override;
    [[noreturn]] void emptyList(const char* text) const override { throw EAdrsSearchError(text); }
    [[noreturn]] void libraryError(const std::string& text) const override {
        throw EDLZsError(text);
    }

private:
    std::unique_ptr<DicDataUse> loaded_; // the library's data, open while the search lives
    std::string address_;                // code page 932, as searched
    std::vector<DlzsCity> records_;
};

// What the import's conversion completes of an address.
struct AddressConversion {
    std::string postal; // seven digits, empty when the town was not found
    std::string jis, kajo, prefecture, city, town;
    std::int32_t latitude = 0, longitude = 0; // milliseconds of arc, 0 = none
};

// The import's completion of an address (DLZsCnv).
class TContinualAdrsSearch {
public:
    explicit TContinualAdrsSearch(const std::filesystem::path& dicFolder);
    ~TContinualAdrsSearch();
    // 0 completed; 1 several municipalities fit, 4 not an address, 8 not
    // found (result untouched). An empty text raises the search's error,
    // any other result the library's.
    int Convert(const std::string& address, AddressConversion& result) const;

private:
    std::string folder_;
    std::unique_ptr<DicDataUse> loaded_; // the library's data, open while the search lives
};

} // namespace kanata
