#include "views/gui/TReceiveView.h"

#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "platform/MessageForwarding.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "ui/gui/Cp932ByteLimit.h"
#include "views/CallerRegistration.h"
#include "views/gui/CallerFormWiring.h"
#include "views/gui/TInputList.h"
#include "views/gui/TOutputItem.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace kanata {

using namespace ui;

namespace {

QLabel* panel(QWidget* parent, int width) {
    auto* l = new QLabel(parent);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(width);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

// Delphi colour text: "$" and six hexadecimal digits in blue-green-red order.
std::optional<QColor> storedColour(const std::string& text) {
    if (text.size() != 7 || text[0] != '$')
        return std::nullopt;
    bool ok = false;
    const uint value = QString::fromStdString(text.substr(1)).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

TReceiveView::TReceiveView(TDMKanata195& dm, MessageService& messages, ReceiveViewSettings settings,
                           IniFile& ini, QWidget* parent)
    : QWidget(parent, Qt::Window), dm_(dm), messages_(messages), settings_(std::move(settings)),
      ini_(ini), output_(OutputItemSettings::Load(ini)), actions_(*this, hooks_, messages, *this) {
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    connectControls();
    // Desks sharing the lists see each other's new items when a view opens.
    dm_.RefreshItemLists();
    fillList(cbxRank, 0);
    for (int i = 0; i < 3; ++i)
        fillList(cbxSelItem[i], i + 1);
    updateCaptions();
    restoreGeometry();
}

TReceiveView::~TReceiveView() {
    saveGeometry();
}

void TReceiveView::createControls() {
    const bool book = settings_.UsePbAdrs;
    pnlRecvDate = panel(this, 130);
    pnlRecvTime = panel(this, 110);
    pnlPrevDate = panel(this, 130);
    pnlPrevTime = panel(this, 110);
    pnlDivision = panel(this, 50);
    CreateCallerEdits(*this, this, !book);
    actions_.bindNameEntry();
    edtTel1->setMinimumWidth(120);
    if (edtTel2)
        edtTel2->setMinimumWidth(120);
    edtPos->setMinimumWidth(80);
    edtTdfkn->setMinimumWidth(70);
    edtAdrs1->setMinimumWidth(200);
    edtNameKana->setMinimumWidth(150);
    edtNameKanji->setMinimumWidth(150);
    edtEMail->setMinimumWidth(250);
    btnDial1 = MakeButton("発信", this);
    btnDial2 = MakeButton("発信", this);
    btnDial1->setFixedWidth(56);
    btnDial2->setFixedWidth(56);
    btnExchange = MakeButton("⇔", this);
    btnExchange->setFixedWidth(36);
    btnExchange->setToolTip(QStringLiteral("電話番号の入れ替え"));
    btnTelDic = MakeButton("番号検索", this);
    if (book) {
        cbxOtherTel = new QComboBox(this);
        cbxOtherTel->setMinimumWidth(120);
    }
    btnPosDic = MakeButton("〒検索", this);
    lblJisCode = panel(this, 60);
    lblKajoCode = panel(this, 60);
    btnAdrsDic = MakeButton("住所検索", this);
    btnMap = MakeButton("地図", this);
    btnNameDic = MakeButton("名前辞書", this);
    btnMail = MakeButton("メール", this);
    cbxRank = new QComboBox(this);
    cbxRank->setEditable(true);
    cbxRank->setMinimumWidth(150);
    LimitToCp932Bytes(cbxRank->lineEdit(), TDMKanata195::kRankItemSize);
    for (int i = 0; i < 4; ++i)
        btnListEdit[i] = MakeButton("編集", this);
    for (int i = 0; i < 3; ++i) {
        cbxSelItem[i] = new QComboBox(this);
        cbxSelItem[i]->setEditable(true);
        cbxSelItem[i]->setMinimumWidth(300);
        LimitToCp932Bytes(cbxSelItem[i]->lineEdit(), TDMKanata195::kSelItemSize);
        lblSelItem[i] = new QLabel(q(settings_.SelectItem[i]), this);
    }
    pnlMessage = new QLabel(this);
    pnlMessage->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlMessage->setAutoFillBackground(true);
    pnlMessage->setMinimumHeight(36);
    lbxExtLink = new QListWidget(this);
    lbxExtLink->setFixedHeight(48);
    btnExtLink = MakeButton("開く", this);
    mmNote = new QPlainTextEdit(this);
    mmNote->setFixedHeight(56);
    for (auto*& l : lblLock) {
        l = new QLabel(QStringLiteral("ロック中"), this);
        l->setStyleSheet(QStringLiteral("color: white; background: #c00000; padding: 1px 6px;"));
        l->setVisible(false);
    }
    MakeButtons(this, {{&btnRegister, "名簿登録(&A)"},
                       {&btnLock, "ロック(&L)"},
                       {&btnCopy, "コピー(&C)"},
                       {&btnItemSetup, "項目設定(&S)"},
                       {&btnItemPrint, "項目印刷(&P)"},
                       {&btnWindowPrint, "画面印刷(&G)"},
                       {&btnMemoPrint, "伝言メモ印刷(&M)"},
                       {&btnClose, "閉じる(&X)"}});
    // Tab keeps the order it always had: the dial buttons straight after
    // the first number.
    QWidget* secondNumber = book ? static_cast<QWidget*>(cbxOtherTel) : edtTel2;
    SetTabOrder({edtTel1,    btnDial1,    btnDial2,    btnExchange,  btnTelDic,   secondNumber,
                 edtPos,     btnPosDic,   edtTdfkn,    edtAdrs1,     edtAdrs2,    edtAdrs3,
                 btnAdrsDic, btnMap,      edtCorpKana, edtCorpKanji, edtNameKana, edtNameKanji,
                 btnNameDic, cbxPrivCorp, edtMemo1,    edtMemo2,     edtMemo3,    edtEMail,
                 btnMail,    cbxRank});

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(4);
    auto* top = MakeRow({pnlRecvDate, pnlRecvTime, new QLabel(QStringLiteral("前回着信日時"), this),
                         pnlPrevDate, pnlPrevTime, pnlDivision},
                        false);
    top->addStretch(1);
    top->addWidget(lblLock[0]);
    form->addRow(QStringLiteral("着信日時"), top);
    if (book) {
        form->addRow(QStringLiteral("着信電話番号"),
                     MakeRow({edtTel1, btnDial1, new QLabel(QStringLiteral("他の電話番号"), this),
                              cbxOtherTel, btnDial2, btnTelDic}));
        btnExchange->setVisible(false);
    } else {
        form->addRow(QStringLiteral("電話番号"),
                     MakeRow({edtTel1, btnDial1, btnExchange, edtTel2, btnDial2, btnTelDic}));
    }
    form->addRow(QStringLiteral("郵便番号"),
                 MakeRow({edtPos, btnPosDic, new QLabel(QStringLiteral("コード"), this), lblJisCode,
                          lblKajoCode}));
    form->addRow(QStringLiteral("住所"), MakeRow({edtTdfkn, edtAdrs1, btnAdrsDic, btnMap}));
    form->addRow(QString(), edtAdrs2);
    form->addRow(QString(), edtAdrs3);
    form->addRow(QStringLiteral("会社名カナ"), edtCorpKana);
    form->addRow(QStringLiteral("漢字"), edtCorpKanji);
    form->addRow(
        QStringLiteral("名前カナ"),
        MakeRow({edtNameKana, new QLabel(QStringLiteral("漢字"), this), edtNameKanji, btnNameDic}));
    form->addRow(QStringLiteral("個人法人区分"),
                 MakeRow({cbxPrivCorp, new QLabel(QStringLiteral("ランク"), this), cbxRank,
                          btnListEdit[0]}));
    form->addRow(QStringLiteral("登録メモ１"), edtMemo1);
    form->addRow(QStringLiteral("登録メモ２"), edtMemo2);
    form->addRow(QStringLiteral("登録メモ３"), edtMemo3);
    form->addRow(QStringLiteral("メールアドレス"), MakeRow({edtEMail, btnMail}));
    for (int i = 0; i < 3; ++i)
        form->addRow(lblSelItem[i], MakeRow({cbxSelItem[i], btnListEdit[i + 1]}));
    auto* messageRow = MakeRow({pnlMessage}, false);
    messageRow->setStretch(0, 1);
    messageRow->addWidget(lblLock[1]);
    form->addRow(QString(), messageRow);
    auto* links = MakeRow({lbxExtLink, btnExtLink}, false);
    links->setStretch(0, 1);
    form->addRow(QStringLiteral("外部リンク"), links);
    form->addRow(QStringLiteral("備考"), mmNote);

    auto* buttons1 = MakeRow({btnRegister, btnLock, btnCopy, btnItemSetup}, false);
    buttons1->addStretch(1);
    buttons1->addWidget(lblLock[2]);
    buttons1->addWidget(btnClose);
    auto* buttons2 = MakeRow({btnItemPrint, btnWindowPrint, btnMemoPrint});
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addSpacing(6);
    main->addLayout(buttons1);
    main->addLayout(buttons2);
}

void TReceiveView::connectControls() {
    ConnectCommonButtons(*this, actions_);
    connect(btnLock, &QPushButton::clicked, this, [this] { btnLockClick(); });
    connect(btnCopy, &QPushButton::clicked, this, [this] { btnCopyClick(); });
    connect(btnItemSetup, &QPushButton::clicked, this, [this] { btnItemSetupClick(); });
    connect(btnExtLink, &QPushButton::clicked, this, [this] { btnExtLinkClick(); });
    connect(lbxExtLink, &QListWidget::itemDoubleClicked, this, [this] { btnExtLinkClick(); });
    for (int i = 0; i < 4; ++i)
        connect(btnListEdit[i], &QPushButton::clicked, this, [this, i] { btnListEditClick(i); });
    auto dialFrom = [this](int edit) {
        const QString number = edit == 0 ? edtTel1->text()
                               : edtTel2 ? edtTel2->text()
                                         : cbxOtherTel->currentText();
        actions_.run(hooks_.dial, s(number.trimmed()));
    };
    connect(btnDial1, &QPushButton::clicked, this, [dialFrom] { dialFrom(0); });
    connect(btnDial2, &QPushButton::clicked, this, [dialFrom] { dialFrom(1); });
    connect(btnTelDic, &QPushButton::clicked, this, [this] {
        Busy busy(actions_);
        const int edit = edtTel2 && edtTel2->hasFocus() ? 1 : 0;
        if (hooks_.telDictionary)
            hooks_.telDictionary(*this, edit);
        else
            runDictionarySearch(edit);
    });
    connect(btnPosDic, &QPushButton::clicked, this, [this] {
        if (hooks_.postalDictionary)
            return void(runHook(hooks_.postalDictionary));
        Busy busy(actions_);
        runDictionarySearch(2);
    });
    connect(btnAdrsDic, &QPushButton::clicked, this, [this] {
        if (hooks_.addressDictionary)
            return void(runHook(hooks_.addressDictionary));
        Busy busy(actions_);
        runDictionarySearch(3);
    });
    connect(btnItemPrint, &QPushButton::clicked, this, [this] { runHook(hooks_.itemPrint); });
    connect(btnWindowPrint, &QPushButton::clicked, this, [this] { runHook(hooks_.windowPrint); });
    connect(btnMemoPrint, &QPushButton::clicked, this, [this] { runHook(hooks_.memoPrint); });
}

bool TReceiveView::runHook(const std::function<void(TReceiveView&)>& hook) {
    return actions_.run(hook, *this);
}

void TReceiveView::runDictionarySearch(int kind) {
    const std::optional<DictionaryAnswer> answer = actions_.searchDictionary(kind);
    if (!answer)
        return;
    if (answer->knownCaller()) {
        // The number belongs to a known caller: show that caller's data.
        CallRecord known = answer->caller;
        known.RecNo = record_.RecNo;
        known.RecvDateTime = record_.RecvDateTime;
        known.PrevRecvDateTime = record_.PrevRecvDateTime;
        setFields(FieldsFromRecord(known, addressBookMode()));
        setCoordinates(known.Latitude, known.Longitude);
        return;
    }
    TakeDictionaryHit(*this, *answer, kind);
}

void TReceiveView::fillList(QComboBox* box, int list) {
    THistoryData& items = list == 0 ? dm_.Rank() : dm_.SelItem(list);
    const QString text = box->currentText();
    box->clear();
    for (int i = 0; i < items.Count(); ++i)
        box->addItem(q(items.Get(i)));
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

void TReceiveView::refillLists(int mask) {
    if (mask != 0)
        dm_.RefreshItemLists();
    if (mask & 1)
        fillList(cbxRank, 0);
    for (int i = 0; i < 3; ++i) {
        if (mask & (1 << (i + 1)))
            fillList(cbxSelItem[i], i + 1);
    }
}

void TReceiveView::LoadCallRecord(const CallRecord& record) {
    record_ = record;
    hasRecord_ = true;
    loaded_ = FieldsFromRecord(record_, settings_.UsePbAdrs);
    fillControls();
    updateCaptions();
    show();
    if (!settings_.NotMoveFocus)
        raise();
    const int edit = settings_.UsePbAdrs ? 0 : (record_.TelIndex == 1 ? 1 : 0);
    focusNumber(edit, true);
}

void TReceiveView::fillControls() {
    pnlRecvDate->setText(q(FormatViewDate(record_.RecvDateTime)));
    pnlRecvTime->setText(q(FormatViewTime(record_.RecvDateTime)));
    pnlPrevDate->setText(q(FormatViewDate(record_.PrevRecvDateTime)));
    pnlPrevTime->setText(q(FormatViewTime(record_.PrevRecvDateTime)));
    if (cbxOtherTel) {
        cbxOtherTel->clear();
        for (int i = 0; i < 4; ++i) {
            if (i != record_.TelIndex && !record_.Tel[i].empty())
                cbxOtherTel->addItem(q(record_.Tel[i]));
        }
    }
    lblJisCode->setText(q(record_.JisCode));
    lblKajoCode->setText(q(record_.KajoCode));
    setFields(loaded_);
    updateMessagePanel();
}

CallerFields TReceiveView::fields() const {
    CallerFields f;
    f.Tel1 = s(edtTel1->text());
    f.Tel2 = edtTel2 ? s(edtTel2->text()) : s(cbxOtherTel->currentText());
    ReadSharedEdits(*this, f);
    f.JisCode = s(lblJisCode->text());
    f.KajoCode = s(lblKajoCode->text());
    f.Rank = s(cbxRank->currentText());
    f.SelItem1 = s(cbxSelItem[0]->currentText());
    f.SelItem2 = s(cbxSelItem[1]->currentText());
    f.SelItem3 = s(cbxSelItem[2]->currentText());
    for (int i = 0; i < lbxExtLink->count(); ++i)
        f.ExtLink.push_back(s(lbxExtLink->item(i)->text()));
    if (!mmNote->toPlainText().isEmpty()) {
        for (const QString& line : mmNote->toPlainText().split(QLatin1Char('\n')))
            f.Note.push_back(s(line));
    }
    return f;
}

void TReceiveView::setFields(const CallerFields& f) {
    edtTel1->setText(q(f.Tel1));
    if (edtTel2)
        edtTel2->setText(q(f.Tel2));
    ShowSharedEdits(*this, f);
    lblJisCode->setText(q(f.JisCode));
    lblKajoCode->setText(q(f.KajoCode));
    // The stored rank stays shown even when the list no longer holds it, so
    // that saving the caller again does not lose it.
    cbxRank->setCurrentIndex(
        cbxRank->findText(q(f.Rank), Qt::MatchExactly | Qt::MatchCaseSensitive));
    cbxRank->setEditText(q(f.Rank));
    const std::string* items[] = {&f.SelItem1, &f.SelItem2, &f.SelItem3};
    for (int i = 0; i < 3; ++i) {
        cbxSelItem[i]->setCurrentIndex(-1);
        cbxSelItem[i]->setEditText(q(*items[i]));
    }
    lbxExtLink->clear();
    for (const auto& link : f.ExtLink)
        lbxExtLink->addItem(q(link));
    QStringList note;
    for (const auto& line : f.Note)
        note << q(line);
    mmNote->setPlainText(note.join(QLatin1Char('\n')));
}

void TReceiveView::setCoordinates(int latitude, int longitude) {
    record_.Latitude = latitude;
    record_.Longitude = longitude;
}

void TReceiveView::updateMessagePanel() {
    if (record_.Msg != 1) {
        pnlMessage->setVisible(false);
        return;
    }
    pnlMessage->setText(q(record_.Msg1) + QLatin1Char('\n') + q(record_.Msg2));
    QPalette palette = pnlMessage->palette();
    if (auto colour = storedColour(record_.BGColor))
        palette.setColor(QPalette::Window, *colour);
    else
        palette = QLabel().palette();
    pnlMessage->setPalette(palette);
    pnlMessage->setVisible(true);
}

void TReceiveView::updateCaptions() {
    if (settings_.UsePbAdrs && hasRecord_ && record_.Division == 1)
        setWindowTitle(QStringLiteral("着信照会    - ") + q(settings_.PbEditionTitle) +
                       QStringLiteral(" [ ") + q(settings_.PbAdrsBookName) +
                       QStringLiteral(" ]  -"));
    else
        setWindowTitle(QStringLiteral("着信照会"));
    pnlDivision->setText(isNewMode() ? QStringLiteral("新規") : QStringLiteral("既存"));
    btnRegister->setText(isNewMode() ? QStringLiteral("名簿登録(&A)")
                                     : QStringLiteral("名簿変更(&U)"));
    btnLock->setText(locked_ ? QStringLiteral("アンロック(&L)") : QStringLiteral("ロック(&L)"));
    for (QLabel* l : lblLock)
        l->setVisible(locked_);
}

void TReceiveView::focusNumber(int edit, bool selectText) {
    QLineEdit* target = (edit == 1 && edtTel2) ? edtTel2 : edtTel1;
    target->setFocus();
    if (selectText)
        target->selectAll();
}

bool TReceiveView::HasUnsavedChanges() const {
    if (!hasRecord_)
        return false;
    CallerFields now = fields().trimmed();
    CallerFields then = loaded_.trimmed();
    // Choosing another of the other numbers changes nothing stored.
    if (settings_.UsePbAdrs)
        now.Tel2 = then.Tel2 = {};
    return !(now == then);
}

void TReceiveView::applyResult(int focus, bool selectText) {
    if (focus >= 0)
        focusNumber(focus, selectText);
}

void TReceiveView::btnRegisterClick() {
    if (!hasRecord_)
        return;
    Busy busy(actions_, true);
    CallerFields f = fields();
    // The registration's boxes are centred on this view.
    OwnedMessages owned(messages_, this);
    CallerRegistration registration(dm_, owned, settings_.registrationOptions());
    const RegistrationResult result = registration.Register(record_, f, loaded_);
    refillLists(result.changedLists);
    if (!result.done) {
        // Everything typed stays as it is.
        applyResult(result.focusNumber, result.selectText);
        if (result.focusNote)
            mmNote->setFocus();
        return;
    }
    loaded_ = f;
    setFields(f);
    updateCaptions();
    if (hooks_.onRegistered)
        hooks_.onRegistered(record_.RecNo);
}

int TReceiveView::RegisterCurrentCaller() {
    if (!hasRecord_)
        return 1;
    Busy busy(actions_);
    CallerFields f = fields();
    CallerRegistration registration(dm_, messages_, settings_.registrationOptions());
    const int rc = registration.RegisterSilently(record_, f, loaded_);
    if (rc == 0) {
        loaded_ = f;
        setFields(f);
        updateCaptions();
        if (hooks_.onRegistered)
            hooks_.onRegistered(record_.RecNo);
    }
    refillLists(15);
    return rc;
}

void TReceiveView::btnLockClick() {
    locked_ = !locked_;
    updateCaptions();
}

void TReceiveView::btnExchangeClick() {
    if (!edtTel2)
        return;
    SwapTexts(edtTel1, edtTel2);
}

std::array<std::string, kOutputItemCount> TReceiveView::itemValues() const {
    return OutputItemValues(fields(), record_);
}

void TReceiveView::btnCopyClick() {
    Busy busy(actions_, true);
    const std::string line = BuildOutputLine(itemValues(), output_.order(settings_.UsePbAdrs));
    QGuiApplication::clipboard()->setText(q(line));
}

void TReceiveView::btnMailClick() {
    actions_.sendMail(MessageIcon::Stop);
}

void TReceiveView::btnExtLinkClick() {
    QListWidgetItem* item = lbxExtLink->currentItem();
    if (!item && lbxExtLink->count() > 0)
        item = lbxExtLink->item(0);
    if (!item)
        return;
    const QString link = item->text().trimmed();
    const QUrl url =
        link.contains(QStringLiteral("://")) || link.startsWith(QStringLiteral("mailto:"))
            ? QUrl(link)
            : QUrl::fromLocalFile(link);
    if (!actions_.openUrl(url))
        messages_.error(s(QStringLiteral("リンク先を開けませんでした  \r\n") + link), this);
}

void TReceiveView::btnItemSetupClick() {
    Busy busy(actions_);
    TOutputItem dialog(output_, settings_.UsePbAdrs, settings_.SelectItem, messages_, this);
    if (dialog.exec() == QDialog::Accepted)
        setOutputSettings(dialog.settings());
}

void TReceiveView::setOutputSettings(const OutputItemSettings& settings) {
    output_ = settings;
    output_.Save(ini_);
    if (!ini_.save())
        messages_.error(ini_.lastError(), this);
}

void TReceiveView::btnListEditClick(int tab) {
    Busy busy(actions_);
    std::vector<InputListEditor::TabSource> tabs{{" ランク ", &dm_.Rank()}};
    for (int i = 0; i < 3; ++i)
        tabs.push_back({" " + settings_.SelectItem[i] + " ", &dm_.SelItem(i + 1)});
    TInputList dialog(std::move(tabs), messages_, tab, this);
    if (dialog.exec() == QDialog::Accepted)
        refillLists(dialog.changedMask());
    QComboBox* box = tab == 0 ? cbxRank : cbxSelItem[tab - 1];
    box->setFocus();
}

bool TReceiveView::RequestClose() {
    return close();
}

void TReceiveView::closeEvent(QCloseEvent* event) {
    if (actions_.busy()) {
        event->ignore();
        return;
    }
    if (HasUnsavedChanges() &&
        !messages_.ask("入力内容が登録されていません  \r\nこのまま閉じてもよろしいですか？  ",
                       false, this)) {
        event->ignore();
        return;
    }
    event->accept();
    hasRecord_ = false;
    if (hooks_.onClosed)
        hooks_.onClosed();
}

void TReceiveView::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(event)) {
        focusNextChild();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TReceiveView::restoreGeometry() {
    RestoreWindowPosition(*this, ini_, kSection);
}

void TReceiveView::saveGeometry() {
    WriteWindowPosition(*this, ini_, kSection);
    ini_.save();
}

} // namespace kanata
