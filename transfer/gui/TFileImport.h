#pragma once
// "テキストファイル取り込み": the destination, the file and its sample line,
// the mapping of sample fields (or constants) onto the destination's items,
// the options, and the import run with its progress.
#include "transfer/ImportMapping.h"
#include "transfer/ImportStart.h"

#include <QDialog>

#include <filesystem>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QWidget;

namespace kanata {

class AddressSupplement;
class HyphenationService;
class IniFile;
class MessageService;
class TDMKanata195;

// What the dialog works with; the program passes its own.
struct FileImportContext {
    TDMKanata195& dm;
    MessageService& messages;
    IniFile& ini; // receives section "FILE IMPORT" after an import
    const HyphenationService& hyphenation;
    AddressSupplement& supplement;
    SelectionCaptions selectionCaptions;
    bool usePbAdrs = false;            // the phonebook product's address book is the roster
    std::filesystem::path appFolder;   // where browsing starts without a usable path
    std::function<void()> historyRows; // rows were added to the history
};

class TFileImport : public QDialog {
    Q_OBJECT
public:
    explicit TFileImport(FileImportContext context, QWidget* parent = nullptr);

    QRadioButton* rbHistory = nullptr;
    QRadioButton* rbRoster = nullptr;
    QLabel* lblBackup1 = nullptr;
    QLabel* lblBackup2 = nullptr;
    QLineEdit* edtFile = nullptr;
    QPushButton* btnBrowse = nullptr;
    QTableWidget* sgSrc = nullptr;
    QTableWidget* sgDest = nullptr;
    QPushButton* btnSet = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnConstant = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnRowClear = nullptr;
    QPushButton* btnAllClear = nullptr;
    QPushButton* btnUp = nullptr;
    QPushButton* btnDown = nullptr;
    QPushButton* btnAutoSet = nullptr;
    QCheckBox* chkSkipRecord = nullptr;
    QCheckBox* chkSameReplace = nullptr;
    QCheckBox* chkNotAutoSupplement = nullptr;
    QProgressBar* pbProgress = nullptr;
    QPushButton* btnImport = nullptr;
    QPushButton* btnCancel = nullptr;
    QMenu* pmDest = nullptr;

    ImportDestination destination() const { return destination_; }
    const ImportMapping& mapping() const { return mapping_; }
    // The item of the selected mapping row (1-based), 0 when none.
    int selectedItem() const;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWidgets();
    QWidget* buildMappingButtons();
    QWidget* buildOptions();
    void connectSignals();
    void readSettings();
    void writeSettings();

    void chooseDestination(ImportDestination destination);
    void confirmFile();
    void browse();
    void loadSample(const QString& path);
    void resetSample();
    void setFromSample(bool add);
    void addConstant();
    void showSetOrder();
    void moveItem(int delta);
    void autoSet();
    void runImport();
    bool dropOnDest(QEvent* event);

    void refillDest();
    void updateButtons();
    void setGridsActive(bool active);
    void setAreasEnabled(bool enabled);

    FileImportContext context_;
    std::vector<ImportItem> items_;
    ImportDestination destination_ = ImportDestination::History;
    ImportMapping mapping_;
    ImportSample sample_;
    QString loadedFile_;
    bool loaded_ = false;
    bool shownOnce_ = false;
    bool running_ = false;
};

} // namespace kanata
