#pragma once
// "印刷・出力項目の設定": which items the call view prints and copies, in
// which order, the print font and the message memo.
#include "views/OutputItems.h"

#include <QDialog>

#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace kanata {

class MessageService;

class TOutputItem : public QDialog {
    Q_OBJECT
public:
    TOutputItem(const OutputItemSettings& settings, bool addressBookMode,
                const std::array<std::string, 3>& selectItemNames, MessageService& messages,
                QWidget* parent = nullptr);

    // The configuration as the dialog holds it now.
    OutputItemSettings settings() const;

    // The installed fixed-pitch fonts of the Western or Japanese character
    // sets, without the vertical "@" fonts, sorted by name.
    static QStringList FixedPitchFonts();

    QTabWidget* pcMain = nullptr;
    QListWidget* lbxItems = nullptr;
    QPushButton* btnTop = nullptr;
    QPushButton* btnUp = nullptr;
    QPushButton* btnDown = nullptr;
    QPushButton* btnBottom = nullptr;
    QPushButton* btnAllOutput = nullptr;
    QPushButton* btnRestoreOrder = nullptr;
    QCheckBox* chkPrintMsg = nullptr;
    QListWidget* lbxFont = nullptr;
    QListWidget* lbxSize = nullptr;
    QCheckBox* chkBold = nullptr;
    QCheckBox* chkItalic = nullptr;
    QLabel* pnlSample = nullptr;
    QLabel* lblCharset = nullptr;
    QLineEdit* edtMemoTitle = nullptr;
    std::array<QLineEdit*, OutputItemSettings::kMemoItemCount> edtMemoItem{};
    QComboBox* cbxTelPos = nullptr;
    QCheckBox* chkMemoPrintMsg = nullptr;
    QPushButton* btnMemoDefault = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    void moveSelected(int how); // 0 top, 1 up, 2 down, 3 bottom
    void restoreOrder();
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createItemPage();
    QWidget* createFontPage();
    QWidget* createMemoPage();
    void fillItems(const OutputItemOrder& order);
    void updateSample();
    int charsetOf(const QString& family) const;

    OutputItemSettings settings_;
    bool addressBookMode_;
    std::array<std::string, 3> selectItemNames_;
    MessageService& messages_;
};

} // namespace kanata
