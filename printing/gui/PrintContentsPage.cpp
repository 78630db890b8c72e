#include "printing/gui/PrintContentsPage.h"

#include "platform/MessageService.h"
#include "printing/gui/ChoiceBox.h"
#include "printing/gui/PrintLayoutGrid.h"
#include "ui/gui/DialogSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace kanata {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

const QStringList kPositionsX{"左", "中央", "右"};
const QStringList kPositionsY{"上", "下"};
} // namespace

PrintContentsPage::PrintContentsPage(PrintLayoutGrid* layoutGrid, Templates templates,
                                     MessageService& messages, Hooks hooks, QWidget* parent)
    : QWidget(parent), layoutGrid_(layoutGrid), templates_(std::move(templates)),
      messages_(messages), hooks_(std::move(hooks)) {
    createControls();
    layOut();
    connectControls();
}

void PrintContentsPage::createControls() {
    auto* page = this;
    rbHistory = new QRadioButton(QStringLiteral("着信対応履歴"), page);
    rbMeibo = new QRadioButton(QStringLiteral("登録名簿"), page);
    ColourChosenCaption({rbHistory, rbMeibo});
    cbxTemplate = new QComboBox(page);
    cbxTemplate->setEditable(true);
    cbxTemplate->lineEdit()->setMaxLength(30);
    cbxTemplate->setInsertPolicy(QComboBox::NoInsert);
    btnTemplateSave = new QPushButton(QStringLiteral("保存"), page);
    btnTemplateDelete = new QPushButton(QStringLiteral("削除"), page);
    chkIgnoreTdfkn = new QCheckBox(QStringLiteral("都道府県名は印刷しない"), page);
    edtTitle = new QLineEdit(page);
    edtTitle->setMaxLength(200);
    cbxTitlePos = Choices(page, kPositionsX);
    chkViewDate = new QCheckBox(QStringLiteral("日付を表示する"), page);
    dtpDate = new QDateEdit(QDate::currentDate(), page);
    dtpDate->setCalendarPopup(true);
    dtpDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    cbxDatePosX = Choices(page, kPositionsX);
    cbxDatePosY = Choices(page, kPositionsY);
    chkViewPage = new QCheckBox(QStringLiteral("ページ数を表示する"), page);
    QStringList formats;
    for (const std::string& f : PageTypeCaptions())
        formats << Q(f);
    cbxPageType = Choices(page, formats);
    cbxPagePosX = Choices(page, kPositionsX);
    cbxPagePosY = Choices(page, kPositionsY);
}

void PrintContentsPage::layOut() {
    auto* page = this;
    auto* grid = new QGridLayout(page);
    auto* source = new QHBoxLayout;
    source->addWidget(new QLabel(QStringLiteral("印刷情報："), page));
    source->addWidget(rbHistory);
    source->addWidget(rbMeibo);
    source->addStretch();
    source->addWidget(new QLabel(QStringLiteral("テンプレート："), page));
    source->addWidget(cbxTemplate, 1);
    source->addWidget(btnTemplateSave);
    source->addWidget(btnTemplateDelete);
    grid->addLayout(source, 0, 0, 1, 3);
    layoutGrid_->setParent(page);
    grid->addWidget(layoutGrid_, 1, 0, 2, 3);
    auto* width = new QHBoxLayout;
    width->addWidget(chkIgnoreTdfkn);
    width->addStretch();
    width->addWidget(new QLabel(QStringLiteral("項目幅："), page));
    width->addWidget(layoutGrid_->edtWidth);
    width->addWidget(new QLabel(QStringLiteral("(半角文字数)"), page));
    grid->addLayout(width, 3, 0, 1, 3);
    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("タイトル："), page), 0, 0);
    form->addWidget(edtTitle, 0, 1, 1, 2);
    form->addWidget(cbxTitlePos, 0, 3);
    form->addWidget(chkViewDate, 1, 0);
    form->addWidget(dtpDate, 1, 1);
    form->addWidget(cbxDatePosX, 1, 2);
    form->addWidget(cbxDatePosY, 1, 3);
    form->addWidget(chkViewPage, 2, 0);
    form->addWidget(cbxPageType, 2, 1);
    form->addWidget(cbxPagePosX, 2, 2);
    form->addWidget(cbxPagePosY, 2, 3);
    grid->addLayout(form, 4, 0, 1, 3);
    grid->setRowStretch(2, 1);
}

void PrintContentsPage::connectControls() {
    connect(rbHistory, &QRadioButton::clicked, this,
            [this] { hooks_.sourceClicked(PrintSource::History); });
    connect(rbMeibo, &QRadioButton::clicked, this,
            [this] { hooks_.sourceClicked(PrintSource::Roster); });
    // The headings take room from the records: the count per page follows.
    const auto headingsChanged = [this] {
        if (filling_)
            return;
        hooks_.headingsChanged();
    };
    connect(edtTitle, &QLineEdit::textChanged, this, headingsChanged);
    for (QCheckBox* box : {chkViewDate, chkViewPage})
        connect(box, &QCheckBox::toggled, this, headingsChanged);
    for (QComboBox* box :
         {cbxTitlePos, cbxDatePosX, cbxDatePosY, cbxPageType, cbxPagePosX, cbxPagePosY})
        connect(box, &QComboBox::currentIndexChanged, this, headingsChanged);
    connect(btnTemplateSave, &QPushButton::clicked, this, [this] { btnTemplateSaveClick(); });
    connect(btnTemplateDelete, &QPushButton::clicked, this, [this] { btnTemplateDeleteClick(); });
    connect(cbxTemplate, &QComboBox::activated, this, [this](int i) { templateChosen(i); });
}

void PrintContentsPage::showFormat(const PrintFormat& format) {
    filling_ = true;
    chkIgnoreTdfkn->setChecked(format.ignoreTdfkn);
    edtTitle->setText(Q(format.title));
    cbxTitlePos->setCurrentIndex(static_cast<int>(format.titlePos));
    chkViewDate->setChecked(format.viewDate);
    cbxDatePosX->setCurrentIndex(static_cast<int>(format.datePosX));
    cbxDatePosY->setCurrentIndex(static_cast<int>(format.datePosY));
    chkViewPage->setChecked(format.viewPage);
    cbxPageType->setCurrentIndex(format.pageType);
    cbxPagePosX->setCurrentIndex(static_cast<int>(format.pagePosX));
    cbxPagePosY->setCurrentIndex(static_cast<int>(format.pagePosY));
    filling_ = false;
}

void PrintContentsPage::collectFormat(PrintFormat& format) const {
    format.ignoreTdfkn = chkIgnoreTdfkn->isChecked();
    format.title = edtTitle->text().toStdString();
    format.titlePos = static_cast<HorizontalPosition>(cbxTitlePos->currentIndex());
    format.viewDate = chkViewDate->isChecked();
    format.datePosX = static_cast<HorizontalPosition>(cbxDatePosX->currentIndex());
    format.datePosY = static_cast<VerticalPosition>(cbxDatePosY->currentIndex());
    format.viewPage = chkViewPage->isChecked();
    format.pageType = cbxPageType->currentIndex();
    format.pagePosX = static_cast<HorizontalPosition>(cbxPagePosX->currentIndex());
    format.pagePosY = static_cast<VerticalPosition>(cbxPagePosY->currentIndex());
}

void PrintContentsPage::showSource(PrintSource source) {
    source_ = source;
    (source == PrintSource::History ? rbHistory : rbMeibo)->setChecked(true);
    layoutGrid_->showSource(source);
    fillTemplates();
}

QDate PrintContentsPage::date() const {
    return dtpDate->date();
}

void PrintContentsPage::fillTemplates() {
    cbxTemplate->clear();
    for (const PrintTemplate& t : templates().entries())
        cbxTemplate->addItem(Q(t.name));
    cbxTemplate->setCurrentIndex(-1);
    cbxTemplate->setEditText({});
    btnTemplateSave->setEnabled(templates().canSave());
}

void PrintContentsPage::btnTemplateSaveClick() {
    const std::string name = cbxTemplate->currentText().toStdString();
    const auto outcome = templates().save(name, layoutGrid_->layout());
    if (outcome != TemplateSaveOutcome::Saved) {
        messages_.warning(TemplateSaveMessage(outcome), window());
        return;
    }
    fillTemplates();
    cbxTemplate->setCurrentIndex(cbxTemplate->findText(Q(name)));
}

void PrintContentsPage::btnTemplateDeleteClick() {
    const std::string name = cbxTemplate->currentText().toStdString();
    if (name == kLastLayoutName || !templates().find(name)) {
        messages_.warning(TemplateDeleteMessage(name == kLastLayoutName
                                                    ? TemplateDeleteOutcome::ReservedName
                                                    : TemplateDeleteOutcome::NotFound),
                          window());
        return;
    }
    if (!messages_.ask("「" + name + "」\r\n\r\nこのテンプレートを削除してもよろしいですか？  ",
                       false, window()))
        return;
    const auto outcome = templates().remove(name);
    if (outcome != TemplateDeleteOutcome::Deleted)
        messages_.error(TemplateDeleteMessage(outcome), window());
    fillTemplates();
}

void PrintContentsPage::templateChosen(int index) {
    if (index < 0 || index >= static_cast<int>(templates().entries().size()))
        return;
    layoutGrid_->replaceLayout(templates().entries()[static_cast<std::size_t>(index)].layout);
}

} // namespace kanata
