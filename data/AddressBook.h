#pragma once
// The phonebook product's address book Adrs.DB, served from the same kind of
// SQLite file as the program's own tables. The program only reads and
// writes it; CreateAddressBook exists for tests and the demo folder.
#include "data/TypedTable.h"

#include <filesystem>
#include <vector>

namespace kanata {

class MessageService;

struct AddressBookRow {
    int RecNo = 0;
    std::string Tel, Fax, Portable1, Portable2; // digits only
    std::string Pos;
    std::string Tdfkn, Adrs1, Adrs2, Adrs3, JisCode, KajoCode;
    std::string CorpKana, CorpKanji, NameKana;
    std::string NameKanji; // plain text here; stored in the wide-character escape form
    std::string PrivCorp;
    // Keyword1..5 hold memos and message lines, Keyword6..8 the rank (which
    // field serves what is a setting).
    std::string Keyword1, Keyword2, Keyword3, Keyword4, Keyword5, Keyword6, Keyword7, Keyword8;
    int Latitude = 0, Longitude = 0;
    std::string EMail1;
    int SymbolColor = 0;
    std::string ExtLink, ExtFile, Note; // memos
    // Set by TDMPbarea::Write: the moment the entry was created (whole
    // seconds) and last saved.
    DateTime AddDateTime, UpdDateTime;

    static constexpr int kKeywordCount = 8;
    // Keyword1..Keyword8 by number; an empty text for any other number.
    std::string keyword(int n) const;
    // The field itself, or null for a number outside 1..8.
    std::string* keywordField(int n);
};

class AddressBookTable : public TypedTable<AddressBookRow> {
public:
    static constexpr const char* kFileName = "Adrs.DB";
    AddressBookTable();
};

class TDMPbarea {
public:
    // The four number fields a row can be found by.
    static constexpr const char* kNumberFields[] = {"Tel", "Fax", "Portable1", "Portable2"};

    explicit TDMPbarea(MessageService& messages) : messages_(messages) {}
    ~TDMPbarea(); // closes the address book whatever the counter says
    TDMPbarea(const TDMPbarea&) = delete;
    TDMPbarea& operator=(const TDMPbarea&) = delete;

    // Counted like the tables. False, without a message, when the folder has
    // no Adrs.DB or the file cannot be used (the caller then treats the
    // address book as unavailable).
    bool OpenAddressBook(const std::filesystem::path& folder);
    void CloseAddressBook();
    int openCount() const { return count_; }

    // The rows whose number field (one of kNumberFields) equals key, highest
    // RecNo first.
    std::vector<AddressBookRow> FindByNumber(const std::string& field, const std::string& key);
    std::optional<AddressBookRow> Read(int recNo);
    // Updates the entry row.RecNo when it is above 0 and exists, else
    // appends a new entry with the next record number (the first is 1); the
    // number written, or nullopt after a message. UpdDateTime becomes now;
    // AddDateTime now cut to whole seconds for a new entry, and stays as
    // stored for an existing one.
    std::optional<int> Write(const AddressBookRow& row);

    AddressBookTable& table() { return table_; }

private:
    MessageService& messages_;
    AddressBookTable table_;
    int count_ = 0;
};

// Creates an empty Adrs.DB in folder (or opens an existing one); throws
// sql::SqliteError when it cannot.
void CreateAddressBook(const std::filesystem::path& folder);

} // namespace kanata
