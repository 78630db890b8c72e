#pragma once
// Asks what a list's deletion removes: the selected rows or every row the
// list's present filter admits. The caption is the list's.
#include <QDialog>

class QPushButton;
class QRadioButton;

namespace kanata {

class MessageService;

class TDeleteTarget : public QDialog {
    Q_OBJECT
public:
    enum class Target { Selected, AllMatching };

    TDeleteTarget(const QString& caption, int selectedCount, MessageService& messages,
                  QWidget* parent = nullptr);

    Target target() const;

    QRadioButton* rbSelected = nullptr;
    QRadioButton* rbAll = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void btnDeleteClick();

    int selectedCount_;
    MessageService& messages_;
};

} // namespace kanata
