// Notices and the update check as the program runs them at start.
#include "maintenance/Notices.h"
#include "maintenance/gui/StartupNotices.h"
#include "maintenance/gui/TInfoDialog.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/update/LoopbackHttpServer.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace kanata::test {
namespace {

class StartupNotices : public ::testing::Test {
protected:
    TempFolders folders;
    LoopbackHttpServer server;
    ScriptedMessages messages;
    GlobalSettings settings;
    std::vector<QString> shownTexts;

    UpdateContext context(std::function<void(TInfoDialog&)> answer) {
        settings.UpdateDomain = server.hostAndPort().toStdString();
        return {folders.root() / "app", folders.workFolder(), &messages, nullptr,
                [this, answer](TInfoDialog& dialog) {
                    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("お知らせ"));
                    shownTexts.push_back(dialog.noticeText());
                    answer(dialog);
                }};
    }
};

TEST_F(StartupNotices, FirstRunWelcomesAndTakesTheSwitches) {
    server.serve("/check/kanata195/",
                 "<?xml version=\"1.0\"?><update><app>Kanata195</app></update>");
    const auto untickBoth = [](TInfoDialog& dialog) {
        QTest::mouseClick(dialog.chkInfo, Qt::LeftButton);
        QTest::mouseClick(dialog.chkUpdateCheck, Qt::LeftButton);
    };
    EXPECT_FALSE(runStartupNoticesAndUpdate(settings, true, context(untickBoth)));
    ASSERT_EQ(shownTexts.size(), 1u);
    EXPECT_TRUE(shownTexts[0].startsWith("着信帳１９.５ をお買い上げいただきまして"));
    EXPECT_FALSE(settings.Info);
    EXPECT_FALSE(settings.UpdateCheck);
    EXPECT_TRUE(server.requests().isEmpty()) << "both switched off: no check";
}

TEST_F(StartupNotices, ALaterStartShowsTheServersNoticeAndOffersNothingOld) {
    server.serve("/check/kanata195/", "<?xml version=\"1.0\"?><update><app>Kanata195</app>"
                                      "<info><date>2026/12/05</date></info></update>");
    server.serve("/info/kanata195/", "年末年始の営業のお知らせ");
    EXPECT_FALSE(runStartupNoticesAndUpdate(settings, false, context([](TInfoDialog&) {})));
    ASSERT_EQ(shownTexts.size(), 1u);
    EXPECT_EQ(shownTexts[0], QStringLiteral("年末年始の営業のお知らせ"));
    EXPECT_EQ(loadNotice(folders.workFolder()).date, "2026/12/05");
    EXPECT_TRUE(settings.Info && settings.UpdateCheck);
}

TEST(UpdateAtStart, AServerThatNeverAnswersDoesNotHoldTheStart) {
    TempFolders folders;
    LoopbackHttpServer server;
    server.setSilent(true);
    ProgramRun run(folders, stageFolder());
    ASSERT_TRUE(run.prepareDemo());
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ASSERT_TRUE(ini.load());
    ini.writeBool("AUTO UPDATE", "UpdateCheck", true);
    ini.writeBool("COMMON", "Info", true);
    ini.writeString("UPDATE PARAMETER", "Domain", server.hostAndPort().toStdString());
    ASSERT_TRUE(ini.save());
    // Without the time limit the program would wait for the answer forever
    // and never become ready.
    EXPECT_TRUE(run.start()) << run.log().toStdString();
    EXPECT_TRUE(run.stop());
}

} // namespace
} // namespace kanata::test
