#pragma once
// The settings dialog "環境設定": eight pages over a working copy of the
// global settings. "設定(&S)" runs the checks and closes with OK; whoever
// opened it then saves and applies model().settings().
#include "environment/EnvironmentModel.h"
#include "environment/gui/BehaviourPages.h"
#include "environment/gui/EnvironmentHooks.h"
#include "environment/gui/GeneralPage.h"
#include "environment/gui/PhonebookPage.h"
#include "environment/gui/UpkeepPages.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QPushButton;
class QTabWidget;

namespace kanata {

class IniFile;
class MessageService;

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
    GeneralPage* pageGeneral = nullptr;
    OperationPage* pageOperation = nullptr;
    ReceiveHistoryPage* pageReceiveHistory = nullptr;
    MeiboPage* pageMeibo = nullptr;
    ScreenPage* pageScreen = nullptr;
    BackupPage* pageBackup = nullptr;
    UpdatePage* pageUpdate = nullptr;
    PhonebookPage* pagePhonebook = nullptr;
    // below the pages
    QCheckBox* chkTipView = nullptr;
    QPushButton* btnSet = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void addPages();
    void updateTips();
    QWidget* refusedField(EnvironmentField field) const;
    void focusRefused(const EnvironmentRefusal& refusal);
    void done(int result) override;

    EnvironmentModel& model_;
    IniFile& ini_;
    MessageService& messages_;
    EnvironmentHooks hooks_;
    std::vector<SettingsPage*> pages_;
};

} // namespace kanata
