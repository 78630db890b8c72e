#pragma once
// Pieces the call view and the roster editor build their caller forms from:
// the small widgets, the edits both forms share by name, Enter and the
// remembered window position.
#include <QString>

#include <initializer_list>
#include <string>
#include <utility>

class QComboBox;
class QDialog;
class QHBoxLayout;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace kanata {

class IniFile;
class TNMDEdit;

namespace ui {

// The controls both caller forms have (the caller's fields, their buttons,
// register and close), under the names both give them; the windows inherit
// them, so the names stay the window's own.
struct CallerFormControls {
    QLineEdit* edtTel1 = nullptr;
    QLineEdit* edtTel2 = nullptr; // none in the call view's address-book mode
    QPushButton* btnExchange = nullptr;
    QLineEdit* edtPos = nullptr;
    QLineEdit* edtTdfkn = nullptr;
    QLineEdit* edtAdrs1 = nullptr;
    QLineEdit* edtAdrs2 = nullptr;
    QLineEdit* edtAdrs3 = nullptr;
    QPushButton* btnMap = nullptr;
    QLineEdit* edtCorpKana = nullptr;
    QLineEdit* edtCorpKanji = nullptr;
    QLineEdit* edtNameKana = nullptr;
    QLineEdit* edtNameKanji = nullptr;
    QPushButton* btnNameDic = nullptr;
    QComboBox* cbxPrivCorp = nullptr;
    QLineEdit* edtMemo1 = nullptr;
    QLineEdit* edtMemo2 = nullptr;
    QLineEdit* edtMemo3 = nullptr;
    QLineEdit* edtEMail = nullptr;
    QPushButton* btnMail = nullptr;
    QComboBox* cbxRank = nullptr;
    QPushButton* btnRegister = nullptr;
    QPushButton* btnClose = nullptr;
};

// The edits of `form` and the individual / corporation choice, each limited
// to the stored width of its field; the name edits are name entry edits.
// The second number edit only with `secondNumber`. Sizes and the input
// method are the window's to set.
void CreateCallerEdits(CallerFormControls& form, QWidget* parent, bool secondNumber);
TNMDEdit* NameKanaEdit(const CallerFormControls& form);
TNMDEdit* NameKanjiEdit(const CallerFormControls& form);

inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string s(const QString& text) {
    return text.toStdString();
}

// A button that Enter does not press by default; `hint` is its tool tip.
QPushButton* MakeButton(const char* caption, QWidget* parent, const char* hint = nullptr);
// Such a button for each caption, into the member it names, in this order.
void MakeButtons(QWidget* parent,
                 std::initializer_list<std::pair<QPushButton**, const char*>> buttons);
// Buttons stacked beside a list: `upper`, a gap of `gap` pixels, `lower`,
// then the free space.
QVBoxLayout* MakeButtonColumn(std::initializer_list<QPushButton*> upper, int gap,
                              std::initializer_list<QPushButton*> lower);
// Widgets side by side at the right end of a row (a dialog's OK and
// Cancel).
QHBoxLayout* MakeRightRow(std::initializer_list<QWidget*> widgets);
// The closing row of a dialog that only informs: OK at the right, pressed
// by Enter, accepting the dialog; `ok` receives the button.
QHBoxLayout* MakeOkRow(QDialog* dialog, QPushButton*& ok);

// Limits are the stored widths of the fields, in code page 932 bytes
// (Cp932ByteLimit).
QLineEdit* MakeEdit(QWidget* parent, int maxBytes, int minWidth = 0);
// Numbers and addresses are typed without the input method.
QLineEdit* MakeLatinEdit(QWidget* parent, int maxBytes);
void TypeWithoutInputMethod(std::initializer_list<QLineEdit*> edits);

// The individual / corporation choice: index 0 個人, 1 法人.
QComboBox* MakePrivCorpBox(QWidget* parent);

// Widgets side by side, optionally pushed to the left.
QHBoxLayout* MakeRow(std::initializer_list<QWidget*> widgets, bool stretch = true);

void SwapTexts(QLineEdit* first, QLineEdit* second);

// Tab and Enter walk `chain` in this order, whatever order its widgets were
// made in.
void SetTabOrder(std::initializer_list<QWidget*> chain);

// Both forms move on with Enter instead of closing.
bool IsEnterKey(const QKeyEvent* event);

// The window's position from `section` (its size is its own), and back.
void RestoreWindowPosition(QWidget& window, const IniFile& ini, const char* section);
void WriteWindowPosition(const QWidget& window, IniFile& ini, const char* section);

// The postal code, the address, the names, individual or corporation, the
// memos and the e-mail address: the same edits in both forms and the same
// fields in both field sets.
template <class Form, class Fields> void ReadSharedEdits(const Form& form, Fields& f) {
    f.Pos = s(form.edtPos->text());
    f.Tdfkn = s(form.edtTdfkn->text());
    f.Adrs1 = s(form.edtAdrs1->text());
    f.Adrs2 = s(form.edtAdrs2->text());
    f.Adrs3 = s(form.edtAdrs3->text());
    f.CorpKana = s(form.edtCorpKana->text());
    f.CorpKanji = s(form.edtCorpKanji->text());
    f.NameKana = s(form.edtNameKana->text());
    f.NameKanji = s(form.edtNameKanji->text());
    f.PrivCorp = form.cbxPrivCorp->currentIndex() == 1 ? 1 : 0;
    f.Memo1 = s(form.edtMemo1->text());
    f.Memo2 = s(form.edtMemo2->text());
    f.Memo3 = s(form.edtMemo3->text());
    f.EMail = s(form.edtEMail->text());
}

template <class Form, class Fields> void ShowSharedEdits(Form& form, const Fields& f) {
    form.edtPos->setText(q(f.Pos));
    form.edtTdfkn->setText(q(f.Tdfkn));
    form.edtAdrs1->setText(q(f.Adrs1));
    form.edtAdrs2->setText(q(f.Adrs2));
    form.edtAdrs3->setText(q(f.Adrs3));
    form.edtCorpKana->setText(q(f.CorpKana));
    form.edtCorpKanji->setText(q(f.CorpKanji));
    form.edtNameKana->setText(q(f.NameKana));
    form.edtNameKanji->setText(q(f.NameKanji));
    form.cbxPrivCorp->setCurrentIndex(f.PrivCorp == 1 ? 1 : 0);
    form.edtMemo1->setText(q(f.Memo1));
    form.edtMemo2->setText(q(f.Memo2));
    form.edtMemo3->setText(q(f.Memo3));
    form.edtEMail->setText(q(f.EMail));
}

} // namespace ui
} // namespace kanata
