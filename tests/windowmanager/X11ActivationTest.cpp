// The activation requests themselves, sent to openbox for a plain window of
// another connection: what the window manager makes of them is read back
// from the X server.
#include "ui/gui/X11Activation.h"
#include "tests/support/UserInput.h"
#include "tests/windowmanager/XDesktop.h"

#include <gtest/gtest.h>

#include <memory>

namespace kanata::test {
namespace {

class X11ActivationOnOpenbox : public ::testing::Test {
protected:
    void SetUp() override {
        if (const QString missing = XDesktop::missingPrograms(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        desktop = std::make_unique<XDesktop>();
        ASSERT_TRUE(desktop->failure().isEmpty()) << desktop->failure().toStdString();
        target = std::make_unique<FocusTakingWindow>(desktop->display(), "call window");
        other = std::make_unique<FocusTakingWindow>(desktop->display(), "other program");
        ASSERT_TRUE(waitUntil([this] { return desktop->stacking().size() == 2; }, 10000))
            << desktop->stacking().size();
        desktop->activateAsUser(other->window());
        ASSERT_TRUE(waitUntil([this] { return desktop->activeWindow() == other->window(); }));
    }

    std::unique_ptr<XDesktop> desktop;
    std::unique_ptr<FocusTakingWindow> target;
    std::unique_ptr<FocusTakingWindow> other;
};

TEST_F(X11ActivationOnOpenbox, ActivatesAWindowLeftOnAnotherDesktopWhereTheUserIs) {
    desktop->moveToDesktop(other->window(), 2);
    desktop->switchToDesktop(2);
    ASSERT_TRUE(waitUntil([this] { return desktop->currentDesktop() == 2; }, 10000));
    const QByteArray display = desktop->display().toLatin1();
    X11Activation activation(desktop->connection(), display.constData());
    ASSERT_TRUE(activation.managed());
    EXPECT_TRUE(activation.activate(target->window(), 2000));
    EXPECT_EQ(desktop->desktopOf(target->window()), 2u);
    EXPECT_EQ(desktop->stacking().back(), target->window());
}

TEST_F(X11ActivationOnOpenbox, KeepsAWindowAboveUntilToldOtherwise) {
    const QByteArray display = desktop->display().toLatin1();
    X11Activation activation(desktop->connection(), display.constData());
    activation.keepAbove(target->window(), true);
    EXPECT_TRUE(waitUntil(
        [this] { return desktop->hasState(target->window(), "_NET_WM_STATE_ABOVE"); }, 10000));
    EXPECT_EQ(desktop->stacking().back(), target->window());
    activation.keepAbove(target->window(), false);
    EXPECT_TRUE(waitUntil(
        [this] { return !desktop->hasState(target->window(), "_NET_WM_STATE_ABOVE"); }, 10000));
}

} // namespace
} // namespace kanata::test
