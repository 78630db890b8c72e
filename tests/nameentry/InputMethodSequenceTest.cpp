// The name edits fed the event sequences that fcitx5-mozc and ibus-mozc send
// through Qt, on X11 (fcitx5-qt and Qt's ibus context) and under Wayland
// (text-input-v3, the same for both input methods), and the keys the X
// server delivers while a composition is open. The ibus-mozc sequences are
// as recorded from ibus-mozc 2.28 and Qt 6.4 under Xvfb; the fcitx5-qt and
// text-input-v3 ones as those front ends build their events.
#include "tests/nameentry/NameEntryFixture.h"

#include <QAbstractEventDispatcher>
#include <QColor>
#include <QTableWidget>
#include <QTextCharFormat>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <vector>

using namespace kanata;
using namespace kanata::test;

namespace {

// How the input method draws its preedit. On X11 both underline what is
// being typed and highlight the segment being converted; text-input-v3
// carries no styles, so Qt underlines everything there.
enum class Look { Typing, Converting, Wayland };

// One QInputMethodEvent: preedit, commit and the replacement range
// (relative to the cursor) that the commit takes the place of.
struct Step {
    QString preedit;
    Look look = Look::Typing;
    QString commit;
    int replaceFrom = 0;
    int replaceLength = 0;
};

void send(QWidget* edit, const Step& step) {
    QList<QInputMethodEvent::Attribute> attributes;
    if (!step.preedit.isEmpty()) {
        QTextCharFormat format;
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        if (step.look == Look::Converting) {
            format.setBackground(QColor(0x30, 0x8c, 0xc6));
            format.setForeground(Qt::white);
        }
        attributes << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0,
                                                   static_cast<int>(step.preedit.size()), format);
        // While converting the cursor stands at the segment's start.
        attributes << QInputMethodEvent::Attribute(
            QInputMethodEvent::Cursor,
            step.look == Look::Converting ? 0 : static_cast<int>(step.preedit.size()), 1);
    }
    QInputMethodEvent event(step.preedit, attributes);
    if (!step.commit.isEmpty() || step.replaceLength > 0)
        event.setCommitString(step.commit, step.replaceFrom, step.replaceLength);
    QApplication::sendEvent(edit, &event);
}

void play(QWidget* edit, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        send(edit, step);
        settle();
    }
}

using Steps = std::vector<Step>;
constexpr Look T = Look::Typing, C = Look::Converting, W = Look::Wayland;

// やまだ, Space, then typing on: たろう, Space, Enter. On X11 the commit of
// 山田 and the first preedit of the next word come as two events; under
// Wayland one event carries both.
const Steps kYamadaTaroX11 = {
    {"ｙ"}, {"や"}, {"やｍ"}, {"やま"}, {"やまｄ"}, {"やまだ"},  {"山田", C},     {"", T, "山田"},
    {"ｔ"}, {"た"}, {"たｒ"}, {"たろ"}, {"たろう"}, {"太郎", C}, {"", T, "太郎"},
};
const Steps kYamadaTaroWayland = {
    {"ｙ", W},     {"や", W},     {"やｍ", W},       {"やま", W},     {"やまｄ", W},
    {"やまだ", W}, {"山田", W},   {"ｔ", W, "山田"}, {"た", W},       {"たｒ", W},
    {"たろ", W},   {"たろう", W}, {"太郎", W},       {"", W, "太郎"},
};

TEST_F(NameEntry, TypingOnAfterAConversionKeepsEveryReading) {
    for (const Steps* steps : {&kYamadaTaroX11, &kYamadaTaroWayland}) {
        kanji->clear();
        play(kanji, *steps);
        EXPECT_EQ(kanji->text(), QStringLiteral("山田太郎"));
        EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ"));
        EXPECT_FALSE(popup()->isVisible());
    }
}

// The whole of 山田 selected and reconverted (the conversion key), the next
// candidate taken (Space) and committed (Enter). ibus-mozc deletes the
// selection as surrounding text first; fcitx5-mozc's delete comes through
// fcitx5-qt as an empty event and the preedit replaces the selection;
// under Wayland the delete and the preedit are one event.
const Steps kReconvertIbusX11 = {{"", T, "", -2, 2}, {"山田", C}, {"八田", C}, {"", T, "八田"}};
const Steps kReconvertFcitxX11 = {{"山田", C}, {"八田", C}, {"", T, "八田"}};
const Steps kReconvertWayland = {{"山田", W, "", -2, 2}, {"八田", W}, {"", W, "八田"}};

TEST_F(NameEntry, ReconvertingANameKeepsItsReading) {
    for (const Steps* steps : {&kReconvertIbusX11, &kReconvertFcitxX11, &kReconvertWayland}) {
        kanji->setText(QStringLiteral("山田"));
        kana->setText(QStringLiteral("ﾔﾏﾀﾞ"));
        kanji->selectAll();
        play(kanji, *steps);
        EXPECT_EQ(kanji->text(), QStringLiteral("八田"));
        EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾀﾞ"));
        EXPECT_TRUE(popup() == nullptr || !popup()->isVisible());
    }
    // Only the given name reconverted: the whole reading stays.
    kanji->setText(QStringLiteral("山田　太郎"));
    kana->setText(QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"));
    kanji->setSelection(3, 2);
    play(kanji, {{"", T, "", -2, 2}, {"太郎", C}, {"太朗", C}, {"", T, "太朗"}});
    EXPECT_EQ(kanji->text(), QStringLiteral("山田　太朗"));
    EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"));
    // Back from the candidates to the reading (Esc), a new reading typed
    // over the whole name: it replaces the old one.
    kanji->selectAll();
    play(kanji, {{"", T, "", -5, 5},
                 {"山田　太朗", C},
                 {"やまだたろう"},
                 {"やま"},
                 {"やまな"},
                 {"山名", C},
                 {"", T, "山名"}});
    EXPECT_EQ(kanji->text(), QStringLiteral("山名"));
    EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾅ"));
    // Typing over the whole name and giving the composition up (Esc, Esc)
    // leaves both fields empty.
    kanji->selectAll();
    play(kanji, {{"ｓ"}, {"さ"}, {""}});
    EXPECT_TRUE(kanji->text().isEmpty());
    EXPECT_TRUE(kana->text().isEmpty());
}

TEST_F(NameEntry, ThePopupGivesWayToTheInputMethodsOwnCandidates) {
    const Steps satou = {{"ｓ"}, {"さ"}, {"さｔ"}, {"さと"}, {"さとう"}};
    play(kanji, satou);
    ASSERT_TRUE(popup() && popup()->isVisible());
    play(kanji, {{"佐藤", C}});
    EXPECT_FALSE(popup()->isVisible());
    // Esc back to the reading: the popup is wanted again.
    play(kanji, {{"さとう"}});
    EXPECT_TRUE(popup()->isVisible());
    // A candidate written in kana is a conversion too (highlighted on X11).
    play(kanji, {{"さとう", C}});
    EXPECT_FALSE(popup()->isVisible());
    play(kanji, {{"", T, "さとう"}});
    // Under Wayland only the kanji tell the conversion.
    kanji->clear();
    play(kanji, {{"さとう", W}});
    ASSERT_TRUE(popup()->isVisible());
    play(kanji, {{"佐藤", W}});
    EXPECT_FALSE(popup()->isVisible());
}

// Keycodes of the standard Linux keyboard, as the X server reports them.
constexpr std::uint8_t kReturn = 36, kRight = 114, kDown = 116;

// A key pressed and released on X11, offered to the application's native
// event filters as Qt's xcb platform does before the input method sees it.
// True when the press was taken there.
bool pressX11Key(WId window, std::uint8_t keycode, std::uint16_t state = 0) {
    xcb_key_press_event_t event{};
    event.response_type = XCB_KEY_PRESS;
    event.detail = keycode;
    event.event = static_cast<xcb_window_t>(window);
    event.state = state;
    qintptr result = 0;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    const bool pressTaken = dispatcher->filterNativeEvent("xcb_generic_event_t", &event, &result);
    event.response_type = XCB_KEY_RELEASE;
    const bool releaseTaken = dispatcher->filterNativeEvent("xcb_generic_event_t", &event, &result);
    EXPECT_EQ(pressTaken, releaseTaken);
    settle();
    return pressTaken;
}

TEST_F(NameEntry, KeysPressedWhileComposingReachThePopupBeforeTheInputMethod) {
    const WId x11Window = window.internalWinId();
    ASSERT_NE(x11Window, 0u);
    play(kanji, {{"ｓ"}, {"さ"}, {"さｔ"}, {"さと"}, {"さとう"}});
    ASSERT_TRUE(popup() && popup()->isVisible());
    QTableWidget* grid = popup()->sgNames;
    // Nothing chosen yet: Enter is the input method's (it commits).
    EXPECT_FALSE(pressX11Key(x11Window, kReturn));
    EXPECT_TRUE(pressX11Key(x11Window, kDown));
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_TRUE(pressX11Key(x11Window, kRight));
    EXPECT_EQ(grid->currentColumn(), 2);
    // Shift with an arrow resizes the input method's segment.
    EXPECT_FALSE(pressX11Key(x11Window, kRight, XCB_MOD_MASK_SHIFT));
    EXPECT_EQ(grid->currentColumn(), 2);
    EXPECT_TRUE(pressX11Key(x11Window, kReturn));
    EXPECT_FALSE(popup()->isVisible());
    // Reset, ibus still commits the given-up reading a moment later.
    play(kanji, {{"", T, "さとう"}, {""}});
    EXPECT_EQ(kanji->text(), QStringLiteral("佐東　"));
    EXPECT_EQ(kana->text(), QStringLiteral("ｻﾄｳ "));
    // No composition open: the keys take their usual way.
    EXPECT_FALSE(pressX11Key(x11Window, kDown));
    // Nor are keys for another window taken.
    kanji->clear();
    play(kanji, {{"さとう"}});
    ASSERT_TRUE(popup()->isVisible());
    EXPECT_FALSE(pressX11Key(x11Window + 1, kDown));
    EXPECT_TRUE(pressX11Key(x11Window, kDown));
}

} // namespace
