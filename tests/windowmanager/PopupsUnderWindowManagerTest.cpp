// The windows an incoming call pops up, on a real X server under a window
// manager with focus-stealing prevention, while another program has the
// focus: the program as shipped, on the xcb platform, and the call sent with
// ktcall. What counts is what the X server reports: the active window and
// the stacking order of the managed windows.
#include "settings/IniFile.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/UserInput.h"
#include "tests/windowmanager/XDesktop.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace kanata::test {
namespace {

const QString kHistoryList = QStringLiteral("着信対応履歴一覧");
const QString kCallView = QStringLiteral("着信照会");
const QString kCompactView = QStringLiteral("簡易着信情報");

class PopupsUnderWindowManager : public ::testing::Test {
protected:
    void SetUp() override {
        if (const QString missing = XDesktop::missingPrograms(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        desktop = std::make_unique<XDesktop>();
        ASSERT_TRUE(desktop->failure().isEmpty()) << desktop->failure().toStdString();
        other = std::make_unique<FocusTakingWindow>(desktop->display(), "other program");
        program = std::make_unique<ProgramRun>(folders, stageFolder());
        program->setEnv(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        program->setEnv(QStringLiteral("DISPLAY"), desktop->display());
        ASSERT_TRUE(program->prepareDemo());
    }

    void TearDown() override {
        if (program)
            program->stop();
    }

    void setOperation(const std::function<void(IniFile&)>& edit) {
        IniFile ini(folders.workFolder() / "Kanata195.ini");
        ASSERT_TRUE(ini.load());
        edit(ini);
        ASSERT_TRUE(ini.save());
    }

    // The user works in the other program: it is active and on top.
    void workInOtherProgram() {
        desktop->activateAsUser(other->window());
        ASSERT_TRUE(waitUntil(
            [this] {
                return desktop->activeWindow() == other->window() && top() == other->window();
            },
            10000));
    }

    xcb_window_t top() const {
        const auto list = desktop->stacking();
        return list.empty() ? xcb_window_t{XCB_NONE} : list.back();
    }

    // Position in the stacking order, bottom 0; -1 when not managed.
    int level(xcb_window_t window) const {
        const auto list = desktop->stacking();
        const auto it = std::find(list.begin(), list.end(), window);
        return it == list.end() ? -1 : static_cast<int>(it - list.begin());
    }

    // Waits until `done` holds for the windows titled so.
    bool settlesWith(const QStringList& titles,
                     const std::function<bool(const std::vector<xcb_window_t>&)>& done) {
        const auto holds = [&] {
            std::vector<xcb_window_t> windows;
            for (const QString& title : titles)
                windows.push_back(desktop->windowTitled(title));
            if (std::count(windows.begin(), windows.end(), xcb_window_t{XCB_NONE}) > 0)
                return false;
            return done(windows);
        };
        if (!waitUntil(holds, 10000))
            return false;
        // Not a passing moment: windows still being mapped could cover it.
        QTest::qWait(1500);
        return holds();
    }

    TempFolders folders;
    std::unique_ptr<XDesktop> desktop;
    std::unique_ptr<FocusTakingWindow> other;
    std::unique_ptr<ProgramRun> program;
};

TEST_F(PopupsUnderWindowManager, TheCallViewComesForwardAndTakesTheFocusFromAnotherProgram) {
    ASSERT_TRUE(program->start());
    for (const char* number : {"0312345678", "0312345679"}) {
        // Also the second time, when the windows exist already.
        ASSERT_NO_FATAL_FAILURE(workInOtherProgram());
        ASSERT_EQ(program->ktcall({QString::fromLatin1(number)}), 0);
        EXPECT_TRUE(settlesWith({kCallView, kHistoryList},
                                [this](const auto& w) {
                                    return desktop->activeWindow() == w[0] && top() == w[0] &&
                                           level(w[1]) > level(other->window());
                                }))
            << "call from " << number << ": active window " << desktop->activeWindow()
            << ", other program at " << level(other->window()) << " of "
            << desktop->stacking().size();
    }
}

TEST_F(PopupsUnderWindowManager, ACallBringsItsWindowsToTheDesktopTheUserWorksOn) {
    ASSERT_TRUE(program->start());
    ASSERT_NO_FATAL_FAILURE(workInOtherProgram());
    ASSERT_EQ(program->ktcall({QStringLiteral("0312345678")}), 0);
    ASSERT_TRUE(settlesWith({kCallView},
                            [this](const auto& w) { return desktop->activeWindow() == w[0]; }));
    // The user goes on with the other program on the second desktop.
    desktop->moveToDesktop(other->window(), 1);
    desktop->switchToDesktop(1);
    ASSERT_TRUE(waitUntil([this] { return desktop->currentDesktop() == 1; }, 10000));
    ASSERT_NO_FATAL_FAILURE(workInOtherProgram());

    ASSERT_EQ(program->ktcall({QStringLiteral("0312345679")}), 0);
    EXPECT_TRUE(settlesWith({kCallView, kHistoryList},
                            [this](const auto& w) {
                                return desktop->desktopOf(w[0]) == 1 &&
                                       desktop->desktopOf(w[1]) == 1 &&
                                       desktop->activeWindow() == w[0] && top() == w[0];
                            }))
        << "call view on desktop " << desktop->desktopOf(desktop->windowTitled(kCallView))
        << ", active window " << desktop->activeWindow();
}

TEST_F(PopupsUnderWindowManager, TheCompactViewStaysAboveTheHistoryListThatPopsUpAfterIt) {
    setOperation([](IniFile& ini) {
        ini.writeBool("OPERATION", "RecvViewMiniPopup", true);
        ini.writeBool("OPERATION", "RecvViewPopup", false);
    });
    ASSERT_TRUE(program->start());
    for (const char* number : {"0312345678", "0312345679"}) {
        ASSERT_NO_FATAL_FAILURE(workInOtherProgram());
        ASSERT_EQ(program->ktcall({QString::fromLatin1(number)}), 0);
        EXPECT_TRUE(settlesWith({kCompactView, kHistoryList},
                                [this](const auto& w) {
                                    return top() == w[0] && level(w[1]) > level(other->window()) &&
                                           (desktop->activeWindow() == w[0] ||
                                            desktop->activeWindow() == w[1]);
                                }))
            << "call from " << number << ": compact view at "
            << level(desktop->windowTitled(kCompactView)) << ", history list at "
            << level(desktop->windowTitled(kHistoryList)) << ", other program at "
            << level(other->window());
    }
}

} // namespace
} // namespace kanata::test
