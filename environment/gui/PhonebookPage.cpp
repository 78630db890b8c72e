#include "environment/gui/PhonebookPage.h"

#include "environment/EnvironmentModel.h"
#include "lookup/PhonebookEditions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kanata {
using namespace settings_page;
namespace {

QStringList keywordChoices() {
    return {QStringLiteral("キーワード１"), QStringLiteral("キーワード２"),
            QStringLiteral("キーワード３"), QStringLiteral("キーワード４"),
            QStringLiteral("キーワード５")};
}

} // namespace

PhonebookPage::PhonebookPage(EnvironmentModel& model) : SettingsPage(model) {
    auto* layout = new QVBoxLayout(this);
    chkUsePbAdrs = check("番号名鑑のアドレス帳を登録名簿として使用する", layout,
                         "着信帳の登録名簿の代わりに番号名鑑のアドレス帳で相手を調べます");
    createFieldGrid(layout);
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
}

void PhonebookPage::createFieldGrid(QBoxLayout* layout) {
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
}

void PhonebookPage::load() {
    filling_ = true;
    const GlobalSettings& g = model_.settings();
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
}

void PhonebookPage::collect() {
    GlobalSettings& g = model_.settings();
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
}

void PhonebookPage::fillAddressBooks() {
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

void PhonebookPage::updateDependents() {
    chkPbBackupDlg->setEnabled(chkPbBackup->isChecked());
}

} // namespace kanata
