#pragma once
// "入力リストの編集": the rank list and the three selection-item lists.
#include "views/InputListModel.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabBar;

namespace kanata {

class TInputList : public QDialog {
    Q_OBJECT
public:
    // tabs[0] is the rank list; the roster editor passes only that one.
    TInputList(std::vector<InputListEditor::TabSource> tabs, MessageService& messages,
               int initialTab, QWidget* parent = nullptr);

    // Bit 0 rank, bits 1..3 selection items 1..3: the lists OK rewrote.
    int changedMask() const { return editor_.ChangedMask(); }
    InputListEditor& editor() { return editor_; }

    QTabBar* tabList = nullptr;
    QListWidget* lbxNames = nullptr;
    QLineEdit* edtName = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnChange = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnUp = nullptr;
    QPushButton* btnDown = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTab();
    void refill();
    void pushSelection();
    void updateButtons();
    void tabChanged(int index);
    void afterChange(bool clearName);

    InputListEditor editor_;
    bool refilling_ = false;
};

} // namespace kanata
