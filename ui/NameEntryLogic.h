#pragma once
// What the name entry edit does with the readings an input method delivers,
// as plain text functions: the conversion to half-width katakana, the test
// whether a reading has reached a point worth looking up, the capture of a
// finished reading into the kana field, the insertion of a chosen name, and
// selections counted in code page 932 bytes. TNMDEdit binds them to Qt's
// input-method events.
#include <cstddef>
#include <string>
#include <string_view>

namespace kanata {

// Hiragana (あ..ん without ゐ ゑ ゎ, the small ぁぃぅぇぉっゃゅょ, ー、。) to
// half-width katakana, voiced and semi-voiced kana and ヴ to two characters
// (base and ﾞ or ﾟ), then full-width katakana, Latin letters and digits to
// their half-width forms. Anything else (kanji, other hiragana) is kept.
std::string HalfWidthKana(std::string_view utf8);

// Removes every character that takes two bytes in code page 932.
std::string DropDoubleByte(std::string_view utf8);

// Decides, reading by reading, when the reading typed so far should be
// looked up: not while it ends in Latin letters that still wait for their
// kana ("sh", "ch", "ky", "lt", a doubled consonant).
class RomajiTest {
public:
    // `reading` in code page 932 bytes. True: look it up now.
    bool ShouldQuery(std::string_view reading);
    bool pending() const { return pending_; }
    void reset() { pending_ = false; }

private:
    bool pending_ = false;
};

// A single-line edit's text with its selection, in code page 932 bytes.
struct EditText {
    std::string text; // UTF-8
    int selStart = 0;
    int selLength = 0;
    int maxLength = 0; // bytes; 0 = no limit
};

// The surname (0) or given name (1) is being typed: surname when nothing but
// blanks stands before the selection.
int NameKindAt(const EditText& edit);

// The end of a composition in a kanji edit: the finished reading goes
// half-width (double-byte characters dropped) after the kana field's text,
// or replaces it when the whole kanji text was selected.
void CaptureReading(const EditText& kanjiEdit, std::string_view resultReading, EditText& kanaEdit);

// The name dictionary's choice put into the edit that asked (its own form:
// the reading in a kana edit, the kanji form in a kanji edit) at its
// selection, and the other form after the associate's text. A surname chosen
// with the caret at the start gets a blank after it. The caret ends at the
// end of the edit's text.
void InsertChosenName(EditText& edit, bool editIsKana, EditText* associate,
                      const std::string& kanji, const std::string& reading, int kind);

// Character positions of a UTF-8 text <-> code page 932 byte positions.
int BytesBefore(std::string_view utf8, int characters);
int CharactersIn(std::string_view utf8, int bytes);

} // namespace kanata
