#include "lookup/gui/TDicSearch.h"

#include "data/TelKeys.h"
#include "lookup/KanaRow.h"
#include "platform/MessageService.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cctype>

namespace kanata {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

struct TabTexts {
    const char* title;
    const char* prompt;
    int maxLength;
    const char* hint;
    const char* found;
    const char* wrong;
    const char* none;
};

constexpr std::array<TabTexts, 3> kTabs = {{
    {"電話番号検索", "検索する電話番号を入力してください。", 13, "電話番号検索",
     "該当するデータは見つかりませんでした。 局番検索結果から住所を選択してください。",
     "入力した局番に誤りがあります。", "該当する局番は見つかりませんでした。"},
    {"郵便番号検索", "検索する郵便番号を入力してください。", 8, "郵便番号検索",
     "郵便番号検索結果から住所を選択してください。", "入力した郵便番号に誤りがあります。",
     "該当する住所は見つかりませんでした。"},
    {"住所検索", "検索する住所を入力してください。", 200, "住所検索",
     "住所検索結果から住所を選択してください。", "入力した住所に誤りがあります。",
     "該当する住所は見つかりませんでした。"},
}};

constexpr int kNotANumberResult = 1;
const char* const kNoAddress = "該当する住所は見つかりませんでした。";

// Start's text for every kind but the address: its ASCII digits and hyphens,
// nothing when no digit is left.
std::string digitsAndHyphens(const std::string& text) {
    std::string out;
    bool digit = false;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            digit = true;
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-')
            out += c;
    }
    return digit ? out : std::string();
}

} // namespace

TDicSearch::TDicSearch(std::filesystem::path dicFolder, MessageService& messages, QWidget* owner)
    : QDialog(owner), dicFolder_(std::move(dicFolder)), messages_(messages),
      coordinates_(dicFolder_, messages_, this) {
    setWindowTitle(QStringLiteral("検索"));
    auto* layout = new QVBoxLayout(this);
    pcSearch = new QTabWidget(this);
    for (int t = 0; t < 3; ++t) {
        pages[static_cast<std::size_t>(t)] = createPage(t);
        pcSearch->addTab(pages[static_cast<std::size_t>(t)].page,
                         kTabs[static_cast<std::size_t>(t)].title);
    }
    pcSearch->tabBar()->installEventFilter(this);
    layout->addWidget(pcSearch);
    auto* buttons = new QHBoxLayout;
    btnBack = new QPushButton(QStringLiteral("戻る(&P)"), this);
    btnDecide = new QPushButton(QStringLiteral("決定(&D)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    for (QPushButton* b : {btnBack, btnDecide, btnCancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->insertStretch(1);
    layout->addLayout(buttons);
    connect(btnBack, &QPushButton::clicked, this, &TDicSearch::btnBackClick);
    connect(btnDecide, &QPushButton::clicked, this, &TDicSearch::btnDecideClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(pcSearch, &QTabWidget::currentChanged, this, [this](int tab) { resultKind_ = tab; });
    resize(640, 460);
}

TDicSearch::~TDicSearch() = default;

TDicSearch::Page TDicSearch::createPage(int tab) {
    const TabTexts& t = kTabs[static_cast<std::size_t>(tab)];
    Page p;
    p.page = new QWidget(this);
    auto* v = new QVBoxLayout(p.page);
    p.lblPrompt = new QLabel(QString::fromUtf8(t.prompt), p.page);
    v->addWidget(p.lblPrompt);
    auto* row = new QHBoxLayout;
    p.edtSearch = new QLineEdit(p.page);
    p.edtSearch->setMaxLength(t.maxLength);
    p.btnSearch = new QPushButton(QStringLiteral("検索"), p.page);
    p.btnSearch->setToolTip(QString::fromUtf8(t.hint));
    p.btnSearch->setAutoDefault(false);
    row->addWidget(p.edtSearch, 1);
    row->addWidget(p.btnSearch);
    v->addLayout(row);

    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("検索結果一覧："), p.page));
    p.lbxCity = new QListWidget(p.page);
    left->addWidget(p.lbxCity, 1);
    lists->addLayout(left, 1);
    auto* right = new QVBoxLayout;
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("表示カナ："), p.page));
    p.cbxKana = new QComboBox(p.page);
    for (int i = 0; i < kKanaRowCount; ++i)
        p.cbxKana->addItem(QString::fromUtf8(KanaRowItem(i)));
    filters->addWidget(p.cbxKana);
    if (tab != NumberTab) {
        filters->addWidget(new QLabel(QStringLiteral("表示種類："), p.page));
        p.rbTown = new QRadioButton(QStringLiteral("町大字一覧"), p.page);
        p.rbOffice = new QRadioButton(QStringLiteral("大口事業所等名一覧"), p.page);
        p.rbTown->setChecked(true);
        auto* group = new QButtonGroup(p.page);
        group->addButton(p.rbTown);
        group->addButton(p.rbOffice);
        filters->addWidget(p.rbTown);
        filters->addWidget(p.rbOffice);
        connect(p.rbOffice, &QRadioButton::toggled, this, [this, tab] { fillTowns(tab); });
    }
    filters->addStretch();
    right->addLayout(filters);
    p.lvTown = new QTreeWidget(p.page);
    p.lvTown->setRootIsDecorated(false);
    p.lvTown->setHeaderLabels({QStringLiteral("〒"), QString(), QStringLiteral("住所")});
    p.lvTown->setColumnWidth(0, 80);
    p.lvTown->setColumnWidth(1, 28);
    p.lvTown->setColumnWidth(2, 350);
    right->addWidget(p.lvTown, 1);
    lists->addLayout(right, 3);
    v->addLayout(lists, 1);

    connect(p.btnSearch, &QPushButton::clicked, this, [this, tab] { btnSearchClick(tab); });
    connect(p.edtSearch, &QLineEdit::returnPressed, this, [this, tab] { btnSearchClick(tab); });
    connect(p.lbxCity, &QListWidget::currentRowChanged, this, [this, tab] { fillTowns(tab); });
    connect(p.cbxKana, &QComboBox::currentIndexChanged, this, [this, tab] { fillTowns(tab); });
    connect(p.lvTown, &QTreeWidget::itemDoubleClicked, this, [this] { btnDecideClick(); });
    p.lvTown->installEventFilter(this);
    return p;
}

void TDicSearch::SetTabs(int mask, bool ownBook) {
    ownBook_ = ownBook;
    for (int t = 0; t < 3; ++t)
        pcSearch->setTabVisible(t, (mask & (1 << t)) != 0);
}

int TDicSearch::Start(int kind, const std::string& text) {
    const int tab = kind == 2 ? PostalTab : kind == 3 ? AddressTab : NumberTab;
    const std::string shown = kind == 3 ? text : digitsAndHyphens(text);
    pcSearch->setCurrentIndex(tab);
    resultKind_ = tab;
    Page& p = pages[static_cast<std::size_t>(tab)];
    p.edtSearch->setText(q(shown));
    if (!shown.empty())
        btnSearchClick(tab);
    if (resultKind_ == kDicCallRecord)
        return kStartDecided;
    return kStartShow;
}

void TDicSearch::showPrompt(int tab, const QString& text, bool error) {
    QLabel* label = pages[static_cast<std::size_t>(tab)].lblPrompt;
    label->setText(text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     error ? QColor(128, 0, 0)
                           : QApplication::palette().color(QPalette::WindowText));
    label->setPalette(palette);
}

AddressSearchBase* TDicSearch::search(int tab) {
    switch (tab) {
    case NumberTab:
        return kykbn_.get();
    case PostalTab:
        return pos_.get();
    default:
        return adrs_.get();
    }
}

void TDicSearch::runSafely(const std::function<void()>& work) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        work();
    } catch (const DictionaryError& e) {
        QApplication::restoreOverrideCursor();
        messages_.error(e.what(), this);
        return;
    }
    QApplication::restoreOverrideCursor();
}

void TDicSearch::btnSearchClick(int tab) {
    runSafely([this, tab] {
        if (tab == NumberTab)
            searchNumber();
        else if (tab == PostalTab)
            searchPostal();
        else
            searchAddress();
    });
}

void TDicSearch::searchNumber() {
    Page& p = pages[NumberTab];
    const std::string text = p.edtSearch->text().trimmed().toStdString();
    const auto& t = kTabs[NumberTab];
    auto clear = [&p] {
        p.lbxCity->clear();
        p.lvTown->clear();
    };
    if (text.empty()) {
        showPrompt(NumberTab, QString::fromUtf8(t.prompt), false);
        p.edtSearch->setFocus();
        return;
    }
    if (digitsAndHyphens(text).size() != text.size() && !digitsAndHyphens(text).empty())
        return showPrompt(NumberTab, QStringLiteral("数字とハイフン以外は無効です。"), true);
    if (digitsAndHyphens(text).empty()) {
        const bool onlyHyphens = text.find_first_not_of('-') == std::string::npos;
        return showPrompt(NumberTab,
                          onlyHyphens ? QStringLiteral("ハイフンのみは無効です。")
                                      : QStringLiteral("数字とハイフン以外は無効です。"),
                          true);
    }
    int found = kNotANumberResult;
    if (lookupCaller) {
        found = lookupCaller(ownBook_, text, record_);
        if (found == 0) {
            resultKind_ = kDicCallRecord;
            accept();
            return;
        }
    }
    if (found != kNotANumberResult && found != 2 && found != 5 && found != 8) {
        clear();
        return;
    }
    if (!kykbn_)
        kykbn_ = std::make_unique<TKykbnSearch>(dicFolder_, &coordinates_);
    const int rc = kykbn_->Search(text);
    if (rc == kDicBadInput || rc == kDicNotFound) {
        clear();
        return showPrompt(NumberTab, QString::fromUtf8(rc == kDicBadInput ? t.wrong : t.none),
                          true);
    }
    showPrompt(NumberTab, QString::fromUtf8(t.found), false);
    p.edtSearch->setText(q(kykbn_->FormattedNumber()));
    fillCities(NumberTab);
}

void TDicSearch::searchPostal() {
    Page& p = pages[PostalTab];
    const std::string text = p.edtSearch->text().trimmed().toStdString();
    const auto& t = kTabs[PostalTab];
    if (text.empty()) {
        showPrompt(PostalTab, QString::fromUtf8(t.prompt), false);
        p.edtSearch->setFocus();
        return;
    }
    const std::string kept = digitsAndHyphens(text);
    if (kept.size() != text.size() && !kept.empty())
        return showPrompt(PostalTab, QStringLiteral("数字とハイフン以外は無効です。"), true);
    if (kept.empty())
        return showPrompt(PostalTab,
                          text.find_first_not_of('-') == std::string::npos
                              ? QStringLiteral("ハイフンのみは無効です。")
                              : QStringLiteral("数字とハイフン以外は無効です。"),
                          true);
    if (!pos_)
        pos_ = std::make_unique<TPosSearch>(dicFolder_, &coordinates_);
    const int rc = pos_->Search(text);
    if (rc != kDicFound) {
        p.lbxCity->clear();
        p.lvTown->clear();
        return showPrompt(PostalTab, QString::fromUtf8(rc == kDicBadInput ? t.wrong : t.none),
                          true);
    }
    showPrompt(PostalTab, QString::fromUtf8(t.found), false);
    fillCities(PostalTab);
}

void TDicSearch::searchAddress() {
    Page& p = pages[AddressTab];
    const std::string text = p.edtSearch->text().trimmed().toStdString();
    const auto& t = kTabs[AddressTab];
    if (text.empty()) {
        showPrompt(AddressTab, QString::fromUtf8(t.prompt), false);
        p.edtSearch->setFocus();
        return;
    }
    if (!adrs_)
        adrs_ = std::make_unique<TAdrsSearch>(dicFolder_, &coordinates_);
    const int rc = adrs_->Search(text);
    if (rc != kDicFound) {
        p.lbxCity->clear();
        p.lvTown->clear();
        return showPrompt(AddressTab, QString::fromUtf8(rc == kDicBadInput ? t.wrong : t.none),
                          true);
    }
    showPrompt(AddressTab, QString::fromUtf8(t.found), false);
    fillCities(AddressTab);
}

void TDicSearch::fillCities(int tab) {
    Page& p = pages[static_cast<std::size_t>(tab)];
    const QSignalBlocker block(p.lbxCity);
    p.lbxCity->clear();
    for (const DicCity& c : search(tab)->Cities())
        p.lbxCity->addItem(q(c.name));
    p.lbxCity->setCurrentRow(0);
    if (isVisible())
        p.lbxCity->setFocus();
    fillTowns(tab);
}

bool TDicSearch::officeView(int tab) const {
    const Page& p = pages[static_cast<std::size_t>(tab)];
    return p.rbOffice && p.rbOffice->isChecked();
}

void TDicSearch::fillTowns(int tab) {
    Page& p = pages[static_cast<std::size_t>(tab)];
    p.lvTown->clear();
    AddressSearchBase* s = search(tab);
    const int city = p.lbxCity->currentRow();
    if (!s || city < 0)
        return;
    const bool offices = officeView(tab);
    if (offices) {
        p.lvTown->setHeaderLabels({QStringLiteral("〒"), QString(), QStringLiteral("住所"),
                                   QStringLiteral("大口事業所等名")});
        p.lvTown->setColumnWidth(2, 170);
        p.lvTown->setColumnWidth(3, 180);
    } else {
        p.lvTown->setHeaderLabels({QStringLiteral("〒"), QString(), QStringLiteral("住所")});
        p.lvTown->setColumnWidth(2, 350);
    }
    std::vector<DicTown> rows;
    runSafely([&] { rows = s->Towns(static_cast<std::size_t>(city), offices); });
    const int kana = p.cbxKana->currentIndex();
    std::string lastInitial;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DicTown& r = rows[i];
        if (!PassesKanaRow(kana, r.townKana))
            continue;
        const std::string initial = ReadingInitial(r.townKana);
        auto* item = new QTreeWidgetItem(p.lvTown);
        item->setText(0, q(FormatPostalCode(r.postal)));
        item->setText(1, initial != lastInitial ? q(initial) : QString());
        item->setText(2, q(r.town + (offices ? r.officeAddress : "")));
        if (offices)
            item->setText(3, q(r.office));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        lastInitial = initial;
    }
    if (p.lvTown->topLevelItemCount() == 0 && !rows.empty())
        showPrompt(tab, QString::fromUtf8(kNoAddress), true);
    else if (p.lvTown->topLevelItemCount() == 0 &&
             s->Cities()[static_cast<std::size_t>(city)].hasMunicipality())
        showPrompt(tab, QString::fromUtf8(kNoAddress), true);
}

void TDicSearch::btnDecideClick() {
    const int tab = pcSearch->currentIndex();
    Page& p = pages[static_cast<std::size_t>(tab)];
    AddressSearchBase* s = search(tab);
    if (!s || p.lbxCity->count() == 0 || p.lbxCity->currentRow() < 0)
        return;
    // An exchange area that names no municipality has no towns either: there
    // is nothing to decide on.
    if (p.lvTown->topLevelItemCount() == 0)
        return;
    QTreeWidgetItem* item = p.lvTown->currentItem();
    if (item && !item->isSelected())
        item = nullptr;
    std::vector<DicTown> rows;
    const DicTown* row = nullptr;
    if (item) {
        rows = s->Towns(static_cast<std::size_t>(p.lbxCity->currentRow()), officeView(tab));
        row = &rows.at(static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt()));
    }
    decide(tab, row);
}

void TDicSearch::decide(int tab, const DicTown* row) {
    AddressSearchBase* s = search(tab);
    const auto city =
        static_cast<std::size_t>(pages[static_cast<std::size_t>(tab)].lbxCity->currentRow());
    bool made = false;
    runSafely([&] {
        result_ = s->MakeResult(city, row);
        made = true;
    });
    if (!made)
        return;
    if (tab == NumberTab)
        result_.number = kykbn_->FormattedNumber();
    else
        result_.nameKana.clear();
    if (tab == NumberTab)
        result_.nameKanji.clear();
    result_.isPrivate = false;
    resultKind_ = tab;
    accept();
}

void TDicSearch::btnBackClick() {
    QLineEdit* edit = pages[static_cast<std::size_t>(pcSearch->currentIndex())].edtSearch;
    edit->setFocus();
    edit->selectAll();
}

bool TDicSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pcSearch->tabBar() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int step = wheel->angleDelta().y() < 0 ? 1 : -1;
        int tab = pcSearch->currentIndex();
        for (int i = 0; i < pcSearch->count(); ++i) {
            tab = (tab + step + pcSearch->count()) % pcSearch->count();
            if (pcSearch->isTabVisible(tab))
                break;
        }
        pcSearch->setCurrentIndex(tab);
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            qobject_cast<QTreeWidget*>(watched)) {
            btnDecideClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kanata
