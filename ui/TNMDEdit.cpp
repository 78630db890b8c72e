#include "ui/TNMDEdit.h"

#include "ui/Cp932ByteLimit.h"

#include "data/Cp932.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMetaObject>

namespace kanata {
namespace {

// Readings this long are not looked up.
constexpr std::size_t kLongestReading = 30;

std::string s(const QString& text) {
    return text.toStdString();
}

bool isBlankCommit(const QString& commit) {
    return !commit.isEmpty() &&
           commit.trimmed().remove(QChar(0x3000)).isEmpty(); // blanks of either width
}

} // namespace

TNMDEdit::TNMDEdit(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_InputMethodEnabled);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        // Clearing the kanji name clears its reading.
        if (text.isEmpty() && InputType == TInputKind::itKanji && associate_)
            associate_->clear();
    });
}

TNMDEdit::~TNMDEdit() {
    if (OnConvertNeed)
        OnConvertNeed(*this, kind_, false, {});
}

void TNMDEdit::setByteLimit(int bytes) {
    byteLimit_ = bytes;
    if (bytes > 0)
        ui::LimitToCp932Bytes(this, bytes);
}

void TNMDEdit::setAssociate(TNMDEdit* partner) {
    associate_ = partner;
}

EditText TNMDEdit::state() const {
    return {s(text()), XPSelStart(), XPSelLength(), byteLimit_};
}

void TNMDEdit::apply(const EditText& e) {
    setText(QString::fromStdString(e.text));
    setXPSelStart(e.selStart);
    setXPSelLength(e.selLength);
}

int TNMDEdit::XPSelStart() const {
    const int chars = hasSelectedText() ? selectionStart() : cursorPosition();
    return BytesBefore(s(text()), chars);
}

int TNMDEdit::XPSelLength() const {
    if (!hasSelectedText())
        return 0;
    const std::string t = s(text());
    return BytesBefore(t, selectionEnd()) - BytesBefore(t, selectionStart());
}

void TNMDEdit::setXPSelStart(int bytes) {
    setCursorPosition(CharactersIn(s(text()), bytes));
}

void TNMDEdit::setXPSelLength(int bytes) {
    const int start = cursorPosition();
    const std::string t = s(text());
    const int startBytes = BytesBefore(t, start);
    const int chars = CharactersIn(t, startBytes + bytes) - start;
    if (chars >= 1)
        setSelection(start, chars);
}

void TNMDEdit::startComposition() {
    const EditText e = state();
    kind_ = NameKindAt(e);
    replacesAll_ = e.text.empty() || static_cast<int>(cp932::byteWidth(e.text)) <= e.selLength;
    romaji_.reset();
    composing_ = true;
}

void TNMDEdit::preeditChanged(const QString& preedit) {
    const std::string reading = HalfWidthKana(s(preedit));
    if (cp932::encode(reading).size() >= kLongestReading)
        return;
    // The input method converted the reading (kanji came in): the last
    // unconverted preedit stays the reading, and no list is wanted now.
    if (DropDoubleByte(reading) != reading) {
        show_ = false;
        return;
    }
    show_ = true;
    reading_ = reading;
    if (romaji_.ShouldQuery(cp932::encode(reading_)))
        postQuery();
}

void TNMDEdit::postQuery() {
    // Answered after the input-method event that caused it, as a posted
    // message would be.
    QMetaObject::invokeMethod(
        this, [this] { raiseConvertNeed(show_, reading_); }, Qt::QueuedConnection);
}

void TNMDEdit::compositionEnded(const QString& commit) {
    raiseConvertNeed(false, {});
    if (InputType == TInputKind::itKanji && associate_ && !commit.isEmpty()) {
        EditText kana = associate_->state();
        EditText self{replacesAll_ ? std::string() : s(text()), 0, 0, byteLimit_};
        CaptureReading(self, reading_, kana);
        associate_->setText(QString::fromStdString(kana.text));
    }
    composing_ = false;
    reading_.clear();
}

void TNMDEdit::raiseConvertNeed(bool show, const std::string& reading) {
    if (OnConvertNeed)
        OnConvertNeed(*this, kind_, show, reading);
}

void TNMDEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString preedit = event->preeditString();
    const QString commit = event->commitString();
    if (!composing_ && !preedit.isEmpty())
        startComposition();
    if (!composing_ && isBlankCommit(commit) && InputType == TInputKind::itKanji && associate_) {
        // A blank typed straight through the input method separates surname
        // and given name in the reading too.
        associate_->setText(associate_->text() + QLatin1Char(' '));
    } else if (composing_ && !preedit.isEmpty()) {
        preeditChanged(preedit);
    } else if (composing_) {
        compositionEnded(commit);
    }
    QLineEdit::inputMethodEvent(event);
}

void TNMDEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        if (OnConvertKeyDown && OnConvertKeyDown(*this, event->key())) {
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void TNMDEdit::focusOutEvent(QFocusEvent* event) {
    // A popup of this window (the name dictionary) taking the activation
    // is still part of the typing, not leaving the edit.
    const QWidget* active = QApplication::activeWindow();
    if (event->reason() == Qt::ActiveWindowFocusReason && active && active != window() &&
        active->parentWidget() && active->parentWidget()->window() == window()) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    raiseConvertNeed(false, {});
    if (composing_) {
        // An open composition is dropped, not committed.
        QInputMethodEvent cancel;
        QLineEdit::inputMethodEvent(&cancel);
        composing_ = false;
        QGuiApplication::inputMethod()->reset();
    }
    QLineEdit::focusOutEvent(event);
}

void TNMDEdit::InsertChosenName(const std::string& kanji, const std::string& reading, int kind) {
    if (composing_) {
        QInputMethodEvent cancel;
        QLineEdit::inputMethodEvent(&cancel);
        composing_ = false;
        QGuiApplication::inputMethod()->reset();
    }
    EditText self = state();
    if (associate_) {
        EditText other = associate_->state();
        kanata::InsertChosenName(self, InputType == TInputKind::itKana, &other, kanji, reading,
                                 kind);
        associate_->setText(QString::fromStdString(other.text));
    } else {
        kanata::InsertChosenName(self, InputType == TInputKind::itKana, nullptr, kanji, reading,
                                 kind);
    }
    setText(QString::fromStdString(self.text));
    setXPSelStart(self.selStart);
}

} // namespace kanata
