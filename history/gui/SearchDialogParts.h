#pragma once
// The parts the search-condition dialogs of the lists (call history,
// roster) share: the name rows of the conditions, the and/or options, the
// button row and the Enter key walking from edit to edit.
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
    QRadioButton* rbAnd = nullptr;
    QRadioButton* rbOr = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnCancel = nullptr;
};

// "会社名カナ" / "漢字" and "名前カナ" / "漢字" on grid rows `row` and `row + 1`.
void AddNameRows(QGridLayout* grid, QGroupBox* group, int row, QLineEdit* corpKana,
                 QLineEdit* corpKanji, QLineEdit* nameKana, QLineEdit* nameKanji);

// Lays out `conditions`, the "オプション" group (and-mode chosen) and the
// buttons "検索(&S)", "クリア(&R)", "キャンセル" (which rejects).
void AddSearchControls(QDialog* dialog, QGroupBox* conditions, SearchControls& c);

// Enter moves along `chain`, from its last control to the chosen option and
// from either option to "検索(&S)".
EnterMovesFocus* WatchSearchEnter(QDialog* dialog, std::initializer_list<QWidget*> chain,
                                  const SearchControls& controls);

} // namespace kanata
