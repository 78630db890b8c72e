#pragma once
// "ページジャンプ": asks for the page a list shows next.
#include "ui/gui/DialogSupport.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kanata {

class TPageJump : public QDialog {
    Q_OBJECT
public:
    TPageJump(int totalPages, int currentPage, QWidget* parent = nullptr);

    int page() const { return page_; }

    QLabel* lblTotal = nullptr;
    QLabel* lblCurrent = nullptr;
    QLineEdit* edtJumpPage = nullptr;
    QToolButton* udUp = nullptr;
    QToolButton* udDown = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Replaces an invalid entry by the last valid page; true when the text
    // was already valid.
    bool validate();
    void stepBy(int delta);
    void btnOKClick();

    int total_;
    int page_;
};

} // namespace kanata
