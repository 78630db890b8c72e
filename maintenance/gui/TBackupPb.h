#pragma once
// Asks before the address book in use as the roster is backed up at start.
#include <QDialog>

class QPushButton;

namespace kanata {

class TBackupPb : public QDialog {
    Q_OBJECT
public:
    TBackupPb(const QString& editionName, const QString& addressBookName, QWidget* owner);

    QPushButton* btnYes = nullptr;
    QPushButton* btnNo = nullptr;
};

} // namespace kanata
