#include "environment/gui/TEnvironment.h"

#include "ui/gui/DialogSupport.h"
#include "lookup/PhonebookEditions.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "settings/MapPrograms.h"
#include "settings/WindowGeometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSoundEffect>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace kanata {
namespace {

constexpr const char* kSection = "ENVIRONMENT";
constexpr const char* kTipProperty = "kanataTip";
constexpr const char* kNotReady = "この機能は現在準備中です  ";

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QString& text) {
    return text.toStdString();
}

constexpr int kGoogleMaps = 10;
constexpr int kAtlasMate = 0;

QStringList keywordChoices() {
    return {QStringLiteral("キーワード１"), QStringLiteral("キーワード２"),
            QStringLiteral("キーワード３"), QStringLiteral("キーワード４"),
            QStringLiteral("キーワード５")};
}

QCheckBox* check(const char* caption, QLayout* into, const char* tip = nullptr) {
    auto* box = new QCheckBox(QString::fromUtf8(caption));
    if (tip)
        box->setProperty(kTipProperty, QString::fromUtf8(tip));
    into->addWidget(box);
    return box;
}

QGroupBox* group(const char* caption, QBoxLayout* into) {
    auto* box = new QGroupBox(QString::fromUtf8(caption));
    new QVBoxLayout(box);
    into->addWidget(box);
    return box;
}

QSpinBox* numberField(int min, int max) {
    auto* field = new QSpinBox;
    field->setRange(min, max);
    // Only digits can be typed; a text the range refuses is put back to the
    // last valid value when the field is left.
    field->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    field->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    return field;
}

QString mark(bool on) {
    return on ? QStringLiteral("○") : QStringLiteral("×");
}

} // namespace

TEnvironment::TEnvironment(EnvironmentModel& model, IniFile& ini, MessageService& messages,
                           EnvironmentHooks hooks, QWidget* parent)
    : QDialog(parent), model_(model), ini_(ini), messages_(messages), hooks_(std::move(hooks)) {
    setWindowTitle(QStringLiteral("環境設定"));
    auto* layout = new QVBoxLayout(this);
    pgcEnvironment = new QTabWidget;
    pgcEnvironment->addTab(createGeneralPage(), QStringLiteral("一般設定"));
    pgcEnvironment->addTab(createOperationPage(), QStringLiteral("動作"));
    pgcEnvironment->addTab(createReceiveHistoryPage(), QStringLiteral("着信対応履歴"));
    pgcEnvironment->addTab(createMeiboPage(), QStringLiteral("登録名簿"));
    pgcEnvironment->addTab(createScreenPage(), QStringLiteral("画面・表示"));
    pgcEnvironment->addTab(createBackupPage(), QStringLiteral("自動バックアップ"));
    pgcEnvironment->addTab(createUpdatePage(), QStringLiteral("アップデート"));
    pgcEnvironment->addTab(createPhonebookPage(), QStringLiteral("番号名鑑連携"));
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

    loadControls();
    ColourChosenCaption({rbAnalog, rbOptical, rbNone});
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

QWidget* TEnvironment::createGeneralPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    QGroupBox* drive = group("検索CD-ROMドライブ", layout);
    auto* driveRow = new QHBoxLayout;
    cbxDrive = new QComboBox;
    cbxDrive->setEditable(true);
    btnDriveUpdate = new QPushButton(QStringLiteral("更新(&U)"));
    driveRow->addWidget(cbxDrive, 1);
    driveRow->addWidget(btnDriveUpdate);
    static_cast<QVBoxLayout*>(drive->layout())->addLayout(driveRow);
    connect(btnDriveUpdate, &QPushButton::clicked, this, [this] { fillDrives(); });

    QGroupBox* adapter = group("対応機器設定", layout);
    auto* grid = new QGridLayout;
    rbAnalog = new QRadioButton(QStringLiteral("アナログ/INS64回線"));
    rbOptical = new QRadioButton(QStringLiteral("光回線"));
    rbNone = new QRadioButton(QStringLiteral("使用しない"));
    auto* types = new QHBoxLayout;
    types->addWidget(rbAnalog);
    types->addWidget(rbOptical);
    types->addWidget(rbNone);
    grid->addLayout(types, 0, 0, 1, 3);
    cbxAnalogModel = new QComboBox;
    cbxOpticalModel = new QComboBox;
    grid->addWidget(cbxAnalogModel, 1, 0, 1, 3);
    grid->addWidget(cbxOpticalModel, 2, 0, 1, 3);
    lblPort = new QLabel(QStringLiteral("ポート"));
    cbxPort = new QComboBox;
    for (const std::string& port : EnvironmentPorts())
        cbxPort->addItem(q(port));
    grid->addWidget(lblPort, 3, 0);
    grid->addWidget(cbxPort, 3, 1);
    btnIpDetails = new QPushButton(QStringLiteral("詳細設定(&D)"));
    lblIpNote = new QLabel(QStringLiteral("※詳細設定を行う必要があります"));
    grid->addWidget(btnIpDetails, 4, 0);
    grid->addWidget(lblIpNote, 4, 1, 1, 2);
    lblHistoryFunction = new QLabel;
    lblDialFunction = new QLabel;
    lblHistoryCaption = new QLabel(QStringLiteral("着信履歴取込機能　・・・"));
    lblDialCaption = new QLabel(QStringLiteral("発信機能　　　　　　・・・"));
    grid->addWidget(lblHistoryCaption, 5, 0);
    grid->addWidget(lblHistoryFunction, 5, 1);
    grid->addWidget(lblDialCaption, 6, 0);
    grid->addWidget(lblDialFunction, 6, 1);
    static_cast<QVBoxLayout*>(adapter->layout())->addLayout(grid);
    for (QRadioButton* rb : {rbAnalog, rbOptical, rbNone})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on && !filling_)
                lineTypeChanged();
        });
    connect(cbxAnalogModel, &QComboBox::currentIndexChanged, this,
            [this] { modelChanged(cbxAnalogModel); });
    connect(cbxOpticalModel, &QComboBox::currentIndexChanged, this,
            [this] { modelChanged(cbxOpticalModel); });
    connect(cbxPort, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            model_.choosePort(s(cbxPort->currentText()));
    });
    connect(btnIpDetails, &QPushButton::clicked, this, [this] {
        if (hooks_.ipPbxDetails)
            hooks_.ipPbxDetails(model_.settings().Adapter);
        else
            notReady();
    });

    QGroupBox* data = group("データ保存フォルダー", layout);
    auto* dataRow = new QHBoxLayout;
    edtDataPath = new QLineEdit;
    edtDataPath->setProperty(kTipProperty,
                             QStringLiteral("着信履歴と登録名簿を保存するフォルダーです"));
    btnDataPath = new QPushButton(QStringLiteral("参照(&R)"));
    dataRow->addWidget(edtDataPath, 1);
    dataRow->addWidget(btnDataPath);
    static_cast<QVBoxLayout*>(data->layout())->addLayout(dataRow);
    connect(btnDataPath, &QPushButton::clicked, this, [this] {
        const QString current = edtDataPath->text();
        const QString chosen = hooks_.chooseFolder
                                   ? hooks_.chooseFolder(current)
                                   : QFileDialog::getExistingDirectory(this, QString(), current);
        if (!chosen.isEmpty())
            edtDataPath->setText(chosen);
    });

    QGroupBox* map = group("使用する地図ソフト・サービス／検索方法", layout);
    auto* mapRow = new QHBoxLayout;
    cbxMap = new QComboBox;
    for (const char* name : kMapProgramNames)
        cbxMap->addItem(QString::fromUtf8(name));
    cbxMapSearchKind = new QComboBox;
    mapRow->addWidget(cbxMap, 2);
    mapRow->addWidget(cbxMapSearchKind, 1);
    static_cast<QVBoxLayout*>(map->layout())->addLayout(mapRow);
    connect(cbxMap, &QComboBox::currentIndexChanged, this, [this] { fillMapSearchKinds(); });
    layout->addStretch();
    return page;
}

QWidget* TEnvironment::createOperationPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
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
    connect(btnWaveFile, &QPushButton::clicked, this, [this] {
        const QString current = edtWaveFile->text();
        const QString chosen =
            hooks_.chooseWaveFile
                ? hooks_.chooseWaveFile(current)
                : QFileDialog::getOpenFileName(
                      this, QString(), current,
                      QStringLiteral("Waveファイル (*.wav);;すべてのファイル (*.*)"));
        if (!chosen.isEmpty())
            edtWaveFile->setText(chosen);
    });
    connect(btnWavePlay, &QPushButton::clicked, this, [this] {
        if (hooks_.playWave) {
            hooks_.playWave(edtWaveFile->text());
            return;
        }
        auto* sound = new QSoundEffect(this);
        sound->setSource(QUrl::fromLocalFile(edtWaveFile->text()));
        sound->play();
    });
    return page;
}

QWidget* TEnvironment::createReceiveHistoryPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
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
    return page;
}

QWidget* TEnvironment::createMeiboPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QLayout* save = group("自動保存", layout)->layout();
    chkAutoSaveMeibo = check("別の名簿データを照会する時に自動保存する", save);
    chkSaveMeiboConfirm = check("保存前に確認ダイアログを表示する", save);
    layout->addStretch();
    return page;
}

QWidget* TEnvironment::createScreenPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
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
    return page;
}

QWidget* TEnvironment::createBackupPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
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
    return page;
}

QWidget* TEnvironment::createUpdatePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    chkUpdateCheck = check("アプリケーションの起動時に最新アップデートの確認をする", layout);
    btnUpdateCheck = new QPushButton(QStringLiteral("アップデートの確認(&U)"));
    auto* row = new QHBoxLayout;
    row->addWidget(btnUpdateCheck);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    connect(btnUpdateCheck, &QPushButton::clicked, this, [this] {
        if (hooks_.checkUpdateNow)
            hooks_.checkUpdateNow();
        else
            notReady();
    });
    return page;
}

QWidget* TEnvironment::createPhonebookPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    chkUsePbAdrs = check("番号名鑑のアドレス帳を登録名簿として使用する", layout,
                         "着信帳の登録名簿の代わりに番号名鑑のアドレス帳で相手を調べます");
    auto* grid = new QGridLayout;
    cbxPbSeries = new QComboBox;
    for (const PhonebookEdition& edition : PhonebookEditions())
        cbxPbSeries->addItem(QString::fromUtf8(edition.displayName));
    cbxPbAdrsBook = new QComboBox;
    lblPbAvailable = new QLabel;
    grid->addWidget(new QLabel(QStringLiteral("連携ソフト")), 0, 0);
    grid->addWidget(cbxPbSeries, 0, 1);
    grid->addWidget(lblPbAvailable, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("アドレス帳")), 1, 0);
    grid->addWidget(cbxPbAdrsBook, 1, 1);
    cbxRank = new QComboBox;
    cbxRank->addItems(keywordChoices().mid(0, 3));
    grid->addWidget(new QLabel(QStringLiteral("ランク")), 2, 0);
    grid->addWidget(cbxRank, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("※10文字分使用します")), 2, 2);
    const char* memoCaptions[] = {"登録メモ１", "登録メモ２", "登録メモ３"};
    for (int i = 0; i < 3; ++i) {
        cbxMemo[i] = new QComboBox;
        cbxMemo[i]->addItems(keywordChoices());
        grid->addWidget(new QLabel(QString::fromUtf8(memoCaptions[i])), 3 + i, 0);
        grid->addWidget(cbxMemo[i], 3 + i, 1);
    }
    const char* lineCaptions[] = {"着信時メッセージ1", "着信時メッセージ2"};
    for (int i = 0; i < 2; ++i) {
        cbxLine[i] = new QComboBox;
        cbxLine[i]->addItems(keywordChoices());
        grid->addWidget(new QLabel(QString::fromUtf8(lineCaptions[i])), 6 + i, 0);
        grid->addWidget(cbxLine[i], 6 + i, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("※16文字分使用します")), 6, 2);
    layout->addLayout(grid);
    chkRunPbDlg = check("メニューから番号名鑑を起動する際に確認のダイアログを表示する", layout);
    chkPbBackup = check("着信帳起動時に番号名鑑のアドレス帳データをバックアップする", layout);
    chkPbBackupDlg = check("確認のダイアログを表示する", layout);
    chkPbBackupDlg->setContentsMargins(20, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("※設定中は着信帳の登録名簿は使用できません")));
    layout->addStretch();
    connect(chkPbBackup, &QCheckBox::toggled, this, [this] { updateDependents(); });
    connect(cbxPbSeries, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (filling_)
            return;
        model_.settings().PbSeries = row;
        fillAddressBooks();
        model_.chooseAddressBook(cbxPbAdrsBook->currentIndex());
    });
    connect(cbxPbAdrsBook, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!filling_)
            model_.chooseAddressBook(index);
    });
    return page;
}

void TEnvironment::loadControls() {
    filling_ = true;
    const GlobalSettings& g = model_.settings();
    fillDrives();
    rbAnalog->setChecked(g.lineType() == LineType::Analog);
    rbOptical->setChecked(g.lineType() == LineType::Optical);
    rbNone->setChecked(g.lineType() == LineType::None);
    fillModels();
    const int port = cbxPort->findText(q(g.Port));
    cbxPort->setCurrentIndex(port >= 0 ? port : 0);
    if (port < 0)
        model_.choosePort(s(cbxPort->currentText()));
    edtDataPath->setText(q(g.DataPath));
    cbxMap->setCurrentIndex(std::clamp(g.Map, 0, kGoogleMaps));
    fillMapSearchKinds();
    cbxMapSearchKind->setCurrentIndex(std::min(g.MapSearchKind, cbxMapSearchKind->count() - 1));

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

    chkEarlierSearch->setChecked(g.EarlierSearch);
    chkNewDataView->setChecked(g.NewDataView);
    chkAutoAdd->setChecked(g.AutoAdd);
    chkSameTelUpdate->setChecked(g.SameTelUpdate);
    chkBeforeSelectItems->setChecked(g.BeforeSelectItems);
    chkBeforeRecvDateTime->setChecked(g.BeforeRecvDateTime);
    chkAutoDel->setChecked(g.AutoDel);
    udDeleteDay->setValue(g.DeleteDay);
    chkAutoDelConfirm->setChecked(g.AutoDelConfirm);

    chkAutoSaveMeibo->setChecked(g.AutoSaveMeibo);
    chkSaveMeiboConfirm->setChecked(g.SaveMeiboConfirm);

    udListMaxCount->setValue(g.ListMaxCount);
    edtSelectItem[0]->setText(q(g.SelectItem1));
    edtSelectItem[1]->setText(q(g.SelectItem2));
    edtSelectItem[2]->setText(q(g.SelectItem3));
    chkMenuVisible->setChecked(g.MenuVisible);
    chkCloseMsg->setChecked(g.CloseMsg);
    chkMenuTopMost->setChecked(g.MenuTopMost);

    chkAutoBU->setChecked(g.AutoBU);
    udAutoBUCount->setValue(g.AutoBUCount);
    chkUpdateCheck->setChecked(g.UpdateCheck);

    chkUsePbAdrs->setChecked(g.UsePbAdrs);
    cbxPbSeries->setCurrentIndex(std::clamp(g.PbSeries, 0, kPhonebookEditionCount - 1));
    cbxRank->setCurrentIndex(std::clamp(g.rank, 0, 2));
    const int memos[] = {g.Memo1, g.Memo2, g.Memo3};
    for (int i = 0; i < 3; ++i)
        cbxMemo[i]->setCurrentIndex(std::clamp(memos[i], 0, 4));
    cbxLine[0]->setCurrentIndex(std::clamp(g.Line1, 0, 4));
    cbxLine[1]->setCurrentIndex(std::clamp(g.Line2, 0, 4));
    chkRunPbDlg->setChecked(g.RunPbDlg);
    chkPbBackup->setChecked(g.PbBackup);
    chkPbBackupDlg->setChecked(g.PbBackupDlg);
    filling_ = false;
    fillAddressBooks();
    updateDependents();
    updateGenerationWarning();
}

void TEnvironment::collectControls() {
    GlobalSettings& g = model_.settings();
    g.CD = s(cbxDrive->currentText());
    g.DataPath = s(edtDataPath->text());
    g.Map = cbxMap->currentIndex();
    g.MapSearchKind = std::max(0, cbxMapSearchKind->currentIndex());
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
    g.EarlierSearch = chkEarlierSearch->isChecked();
    g.NewDataView = chkNewDataView->isChecked();
    g.AutoAdd = chkAutoAdd->isChecked();
    g.SameTelUpdate = chkSameTelUpdate->isChecked();
    g.BeforeSelectItems = chkBeforeSelectItems->isChecked();
    g.BeforeRecvDateTime = chkBeforeRecvDateTime->isChecked();
    g.AutoDel = chkAutoDel->isChecked();
    g.DeleteDay = udDeleteDay->value();
    g.AutoDelConfirm = chkAutoDelConfirm->isChecked();
    g.AutoSaveMeibo = chkAutoSaveMeibo->isChecked();
    g.SaveMeiboConfirm = chkSaveMeiboConfirm->isChecked();
    g.ListMaxCount = udListMaxCount->value();
    g.SelectItem1 = s(edtSelectItem[0]->text());
    g.SelectItem2 = s(edtSelectItem[1]->text());
    g.SelectItem3 = s(edtSelectItem[2]->text());
    g.MenuVisible = chkMenuVisible->isChecked();
    g.CloseMsg = chkCloseMsg->isChecked();
    g.MenuTopMost = chkMenuTopMost->isChecked();
    g.AutoBU = chkAutoBU->isChecked();
    g.AutoBUCount = udAutoBUCount->value();
    g.UpdateCheck = chkUpdateCheck->isChecked();
    g.UsePbAdrs = chkUsePbAdrs->isChecked();
    g.PbSeries = cbxPbSeries->currentIndex();
    g.rank = cbxRank->currentIndex();
    g.Memo1 = cbxMemo[0]->currentIndex();
    g.Memo2 = cbxMemo[1]->currentIndex();
    g.Memo3 = cbxMemo[2]->currentIndex();
    g.Line1 = cbxLine[0]->currentIndex();
    g.Line2 = cbxLine[1]->currentIndex();
    g.RunPbDlg = chkRunPbDlg->isChecked();
    g.PbBackup = chkPbBackup->isChecked();
    g.PbBackupDlg = chkPbBackupDlg->isChecked();
    g.InitTab = pgcEnvironment->currentIndex();
    g.TipView = chkTipView->isChecked();
}

void TEnvironment::fillDrives() {
    const GlobalSettings& g = model_.settings();
    const QString current = cbxDrive->count() ? cbxDrive->currentText() : q(g.CD);
    cbxDrive->clear();
    if (hooks_.scanDrives)
        for (const std::string& drive : hooks_.scanDrives(g.SearchDriveExtend))
            cbxDrive->addItem(q(drive));
    if (!current.isEmpty() && cbxDrive->findText(current) < 0)
        cbxDrive->insertItem(0, current);
    cbxDrive->setCurrentText(current);
}

void TEnvironment::fillModels() {
    const bool was = filling_;
    filling_ = true;
    const GlobalSettings& g = model_.settings();
    for (auto [list, type] : {std::pair{cbxAnalogModel, LineType::Analog},
                              std::pair{cbxOpticalModel, LineType::Optical}}) {
        list->clear();
        for (const AdapterModel& m : model_.models(type))
            list->addItem(q(m.name), m.kindId);
        list->setCurrentIndex(g.lineType() == type ? list->findData(g.Adapter) : -1);
    }
    filling_ = was;
    updateDependents();
}

void TEnvironment::fillMapSearchKinds() {
    const int previous = cbxMapSearchKind->currentIndex();
    cbxMapSearchKind->clear();
    const int map = cbxMap->currentIndex();
    if (map == kGoogleMaps) {
        cbxMapSearchKind->addItem(QStringLiteral("住所から検索"));
    } else {
        cbxMapSearchKind->addItem(QStringLiteral("緯度・経度を優先"));
        cbxMapSearchKind->addItem(map == kAtlasMate ? QStringLiteral("電話番号を優先")
                                                    : QStringLiteral("住所を優先"));
    }
    cbxMapSearchKind->setCurrentIndex(previous >= 0 && previous < cbxMapSearchKind->count()
                                          ? previous
                                          : cbxMapSearchKind->count() - 1);
}

void TEnvironment::fillAddressBooks() {
    const bool was = filling_;
    filling_ = true;
    GlobalSettings& g = model_.settings();
    const PhonebookEditionState edition = model_.phonebookEdition(g.PbSeries);
    cbxPbAdrsBook->clear();
    for (const std::string& book : edition.books)
        cbxPbAdrsBook->addItem(q(book));
    const bool available = edition.installed && !edition.books.empty();
    lblPbAvailable->setText(available ? QStringLiteral("利用可能") : QStringLiteral("使用不可"));
    // The stored book is chosen again by its name, wherever it stands now.
    const int index = cbxPbAdrsBook->findText(q(g.PbAdrsBookName));
    cbxPbAdrsBook->setCurrentIndex(index);
    filling_ = was;
    // A stored book that is not found stays stored: the link may be off, and
    // the check of "設定(&S)" names it when it is on.
    if (index >= 0)
        model_.chooseAddressBook(index);
}

void TEnvironment::lineTypeChanged() {
    const LineType type = rbAnalog->isChecked()    ? LineType::Analog
                          : rbOptical->isChecked() ? LineType::Optical
                                                   : LineType::None;
    model_.chooseLineType(type);
    fillModels();
}

void TEnvironment::modelChanged(QComboBox* list) {
    if (filling_ || list->currentIndex() < 0)
        return;
    const LineType before = model_.settings().lineType();
    const LineType after = model_.chooseModel(list->currentData().toInt());
    filling_ = true;
    if (after != before) {
        rbOptical->setChecked(after == LineType::Optical);
        fillModels();
    }
    const int port = cbxPort->findText(q(model_.settings().Port));
    if (port >= 0)
        cbxPort->setCurrentIndex(port);
    filling_ = false;
    updateDependents();
}

void TEnvironment::updateDependents() {
    const LineType type = model_.settings().lineType();
    cbxAnalogModel->setVisible(type == LineType::Analog);
    lblPort->setVisible(type == LineType::Analog);
    cbxPort->setVisible(type == LineType::Analog);
    cbxOpticalModel->setVisible(type == LineType::Optical);
    btnIpDetails->setVisible(type == LineType::Optical);
    lblIpNote->setVisible(type == LineType::Optical);
    for (QLabel* label : {lblHistoryCaption, lblHistoryFunction, lblDialCaption, lblDialFunction})
        label->setVisible(type != LineType::None);
    lblHistoryFunction->setText(mark(model_.historyFunction()));
    lblDialFunction->setText(mark(model_.dialFunction()));
    for (QWidget* w : std::initializer_list<QWidget*>{edtWaveFile, btnWaveFile, btnWavePlay})
        w->setEnabled(chkRingSound->isChecked());
    udDeleteDay->setEnabled(chkAutoDel->isChecked());
    chkAutoDelConfirm->setEnabled(chkAutoDel->isChecked());
    udAutoBUCount->setEnabled(chkAutoBU->isChecked());
    chkCloseMsg->setEnabled(chkMenuVisible->isChecked());
    chkMenuTopMost->setEnabled(chkMenuVisible->isChecked());
    chkPbBackupDlg->setEnabled(chkPbBackup->isChecked());
}

void TEnvironment::updateGenerationWarning() {
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

void TEnvironment::updateTips() {
    const bool on = chkTipView->isChecked();
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant tip = w->property(kTipProperty);
        if (tip.isValid())
            w->setToolTip(on ? tip.toString() : QString());
    }
}

void TEnvironment::notReady() {
    messages_.information(kNotReady, this);
}

void TEnvironment::focusRefused(const EnvironmentRefusal& refusal) {
    pgcEnvironment->setCurrentIndex(static_cast<int>(refusal.page));
    QWidget* target = nullptr;
    switch (refusal.field) {
    case EnvironmentField::Port:
        target = cbxPort;
        break;
    case EnvironmentField::DataPath:
        target = edtDataPath;
        break;
    case EnvironmentField::WaveFile:
        target = edtWaveFile;
        break;
    case EnvironmentField::SelectItem1:
    case EnvironmentField::SelectItem2:
    case EnvironmentField::SelectItem3:
        target = edtSelectItem[static_cast<int>(refusal.field) -
                               static_cast<int>(EnvironmentField::SelectItem1)];
        break;
    case EnvironmentField::UsePbAdrs:
        target = chkUsePbAdrs;
        break;
    case EnvironmentField::PbSeries:
        target = cbxPbSeries;
        break;
    case EnvironmentField::PbAdrsBook:
        target = cbxPbAdrsBook;
        break;
    case EnvironmentField::Keywords:
        target = cbxMemo[0];
        break;
    }
    if (target)
        target->setFocus();
}

void TEnvironment::btnSetClick() {
    collectControls();
    if (const auto refused = model_.validate()) {
        focusRefused(*refused);
        return;
    }
    edtDataPath->setText(q(model_.settings().DataPath));
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
