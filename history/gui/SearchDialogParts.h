#pragma once
// The parts the search-condition dialogs of the lists (call history,
// roster) share: the number and name conditions, the and/or options, the
// button row and the Enter key walking from edit to edit.
#include <QString>

#include <initializer_list>

class QDialog;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kanata {

class EnterMovesFocus;

// The controls every search dialog has; the dialogs inherit them so that
// their names stay the dialog's own.
struct SearchControls {
    QLineEdit* edtTel = nullptr;
    QLineEdit* edtCorpKana = nullptr;
    QLineEdit* edtCorpKanji = nullptr;
    QLineEdit* edtNameKana = nullptr;
    QLineEdit* edtNameKanji = nullptr;
    QRadioButton* rbAnd = nullptr;
    QRadioButton* rbOr = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnCancel = nullptr;
};

// The number edit, typed without the input method.
QLineEdit* MakeNumberEdit(QWidget* parent, int minWidth = 0);
// The company and person name edits with their limits, each at least
// `minWidth` wide (0: as the layout makes them).
void CreateNameEdits(QGroupBox* group, SearchControls& c, int minWidth = 0);
// "会社名カナ" / "漢字" and "名前カナ" / "漢字" on grid rows `row` and `row + 1`.
void AddNameRows(QGridLayout* grid, QGroupBox* group, int row, const SearchControls& c);

// The number, the names and the and/or choice from a dialog into its
// input, and from its conditions into the dialog.
template <class Input, class Dialog> void ReadNumberAndNames(const Dialog& d, Input& in) {
    in.number = d.edtTel->text().toStdString();
    in.corpKana = d.edtCorpKana->text().toStdString();
    in.corpKanji = d.edtCorpKanji->text().toStdString();
    in.nameKana = d.edtNameKana->text().toStdString();
    in.nameKanji = d.edtNameKanji->text().toStdString();
    in.firstRadioChecked = d.rbAnd->isChecked();
}
template <class Condition, class Dialog> void ShowNumberAndNames(Dialog& d, const Condition& c) {
    d.edtTel->setText(QString::fromStdString(c.number));
    d.edtCorpKana->setText(QString::fromStdString(c.corpKana));
    d.edtCorpKanji->setText(QString::fromStdString(c.corpKanji));
    d.edtNameKana->setText(QString::fromStdString(c.nameKana));
    d.edtNameKanji->setText(QString::fromStdString(c.nameKanji));
    (c.orMode ? d.rbOr : d.rbAnd)->setChecked(true);
}
// "クリア(&R)": the number and names emptied, and-mode chosen.
void ClearNumberAndNames(SearchControls& c);

// Lays out `conditions`, the "オプション" group (and-mode chosen) and the
// buttons "検索(&S)", "クリア(&R)", "キャンセル" (which rejects).
void AddSearchControls(QDialog* dialog, QGroupBox* conditions, SearchControls& c);

// Enter moves along `chain`, from its last control to the chosen option and
// from either option to "検索(&S)".
EnterMovesFocus* WatchSearchEnter(QDialog* dialog, std::initializer_list<QWidget*> chain,
                                  const SearchControls& controls);

} // namespace kanata
