#include "environment/gui/UpkeepPages.h"

#include "environment/EnvironmentModel.h"
#include "environment/gui/EnvironmentHooks.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kanata {
using namespace settings_page;

BackupPage::BackupPage(EnvironmentModel& model) : SettingsPage(model) {
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox;
    auto* inner = new QVBoxLayout(box);
    chkAutoBU = check("アプリケーションの起動時に自動でデータのバックアップをおこなう", inner,
                      "着信履歴と登録名簿を起動のたびに世代ごとに保存します");
    auto* row = new QHBoxLayout;
    udAutoBUCount = numberField(kAutoBUCountMin, kAutoBUCountMax);
    row->addWidget(new QLabel(QStringLiteral("過去")));
    row->addWidget(udAutoBUCount);
    row->addWidget(new QLabel(QStringLiteral("世代分のデータをバックアップ")));
    row->addStretch();
    inner->addLayout(row);
    lblGenerationWarning = new QLabel;
    lblGenerationWarning->setStyleSheet(QStringLiteral("color: red"));
    lblGenerationWarning->setVisible(false);
    inner->addWidget(lblGenerationWarning);
    layout->addWidget(box);
    layout->addStretch();
    connect(chkAutoBU, &QCheckBox::toggled, this, [this] { updateDependents(); });
    connect(udAutoBUCount, &QSpinBox::valueChanged, this, [this] { updateGenerationWarning(); });
}

void BackupPage::load() {
    const GlobalSettings& g = model_.settings();
    chkAutoBU->setChecked(g.AutoBU);
    udAutoBUCount->setValue(g.AutoBUCount);
    updateDependents();
    updateGenerationWarning();
}

void BackupPage::collect() {
    GlobalSettings& g = model_.settings();
    g.AutoBU = chkAutoBU->isChecked();
    g.AutoBUCount = udAutoBUCount->value();
}

void BackupPage::updateDependents() {
    udAutoBUCount->setEnabled(chkAutoBU->isChecked());
}

void BackupPage::updateGenerationWarning() {
    const auto lines =
        EnvironmentModel::GenerationWarning(model_.original().AutoBUCount, udAutoBUCount->value());
    lblGenerationWarning->setVisible(lines.has_value());
    if (!lines)
        return;
    QStringList text;
    for (const std::string& line : *lines)
        text << q(line);
    lblGenerationWarning->setText(text.join(QLatin1Char('\n')));
}

UpdatePage::UpdatePage(EnvironmentModel& model, const EnvironmentHooks& hooks,
                       MessageService& messages)
    : SettingsPage(model) {
    auto* layout = new QVBoxLayout(this);
    chkUpdateCheck = check("アプリケーションの起動時に最新アップデートの確認をする", layout);
    btnUpdateCheck = new QPushButton(QStringLiteral("アップデートの確認(&U)"));
    auto* row = new QHBoxLayout;
    row->addWidget(btnUpdateCheck);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    connect(btnUpdateCheck, &QPushButton::clicked, this, [this, &hooks, &messages] {
        if (hooks.checkUpdateNow)
            hooks.checkUpdateNow();
        else
            notReady(messages, this);
    });
}

void UpdatePage::load() {
    chkUpdateCheck->setChecked(model_.settings().UpdateCheck);
}

void UpdatePage::collect() {
    model_.settings().UpdateCheck = chkUpdateCheck->isChecked();
}

} // namespace kanata
