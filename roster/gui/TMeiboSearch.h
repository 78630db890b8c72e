#pragma once
// "登録名簿　検索条件": edits the conditions that filter the roster list.
#include "history/gui/SearchDialogParts.h"
#include "roster/MeiboCondition.h"

#include <QDialog>

class QLineEdit;

namespace kanata {

class TMeiboSearch : public QDialog, public SearchControls {
    Q_OBJECT
public:
    explicit TMeiboSearch(const MeiboCondition& condition, QWidget* parent = nullptr);

    // The conditions as rebuilt by "検索(&S)".
    const MeiboCondition& condition() const { return condition_; }
    MeiboSearchInput input() const;

    // Besides the number and name edits of the search dialogs (SearchControls).
    QLineEdit* edtAdrs = nullptr;

    void btnSearchClick();
    void btnClearClick();

private:
    void createControls();
    void load(const MeiboCondition& condition);

    MeiboCondition condition_;
};

} // namespace kanata
