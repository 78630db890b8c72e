#pragma once
// "一般設定": the search drive, the line type and adapter model with its
// port, the data folder and the map program.
#include "environment/gui/EnvironmentHooks.h"
#include "environment/gui/SettingsPage.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kanata {

class GeneralPage : public SettingsPage {
public:
    GeneralPage(EnvironmentModel& model, const EnvironmentHooks& hooks, MessageService& messages);

    void load() override;
    void collect() override;

    QComboBox* cbxDrive = nullptr;
    QPushButton* btnDriveUpdate = nullptr;
    QRadioButton* rbAnalog = nullptr;
    QRadioButton* rbOptical = nullptr;
    QRadioButton* rbNone = nullptr;
    QComboBox* cbxAnalogModel = nullptr;
    QComboBox* cbxOpticalModel = nullptr;
    QComboBox* cbxPort = nullptr;
    QLabel* lblPort = nullptr;
    QPushButton* btnIpDetails = nullptr;
    QLabel* lblIpNote = nullptr;
    QLabel* lblHistoryCaption = nullptr;
    QLabel* lblHistoryFunction = nullptr;
    QLabel* lblDialCaption = nullptr;
    QLabel* lblDialFunction = nullptr;
    QLineEdit* edtDataPath = nullptr;
    QPushButton* btnDataPath = nullptr;
    QComboBox* cbxMap = nullptr;
    QComboBox* cbxMapSearchKind = nullptr;

private:
    void createDriveGroup(QBoxLayout* layout);
    void createAdapterGroup(QBoxLayout* layout);
    void createDataGroup(QBoxLayout* layout);
    void createMapGroup(QBoxLayout* layout);
    void fillDrives();
    void fillModels();
    void fillMapSearchKinds();
    void lineTypeChanged();
    void modelChanged(QComboBox* list);
    void updateDependents();

    const EnvironmentHooks& hooks_;
    MessageService& messages_;
    bool filling_ = false;
};

} // namespace kanata
