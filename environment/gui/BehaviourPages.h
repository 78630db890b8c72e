#pragma once
// The pages on how the program behaves: on a call and at start-up (動作),
// on looking a caller up (着信対応履歴), on the roster (登録名簿) and on
// screen (画面・表示).
#include "environment/gui/EnvironmentHooks.h"
#include "environment/gui/SettingsPage.h"

class QLineEdit;
class QPushButton;

namespace kanata {

class OperationPage : public SettingsPage {
public:
    OperationPage(EnvironmentModel& model, const EnvironmentHooks& hooks);

    void load() override;
    void collect() override;

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

private:
    void chooseWaveFile();
    void playWave();
    void updateDependents();

    const EnvironmentHooks& hooks_;
};

class ReceiveHistoryPage : public SettingsPage {
public:
    explicit ReceiveHistoryPage(EnvironmentModel& model);

    void load() override;
    void collect() override;

    QCheckBox* chkEarlierSearch = nullptr;
    QCheckBox* chkNewDataView = nullptr;
    QCheckBox* chkAutoAdd = nullptr;
    QCheckBox* chkSameTelUpdate = nullptr;
    QCheckBox* chkBeforeSelectItems = nullptr;
    QCheckBox* chkBeforeRecvDateTime = nullptr;
    QCheckBox* chkAutoDel = nullptr;
    QSpinBox* udDeleteDay = nullptr;
    QCheckBox* chkAutoDelConfirm = nullptr;

private:
    void updateDependents();
};

class MeiboPage : public SettingsPage {
public:
    explicit MeiboPage(EnvironmentModel& model);

    void load() override;
    void collect() override;

    QCheckBox* chkAutoSaveMeibo = nullptr;
    QCheckBox* chkSaveMeiboConfirm = nullptr;
};

class ScreenPage : public SettingsPage {
public:
    explicit ScreenPage(EnvironmentModel& model);

    void load() override;
    void collect() override;

    QSpinBox* udListMaxCount = nullptr;
    QLineEdit* edtSelectItem[3] = {};
    QCheckBox* chkMenuVisible = nullptr;
    QCheckBox* chkCloseMsg = nullptr;
    QCheckBox* chkMenuTopMost = nullptr;

private:
    void updateDependents();
};

} // namespace kanata
