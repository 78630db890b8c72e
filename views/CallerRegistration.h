#pragma once
// Registering the caller shown in the call view: in the roster (new row, or
// update of the caller's row with every check on the numbers) or in the
// phonebook product's address book; the shown call's history row and the
// rank and selection-item lists follow.
#include "views/CallerFields.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace kanata {

struct CallRecord;
class MessageService;
class TDMKanata195;
class TDMPbarea;

// Where the address book of the selected edition lives, filled by the owner
// from the edition table and the settings.
struct AddressBookPlace {
    bool installed = false;       // the edition's program is registered
    std::filesystem::path folder; // the selected address book's folder
    bool usesExtFile = false;     // the oldest generation keeps links in ExtFile
    // USE PBADRS: which Keyword field holds memo 1..3, the rank, line 1..2.
    int Memo1 = 0, Memo2 = 1, Memo3 = 2;
    int rank = 0;
    int Line1 = 3, Line2 = 4;
};

struct RegistrationOptions {
    bool addressBookMode = false;
    bool sameTelUpdate = true; // RECEIVE HISTORY SameTelUpdate
    AddressBookPlace addressBook;
};

struct RegistrationResult {
    bool done = false;
    // The number edit (0 first, 1 second) that should get the focus with its
    // text selected, -1 for none.
    int focusNumber = -1;
    bool selectText = false;
    bool focusNote = false; // the note was refused
    // The lists whose order changed: bit 0 rank, bits 1..3 selection items.
    int changedLists = 0;
};

class CallerRegistration {
public:
    CallerRegistration(TDMKanata195& dm, MessageService& messages, RegistrationOptions options);
    ~CallerRegistration();

    // The registration of the view's button. `record` is the view's copy of
    // the shown call and `loaded` the fields as they were loaded; on success
    // the record takes the fields, becomes existing (Division 1) with the
    // row's number, and `fields` holds what was stored (the second number
    // moved up when the first was empty). On refusal nothing is written.
    RegistrationResult Register(CallRecord& record, CallerFields& fields,
                                const CallerFields& loaded);

    // The same without any message box (automatic registration): a number
    // already in the roster updates that row only with SameTelUpdate, two
    // rows write nothing. Returns 0 when done.
    int RegisterSilently(CallRecord& record, CallerFields& fields, const CallerFields& loaded);

private:
    RegistrationResult run(CallRecord& record, CallerFields& fields, const CallerFields& loaded,
                           MessageService& messages, bool silent);
    RegistrationResult registerInRoster(CallRecord& record, CallerFields& fields,
                                        const CallerFields& loaded, MessageService& messages,
                                        bool silent);
    RegistrationResult registerInAddressBook(CallRecord& record, CallerFields& fields,
                                             MessageService& messages, bool silent);
    // `silent`: an automatic registration leaves a row that already holds
    // the fields as it is.
    void updateHistoryRow(const CallRecord& record, const CallerFields& fields,
                          MessageService& messages, bool silent);
    int reorderLists(const CallerFields& fields, MessageService& messages);

    TDMKanata195& dm_;
    MessageService& messages_;
    RegistrationOptions options_;
};

// True when every character of the trimmed text is an ASCII digit or "-".
bool IsValidNumberText(const std::string& text);

// CR LF between lines and two blanks after each, as the program's boxes show
// their texts.
std::string MessageLines(std::initializer_list<const char*> lines);

} // namespace kanata
