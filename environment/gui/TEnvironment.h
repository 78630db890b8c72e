#pragma once
// The settings dialog "環境設定": eight pages over a working copy of the
// global settings. "設定(&S)" runs the checks and closes with OK; whoever
// opened it then saves and applies model().settings().
#include "environment/EnvironmentModel.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QGroupBox;

namespace kanata {

class IniFile;
class MessageService;

// What the dialog reaches outside itself. An unset chooser opens the file
// dialog; an unset action says it is not ready yet.
struct EnvironmentHooks {
    std::function<QString(const QString& current)> chooseFolder;
    std::function<QString(const QString& current)> chooseWaveFile;
    std::function<void(const QString& file)> playWave;
    std::function<std::vector<std::string>(bool includeNetwork)> scanDrives;
    std::function<void()> checkUpdateNow;
    std::function<void(int kindId)> ipPbxDetails;
};

class TEnvironment : public QDialog {
    Q_OBJECT
public:
    TEnvironment(EnvironmentModel& model, IniFile& ini, MessageService& messages,
                 EnvironmentHooks hooks = {}, QWidget* parent = nullptr);
    ~TEnvironment() override;

    EnvironmentModel& model() { return model_; }

    // "設定(&S)": takes the controls, runs the checks, closes with OK.
    void btnSetClick();
    // "キャンセル" and closing: at start-up only after the user agrees to end.
    void reject() override;

    QTabWidget* pgcEnvironment = nullptr;
    // 一般設定
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
    // 動作
    QCheckBox* chkHisListPopup = nullptr;
    QCheckBox* chkRecvViewPopup = nullptr;
    QCheckBox* chkRecvViewMiniPopup = nullptr;
    QCheckBox* chkRingSound = nullptr;
    QLineEdit* edtWaveFile = nullptr;
    QPushButton* btnWaveFile = nullptr;
    QPushButton* btnWavePlay = nullptr;
    QCheckBox* chkNotMoveFocus = nullptr;
    QCheckBox* chkViewSplash = nullptr;
    QCheckBox* chkStartAtLogin = nullptr;
    QCheckBox* chkWindowsEnd = nullptr;
    QCheckBox* chkDeleteType = nullptr;
    // 着信対応履歴
    QCheckBox* chkEarlierSearch = nullptr;
    QCheckBox* chkNewDataView = nullptr;
    QCheckBox* chkAutoAdd = nullptr;
    QCheckBox* chkSameTelUpdate = nullptr;
    QCheckBox* chkBeforeSelectItems = nullptr;
    QCheckBox* chkBeforeRecvDateTime = nullptr;
    QCheckBox* chkAutoDel = nullptr;
    QSpinBox* udDeleteDay = nullptr;
    QCheckBox* chkAutoDelConfirm = nullptr;
    // 登録名簿
    QCheckBox* chkAutoSaveMeibo = nullptr;
    QCheckBox* chkSaveMeiboConfirm = nullptr;
    // 画面・表示
    QSpinBox* udListMaxCount = nullptr;
    QLineEdit* edtSelectItem[3] = {};
    QCheckBox* chkMenuVisible = nullptr;
    QCheckBox* chkCloseMsg = nullptr;
    QCheckBox* chkMenuTopMost = nullptr;
    // 自動バックアップ
    QCheckBox* chkAutoBU = nullptr;
    QSpinBox* udAutoBUCount = nullptr;
    QLabel* lblGenerationWarning = nullptr;
    // アップデート
    QCheckBox* chkUpdateCheck = nullptr;
    QPushButton* btnUpdateCheck = nullptr;
    // 番号名鑑連携
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
    // below the pages
    QCheckBox* chkTipView = nullptr;
    QPushButton* btnSet = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    QWidget* createGeneralPage();
    QWidget* createOperationPage();
    QWidget* createReceiveHistoryPage();
    QWidget* createMeiboPage();
    QWidget* createScreenPage();
    QWidget* createBackupPage();
    QWidget* createUpdatePage();
    QWidget* createPhonebookPage();
    void loadControls();
    void collectControls();
    void fillDrives();
    void fillModels();
    void fillMapSearchKinds();
    void fillAddressBooks();
    void lineTypeChanged();
    void modelChanged(QComboBox* list);
    void updateDependents();
    void updateGenerationWarning();
    void updateTips();
    void focusRefused(const EnvironmentRefusal& refusal);
    void notReady();
    void done(int result) override;

    EnvironmentModel& model_;
    IniFile& ini_;
    MessageService& messages_;
    EnvironmentHooks hooks_;
    bool filling_ = false;
};

} // namespace kanata
