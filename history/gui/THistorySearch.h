#pragma once
// "着信対応履歴　検索条件": edits the history list's search conditions.
// moc of Qt 6.4 cannot read the C++20 library headers this pulls in.
#ifndef Q_MOC_RUN
#include "history/HistoryCondition.h"
#endif
#include "history/gui/SearchDialogParts.h"

#include <QDate>
#include <QDialog>

class QCheckBox;
class QDateEdit;

namespace kanata {

class THistorySearch : public QDialog, public SearchControls {
    Q_OBJECT
public:
    THistorySearch(const HistoryCondition& condition, QDate today, QWidget* parent = nullptr);

    // The conditions as rebuilt on "検索(&S)" (the loaded ones before).
    const HistoryCondition& condition() const { return condition_; }
    HistorySearchInput input() const;

    QCheckBox* chkDate = nullptr;
    QDateEdit* dtpBegin = nullptr;
    QDateEdit* dtpEnd = nullptr;
    // The number and name edits are the search dialogs' (SearchControls).

private:
    void createControls();
    void load(const HistoryCondition& c);
    void chkDateClick();
    void dtpBeginChange();
    void btnSearchClick();
    void btnClearClick();

    QDate today_;
    HistoryCondition condition_;
};

} // namespace kanata
