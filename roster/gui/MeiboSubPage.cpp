#include "roster/gui/MeiboSubPage.h"

#include "platform/MessageService.h"
#include "roster/MeiboFields.h"
#include "roster/gui/TAddExtURL.h"
#include "settings/IniFile.h"
#include "ui/gui/CallerForm.h"
#include "views/CallerRegistration.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
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

MeiboSubPage::MeiboSubPage(MeiboViewHooks& hooks, CallerFormActions& actions,
                           MessageService& messages, std::filesystem::path customColours)
    : hooks_(hooks), actions_(actions), messages_(messages),
      customColours_(std::move(customColours)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(createLinks());
    auto* note = new QGroupBox("備考", this);
    auto* noteLayout = new QVBoxLayout(note);
    mmNote = new QPlainTextEdit(note);
    mmNote->setFixedHeight(70);
    noteLayout->addWidget(mmNote);
    layout->addWidget(note);

    layout->addWidget(createMessage());
    auto* dates = new QHBoxLayout;
    lblAddDateTime = new QLabel(this);
    lblUpdDateTime = new QLabel(this);
    dates->addWidget(new QLabel("登録日時：", this));
    dates->addWidget(lblAddDateTime);
    dates->addSpacing(16);
    dates->addWidget(new QLabel("更新日時：", this));
    dates->addWidget(lblUpdDateTime);
    dates->addStretch(1);
    layout->addLayout(dates);
    layout->addStretch(1);

    connectControls();
}

QWidget* MeiboSubPage::createLinks() {

    auto* links = new QGroupBox("外部リンク", this);
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
    return links;
}

QWidget* MeiboSubPage::createMessage() {
    auto* message = new QGroupBox("着信時メッセージ", this);
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
    return message;
}

void MeiboSubPage::connectControls() {
    connect(btnLinkAdd, &QPushButton::clicked, this, [this] { chooseLinkKind(); });
    connect(btnLinkDelete, &QPushButton::clicked, this, [this] { btnLinkDeleteClick(); });
    connect(btnLinkOpen, &QPushButton::clicked, this, [this] { btnLinkOpenClick(); });
    connect(lbxExtLink, &QListWidget::itemDoubleClicked, this, [this] { btnLinkOpenClick(); });
    connect(chkMsg, &QCheckBox::toggled, this, [this] { updateMessageControls(); });
    connect(edtMsg1, &QLineEdit::textChanged, this, [this] { updateMessageControls(); });
    connect(edtMsg2, &QLineEdit::textChanged, this, [this] { updateMessageControls(); });
    connect(btnColorSet, &QPushButton::clicked, this, [this] { btnColorSetClick(); });
    connect(btnColorDelete, &QPushButton::clicked, this, [this] { btnColorDeleteClick(); });
}

void MeiboSubPage::chooseLinkKind() {
    QMenu menu(this);
    menu.addAction("キャンセル");
    QAction* file = menu.addAction("ファイルを登録");
    QAction* url = menu.addAction("URLを登録");
    QAction* chosen = menu.exec(btnLinkAdd->mapToGlobal(QPoint(0, btnLinkAdd->height())));
    if (chosen == file)
        AddFileLink();
    else if (chosen == url)
        AddUrlLink();
}

void MeiboSubPage::showFields(const MeiboFields& f) {
    links_ = ExtLinkList(f.ExtLink);
    setLinks(f.ExtLink, f.ExtLink.empty() ? -1 : 0);
    mmNote->setPlainText(q(JoinLines(f.Note)).replace("\r\n", "\n"));
    chkMsg->setChecked(f.Msg == 1);
    edtMsg1->setText(q(f.Msg1));
    edtMsg2->setText(q(f.Msg2));
    setColour(f.BGColor);
}

void MeiboSubPage::readFields(MeiboFields& f) const {
    f.ExtLink = links_.links();
    f.Note = SplitLines(s(mmNote->toPlainText()));
    f.Msg = chkMsg->isChecked() ? 1 : 0;
    f.Msg1 = s(edtMsg1->text());
    f.Msg2 = s(edtMsg2->text());
    f.BGColor = colourText_;
}

void MeiboSubPage::showDates(const MeiboRow* row) {
    lblAddDateTime->setText(row ? dateText(row->AddDateTime) : QString());
    lblUpdDateTime->setText(row ? dateText(row->UpdDateTime) : QString());
}

void MeiboSubPage::setLinks(const std::vector<std::string>& links, int select) {
    lbxExtLink->clear();
    for (std::size_t i = 0; i < links.size(); ++i)
        lbxExtLink->addItem(QString("%1: %2").arg(i + 1).arg(q(links[i])));
    if (select >= 0 && select < lbxExtLink->count())
        lbxExtLink->setCurrentRow(select);
    updateLinkButtons();
}

void MeiboSubPage::updateLinkButtons() {
    btnLinkAdd->setEnabled(links_.canAdd());
    btnLinkDelete->setEnabled(links_.count() > 0);
    btnLinkOpen->setEnabled(links_.count() > 0);
}

void MeiboSubPage::setColour(const std::string& stored) {
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

void MeiboSubPage::updateMessageControls() {
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

void MeiboSubPage::AddFileLink() {
    SubDialog sub(actions_);
    std::optional<QString> file;
    if (hooks_.chooseFile) {
        file = hooks_.chooseFile();
    } else {
        QString start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (start.isEmpty())
            start = QApplication::applicationDirPath();
        const QString chosen =
            QFileDialog::getOpenFileName(window(), {}, start, "すべてのファイル (*)");
        if (!chosen.isEmpty())
            file = chosen;
    }
    if (file)
        AddLink(*file);
}

void MeiboSubPage::AddUrlLink() {
    SubDialog sub(actions_);
    std::optional<QString> url;
    if (hooks_.askUrl) {
        url = hooks_.askUrl();
    } else {
        TAddExtURL dialog(messages_, window());
        if (dialog.exec() == QDialog::Accepted)
            url = dialog.edtURL->text().trimmed();
    }
    if (url)
        AddLink(*url);
}

void MeiboSubPage::AddLink(const QString& link) {
    switch (links_.Add(s(link))) {
    case ExtLinkList::AddResult::Added:
        setLinks(links_.links(), links_.count() - 1);
        break;
    case ExtLinkList::AddResult::TooLong:
        messages_.information(ExtLinkList::TooLongMessage(), window());
        break;
    default:
        break;
    }
}

void MeiboSubPage::btnLinkDeleteClick() {
    const int select = links_.Remove(lbxExtLink->currentRow());
    setLinks(links_.links(), select);
}

void MeiboSubPage::btnLinkOpenClick() {
    const int row = lbxExtLink->currentRow();
    if (row < 0 || row >= links_.count())
        return;
    const QString link = q(links_.links()[row]);
    const QUrl url = link.contains("://") ? QUrl(link) : QUrl::fromLocalFile(link);
    actions_.openUrl(url);
}

void MeiboSubPage::btnColorSetClick() {
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
        QColorDialog dialog(colour_, window());
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

void MeiboSubPage::btnColorDeleteClick() {
    setColour({});
}

} // namespace kanata
