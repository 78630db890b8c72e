// The update check against a server that sends too much, too slowly or
// nothing at all: every exchange ends, nothing large is read or kept, and
// what is stored stays as it was.
#include "maintenance/Notices.h"
#include "maintenance/UpdateEngine.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "tests/update/HostileHttpServer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;
// Far below what a body read to its end would have sent, far above what
// the socket buffers of loopback hold.
constexpr std::int64_t kReadAtMost = 64LL * 1024 * 1024;

const std::string kHead = "<?xml version=\"1.0\"?><update><app>Kanata195</app>";

std::string oneFileDescription(const std::string& size) {
    return kHead +
           "<info><date>2026/12/01</date></info><count>1</count><file><name>new.dat</name>"
           "<size>" +
           size +
           "</size><datetime>2030/01/02 03:04:05</datetime><dlfile>new.bin</dlfile>"
           "<dlparam>p</dlparam></file><dlpath>/dl/</dlpath></update>";
}

class HostileServer : public ::testing::Test {
protected:
    TempFolders folders;
    HostileHttpServer server;
    ScriptedMessages messages;
    TUpdateDialog engine{{QString::fromStdString(server.hostAndPort()), "/check/", "/app/"},
                         folders.root() / "app",
                         folders.workFolder(),
                         messages};

    void describe(HostilePage page) { server.serve("/check/kanata195/", std::move(page)); }
    fs::path staging() const { return engine.stagingFolder(); }
};

TEST_F(HostileServer, AHugeDescriptionIsRefusedAsTooLargeAnnouncedOrNot) {
    for (const bool announced : {true, false}) {
        describe({.body = kHead, .filler = kGiB, .announceLength = announced});
        EXPECT_FALSE(engine.CheckOnline(true)) << announced;
        EXPECT_EQ(engine.resultCode(), kHttpBodyTooLarge);
        EXPECT_FALSE(engine.errorText().empty());
    }
    EXPECT_LT(server.bytesSent(), kReadAtMost);
    EXPECT_FALSE(fs::exists(staging() / "upderr.dat")) << "not kept as a faulty description";
}

TEST_F(HostileServer, ADescriptionDrippedForeverEndsAtTheCheckTimeLimit) {
    describe(
        {.body = kHead, .filler = kGiB, .announceLength = false, .pace = 100ms, .pieceBytes = 1});
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(engine.CheckOnline(true));
    EXPECT_EQ(engine.resultCode(), kHttpTimedOut);
    EXPECT_LT(timer.elapsed(), 12000);
}

TEST_F(HostileServer, AFaultyDescriptionLeavesTheStoredNoticeAlone) {
    saveNotice(folders.workFolder(), "2026/01/01", "いまのお知らせ");
    const std::string before = readFile(noticeFile(folders.workFolder()));
    // A newer notice date, then a count that does not match the files.
    describe({.body = kHead + "<info><date>2026/12/01</date></info><count>2</count>"
                              "<dlpath>/dl/</dlpath></update>"});
    server.serve("/info/kanata195/", {.body = "届いてはいけないお知らせ"});
    ASSERT_TRUE(engine.CheckOnline(true));
    EXPECT_EQ(engine.resultCode(), kNoUpdateInformation);
    NoticeBoard board(folders.workFolder());
    const std::string shown = board.ShowNotices(false, engine);
    board.Close(shown);
    EXPECT_EQ(shown, "2026/01/01\r\nいまのお知らせ");
    EXPECT_EQ(readFile(noticeFile(folders.workFolder())), before);
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/check/kanata195/"});
}

TEST_F(HostileServer, AHugeNoticeIsNotTakenAndTheStoredOneStays) {
    saveNotice(folders.workFolder(), "2026/01/01", "いまのお知らせ");
    const std::string before = readFile(noticeFile(folders.workFolder()));
    describe({.body = kHead + "<info><date>2026/12/01</date></info></update>"});
    server.serve("/info/kanata195/", {.body = "巨大な", .filler = kGiB, .announceLength = false});
    ASSERT_TRUE(engine.CheckOnline(true));
    NoticeBoard board(folders.workFolder());
    const std::string shown = board.ShowNotices(false, engine);
    board.Close(shown);
    EXPECT_EQ(shown, "2026/01/01\r\nいまのお知らせ");
    EXPECT_EQ(readFile(noticeFile(folders.workFolder())), before);
    EXPECT_LT(server.bytesSent(), kReadAtMost);
}

TEST_F(HostileServer, AnOversizedNoticeFileIsNotLoadedAndANewNoticeReplacesIt) {
    writeFile(noticeFile(folders.workFolder()), "2026/01/01\r\n" + std::string(4 << 20, 'x'));
    EXPECT_TRUE(loadNotice(folders.workFolder()).text.empty());
    describe({.body = kHead + "<info><date>2026/12/01</date></info></update>"});
    server.serve("/info/kanata195/", {.body = "新しいお知らせ"});
    ASSERT_TRUE(engine.CheckOnline(true));
    NoticeBoard board(folders.workFolder());
    const std::string shown = board.ShowNotices(false, engine);
    board.Close(shown);
    EXPECT_EQ(shown, "新しいお知らせ");
    EXPECT_EQ(loadNotice(folders.workFolder()).text, "2026/12/01\r\n新しいお知らせ");
}

TEST_F(HostileServer, ADownloadLongerThanItsFileIsStoppedAndNotUsed) {
    describe({.body = oneFileDescription("4")});
    server.serve("/app/", {.body = "#!/bin/sh\n"});
    for (const bool announced : {true, false}) {
        server.serve("/dl/p/", {.body = "data", .filler = kGiB, .announceLength = announced});
        ASSERT_TRUE(engine.CheckOnline(true));
        ASSERT_TRUE(engine.NeedsUpdate());
        EXPECT_FALSE(engine.DownloadUpdate()) << announced;
        EXPECT_EQ(engine.resultCode(), kHttpBodyTooLarge);
    }
    EXPECT_LT(server.bytesSent(), kReadAtMost);
    EXPECT_FALSE(fs::exists(staging() / "new.bin"));
    EXPECT_FALSE(fs::exists(staging() / "updateinfo.dat"));
}

TEST_F(HostileServer, AFileSizeBeyondAnyProgramFileIsRefusedBeforeFetching) {
    describe({.body = oneFileDescription(std::to_string(kGiB))});
    ASSERT_TRUE(engine.CheckOnline(true));
    ASSERT_TRUE(engine.NeedsUpdate());
    EXPECT_FALSE(engine.DownloadUpdate());
    EXPECT_EQ(engine.resultCode(), kHttpBodyTooLarge);
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/check/kanata195/"});
}

TEST_F(HostileServer, ADownloadIsGivenUpWhenTheServerFallsSilentNotWhileItSends) {
    engine.setDownloadSilenceLimit(1s);
    describe({.body = oneFileDescription("20")});
    server.serve("/app/", {.body = "#!/bin/sh\n"});
    // Slow but steady: twice the silence limit in all, never silent for long.
    server.serve("/dl/p/", {.body = std::string(20, 'd'), .pace = 100ms, .pieceBytes = 1});
    ASSERT_TRUE(engine.CheckOnline(true));
    ASSERT_TRUE(engine.NeedsUpdate());
    EXPECT_TRUE(engine.DownloadUpdate()) << engine.errorText();
    EXPECT_EQ(readFile(staging() / "new.bin"), std::string(20, 'd'));

    fs::remove(staging() / "new.bin");
    server.serve("/dl/p/", {.body = "half", .filler = 16, .stallAfterBody = true});
    ASSERT_TRUE(engine.CheckOnline(true));
    ASSERT_TRUE(engine.NeedsUpdate());
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(engine.DownloadUpdate());
    EXPECT_EQ(engine.resultCode(), kHttpTimedOut);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_FALSE(fs::exists(staging() / "new.bin"));
}

} // namespace
} // namespace kanata::test
