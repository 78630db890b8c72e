#include "roster/gui/TMeiboView.h"

#include "data/Cp932.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "platform/MessageService.h"
#include "roster/MeiboMapPosition.h"
#include "roster/gui/MeiboCallTable.h"
#include "roster/gui/MeiboCallerTakeover.h"
#include "roster/gui/MeiboMainPage.h"
#include "settings/IniFile.h"
#include "views/CallerRegistration.h"
#include "views/gui/CallerFormWiring.h"
#include "views/gui/TInputList.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace kanata {

using namespace ui;

TMeiboView::TMeiboView(TDMKanata195& dm, MessageService& messages, MeiboSettings settings,
                       IniFile& ini, std::filesystem::path customColours, QWidget* parent)
    : QWidget(parent, Qt::Window), dm_(dm), messages_(messages), settings_(std::move(settings)),
      ini_(ini), editor_(dm, messages, {settings_.SaveMeiboConfirm, settings_.SameTelUpdate}),
      actions_(*this, hooks_, messages, *this), history_(dm) {
    setAttribute(Qt::WA_DeleteOnClose);
    createControls(std::move(customColours));
    connectControls();
    fillRanks({});
    LoadRecord(nullptr);
    restoreGeometry();
}

TMeiboView::~TMeiboView() = default;

void TMeiboView::createControls(std::filesystem::path customColours) {
    auto* layout = new QVBoxLayout(this);
    tabPages = new QTabWidget(this);
    tabPages->addTab(new MeiboMainPage(*this, *this, settings_.MapName), "メイン");
    actions_.bindNameEntry();
    subPage = new MeiboSubPage(hooks_, actions_, messages_, std::move(customColours));
    tabPages->addTab(subPage, "サブ");
    layout->addWidget(tabPages);

    btnHistory = MakeButton("照会データの履歴一覧を表示(&V)", this);
    btnRegister = MakeButton("登録(&A)", this);
    btnClose = MakeButton("閉じる", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnHistory);
    buttons->addStretch(1);
    buttons->addWidget(btnRegister);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);

    callTable_ = new MeiboCallTable(history_, settings_.SelectItem, this);
    lvRecvList = callTable_;
    lvRecvList->hide();
    layout->addWidget(lvRecvList);
}

void TMeiboView::connectControls() {
    ConnectCommonButtons(*this, actions_);
    connect(btnRankEdit, &QPushButton::clicked, this, [this] { btnRankEditClick(); });
    connect(btnTelSch1, &QPushButton::clicked, this, [this] { dictionary(0); });
    connect(btnTelSch2, &QPushButton::clicked, this, [this] { dictionary(1); });
    connect(btnPosSch, &QPushButton::clicked, this, [this] { dictionary(2); });
    connect(btnAdrsSch, &QPushButton::clicked, this, [this] { dictionary(3); });
    connect(btnDial, &QPushButton::clicked, this, [this] {
        actions_.run(hooks_.dial, s(edtTel1->text().trimmed()), s(edtTel2->text().trimmed()));
    });
    connect(btnHistory, &QPushButton::clicked, this, [this] { btnHistoryClick(); });
}

void TMeiboView::fillRanks(const std::string& keep) {
    cbxRank->clear();
    // Desks sharing the rank list see each other's new ranks.
    dm_.Rank().Refresh();
    for (int i = 0; i < dm_.Rank().Count(); ++i)
        cbxRank->addItem(q(dm_.Rank().Get(i)));
    cbxRank->setCurrentIndex(keep.empty() ? -1 : cbxRank->findText(q(keep)));
}

void TMeiboView::LoadRecord(const MeiboRow* row) {
    if (row)
        editor_.Open(*row);
    else
        editor_.OpenNew();
    setFields(editor_.loaded());
    const bool existing = row != nullptr;
    setWindowTitle(existing ? "登録名簿　照会" : "登録名簿　新規登録");
    btnRegister->setText(existing ? "変更(&U)" : "登録(&A)");
    subPage->showDates(row);
    tabPages->setCurrentIndex(0);
    ReloadHistory();
}

const QColor& TMeiboView::messageColour() const {
    return subPage->messageColour();
}

MeiboFields TMeiboView::fields() const {
    MeiboFields f;
    f.Tel1 = s(edtTel1->text());
    f.Tel2 = s(edtTel2->text());
    ReadSharedEdits(*this, f);
    f.Rank = cbxRank->currentIndex() >= 0 ? s(cbxRank->currentText()) : std::string();
    subPage->readFields(f);
    f.Latitude = latitude_;
    f.Longitude = longitude_;
    f.JisCode = jisCode_;
    f.KajoCode = kajoCode_;
    return f;
}

void TMeiboView::setFields(const MeiboFields& f) {
    edtTel1->setText(q(f.Tel1));
    edtTel2->setText(q(f.Tel2));
    ShowSharedEdits(*this, f);
    jisCode_ = f.JisCode;
    kajoCode_ = f.KajoCode;
    int rank = f.Rank.empty() ? -1 : cbxRank->findText(q(f.Rank));
    if (rank < 0 && !f.Rank.empty()) {
        // A rank no longer in the list (or from an import) stays the
        // record's until the user picks another.
        cbxRank->addItem(q(f.Rank));
        rank = cbxRank->count() - 1;
    }
    cbxRank->setCurrentIndex(rank);
    latitude_ = f.Latitude;
    longitude_ = f.Longitude;
    subPage->showFields(f);
}

void TMeiboView::setCoordinates(int latitude, int longitude) {
    latitude_ = latitude;
    longitude_ = longitude;
}

void TMeiboView::ShowMap(int mapIndex, const std::function<MapLaunchResult()>& launch) {
    const bool take = AskBeforeMeiboMap(mapIndex, editor_.existing(), messages_, this);
    const MapLaunchResult result = launch();
    const auto found = TakenMapPosition(result, take, {latitude_, longitude_});
    if (!found)
        return;
    setCoordinates(found->latitude, found->longitude);
    if (editor_.existing())
        editor_.StoreCoordinates(found->latitude, found->longitude, this);
}

void TMeiboView::focusNumber(int edit) {
    tabPages->setCurrentIndex(0);
    QLineEdit* e = edit == 1 ? edtTel2 : edtTel1;
    e->setFocus();
    e->selectAll();
}

void TMeiboView::focusNote() {
    tabPages->setCurrentWidget(subPage);
    subPage->mmNote->setFocus();
}

void TMeiboView::btnRegisterClick() {
    SubDialog sub(actions_);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MeiboFields f = fields();
    const bool wasNew = editor_.openedNew();
    const bool existingBefore = editor_.existing();
    const MeiboEditor::Result r = editor_.Register(f, this);
    QApplication::restoreOverrideCursor();
    const std::string verb = (existingBefore || r.replaced) ? "変更" : "登録";
    switch (r.outcome) {
    case MeiboEditor::Outcome::Refused:
        if (r.focusNumber >= 0)
            focusNumber(r.focusNumber);
        if (r.focusNote)
            focusNote();
        return;
    case MeiboEditor::Outcome::Unchanged:
        close();
        return;
    case MeiboEditor::Outcome::Failed:
        // The typed data stays in the controls, so the user can try again.
        setFields(f);
        return;
    case MeiboEditor::Outcome::Reloaded: {
        // The row saved elsewhere replaces what was typed, as the user chose.
        const MeiboRow stored = editor_.loadedRow();
        LoadRecord(&stored);
        return;
    }
    case MeiboEditor::Outcome::Written:
        break;
    }
    if (!wasNew) {
        close();
        return;
    }
    if (hooks_.onRegistered)
        hooks_.onRegistered(r.replaced);
    if (messages_.ask(MessageLines({(verb + "しました").c_str(), "続けて登録しますか？"}), false,
                      this)) {
        LoadRecord(nullptr);
        edtTel1->setFocus();
    } else {
        close();
    }
}

int TMeiboView::SavePendingChanges() {
    if (isMinimized())
        showNormal();
    MeiboFields f = fields();
    const int result = editor_.SavePendingChanges(f, this);
    if (result == kSaveDiscarded || result == kSaveDone)
        return result;
    // The editor stays on its record: show what the checks made of it.
    setFields(f);
    return result;
}

void TMeiboView::BringToFront() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TMeiboView::btnExchangeClick() {
    SwapTexts(edtTel1, edtTel2);
    edtTel1->setFocus();
    edtTel1->setCursorPosition(edtTel1->text().size());
}

void TMeiboView::btnMailClick() {
    actions_.sendMail(MessageIcon::Information);
}

void TMeiboView::btnRankEditClick() {
    SubDialog sub(actions_);
    const std::string keep = cbxRank->currentIndex() >= 0 ? s(cbxRank->currentText()) : "";
    TInputList dialog({{" ランク ", &dm_.Rank()}}, messages_, 0, this);
    if (dialog.exec() == QDialog::Accepted && (dialog.changedMask() & 1))
        fillRanks(keep);
    cbxRank->setFocus();
}

void TMeiboView::dictionary(int kind) {
    QLineEdit* field = kind == 0 ? edtTel1 : kind == 1 ? edtTel2 : kind == 2 ? edtPos : edtAdrs3;
    {
        SubDialog sub(actions_);
        if (hooks_.dictionary)
            hooks_.dictionary(*this, kind, actions_.dictionaryText(kind));
        else
            runDictionarySearch(kind);
    }
    ReloadHistory();
    field->setFocus();
    field->setCursorPosition(field->text().size());
}

void TMeiboView::runDictionarySearch(int kind) {
    const std::optional<DictionaryAnswer> answer = actions_.searchDictionary(kind);
    if (!answer)
        return;
    if (answer->knownCaller()) {
        // Every field of the known caller's record is taken over.
        const CallRecord& r = answer->caller;
        MeiboFields f = fields();
        TakeOverCaller(r, f);
        setFields(f);
        setCoordinates(r.Latitude, r.Longitude);
        if (hooks_.onCallerTakenOver)
            hooks_.onCallerTakenOver(r.MeiboRecNo);
        return;
    }
    TakeDictionaryHit(*this, *answer, kind);
}

void TMeiboView::ReloadHistory() {
    history_.Load(TelSearchKey(s(edtTel1->text())), TelSearchKey(s(edtTel2->text())));
    callTable_->reload();
}

int TMeiboView::historyCount() const {
    return history_.count();
}

bool TMeiboView::historyVisible() const {
    return !lvRecvList->isHidden();
}

void TMeiboView::btnHistoryClick() {
    setHistoryVisible(!historyVisible());
}

void TMeiboView::setHistoryVisible(bool visible) {
    if (visible == historyVisible())
        return;
    lvRecvList->setVisible(visible);
    btnHistory->setText(visible ? "照会データの履歴一覧を隠す(&H)"
                                : "照会データの履歴一覧を表示(&V)");
    adjustSize();
    if (visible) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            const int overflow = frameGeometry().bottom() - area.bottom();
            if (overflow > 0)
                move(x(), std::max(area.top(), y() - overflow));
        }
    }
}

void TMeiboView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (!IsEnterKey(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    QWidget* focus = focusWidget();
    const bool prefecture = !edtTdfkn->text().trimmed().isEmpty();
    if (focus == edtTel1)
        (prefecture ? static_cast<QWidget*>(edtTel2) : btnTelSch1)->setFocus();
    else if (focus == edtTel2)
        (edtTel1->text().trimmed().isEmpty() && !prefecture ? static_cast<QWidget*>(btnTelSch2)
                                                            : edtPos)
            ->setFocus();
    else if (focus == edtPos)
        (prefecture ? static_cast<QWidget*>(edtTdfkn) : btnPosSch)->setFocus();
    else if (focus == edtAdrs1)
        edtAdrs2->setFocus();
    else if (qobject_cast<QPushButton*>(focus))
        static_cast<QPushButton*>(focus)->click();
    else
        focusNextChild();
}

void TMeiboView::closeEvent(QCloseEvent* event) {
    saveGeometry();
    event->accept();
    if (hooks_.onClosed)
        hooks_.onClosed();
}

void TMeiboView::restoreGeometry() {
    setHistoryVisible(ini_.readBool(kSection, "RecvList", false));
    RestoreWindowPosition(*this, ini_, kSection);
}

void TMeiboView::saveGeometry() {
    WriteWindowPosition(*this, ini_, kSection);
    ini_.writeBool(kSection, "RecvList", historyVisible());
    ini_.save();
}

} // namespace kanata
