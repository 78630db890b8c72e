#pragma once
// The one edit behaviour of every edit whose text goes into a table field or
// an item list: what it holds is limited in code page 932 bytes, the way the
// field stores it (ASCII and half-width katakana 1 byte, everything else 2).
// Typing, pasting, input-method commits and texts the program sets all pass
// through it. What does not fit is cut from the end of what was just put in,
// never inside a character, so the edit always shows what will be stored.
#include <QValidator>

class QLineEdit;

namespace kanata::ui {

class Cp932ByteLimit : public QValidator {
    Q_OBJECT
public:
    Cp932ByteLimit(int bytes, QObject* parent);
    int bytes() const { return bytes_; }
    State validate(QString& input, int& pos) const override;

private:
    int bytes_;
};

// Gives `edit` the limit (replacing any validator and character limit).
void LimitToCp932Bytes(QLineEdit* edit, int bytes);
// The limit of an edit, or -1 when it has none.
int Cp932ByteLimitOf(const QLineEdit* edit);

// `text` cut to `bytes`: the characters just before `cursor` go first (they
// are what was typed or pasted last), then, when the text after the cursor
// alone is too wide, its end. `cursor` follows the cut.
QString FitToCp932Bytes(const QString& text, int& cursor, int bytes);

} // namespace kanata::ui
