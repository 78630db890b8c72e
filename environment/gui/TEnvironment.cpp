#include "environment/gui/TEnvironment.h"

#include "environment/gui/BehaviourPages.h"
#include "environment/gui/GeneralPage.h"
#include "environment/gui/PhonebookPage.h"
#include "environment/gui/UpkeepPages.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "settings/WindowGeometry.h"
#include "ui/gui/DialogSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kanata {
namespace {

constexpr const char* kSection = "ENVIRONMENT";

} // namespace

TEnvironment::TEnvironment(EnvironmentModel& model, IniFile& ini, MessageService& messages,
                           EnvironmentHooks hooks, QWidget* parent)
    : QDialog(parent), model_(model), ini_(ini), messages_(messages), hooks_(std::move(hooks)) {
    setWindowTitle(QStringLiteral("環境設定"));
    auto* layout = new QVBoxLayout(this);
    pgcEnvironment = new QTabWidget;
    addPages();
    layout->addWidget(pgcEnvironment);

    auto* bottom = new QHBoxLayout;
    chkTipView = new QCheckBox(QStringLiteral("ヒント表示"));
    btnSet = new QPushButton(QStringLiteral("設定(&S)"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"));
    btnSet->setDefault(true);
    bottom->addWidget(chkTipView);
    bottom->addStretch();
    bottom->addWidget(btnSet);
    bottom->addWidget(btnCancel);
    layout->addLayout(bottom);
    connect(btnSet, &QPushButton::clicked, this, [this] { btnSetClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(chkTipView, &QCheckBox::toggled, this, [this] { updateTips(); });

    // At start-up there is no way around the dialog but its own buttons.
    if (model_.startupMode())
        setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                       ~Qt::WindowCloseButtonHint);

    for (SettingsPage* page : pages_)
        page->load();
    ColourChosenCaption({pageGeneral->rbAnalog, pageGeneral->rbOptical, pageGeneral->rbNone});
    for (QCheckBox* box : findChildren<QCheckBox*>())
        ColourChosenCaption({box});
    const GlobalSettings& g = model_.settings();
    pgcEnvironment->setCurrentIndex(std::clamp(g.InitTab, 0, kEnvironmentPageCount - 1));
    chkTipView->setChecked(g.TipView);
    updateTips();

    // Every page's tab stays in sight.
    setMinimumWidth(pgcEnvironment->tabBar()->sizeHint().width() + 40);
    adjustSize();
    const StoredGeometry stored = readGeometry(ini_, kSection);
    const QScreen* screen = this->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const ScreenGeometry placed = applyGeometry(stored, {0, 0, width(), height(), {}}, area.width(),
                                                area.height(), logicalDpiX());
    move(placed.left, placed.top);
}

TEnvironment::~TEnvironment() = default;

void TEnvironment::addPages() {
    pageGeneral = new GeneralPage(model_, hooks_, messages_);
    pageOperation = new OperationPage(model_, hooks_);
    pageReceiveHistory = new ReceiveHistoryPage(model_);
    pageMeibo = new MeiboPage(model_);
    pageScreen = new ScreenPage(model_);
    pageBackup = new BackupPage(model_);
    pageUpdate = new UpdatePage(model_, hooks_, messages_);
    pagePhonebook = new PhonebookPage(model_);
    const std::pair<SettingsPage*, const char*> tabs[] = {{pageGeneral, "一般設定"},
                                                          {pageOperation, "動作"},
                                                          {pageReceiveHistory, "着信対応履歴"},
                                                          {pageMeibo, "登録名簿"},
                                                          {pageScreen, "画面・表示"},
                                                          {pageBackup, "自動バックアップ"},
                                                          {pageUpdate, "アップデート"},
                                                          {pagePhonebook, "番号名鑑連携"}};
    for (const auto& [page, caption] : tabs) {
        pgcEnvironment->addTab(page, QString::fromUtf8(caption));
        pages_.push_back(page);
    }
}

void TEnvironment::updateTips() {
    const bool on = chkTipView->isChecked();
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant tip = w->property(settings_page::kTipProperty);
        if (tip.isValid())
            w->setToolTip(on ? tip.toString() : QString());
    }
}

QWidget* TEnvironment::refusedField(EnvironmentField field) const {
    switch (field) {
    case EnvironmentField::Port:
        return pageGeneral->cbxPort;
    case EnvironmentField::DataPath:
        return pageGeneral->edtDataPath;
    case EnvironmentField::WaveFile:
        return pageOperation->edtWaveFile;
    case EnvironmentField::SelectItem1:
    case EnvironmentField::SelectItem2:
    case EnvironmentField::SelectItem3:
        return pageScreen->edtSelectItem[static_cast<int>(field) -
                                         static_cast<int>(EnvironmentField::SelectItem1)];
    case EnvironmentField::UsePbAdrs:
        return pagePhonebook->chkUsePbAdrs;
    case EnvironmentField::PbSeries:
        return pagePhonebook->cbxPbSeries;
    case EnvironmentField::PbAdrsBook:
        return pagePhonebook->cbxPbAdrsBook;
    case EnvironmentField::Keywords:
        return pagePhonebook->cbxMemo[0];
    }
    return nullptr;
}

void TEnvironment::focusRefused(const EnvironmentRefusal& refusal) {
    pgcEnvironment->setCurrentIndex(static_cast<int>(refusal.page));
    if (QWidget* target = refusedField(refusal.field))
        target->setFocus();
}

void TEnvironment::btnSetClick() {
    for (SettingsPage* page : pages_)
        page->collect();
    GlobalSettings& g = model_.settings();
    g.InitTab = pgcEnvironment->currentIndex();
    g.TipView = chkTipView->isChecked();
    if (const auto refused = model_.validate()) {
        focusRefused(*refused);
        return;
    }
    pageGeneral->edtDataPath->setText(QString::fromStdString(g.DataPath));
    model_.commitStartAtLogin();
    accept();
}

void TEnvironment::reject() {
    if (model_.startupMode() &&
        messages_.ShowCenteredMessage(
            {"環境設定をキャンセルした場合  \r\nアプリケーションが起動できません  \r\n終了しても"
             "よろしいですか？  ",
             MessageIcon::Warning,
             MessageButtons::YesNo,
             1,
             {},
             this}) != MessageResult::Yes)
        return;
    QDialog::reject();
}

void TEnvironment::done(int result) {
    ini_.writeInteger(kSection, "InitTab", pgcEnvironment->currentIndex());
    ini_.writeBool(kSection, "TipView", chkTipView->isChecked());
    ScreenGeometry here{x(), y(), width(), height(), {}};
    writeGeometry(ini_, kSection, storeGeometry(here, logicalDpiX(), false));
    ini_.save();
    QDialog::done(result);
}

} // namespace kanata
