#pragma once
// "番号名鑑連携": the phonebook program's address book used as the roster,
// which of its fields hold the rank, the memos and the call messages.
#include "environment/gui/SettingsPage.h"

class QComboBox;
class QLabel;

namespace kanata {

class PhonebookPage : public SettingsPage {
public:
    explicit PhonebookPage(EnvironmentModel& model);

    void load() override;
    void collect() override;

    QCheckBox* chkUsePbAdrs = nullptr;
    QComboBox* cbxPbSeries = nullptr;
    QComboBox* cbxPbAdrsBook = nullptr;
    QLabel* lblPbAvailable = nullptr;
    QComboBox* cbxRank = nullptr;
    QComboBox* cbxMemo[3] = {};
    QComboBox* cbxLine[2] = {};
    QCheckBox* chkRunPbDlg = nullptr;
    QCheckBox* chkPbBackup = nullptr;
    QCheckBox* chkPbBackupDlg = nullptr;

private:
    void createFieldGrid(QBoxLayout* layout);
    void fillAddressBooks();
    void updateDependents();

    bool filling_ = false;
};

} // namespace kanata
