#pragma once
// The name dictionary popup: the kanji forms of a typed reading, grouped by
// reading, five to a row, under the name edit that asked. It never takes the
// focus; the edit hands it the navigation keys.
#include "lookup/NameDictionary.h"

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>

class QRadioButton;
class QTableWidget;
class QTimer;
class QToolButton;

namespace kanata {

class TNameDicP : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;

    TNameDicP(const std::filesystem::path& dicFolder, QWidget* owner);
    ~TNameDicP() override;

    // The candidates of a reading (half-width katakana); 0 on any failure.
    int QueryNames(const std::string& text, int kind);
    // Places the popup under `edit` (when not yet visible), fills the grid
    // and shows it without activating it.
    void ShowNames(QWidget* edit, const std::string& text, int kind, int count);
    // A navigation key from the edit; true when the popup used it.
    bool HandleKey(int key);

    int kind() const { return kind_; }
    QWidget* askingEdit() const { return edit_; }
    const std::string& chosenKanji() const { return chosenKanji_; }
    const std::string& chosenReading() const { return chosenReading_; }

    QRadioButton* rbSei = nullptr;
    QRadioButton* rbMei = nullptr;
    QToolButton* btnClose = nullptr;
    QTableWidget* sgNames = nullptr;

signals:
    // A kanji form was chosen (Enter or a double click); delivered queued.
    void nameSelected();

private:
    void fill(int count);
    void setKind(int kind);
    void select(int row, int column);
    int filledColumnAtOrLeft(int row, int column) const;
    void choose();
    int visibleRows() const;

    std::unique_ptr<NameDictionary> dictionary_;
    std::filesystem::path dicFolder_;
    std::string query_;
    int kind_ = 0;
    int column_ = 1; // remembered for up and down
    bool empty_ = false;
    QPointer<QWidget> edit_;
    std::string chosenKanji_, chosenReading_;
    QTimer* tmrActive_ = nullptr;
};

} // namespace kanata
