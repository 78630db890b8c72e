#include "ui/gui/CallerForm.h"

#include "data/CallRecord.h"
#include "settings/IniFile.h"
#include "settings/WindowGeometry.h"
#include "ui/gui/Cp932ByteLimit.h"
#include "ui/gui/TNMDEdit.h"

#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kanata::ui {

QPushButton* MakeButton(const char* caption, QWidget* parent, const char* hint) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setAutoDefault(false);
    if (hint)
        b->setToolTip(QString::fromUtf8(hint));
    return b;
}

void MakeButtons(QWidget* parent,
                 std::initializer_list<std::pair<QPushButton**, const char*>> buttons) {
    for (const auto& [member, caption] : buttons)
        *member = MakeButton(caption, parent);
}

QVBoxLayout* MakeButtonColumn(std::initializer_list<QPushButton*> upper, int gap,
                              std::initializer_list<QPushButton*> lower) {
    auto* column = new QVBoxLayout;
    for (QPushButton* b : upper)
        column->addWidget(b);
    column->addSpacing(gap);
    for (QPushButton* b : lower)
        column->addWidget(b);
    column->addStretch(1);
    return column;
}

QHBoxLayout* MakeRightRow(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* w : widgets)
        row->addWidget(w);
    return row;
}

QHBoxLayout* MakeOkRow(QDialog* dialog, QPushButton*& ok) {
    ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    return MakeRightRow({ok});
}

QLineEdit* MakeEdit(QWidget* parent, int maxBytes, int minWidth) {
    auto* e = new QLineEdit(parent);
    LimitToCp932Bytes(e, maxBytes);
    if (minWidth > 0)
        e->setMinimumWidth(minWidth);
    return e;
}

QLineEdit* MakeLatinEdit(QWidget* parent, int maxBytes) {
    QLineEdit* e = MakeEdit(parent, maxBytes);
    TypeWithoutInputMethod({e});
    return e;
}

void TypeWithoutInputMethod(std::initializer_list<QLineEdit*> edits) {
    for (QLineEdit* e : edits) {
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
    }
}

namespace {

TNMDEdit* makeNameEdit(QWidget* parent, std::size_t maxBytes) {
    auto* e = new TNMDEdit(parent);
    e->setByteLimit(static_cast<int>(maxBytes));
    return e;
}

QLineEdit* makeFieldEdit(QWidget* parent, std::size_t maxBytes) {
    return MakeEdit(parent, static_cast<int>(maxBytes));
}

} // namespace

void CreateCallerEdits(CallerFormControls& form, QWidget* parent, bool secondNumber) {
    using R = CallRecord;
    form.edtTel1 = makeFieldEdit(parent, R::kTelWidth);
    if (secondNumber)
        form.edtTel2 = makeFieldEdit(parent, R::kTelWidth);
    form.edtPos = makeFieldEdit(parent, R::kPosWidth);
    form.edtTdfkn = makeFieldEdit(parent, R::kTdfknWidth);
    form.edtAdrs1 = makeFieldEdit(parent, R::kAdrs1Width);
    form.edtAdrs2 = makeFieldEdit(parent, R::kAdrs2Width);
    form.edtAdrs3 = makeFieldEdit(parent, R::kAdrs3Width);
    form.edtCorpKana = makeFieldEdit(parent, R::kCorpKanaWidth);
    form.edtCorpKanji = makeFieldEdit(parent, R::kCorpKanjiWidth);
    form.edtNameKana = makeNameEdit(parent, R::kNameKanaWidth);
    form.edtNameKanji = makeNameEdit(parent, R::kNameKanjiWidth);
    form.cbxPrivCorp = MakePrivCorpBox(parent);
    for (QLineEdit** memo : {&form.edtMemo1, &form.edtMemo2, &form.edtMemo3})
        *memo = makeFieldEdit(parent, R::kMemoWidth);
    form.edtEMail = makeFieldEdit(parent, R::kEMailWidth);
}

TNMDEdit* NameKanaEdit(const CallerFormControls& form) {
    return static_cast<TNMDEdit*>(form.edtNameKana);
}

TNMDEdit* NameKanjiEdit(const CallerFormControls& form) {
    return static_cast<TNMDEdit*>(form.edtNameKanji);
}

QComboBox* MakePrivCorpBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems({QStringLiteral("個人"), QStringLiteral("法人")});
    return box;
}

QHBoxLayout* MakeRow(std::initializer_list<QWidget*> widgets, bool stretch) {
    auto* l = new QHBoxLayout;
    l->setSpacing(4);
    for (QWidget* w : widgets)
        l->addWidget(w);
    if (stretch)
        l->addStretch(1);
    return l;
}

void SwapTexts(QLineEdit* first, QLineEdit* second) {
    const QString text = first->text();
    first->setText(second->text());
    second->setText(text);
}

void SetTabOrder(std::initializer_list<QWidget*> chain) {
    QWidget* previous = nullptr;
    for (QWidget* w : chain) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

bool IsEnterKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

namespace {

int screenDpi(const QScreen* screen) {
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

} // namespace

void RestoreWindowPosition(QWidget& window, const IniFile& ini, const char* section) {
    window.adjustSize();
    const StoredGeometry stored = readGeometry(ini, section);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const ScreenGeometry defaults{0, 0, window.width(), window.height(), {}};
    const ScreenGeometry g =
        applyGeometry(stored, defaults, area.width(), area.height(), screenDpi(screen));
    window.move(g.left, g.top);
}

void WriteWindowPosition(const QWidget& window, IniFile& ini, const char* section) {
    const int dpi = screenDpi(QGuiApplication::primaryScreen());
    StoredGeometry stored =
        storeGeometry({window.x(), window.y(), window.width(), window.height(), {}}, dpi, false);
    stored.width.reset();
    stored.height.reset();
    writeGeometry(ini, section, stored);
}

} // namespace kanata::ui
