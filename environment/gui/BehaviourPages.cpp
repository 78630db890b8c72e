#include "environment/gui/BehaviourPages.h"

#include "environment/EnvironmentModel.h"
#include "environment/gui/EnvironmentHooks.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSoundEffect>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace kanata {
using namespace settings_page;

OperationPage::OperationPage(EnvironmentModel& model, const EnvironmentHooks& hooks)
    : SettingsPage(model), hooks_(hooks) {
    auto* layout = new QVBoxLayout(this);
    QLayout* onCall = group("着信時の動作", layout)->layout();
    chkHisListPopup = check("着信したら着信履歴一覧を表示する", onCall);
    chkRecvViewPopup = check("着信したら着信照会を表示する", onCall);
    chkRecvViewMiniPopup = check("着信したら簡易着信情報を表示する", onCall);
    chkRingSound = check("着信したら音を鳴らす", onCall);
    auto* waveRow = new QHBoxLayout;
    edtWaveFile = new QLineEdit;
    btnWaveFile = new QPushButton(QStringLiteral("参照(&R)"));
    btnWavePlay = new QPushButton(QStringLiteral("再生(&P)"));
    waveRow->addWidget(edtWaveFile, 1);
    waveRow->addWidget(btnWaveFile);
    waveRow->addWidget(btnWavePlay);
    static_cast<QVBoxLayout*>(onCall)->addLayout(waveRow);
    chkNotMoveFocus = check("着信してもアプリケーションにフォーカスを移動しない", onCall,
                            "作業中のアプリケーションの入力を妨げません");
    QLayout* atStart = group("起動時の動作", layout)->layout();
    chkViewSplash = check("アプリケーション起動時にスプラッシュ画面を表示する", atStart);
    chkStartAtLogin = check("ログイン時にアプリケーションを起動する", atStart);
    chkWindowsEnd = check("Windows終了時に確認ダイアログを表示する",
                          group("メッセージの表示", layout)->layout());
    chkDeleteType =
        check("一覧削除時に削除対象指定画面を表示する", group("削除時の動作", layout)->layout());
    layout->addStretch();
    connect(chkRingSound, &QCheckBox::toggled, this, [this] { updateDependents(); });
    connect(btnWaveFile, &QPushButton::clicked, this, [this] { chooseWaveFile(); });
    connect(btnWavePlay, &QPushButton::clicked, this, [this] { playWave(); });
}

void OperationPage::chooseWaveFile() {
    const QString current = edtWaveFile->text();
    const QString chosen =
        hooks_.chooseWaveFile ? hooks_.chooseWaveFile(current)
                              : QFileDialog::getOpenFileName(
                                    window(), QString(), current,
                                    QStringLiteral("Waveファイル (*.wav);;すべてのファイル (*.*)"));
    if (!chosen.isEmpty())
        edtWaveFile->setText(chosen);
}

void OperationPage::playWave() {
    if (hooks_.playWave) {
        hooks_.playWave(edtWaveFile->text());
        return;
    }
    auto* sound = new QSoundEffect(this);
    sound->setSource(QUrl::fromLocalFile(edtWaveFile->text()));
    sound->play();
}

void OperationPage::load() {
    const GlobalSettings& g = model_.settings();
    chkHisListPopup->setChecked(g.HisListPopup);
    chkRecvViewPopup->setChecked(g.RecvViewPopup);
    chkRecvViewMiniPopup->setChecked(g.RecvViewMiniPopup);
    chkRingSound->setChecked(g.RingSound);
    edtWaveFile->setText(q(g.WaveFile));
    chkNotMoveFocus->setChecked(g.NotMoveFocus);
    chkViewSplash->setChecked(g.ViewSplash);
    chkStartAtLogin->setChecked(model_.startAtLogin());
    chkStartAtLogin->setVisible(model_.offersStartAtLogin());
    chkWindowsEnd->setChecked(g.WindowsEnd);
    chkDeleteType->setChecked(g.DeleteType);
    updateDependents();
}

void OperationPage::collect() {
    GlobalSettings& g = model_.settings();
    g.HisListPopup = chkHisListPopup->isChecked();
    g.RecvViewPopup = chkRecvViewPopup->isChecked();
    g.RecvViewMiniPopup = chkRecvViewMiniPopup->isChecked();
    g.RingSound = chkRingSound->isChecked();
    g.WaveFile = s(edtWaveFile->text());
    g.NotMoveFocus = chkNotMoveFocus->isChecked();
    g.ViewSplash = chkViewSplash->isChecked();
    model_.setStartAtLogin(chkStartAtLogin->isChecked());
    g.WindowsEnd = chkWindowsEnd->isChecked();
    g.DeleteType = chkDeleteType->isChecked();
}

void OperationPage::updateDependents() {
    for (QWidget* w : std::initializer_list<QWidget*>{edtWaveFile, btnWaveFile, btnWavePlay})
        w->setEnabled(chkRingSound->isChecked());
}

ReceiveHistoryPage::ReceiveHistoryPage(EnvironmentModel& model) : SettingsPage(model) {
    auto* layout = new QVBoxLayout(this);
    QLayout* lookup = group("照会方法", layout)->layout();
    chkEarlierSearch = check("登録した名簿情報を先に検索する", lookup);
    chkNewDataView = check("着信時に新しい着信情報を優先して表示する", lookup);
    chkAutoAdd = check("表示中の照会情報を自動登録してから新しい情報を表示する", lookup,
                       "表示中の相手を登録名簿に登録してから次の着信を表示します");
    chkSameTelUpdate =
        check("同じ電話番号のデータが既に登録されている場合、新しいデータで更新する", lookup);
    chkBeforeSelectItems = check("前回の着信時の選択項目内容を参照する", lookup);
    chkBeforeRecvDateTime = check("前回の着信日時を参照する", lookup);
    auto* del = static_cast<QVBoxLayout*>(group("自動削除", layout)->layout());
    chkAutoDel = check("一定の期間が経過したデータを自動的に削除する", del,
                       "指定した日数より前の着信履歴を起動時に削除します");
    auto* days = new QHBoxLayout;
    udDeleteDay = numberField(kDeleteDayMin, kDeleteDayMax);
    days->addWidget(udDeleteDay);
    days->addWidget(new QLabel(QStringLiteral("日以上前のデータを削除")));
    days->addStretch();
    del->addLayout(days);
    chkAutoDelConfirm = check("削除確認のダイアログを表示する", del);
    del->addWidget(new QLabel(QStringLiteral("※アプリケーションを起動した時のみ処理します")));
    layout->addStretch();
    connect(chkAutoDel, &QCheckBox::toggled, this, [this] { updateDependents(); });
}

void ReceiveHistoryPage::load() {
    const GlobalSettings& g = model_.settings();
    chkEarlierSearch->setChecked(g.EarlierSearch);
    chkNewDataView->setChecked(g.NewDataView);
    chkAutoAdd->setChecked(g.AutoAdd);
    chkSameTelUpdate->setChecked(g.SameTelUpdate);
    chkBeforeSelectItems->setChecked(g.BeforeSelectItems);
    chkBeforeRecvDateTime->setChecked(g.BeforeRecvDateTime);
    chkAutoDel->setChecked(g.AutoDel);
    udDeleteDay->setValue(g.DeleteDay);
    chkAutoDelConfirm->setChecked(g.AutoDelConfirm);
    updateDependents();
}

void ReceiveHistoryPage::collect() {
    GlobalSettings& g = model_.settings();
    g.EarlierSearch = chkEarlierSearch->isChecked();
    g.NewDataView = chkNewDataView->isChecked();
    g.AutoAdd = chkAutoAdd->isChecked();
    g.SameTelUpdate = chkSameTelUpdate->isChecked();
    g.BeforeSelectItems = chkBeforeSelectItems->isChecked();
    g.BeforeRecvDateTime = chkBeforeRecvDateTime->isChecked();
    g.AutoDel = chkAutoDel->isChecked();
    g.DeleteDay = udDeleteDay->value();
    g.AutoDelConfirm = chkAutoDelConfirm->isChecked();
}

void ReceiveHistoryPage::updateDependents() {
    udDeleteDay->setEnabled(chkAutoDel->isChecked());
    chkAutoDelConfirm->setEnabled(chkAutoDel->isChecked());
}

MeiboPage::MeiboPage(EnvironmentModel& model) : SettingsPage(model) {
    auto* layout = new QVBoxLayout(this);
    QLayout* save = group("自動保存", layout)->layout();
    chkAutoSaveMeibo = check("別の名簿データを照会する時に自動保存する", save);
    chkSaveMeiboConfirm = check("保存前に確認ダイアログを表示する", save);
    layout->addStretch();
}

void MeiboPage::load() {
    const GlobalSettings& g = model_.settings();
    chkAutoSaveMeibo->setChecked(g.AutoSaveMeibo);
    chkSaveMeiboConfirm->setChecked(g.SaveMeiboConfirm);
}

void MeiboPage::collect() {
    GlobalSettings& g = model_.settings();
    g.AutoSaveMeibo = chkAutoSaveMeibo->isChecked();
    g.SaveMeiboConfirm = chkSaveMeiboConfirm->isChecked();
}

ScreenPage::ScreenPage(EnvironmentModel& model) : SettingsPage(model) {
    auto* layout = new QVBoxLayout(this);
    auto* rows = static_cast<QVBoxLayout*>(group("一覧の表示件数", layout)->layout());
    auto* rowLine = new QHBoxLayout;
    udListMaxCount = numberField(kListMaxCountMin, kListMaxCountMax);
    rowLine->addWidget(new QLabel(QStringLiteral("1ページに")));
    rowLine->addWidget(udListMaxCount);
    rowLine->addWidget(new QLabel(QStringLiteral("件のデータを表示する")));
    rowLine->addStretch();
    rows->addLayout(rowLine);
    auto* items = group("選択項目名称", layout);
    auto* grid = new QGridLayout;
    const char* numbers[] = {"１", "２", "３"};
    for (int i = 0; i < 3; ++i) {
        edtSelectItem[i] = new QLineEdit;
        grid->addWidget(new QLabel(QString::fromUtf8(numbers[i])), i, 0);
        grid->addWidget(edtSelectItem[i], i, 1);
    }
    static_cast<QVBoxLayout*>(items->layout())->addLayout(grid);
    QLayout* menu = group("メニューの表示", layout)->layout();
    chkMenuVisible = check("メニューをデスクトップに表示する", menu);
    chkCloseMsg = check("メニューからの終了時に確認ダイアログを表示する", menu);
    chkMenuTopMost = check("メニューを常に前面に表示する", menu);
    layout->addStretch();
    connect(chkMenuVisible, &QCheckBox::toggled, this, [this] { updateDependents(); });
}

void ScreenPage::load() {
    const GlobalSettings& g = model_.settings();
    udListMaxCount->setValue(g.ListMaxCount);
    edtSelectItem[0]->setText(q(g.SelectItem1));
    edtSelectItem[1]->setText(q(g.SelectItem2));
    edtSelectItem[2]->setText(q(g.SelectItem3));
    chkMenuVisible->setChecked(g.MenuVisible);
    chkCloseMsg->setChecked(g.CloseMsg);
    chkMenuTopMost->setChecked(g.MenuTopMost);
    updateDependents();
}

void ScreenPage::collect() {
    GlobalSettings& g = model_.settings();
    g.ListMaxCount = udListMaxCount->value();
    g.SelectItem1 = s(edtSelectItem[0]->text());
    g.SelectItem2 = s(edtSelectItem[1]->text());
    g.SelectItem3 = s(edtSelectItem[2]->text());
    g.MenuVisible = chkMenuVisible->isChecked();
    g.CloseMsg = chkCloseMsg->isChecked();
    g.MenuTopMost = chkMenuTopMost->isChecked();
}

void ScreenPage::updateDependents() {
    chkCloseMsg->setEnabled(chkMenuVisible->isChecked());
    chkMenuTopMost->setEnabled(chkMenuVisible->isChecked());
}

} // namespace kanata
