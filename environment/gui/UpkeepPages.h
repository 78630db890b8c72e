#pragma once
// The pages that keep the program and its data in shape: the automatic
// backup (自動バックアップ) and the update check (アップデート).
#include "environment/gui/EnvironmentHooks.h"
#include "environment/gui/SettingsPage.h"

class QLabel;
class QPushButton;

namespace kanata {

class BackupPage : public SettingsPage {
public:
    explicit BackupPage(EnvironmentModel& model);

    void load() override;
    void collect() override;

    QCheckBox* chkAutoBU = nullptr;
    QSpinBox* udAutoBUCount = nullptr;
    QLabel* lblGenerationWarning = nullptr;

private:
    void updateDependents();
    void updateGenerationWarning();
};

class UpdatePage : public SettingsPage {
public:
    UpdatePage(EnvironmentModel& model, const EnvironmentHooks& hooks, MessageService& messages);

    void load() override;
    void collect() override;

    QCheckBox* chkUpdateCheck = nullptr;
    QPushButton* btnUpdateCheck = nullptr;
};

} // namespace kanata
