#pragma once
// "詳細設定": the connection details of IP telephone equipment for the
// optical-line model chosen in the settings, kept in KTComm3ip.ini.
#include "intake/DialOut.h"

#include <QDialog>

#include <filesystem>
#include <map>

class QLineEdit;
class QPushButton;

namespace kanata {

class MessageService;

class TSetIPPBXDetail : public QDialog {
    Q_OBJECT
public:
    TSetIPPBXDetail(const QString& modelName, std::int32_t kindId, bool modelInUse,
                    std::filesystem::path ipIniFile, MessageService& messages, QWidget* owner);

    // True once the details were written: the line must be opened anew.
    bool lineNeedsReopening() const { return written_; }
    // The edit of a page field; null when the page does not show it.
    QLineEdit* field(IpPbxField which) const;

    QLineEdit* edtModel = nullptr;
    QLineEdit* edtHost = nullptr;
    QPushButton* btnSet = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnSetClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IpPbxValues values() const;

    std::int32_t kindId_;
    bool inUse_;
    std::filesystem::path ipIniFile_;
    MessageService& messages_;
    std::map<IpPbxField, QLineEdit*> fields_;
    bool written_ = false;
};

} // namespace kanata
