#pragma once
// The notices window ("お知らせ"): the notice text and the two start-up
// switches for the notices and the update check.
#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace kanata {

class TInfoDialog : public QDialog {
    Q_OBJECT
public:
    explicit TInfoDialog(QWidget* owner);

    void setNoticeText(const QString& text);
    QString noticeText() const;
    void setSwitches(bool info, bool updateCheck);
    bool infoChecked() const;
    bool updateCheckChecked() const;

    QPlainTextEdit* memInfo = nullptr;
    QCheckBox* chkInfo = nullptr;
    QCheckBox* chkUpdateCheck = nullptr;
    QPushButton* btnOK = nullptr;
};

} // namespace kanata
