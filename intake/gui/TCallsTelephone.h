#pragma once
// "発信": dials one of the record's numbers through the adapter, on the
// analog port or from the extension set for this computer.
#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace kanata {

class IniFile;
class MessageService;

struct DialLine {
    int lineType = 0;          // 0 analog, 1 optical
    std::int32_t kindId = 0;   // the model in use
    std::int32_t portMask = 0; // the model's usable analog ports
    std::string extension;     // optical: the extension dialled from
};

class TCallsTelephone : public QDialog {
    Q_OBJECT
public:
    // `dial` is KTCommDial of the adapter in use (line number from 1).
    TCallsTelephone(const DialLine& line, IniFile& settings, MessageService& messages,
                    std::function<void(std::int32_t line, const std::string& digits)> dial,
                    QWidget* owner);

    // The record's numbers; empty ones are skipped, the first is selected.
    void setNumbers(const std::vector<std::string>& numbers);

    QComboBox* cbxTelNo = nullptr;
    QGroupBox* grpPort = nullptr;
    QComboBox* cbxPort = nullptr;
    QGroupBox* grpExtension = nullptr;
    QLineEdit* edtExtension = nullptr;
    QPushButton* btnDial = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnDialClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DialLine line_;
    IniFile& settings_;
    MessageService& messages_;
    std::function<void(std::int32_t, const std::string&)> dial_;
};

} // namespace kanata
