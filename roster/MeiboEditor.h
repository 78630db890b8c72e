#pragma once
// The rules of the roster record editor without its window: the number
// checks, the duplicate checks against the other rows, registering and the
// saving of pending changes that the roster list asks for before it loads
// another record.
#include "roster/MeiboFields.h"

#include <optional>

namespace kanata {

class MessageService;
class TDMKanata195;

// Results of SavePendingChanges (the roster list reacts to them).
enum SaveResult : int {
    kSaveDone = 0,      // nothing to save, or saved
    kSaveDiscarded = 1, // the user discarded the changes, or the numbers were invalid
    kSaveWriteFailed = 2,
    kSaveConflict = 8,  // the numbers belong to other rows
    kSaveCancelled = 9, // the user wants to stay on the record, or must shorten the note
};

struct MeiboEditorOptions {
    bool SaveMeiboConfirm = true;
    // Without the question, a new entry whose number is already a row's
    // replaces that row only with this (as automatic registration does).
    bool SameTelUpdate = true;
};

class MeiboEditor {
public:
    enum class Outcome {
        Refused,   // a check failed; nothing written
        Unchanged, // nothing differs from the loaded record
        Failed,    // the write failed (already reported)
        Written,
        // The row was changed elsewhere since it was read and the user chose
        // to see that: the editor holds the stored row, nothing was written.
        Reloaded,
    };
    struct Result {
        Outcome outcome = Outcome::Refused;
        // The number edit (0, 1) to focus with its text selected, -1 none.
        int focusNumber = -1;
        bool focusNote = false; // the note was refused
        bool wasNew = false;    // the editor was opened for a new record
        bool replaced = false;  // a new entry became a change of an existing row
    };

    MeiboEditor(TDMKanata195& dm, MessageService& messages, MeiboEditorOptions options = {});

    void OpenNew();
    void Open(const MeiboRow& row);

    bool existing() const { return existing_; }
    bool openedNew() const { return openedNew_; }
    int recNo() const { return recNo_; }
    const MeiboFields& loaded() const { return loaded_; }
    const MeiboRow& loadedRow() const { return row_; }
    bool HasChanges(const MeiboFields& current) const;

    // "登録(&A)" / "変更(&U)". `fields` takes what was stored (the second
    // number moved up when the first was empty). On a failed write nothing
    // of the editor's state is lost: the caller keeps its controls.
    Result Register(MeiboFields& fields, const void* owner = nullptr);

    // The roster list's switch to another record: one of SaveResult.
    int SavePendingChanges(MeiboFields& fields, const void* owner = nullptr);

    // Writes new coordinates of an existing row at once (from a map); only
    // its access time changes with them.
    bool StoreCoordinates(int latitude, int longitude, const void* owner = nullptr);

private:
    enum class Duplicates { None, OneRow, TwoRows, ChangedNumberTaken };
    bool checkNumbers(MeiboFields& f, int& focusNumber, const void* owner);
    bool checkNote(const MeiboFields& f, const void* owner);
    Duplicates findDuplicates(const MeiboFields& f, int& hitRecNo);
    enum class WriteOutcome { Written, Failed, Reloaded, Cancelled };
    WriteOutcome write(const MeiboFields& f, const void* owner);
    // Inside the write's transaction: the row as stored now when it differs
    // from the row read at open (another desk or window saved it since).
    std::optional<MeiboRow> changedSinceRead();
    enum class ConflictChoice { Overwrite, Reload, Cancel };
    ConflictChoice askAboutConflict(const void* owner);
    std::string verb() const;

    TDMKanata195& dm_;
    MessageService& messages_;
    MeiboEditorOptions options_;
    MeiboFields loaded_;
    MeiboRow row_;
    bool existing_ = false;
    bool openedNew_ = true;
    int recNo_ = -1;
};

} // namespace kanata
