#pragma once
// "自己復元パスワードの入力": the password a self-extracting export asks
// for when it is run, optionally kept in FExport.pwd.
#include <QDialog>

#include <filesystem>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kanata {

class IniFile;
class MessageService;

class TFileExportPassword : public QDialog {
    Q_OBJECT
public:
    TFileExportPassword(IniFile& ini, std::filesystem::path passwordFile, MessageService& messages,
                        QWidget* parent = nullptr);

    std::string password() const;

    QLineEdit* edtPassword = nullptr;
    QLineEdit* edtConfirm = nullptr;
    QCheckBox* chkSavePassword = nullptr;
    QPushButton* btnSet = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnSetClick();

private:
    void loadSaved();

    IniFile& ini_;
    std::filesystem::path passwordFile_;
    MessageService& messages_;
};

} // namespace kanata
