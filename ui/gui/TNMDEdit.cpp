#include "ui/gui/TNMDEdit.h"

#include "ui/gui/Cp932ByteLimit.h"
#include "ui/gui/XcbKeyTap.h"

#include "data/Cp932.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QTextCharFormat>

namespace kanata {
namespace {

// Readings this long are not looked up.
constexpr std::size_t kLongestReading = 30;

std::string s(const QString& text) {
    return text.toStdString();
}

// Input methods draw the segment being converted highlighted (with a
// background) and unconverted input only underlined.
bool showsConversion(const QInputMethodEvent& event) {
    for (const QInputMethodEvent::Attribute& a : event.attributes()) {
        if (a.type != QInputMethodEvent::TextFormat || a.length <= 0)
            continue;
        const QTextCharFormat format = a.value.value<QTextFormat>().toCharFormat();
        if (format.background().style() != Qt::NoBrush)
            return true;
    }
    return false;
}

// Kanji (or anything else without a half-width form) in the preedit: the
// input method has converted it.
bool hasDoubleByte(const QString& preedit) {
    const std::string reading = HalfWidthKana(preedit.toStdString());
    return DropDoubleByte(reading) != reading;
}

bool isBlankCommit(const QString& commit) {
    return !commit.isEmpty() &&
           commit.trimmed().remove(QChar(0x3000)).isEmpty(); // blanks of either width
}

} // namespace

TNMDEdit::TNMDEdit(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_InputMethodEnabled);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        // Clearing the kanji name clears its reading. Text the input method
        // takes away on its own (to reconvert it, or to type over it) is
        // still being worked on; the end of the composition decides.
        if (text.isEmpty() && !inInputMethodEvent_ && InputType == TInputKind::itKanji &&
            associate_)
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

void TNMDEdit::startComposition(bool converted) {
    const EditText e = state();
    kind_ = NameKindAt(e);
    replacesAll_ = e.text.empty() || static_cast<int>(cp932::byteWidth(e.text)) <= e.selLength;
    // A composition that opens on converted text is the input method
    // reconverting what the edit already holds: its reading is in the kana
    // field already.
    reconverting_ = converted;
    show_ = false;
    romaji_.reset();
    composing_ = true;
}

void TNMDEdit::preeditChanged(const QString& preedit, bool converted) {
    if (converted) {
        // The input method shows its own candidates now; the last
        // unconverted preedit stays the reading.
        if (show_) {
            show_ = false;
            postQuery();
        }
        return;
    }
    const std::string reading = HalfWidthKana(s(preedit));
    if (cp932::encode(reading).size() >= kLongestReading)
        return;
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
    // A reconversion keeps the reading, unless it took the whole name and
    // the user went back to the reading and typed a new one.
    const bool keepsReading = reconverting_ && (reading_.empty() || !replacesAll_);
    if (InputType == TInputKind::itKanji && associate_ && !commit.isEmpty() && !keepsReading) {
        EditText kana = associate_->state();
        EditText self{replacesAll_ ? std::string() : s(text()), 0, 0, byteLimit_};
        CaptureReading(self, reading_, kana);
        associate_->setText(QString::fromStdString(kana.text));
    }
    composing_ = false;
    reconverting_ = false;
    show_ = false;
    reading_.clear();
}

void TNMDEdit::raiseConvertNeed(bool show, const std::string& reading) {
    if (OnConvertNeed)
        OnConvertNeed(*this, kind_, show, reading);
}

bool TNMDEdit::isAbandonedCommit(const QInputMethodEvent& event) {
    if (abandoned_.isEmpty())
        return false;
    const bool echo = event.preeditString().isEmpty() && event.commitString() == abandoned_;
    if (echo || !event.preeditString().isEmpty() || !event.commitString().isEmpty())
        abandoned_.clear();
    return echo;
}

void TNMDEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (isAbandonedCommit(*event)) {
        event->accept();
        return;
    }
    if (!event->preeditString().isEmpty())
        preedit_ = event->preeditString();
    inInputMethodEvent_ = true;
    takeInputMethodEvent(event);
    inInputMethodEvent_ = false;
}

bool TNMDEdit::rangeIsTheSelection(const QInputMethodEvent& event) const {
    if (composing_ || !hasSelectedText() || event.replacementLength() <= 0)
        return false;
    return cursorPosition() + event.replacementStart() == selectionStart() &&
           event.replacementLength() == selectedText().size();
}

void TNMDEdit::takeInputMethodEvent(QInputMethodEvent* event) {
    if (rangeIsTheSelection(*event)) {
        // An input method that reconverts the selection deletes it as text
        // around the cursor, but the line edit drops the selection before it
        // applies the range and would then delete as much again.
        del();
        QInputMethodEvent rest(event->preeditString(), event->attributes());
        if (!event->commitString().isEmpty())
            rest.setCommitString(event->commitString());
        takeInputMethodEvent(&rest);
        event->accept();
        return;
    }
    const QString preedit = event->preeditString();
    const QString commit = event->commitString();
    const bool pairsKanji = InputType == TInputKind::itKanji && associate_;
    // One event may finish a composition and open the next (typing on after
    // a conversion): the commit is taken first.
    if (composing_ && !commit.isEmpty()) {
        compositionEnded(commit);
    } else if (!composing_ && isBlankCommit(commit) && pairsKanji) {
        // A blank typed straight through the input method separates surname
        // and given name in the reading too.
        associate_->setText(associate_->text() + QLatin1Char(' '));
    }
    if (preedit.isEmpty()) {
        const bool cancelled = composing_;
        if (cancelled)
            compositionEnded({});
        QLineEdit::inputMethodEvent(event);
        // Text the input method took away while composing counts as deleted
        // once the composition is given up.
        if (cancelled && text().isEmpty() && pairsKanji)
            associate_->clear();
        return;
    }
    const bool converted = showsConversion(*event) || hasDoubleByte(preedit);
    const bool split = !commit.isEmpty() || event->replacementLength() > 0;
    if (split) {
        // The commit lands first, so that the new composition starts on the
        // text it leaves.
        QInputMethodEvent done;
        done.setCommitString(commit, event->replacementStart(), event->replacementLength());
        QLineEdit::inputMethodEvent(&done);
    }
    if (!composing_)
        startComposition(converted);
    preeditChanged(preedit, converted);
    if (split) {
        QInputMethodEvent rest(preedit, event->attributes());
        QLineEdit::inputMethodEvent(&rest);
        event->accept();
    } else {
        QLineEdit::inputMethodEvent(event);
    }
}

bool TNMDEdit::takeComposingKey(int key) {
    return composing_ && OnConvertKeyDown && OnConvertKeyDown(*this, key);
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

void TNMDEdit::focusInEvent(QFocusEvent* event) {
    // While composing, the input method takes the keys before this edit
    // sees them; the tap hands the popup's keys over first.
    if (!keyTap_)
        keyTap_ =
            std::make_unique<XcbKeyTap>(this, [this](int key) { return takeComposingKey(key); });
    QLineEdit::focusInEvent(event);
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
    keyTap_.reset();
    raiseConvertNeed(false, {});
    cancelComposition();
    QLineEdit::focusOutEvent(event);
}

void TNMDEdit::cancelComposition() {
    if (!composing_)
        return;
    // An open composition is dropped, not committed.
    composing_ = false;
    reconverting_ = false;
    QInputMethodEvent cancel;
    QLineEdit::inputMethodEvent(&cancel);
    // Input methods answer a reset by committing what they still held
    // (fcitx5 at once, ibus a moment later): that text was given up here.
    abandoned_ = preedit_;
    QGuiApplication::inputMethod()->reset();
}

void TNMDEdit::InsertChosenName(const std::string& kanji, const std::string& reading, int kind) {
    cancelComposition();
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
