#pragma once
// Who is calling: fills a CallRecord from the number of a call, out of the
// roster Meibo.DB (or, when the user chose so, the address book of the
// phonebook product) and then the phonebook data.
//
// Result codes of LookupCaller: 0 found and filled; 1 no telephone number
// (a reason code, an empty number, a text not beginning with a digit); 9 the
// user cancelled in a confirmation box; any other code comes from the
// phonebook data (1, 2, 5 quiet; 6 a wrong setup folder; others errors),
// and the record then holds only the number. 8 is internal: not found in
// the roster or address book, go on to the phonebook data.
#include "data/CallRecord.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kanata {

class HyphenationService;
class MessageService;
class Registry;
class TDMKanata195;
class TDMPbarea;
struct MeiboRow;
struct AddressBookRow;

// Which keyword field of an address-book entry fills which field of the
// record (USE PBADRS Memo1..Memo3, rank, Line1, Line2): memo n and message
// line n take Keyword(choice + 1), the rank Keyword(choice + 6).
struct AddressBookKeywords {
    int Memo1 = 0, Memo2 = 1, Memo3 = 2;
    int rank = 0;
    int Line1 = 3, Line2 = 4;
};

// The phonebook product's address book in place of the roster (USE PBADRS
// UsePbAdrs on).
struct AddressBookSource {
    TDMPbarea* module = nullptr; // the address-book data module
    int edition = 0;             // PbSeries: row of the edition table
    int book = 0;                // PbAdrsBook: index in the edition's list of address books
    AddressBookKeywords keywords;
};

class CallerLookup {
public:
    enum Result : int { kFound = 0, kNotANumber = 1, kNotFound = 8, kCancelled = 9 };

    // phonebookDataLocation is the configured location of the phonebook
    // data disc (GlobalSettings::PhonebookDataFolder); the work folder's
    // TelData/Kanata195/ is preferred whenever it holds the data.
    CallerLookup(TDMKanata195& dm, std::optional<AddressBookSource> addressBook,
                 const HyphenationService& hyphenation, const Registry& registry,
                 MessageService& messages, std::filesystem::path applicationFolder,
                 std::filesystem::path workFolder, std::filesystem::path phonebookDataLocation);

    // Clears the record and fills it. searchOwnBook: search the roster (or
    // the address book) before the phonebook data; askUser: confirm a find
    // and a missing address book in boxes (never during an incoming call).
    int LookupCaller(bool searchOwnBook, bool askUser, const std::string& number,
                     CallRecord& record);
    int LookupRoster(bool askUser, const std::string& number, CallRecord& record);
    int LookupAddressBook(bool askUser, const std::string& number, CallRecord& record);
    int LookupPhonebookData(const std::string& number, CallRecord& record);

    // Whether the last lookup took its record from the address book, and the
    // RecNo of that entry (0 otherwise). The call view reads them to save
    // back into the same entry.
    bool FromAddressBook() const { return fromAddressBook_; }
    int AddressBookRecNo() const { return addressBookRecNo_; }

    bool usesAddressBook() const { return addressBook_.has_value(); }

    // The settings dialog chose another phonebook data location; the next
    // lookup searches there.
    void setPhonebookDataLocation(std::filesystem::path location) {
        phonebookDataLocation_ = std::move(location);
    }

private:
    enum class BookState { NotInstalled, CannotOpen, Opened };

    BookState openAddressBook();
    std::optional<AddressBookRow> findInAddressBook(const std::string& key);
    // When asked, whether the user takes the caller found (`question`):
    // kFound, kNotFound to search on, or kCancelled.
    int confirmFound(bool askUser, const char* question);
    void fillFromRoster(const MeiboRow& row, const std::string& key, CallRecord& record) const;
    void fillFromAddressBook(const AddressBookRow& row, const std::string& key,
                             CallRecord& record) const;

    TDMKanata195& dm_;
    std::optional<AddressBookSource> addressBook_;
    const HyphenationService& hyphenation_;
    const Registry& registry_;
    MessageService& messages_;
    std::filesystem::path applicationFolder_;
    std::filesystem::path workFolder_;
    std::filesystem::path phonebookDataLocation_;
    bool fromAddressBook_ = false;
    int addressBookRecNo_ = 0;
};

} // namespace kanata
