// Notices and the update check as the program runs them at start.
#include "maintenance/Notices.h"
#include "maintenance/UpdateEngine.h"
#include "maintenance/gui/StartupNotices.h"
#include "maintenance/gui/TDownloadProgress.h"
#include "maintenance/gui/TInfoDialog.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/UserInput.h"
#include "tests/update/HostileHttpServer.h"
#include "tests/update/LoopbackHttpServer.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
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

TEST_F(StartupNotices, TheUserCanGiveUpADownloadThatCrawls) {
    HostileHttpServer slow;
    slow.serve("/check/kanata195/",
               {.body = "<?xml version=\"1.0\"?><update><app>Kanata195</app><count>1</count>"
                        "<file><name>new.dat</name><size>100000</size>"
                        "<datetime>2030/01/02 03:04:05</datetime><dlfile>new.bin</dlfile>"
                        "<dlparam>p</dlparam></file><dlpath>/dl/</dlpath></update>"});
    // One byte a second: without a way to give up this would take a day.
    slow.serve("/dl/p/",
               {.filler = 100000, .pace = std::chrono::milliseconds(1000), .pieceBytes = 1});
    settings.Info = false;
    settings.UpdateCheck = true;
    UpdateContext c = context([](TInfoDialog&) {});
    settings.UpdateDomain = slow.hostAndPort();
    messages.expect("このアップデートを適用してもよろしいですか", MessageResult::Yes);
    messages.expect("アップデートを中止しました");

    bool wasModal = false;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        TDownloadProgress* window = visibleWindow<TDownloadProgress>();
        if (!window)
            return;
        clicker.stop();
        wasModal = window->windowModality() == Qt::ApplicationModal;
        auto* cancel = window->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    clicker.start(100);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(runStartupNoticesAndUpdate(settings, false, c));
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_EQ(visibleWindow<TDownloadProgress>(), nullptr) << "closed with the download";
    const auto staging = folders.workFolder() / "update";
    EXPECT_FALSE(std::filesystem::exists(staging / "new.bin"));
    EXPECT_FALSE(std::filesystem::exists(staging / "updateinfo.dat"));
}

// The work folder's settings ask `domain` for updates and notices at start.
void checkUpdatesAt(const TempFolders& folders, const std::string& domain) {
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ASSERT_TRUE(ini.load());
    ini.writeBool("AUTO UPDATE", "UpdateCheck", true);
    ini.writeBool("COMMON", "Info", true);
    ini.writeString("UPDATE PARAMETER", "Domain", domain);
    ASSERT_TRUE(ini.save());
}

TEST(UpdateAtStart, ACallWhileASilentServerHoldsTheCheckIsStored) {
    TempFolders folders;
    HostileHttpServer server;
    server.serve("/check/kanata195/", {.silent = true});
    ProgramRun run(folders, stageFolder());
    ASSERT_TRUE(run.prepareDemo());
    ASSERT_NO_FATAL_FAILURE(checkUpdatesAt(folders, server.hostAndPort()));

    QProcess program;
    program.setProcessEnvironment(run.environment());
    program.start(QString::fromStdString((run.appFolder() / "kanata195").string()), {});
    ASSERT_TRUE(program.waitForStarted(30000));
    QElapsedTimer timer;
    timer.start();
    while (server.requests().empty() && timer.elapsed() < 60000)
        QThread::msleep(50);
    ASSERT_EQ(server.requests(), std::vector<std::string>{"/check/kanata195/"});
    EXPECT_EQ(run.ktcall({"0312345678"}), 0) << "the line takes the call during the check";
    QString log;
    while (!log.contains("kanata195: ready for calls") && timer.elapsed() < 60000 &&
           program.state() == QProcess::Running) {
        program.waitForReadyRead(200);
        log += QString::fromUtf8(program.readAllStandardError());
    }
    EXPECT_TRUE(log.contains("kanata195: the update check failed")) << log.toStdString();
    const auto rows = waitForRows(folders.workFolder() / "Data", 1);
    ASSERT_EQ(rows.size(), 1u) << log.toStdString();
    EXPECT_EQ(rows[0].Tel, "03-1234-5678");
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(60000));
}

TEST(UpdateAtStart, AServerThatNeverAnswersDoesNotHoldTheStart) {
    TempFolders folders;
    LoopbackHttpServer server;
    server.setSilent(true);
    ProgramRun run(folders, stageFolder());
    ASSERT_TRUE(run.prepareDemo());
    ASSERT_NO_FATAL_FAILURE(checkUpdatesAt(folders, server.hostAndPort().toStdString()));
    // Without the time limit the program would wait for the answer forever
    // and never become ready.
    EXPECT_TRUE(run.start()) << run.log().toStdString();
    EXPECT_TRUE(run.stop());
}

} // namespace
} // namespace kanata::test
