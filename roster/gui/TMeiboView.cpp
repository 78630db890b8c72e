#include "roster/gui/TMeiboView.h"

#include "data/Cp932.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "platform/MessageService.h"
#include "roster/MeiboMapPosition.h"
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

namespace {

QString dateText(const DateTime& t) {
    if (t.isZero())
        return {};
    return QString::asprintf(" %04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                             t.minute, t.second);
}

QColor toQColor(const Rgb& c) {
    return QColor(c.red, c.green, c.blue);
}

void paint(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, colour);
    w->setAutoFillBackground(true);
    w->setPalette(p);
}

} // namespace

// The calls of the record's numbers, read row by row as they are drawn.
class MeiboHistoryModel : public QAbstractTableModel {
public:
    MeiboHistoryModel(MeiboCallHistory& history, const std::array<std::string, 3>& items,
                      QObject* parent)
        : QAbstractTableModel(parent), history_(history) {
        titles_ = {"No.", "日付", "時刻", "ランク", q(items[0]), q(items[1]), q(items[2])};
    }
    void reload() {
        beginResetModel();
        cachedIndex_ = -1;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : history_.count();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 7;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section < titles_.size())
            return titles_[section];
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::TextAlignmentRole && index.column() == 0)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        if (index.column() == 0)
            return index.row() + 1;
        if (cachedIndex_ != index.row()) {
            cached_ = history_.row(index.row());
            cachedIndex_ = index.row();
        }
        if (!cached_)
            return {};
        const RecvHisRow& r = *cached_;
        const DateTime& t = r.RecvDateTime;
        switch (index.column()) {
        case 1:
            return t.isZero() ? QString()
                              : QString::asprintf("%04d/%02d/%02d", t.year, t.month, t.day);
        case 2:
            return t.isZero() ? QString()
                              : QString::asprintf("%02d:%02d:%02d", t.hour, t.minute, t.second);
        case 3:
            return q(cp932::trim(r.Rank));
        case 4:
            return q(cp932::trim(r.SelItem1));
        case 5:
            return q(cp932::trim(r.SelItem2));
        default:
            return q(cp932::trim(r.SelItem3));
        }
    }

private:
    MeiboCallHistory& history_;
    QStringList titles_;
    mutable int cachedIndex_ = -1;
    mutable std::optional<RecvHisRow> cached_;
};

TMeiboView::TMeiboView(TDMKanata195& dm, MessageService& messages, MeiboSettings settings,
                       IniFile& ini, std::filesystem::path customColours, QWidget* parent)
    : QWidget(parent, Qt::Window), dm_(dm), messages_(messages), settings_(std::move(settings)),
      ini_(ini), customColours_(std::move(customColours)),
      editor_(dm, messages, {settings_.SaveMeiboConfirm, settings_.SameTelUpdate}),
      actions_(*this, hooks_, messages, *this), history_(dm) {
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    connectControls();
    fillRanks({});
    LoadRecord(nullptr);
    restoreGeometry();
}

TMeiboView::~TMeiboView() = default;

QWidget* TMeiboView::createMainPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setHorizontalSpacing(4);
    auto label = [page](const char* text) { return new QLabel(QString::fromUtf8(text), page); };
    CreateCallerEdits(*this, page, true);
    actions_.bindNameEntry();
    TypeWithoutInputMethod({edtTel1, edtTel2, edtPos, edtEMail});
    for (QLineEdit* e : {edtTel1, edtTel2})
        e->setFixedWidth(120);
    edtPos->setFixedWidth(80);
    edtTdfkn->setFixedWidth(80);
    btnTelSch1 = MakeButton("検索", page, "電話番号検索");
    btnTelSch2 = MakeButton("検索", page, "電話番号検索");
    btnExchange = MakeButton("⇅", page, "電話番号入れ替え");
    btnDial = MakeButton("発信", page, "発信");
    btnPosSch = MakeButton("検索", page, "郵便番号検索");
    btnAdrsSch = MakeButton("検索", page, "住所検索");
    const std::string mapHint =
        "地図表示" + (settings_.MapName.empty() ? std::string() : "\n" + settings_.MapName);
    btnMap = MakeButton("地図", page);
    btnMap->setToolTip(q(mapHint));
    btnNameDic = MakeButton("辞書", page, "名前辞書");
    btnMail = MakeButton("メール", page, "メーラー起動");
    cbxRank = new QComboBox(page);
    cbxRank->setMinimumWidth(160);
    btnRankEdit = MakeButton("編集", page, "ランク編集");
    // Tab walks the page row by row, as it always did.
    SetTabOrder({edtTel1,    edtTel2,     btnTelSch1,  btnTelSch2,   btnExchange, btnDial,
                 edtPos,     btnPosSch,   edtTdfkn,    edtAdrs1,     edtAdrs2,    edtAdrs3,
                 btnAdrsSch, btnMap,      edtCorpKana, edtCorpKanji, edtNameKana, edtNameKanji,
                 btnNameDic, cbxPrivCorp, edtMemo1,    edtMemo2,     edtMemo3,    edtEMail,
                 btnMail,    cbxRank,     btnRankEdit});

    int r = 0;
    grid->addWidget(label("電話番号"), r, 0);
    grid->addLayout(MakeRow({edtTel1, btnTelSch1, btnExchange, edtTel2, btnTelSch2, btnDial}), r++,
                    1);
    grid->addWidget(label("郵便番号"), r, 0);
    grid->addLayout(MakeRow({edtPos, btnPosSch}), r++, 1);
    grid->addWidget(label("住所"), r, 0);
    grid->addLayout(MakeRow({edtTdfkn, edtAdrs1, btnAdrsSch, btnMap}, false), r++, 1);
    grid->addLayout(MakeRow({edtAdrs2}, false), r++, 1);
    grid->addLayout(MakeRow({edtAdrs3}, false), r++, 1);
    grid->addWidget(label("会社名カナ"), r, 0);
    grid->addWidget(edtCorpKana, r++, 1);
    grid->addWidget(label("漢字"), r, 0);
    grid->addWidget(edtCorpKanji, r++, 1);
    grid->addWidget(label("名前カナ"), r, 0);
    grid->addLayout(MakeRow({edtNameKana, label("漢字"), edtNameKanji, btnNameDic,
                             label("個人法人区分"), cbxPrivCorp}),
                    r++, 1);
    grid->addWidget(label("登録メモ１"), r, 0);
    grid->addWidget(edtMemo1, r++, 1);
    grid->addWidget(label("登録メモ２"), r, 0);
    grid->addWidget(edtMemo2, r++, 1);
    grid->addWidget(label("登録メモ３"), r, 0);
    grid->addWidget(edtMemo3, r++, 1);
    grid->addWidget(label("メールアドレス"), r, 0);
    grid->addLayout(MakeRow({edtEMail, btnMail}, false), r++, 1);
    grid->addWidget(label("ランク"), r, 0);
    grid->addLayout(MakeRow({cbxRank, btnRankEdit}), r++, 1);
    grid->setRowStretch(r, 1);
    // The small buttons beside the fields need no more than their caption.
    for (QPushButton* b : {btnTelSch1, btnTelSch2, btnExchange, btnDial, btnPosSch, btnAdrsSch,
                           btnMap, btnNameDic, btnMail, btnRankEdit})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 24);
    return page;
}

QWidget* TMeiboView::createSubPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* links = new QGroupBox("外部リンク", page);
    auto* linkLayout = new QHBoxLayout(links);
    lbxExtLink = new QListWidget(links);
    lbxExtLink->setMinimumHeight(90);
    btnLinkAdd = MakeButton("登録", links);
    btnLinkDelete = MakeButton("解除", links);
    btnLinkOpen = MakeButton("開く", links);
    auto* linkButtons = new QVBoxLayout;
    for (QPushButton* b : {btnLinkAdd, btnLinkDelete, btnLinkOpen})
        linkButtons->addWidget(b);
    linkButtons->addStretch(1);
    linkLayout->addWidget(lbxExtLink, 1);
    linkLayout->addLayout(linkButtons);
    layout->addWidget(links);

    auto* note = new QGroupBox("備考", page);
    auto* noteLayout = new QVBoxLayout(note);
    mmNote = new QPlainTextEdit(note);
    mmNote->setFixedHeight(70);
    noteLayout->addWidget(mmNote);
    layout->addWidget(note);

    auto* message = new QGroupBox("着信時メッセージ", page);
    auto* grid = new QGridLayout(message);
    chkMsg = new QCheckBox("着信照会画面に個別の着信時メッセージを表示する", message);
    edtMsg1 = MakeEdit(message, 32);
    edtMsg2 = MakeEdit(message, 32);
    pnlPreview = new QLabel(message);
    pnlPreview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlPreview->setAlignment(Qt::AlignCenter);
    pnlPreview->setMinimumSize(200, 44);
    pnlColour = new QLabel(message);
    pnlColour->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlColour->setFixedSize(40, 20);
    btnColorSet = MakeButton("色の変更", message);
    btnColorDelete = MakeButton("色の初期化", message);
    grid->addWidget(chkMsg, 0, 0, 1, 4);
    grid->addWidget(new QLabel("１行目：", message), 1, 0);
    grid->addWidget(edtMsg1, 1, 1);
    grid->addWidget(new QLabel("2行目：", message), 2, 0);
    grid->addWidget(edtMsg2, 2, 1);
    grid->addWidget(pnlPreview, 1, 2, 2, 2);
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(new QLabel("背景色：", message));
    colourRow->addWidget(pnlColour);
    colourRow->addWidget(btnColorSet);
    colourRow->addWidget(btnColorDelete);
    colourRow->addStretch(1);
    grid->addLayout(colourRow, 3, 0, 1, 4);
    layout->addWidget(message);

    auto* dates = new QHBoxLayout;
    lblAddDateTime = new QLabel(page);
    lblUpdDateTime = new QLabel(page);
    dates->addWidget(new QLabel("登録日時：", page));
    dates->addWidget(lblAddDateTime);
    dates->addSpacing(16);
    dates->addWidget(new QLabel("更新日時：", page));
    dates->addWidget(lblUpdDateTime);
    dates->addStretch(1);
    layout->addLayout(dates);
    layout->addStretch(1);
    return page;
}

void TMeiboView::createControls() {
    auto* layout = new QVBoxLayout(this);
    tabPages = new QTabWidget(this);
    tabPages->addTab(createMainPage(), "メイン");
    tabPages->addTab(createSubPage(), "サブ");
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

    historyModel_ = new MeiboHistoryModel(history_, settings_.SelectItem, this);
    lvRecvList = new QTableView(this);
    lvRecvList->setModel(historyModel_);
    lvRecvList->verticalHeader()->hide();
    lvRecvList->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvRecvList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvRecvList->setMinimumHeight(140);
    const int widths[] = {40, 90, 64, 60, 80, 80, 80};
    for (int c = 0; c < 7; ++c)
        lvRecvList->setColumnWidth(c, widths[c]);
    auto* header = lvRecvList->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this, [this, header](const QPoint& p) {
        QMenu menu(this);
        QAction* reset = menu.addAction("項目幅を初期値に戻す(&R)");
        if (menu.exec(header->mapToGlobal(p)) == reset) {
            const int w[] = {40, 90, 64, 60, 80, 80, 80};
            for (int c = 0; c < 7; ++c)
                lvRecvList->setColumnWidth(c, w[c]);
        }
    });
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
    connect(btnLinkAdd, &QPushButton::clicked, this, [this] {
        QMenu menu(this);
        menu.addAction("キャンセル");
        QAction* file = menu.addAction("ファイルを登録");
        QAction* url = menu.addAction("URLを登録");
        QAction* chosen = menu.exec(btnLinkAdd->mapToGlobal(QPoint(0, btnLinkAdd->height())));
        if (chosen == file)
            AddFileLink();
        else if (chosen == url)
            AddUrlLink();
    });
    connect(btnLinkDelete, &QPushButton::clicked, this, [this] { btnLinkDeleteClick(); });
    connect(btnLinkOpen, &QPushButton::clicked, this, [this] { btnLinkOpenClick(); });
    connect(lbxExtLink, &QListWidget::itemDoubleClicked, this, [this] { btnLinkOpenClick(); });
    connect(chkMsg, &QCheckBox::toggled, this, [this] { updateMessageControls(); });
    connect(edtMsg1, &QLineEdit::textChanged, this, [this] { updateMessageControls(); });
    connect(edtMsg2, &QLineEdit::textChanged, this, [this] { updateMessageControls(); });
    connect(btnColorSet, &QPushButton::clicked, this, [this] { btnColorSetClick(); });
    connect(btnColorDelete, &QPushButton::clicked, this, [this] { btnColorDeleteClick(); });
    connect(btnHistory, &QPushButton::clicked, this, [this] { btnHistoryClick(); });
}

void TMeiboView::fillRanks(const std::string& keep) {
    cbxRank->clear();
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
    lblAddDateTime->setText(existing ? dateText(row->AddDateTime) : QString());
    lblUpdDateTime->setText(existing ? dateText(row->UpdDateTime) : QString());
    tabPages->setCurrentIndex(0);
    ReloadHistory();
}

MeiboFields TMeiboView::fields() const {
    MeiboFields f;
    f.Tel1 = s(edtTel1->text());
    f.Tel2 = s(edtTel2->text());
    ReadSharedEdits(*this, f);
    f.Rank = cbxRank->currentIndex() >= 0 ? s(cbxRank->currentText()) : std::string();
    f.ExtLink = links_.links();
    f.Note = SplitLines(s(mmNote->toPlainText()));
    f.Msg = chkMsg->isChecked() ? 1 : 0;
    f.Msg1 = s(edtMsg1->text());
    f.Msg2 = s(edtMsg2->text());
    f.BGColor = colourText_;
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
    links_ = ExtLinkList(f.ExtLink);
    setLinks(f.ExtLink, f.ExtLink.empty() ? -1 : 0);
    mmNote->setPlainText(q(JoinLines(f.Note)).replace("\r\n", "\n"));
    chkMsg->setChecked(f.Msg == 1);
    edtMsg1->setText(q(f.Msg1));
    edtMsg2->setText(q(f.Msg2));
    latitude_ = f.Latitude;
    longitude_ = f.Longitude;
    setColour(f.BGColor);
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

void TMeiboView::setLinks(const std::vector<std::string>& links, int select) {
    lbxExtLink->clear();
    for (std::size_t i = 0; i < links.size(); ++i)
        lbxExtLink->addItem(QString("%1: %2").arg(i + 1).arg(q(links[i])));
    if (select >= 0 && select < lbxExtLink->count())
        lbxExtLink->setCurrentRow(select);
    updateLinkButtons();
}

void TMeiboView::updateLinkButtons() {
    btnLinkAdd->setEnabled(links_.canAdd());
    btnLinkDelete->setEnabled(links_.count() > 0);
    btnLinkOpen->setEnabled(links_.count() > 0);
}

void TMeiboView::setColour(const std::string& stored) {
    Rgb rgb;
    if (ParseStoredColour(stored, rgb)) {
        colour_ = toQColor(rgb);
        colourText_ = StoredColourText(rgb);
    } else {
        colour_ = QApplication::palette().color(QPalette::Button);
        colourText_.clear();
    }
    paint(pnlColour, colour_);
    updateMessageControls();
}

void TMeiboView::updateMessageControls() {
    const bool on = chkMsg->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(edtMsg1), static_cast<QWidget*>(edtMsg2),
                       static_cast<QWidget*>(pnlPreview), static_cast<QWidget*>(btnColorSet),
                       static_cast<QWidget*>(btnColorDelete)})
        w->setEnabled(on);
    const QPalette app = QApplication::palette();
    for (QLineEdit* e : {edtMsg1, edtMsg2})
        paint(e, on ? app.color(QPalette::Base) : app.color(QPalette::Button));
    QPalette p = chkMsg->palette();
    p.setColor(QPalette::WindowText, on ? QColor(Qt::blue) : app.color(QPalette::WindowText));
    chkMsg->setPalette(p);
    pnlPreview->setText(edtMsg1->text() + "\n" + edtMsg2->text());
    paint(pnlPreview, colour_);
}

void TMeiboView::focusNumber(int edit) {
    tabPages->setCurrentIndex(0);
    QLineEdit* e = edit == 1 ? edtTel2 : edtTel1;
    e->setFocus();
    e->selectAll();
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

void TMeiboView::AddFileLink() {
    SubDialog sub(actions_);
    std::optional<QString> file;
    if (hooks_.chooseFile) {
        file = hooks_.chooseFile();
    } else {
        QString start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (start.isEmpty())
            start = QApplication::applicationDirPath();
        const QString chosen =
            QFileDialog::getOpenFileName(this, {}, start, "すべてのファイル (*)");
        if (!chosen.isEmpty())
            file = chosen;
    }
    if (file)
        AddLink(*file);
}

namespace {

// "外部リンクの登録": one address typed or taken from a browser.
class TAddExtURL : public QDialog {
public:
    explicit TAddExtURL(MessageService& messages, QWidget* parent)
        : QDialog(parent), messages_(messages) {
        setWindowTitle("外部リンクの登録");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel("登録するURLを入力してください", this));
        edtURL = new QLineEdit(this);
        edtURL->setMinimumWidth(360);
        layout->addWidget(edtURL);
        auto* buttons = new QHBoxLayout;
        btnImport = MakeButton("URL取り込み", this);
        btnOK = MakeButton("登録", this);
        btnCancel = MakeButton("キャンセル", this);
        buttons->addWidget(btnImport);
        buttons->addStretch(1);
        buttons->addWidget(btnOK);
        buttons->addWidget(btnCancel);
        layout->addLayout(buttons);
        connect(btnOK, &QPushButton::clicked, this, [this] {
            if (!edtURL->text().trimmed().isEmpty())
                accept();
        });
        connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(btnImport, &QPushButton::clicked, this, [this] {
            // Another program's address bar cannot be read on this desktop.
            messages_.information(MessageLines({"ブラウザのアドレスが見つかりませんでした"}), this);
        });
        connect(edtURL, &QLineEdit::returnPressed, this,
                [this] { (edtURL->text().trimmed().isEmpty() ? btnCancel : btnOK)->setFocus(); });
    }
    QLineEdit* edtURL = nullptr;
    QPushButton* btnImport = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    MessageService& messages_;
};

} // namespace

void TMeiboView::AddUrlLink() {
    SubDialog sub(actions_);
    std::optional<QString> url;
    if (hooks_.askUrl) {
        url = hooks_.askUrl();
    } else {
        TAddExtURL dialog(messages_, this);
        if (dialog.exec() == QDialog::Accepted)
            url = dialog.edtURL->text().trimmed();
    }
    if (url)
        AddLink(*url);
}

void TMeiboView::AddLink(const QString& link) {
    switch (links_.Add(s(link))) {
    case ExtLinkList::AddResult::Added:
        setLinks(links_.links(), links_.count() - 1);
        break;
    case ExtLinkList::AddResult::TooLong:
        messages_.information(ExtLinkList::TooLongMessage(), this);
        break;
    default:
        break;
    }
}

void TMeiboView::btnLinkDeleteClick() {
    const int select = links_.Remove(lbxExtLink->currentRow());
    setLinks(links_.links(), select);
}

void TMeiboView::btnLinkOpenClick() {
    const int row = lbxExtLink->currentRow();
    if (row < 0 || row >= links_.count())
        return;
    const QString link = q(links_.links()[row]);
    const QUrl url = link.contains("://") ? QUrl(link) : QUrl::fromLocalFile(link);
    actions_.openUrl(url);
}

void TMeiboView::btnColorSetClick() {
    SubDialog sub(actions_);
    IniFile ini(customColours_);
    ini.load();
    CustomColours custom = ReadCustomColours(ini);
    std::optional<QColor> chosen;
    if (hooks_.chooseColour) {
        chosen = hooks_.chooseColour(colour_, custom);
    } else {
        for (int i = 0; i < 16; ++i) {
            const std::uint32_t v = custom[i];
            QColorDialog::setCustomColor(i, QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
        }
        QColorDialog dialog(colour_, this);
        if (dialog.exec() == QDialog::Accepted) {
            chosen = dialog.selectedColor();
            for (int i = 0; i < 16; ++i) {
                const QColor c = QColorDialog::customColor(i);
                custom[i] = std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 |
                            std::uint32_t(c.blue()) << 16;
            }
        }
    }
    if (!chosen)
        return;
    WriteCustomColours(ini, custom);
    ini.save();
    setColour(StoredColourText({chosen->red(), chosen->green(), chosen->blue()}));
}

void TMeiboView::btnColorDeleteClick() {
    setColour({});
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
        f.Tel1 = r.Tel[0];
        f.Tel2 = r.Tel[1];
        f.Pos = FormatPostalCode(r.Pos);
        f.Tdfkn = r.Tdfkn;
        f.Adrs1 = r.Adrs1;
        f.Adrs2 = r.Adrs2;
        f.Adrs3 = r.Adrs3;
        f.JisCode = r.JisCode;
        f.KajoCode = r.KajoCode;
        f.CorpKana = r.CorpKana;
        f.CorpKanji = r.CorpKanji;
        f.NameKana = r.NameKana;
        f.NameKanji = r.NameKanji;
        f.PrivCorp = r.PrivCorp;
        f.Memo1 = r.Memo1;
        f.Memo2 = r.Memo2;
        f.Memo3 = r.Memo3;
        f.EMail = r.EMail;
        f.Rank = r.Rank;
        f.Msg = r.Msg;
        f.Msg1 = r.Msg1;
        f.Msg2 = r.Msg2;
        f.BGColor = r.BGColor;
        f.ExtLink = r.ExtLink.value_or(std::vector<std::string>{});
        f.Note = r.Note.value_or(std::vector<std::string>{});
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
    historyModel_->reload();
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
