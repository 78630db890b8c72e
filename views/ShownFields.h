#pragma once
// The address, the names and the memos are the same fields in the call view,
// the roster editor, the call record and the roster and address-book rows,
// and every one of them names them alike; these copies serve each direction
// so that a new field is added in one place.
#include "data/MeiboTable.h"
#include "data/TelKeys.h"
#include "data/TextLines.h"

#include <optional>
#include <string>
#include <vector>

namespace kanata {

// Prefecture, address lines, dictionary codes and the four names.
template <class To, class From> void CopyAddressAndNames(To& to, const From& from) {
    to.Tdfkn = from.Tdfkn;
    to.Adrs1 = from.Adrs1;
    to.Adrs2 = from.Adrs2;
    to.Adrs3 = from.Adrs3;
    to.JisCode = from.JisCode;
    to.KajoCode = from.KajoCode;
    to.CorpKana = from.CorpKana;
    to.CorpKanji = from.CorpKanji;
    to.NameKana = from.NameKana;
    to.NameKanji = from.NameKanji;
}

// The three memos, the e-mail address and the rank.
template <class To, class From> void CopyMemosAndRank(To& to, const From& from) {
    to.Memo1 = from.Memo1;
    to.Memo2 = from.Memo2;
    to.Memo3 = from.Memo3;
    to.EMail = from.EMail;
    to.Rank = from.Rank;
}

// What a roster row takes from the shown fields (already trimmed): the
// numbers with their search keys, the postal code as digits, the texts and
// the links and note joined with CR LF. The number, the message, the colour
// and the coordinates are the caller's to set.
template <class Fields> MeiboRow RosterRowFromFields(const Fields& f) {
    MeiboRow row;
    row.Tel1 = f.Tel1;
    row.Tel2 = f.Tel2;
    row.SchTel1 = TelSearchKey(f.Tel1);
    row.SchTel2 = TelSearchKey(f.Tel2);
    row.Pos = PostalCodeToStore(f.Pos);
    CopyAddressAndNames(row, f);
    row.PrivCorp = f.PrivCorp == 1 ? "1" : "0";
    CopyMemosAndRank(row, f);
    row.ExtLink = JoinLines(f.ExtLink);
    row.Note = JoinLines(f.Note);
    return row;
}

// A problem with the two number edits: which edit (0 or 1) to focus and the
// line to tell the user.
struct NumberPairProblem {
    int number = 0;
    const char* text = "";
};

// The checks on the two numbers that the call view and the roster editor
// both make (texts already trimmed): only digits and hyphens, and not the
// same number twice. When they pass, a lone second number moves up.
std::optional<NumberPairProblem> CheckNumberPair(std::string& tel1, std::string& tel2);

// The note is the one typed field without a size of its own. It is held
// well inside the line the import reads back (64 KiB, the other fields and
// the links beside it), so a contact with a long note survives its export.
inline constexpr std::size_t kMaxNoteBytes = 20000;

// True when a note that differs from the loaded one is over kMaxNoteBytes
// (code page 932 bytes, lines joined with CR LF). A note stored that long
// by another tool is left as it is until someone edits it.
bool NoteTooLong(const std::vector<std::string>& note, const std::vector<std::string>& loaded);
std::string NoteTooLongMessage();
// For the registration nobody watches: the note cut at a character to fit.
std::vector<std::string> NoteCutToFit(const std::vector<std::string>& note);

} // namespace kanata
