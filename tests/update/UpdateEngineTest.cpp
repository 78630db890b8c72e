// The update check against a real HTTP server on loopback: what the program
// makes of each description, what it downloads and what it tells the
// updater.
#include "maintenance/UpdateEngine.h"
#include "maintenance/Notices.h"
#include "settings/IniFile.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "tests/update/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <utime.h>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

struct FileElement {
    std::string name, version, datetime = "2030/01/02 03:04:05", size = "4", dlfile, dlparam = "p",
                               restart = "0", path;
};

std::string fileXml(const FileElement& f) {
    std::string x = "<file><name>" + f.name + "</name><path>" + f.path + "</path>";
    if (!f.version.empty())
        x += "<version>" + f.version + "</version>";
    x += "<size>" + f.size + "</size><datetime>" + f.datetime + "</datetime><restart>" + f.restart +
         "</restart><dlfile>" + (f.dlfile.empty() ? f.name + ".new" : f.dlfile) +
         "</dlfile><dlparam>" + f.dlparam + "</dlparam></file>";
    return x;
}

std::string description(const std::vector<FileElement>& files,
                        const std::string& date = "2026/12/01", std::string count = "") {
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><update><app>KANATA195</app>"
                    "<info><date>" +
                    date + "</date></info><count>" +
                    (count.empty() ? std::to_string(files.size()) : count) + "</count>";
    for (const auto& f : files)
        x += fileXml(f);
    return x + "<dlpath>/dl/</dlpath></update>";
}

TEST(UpdateDescription, EachFaultHasItsCode) {
    const std::string head = "<?xml version=\"1.0\"?>";
    const std::vector<std::pair<std::string, int>> cases = {
        {"<update/>", 2000},
        {head + "<other/>", 2001},
        {head + "<update><count>0</count></update>", 2002},
        {head + "<update><app>Other</app></update>", 2003},
        {head + "<update><app>Kanata195</app><count>x</count></update>", 2005},
        {head + "<update><app>Kanata195</app></update>", 1000},
        {description({{.name = "a"}, {.name = "b"}, {.name = "c"}}, "d", "2"), 2006},
        {head + "<update><app>Kanata195</app><count>0</count></update>", 2007},
        {head + "<update><app>Kanata195</app><count>0</count><dlpath/></update>", 2008},
        {description({{.name = "a", .size = "four"}}), 2103},
        {description({{.name = "a", .datetime = "2030/02/30 00:00:00"}}), 2105},
        {description({{.name = "a", .dlfile = "../../.bashrc"}}), 2106},
        {description({{.name = "a", .dlfile = "sub/file"}}), 2106},
        {description({{.name = "a"}}), 0},
    };
    for (const auto& [body, code] : cases)
        EXPECT_EQ(parseUpdateDescription(body).code, code) << body;
    const auto ok = parseUpdateDescription(description({{.name = "a"}}, "2026/11/30"));
    EXPECT_EQ(ok.noticeDate, "2026/11/30");
    ASSERT_EQ(ok.files.size(), 1u);
    EXPECT_EQ(ok.files[0].datetime, (LocalDateTime{2030, 1, 2, 3, 4, 5}));
}

TEST(UpdateDescription, VersionsCompareNumberByNumber) {
    EXPECT_TRUE(isNewerVersion("2.0.0.10", "2.0.0.9"));
    EXPECT_FALSE(isNewerVersion("2.0.0.9", "2.0.0.10"));
    EXPECT_FALSE(isNewerVersion("2.0.1", "2.0.1.0"));
    EXPECT_FALSE(isNewerVersion("2.0.1.0", "2.0.1"));
    EXPECT_TRUE(isNewerVersion("1.0", ""));
}

class UpdateCheck : public ::testing::Test {
protected:
    TempFolders folders;
    LoopbackHttpServer server;
    ScriptedMessages messages;
    fs::path program() const { return folders.root() / "app"; }
    fs::path settings() const { return folders.workFolder(); }
    TUpdateDialog engine{
        {server.hostAndPort(), "/check/", "/app/"}, program(), settings(), messages};

    void offer(const std::string& body) {
        server.serve("/check/kanata195/", QByteArray::fromStdString(body));
    }
    fs::path staging() const { return engine.stagingFolder(); }
};

TEST_F(UpdateCheck, AnUnreadableAnswerIsKeptForDiagnosisAndMeansNoUpdate) {
    offer("<html>busy</html>");
    EXPECT_TRUE(engine.CheckOnline(true));
    EXPECT_EQ(engine.resultCode(), kNoUpdateInformation);
    EXPECT_FALSE(engine.NeedsUpdate());
    EXPECT_EQ(readFile(staging() / "upderr.dat"),
              "----------\r\n2000\r\n----------\r\n\r\n<html>busy</html>");
    EXPECT_EQ(server.requests(), QStringList{"/check/kanata195/"});
}

TEST_F(UpdateCheck, NewerFilesAreDownloadedAndListedForTheUpdater) {
    // Installed: a program file with an embedded version and a data file
    // with the same time as offered; one file missing.
    static constexpr char kProgram[] = "\x7f"
                                       "ELF...KANATA_FILE_VERSION=2.0.0.9\0...";
    writeFile(program() / "kanata195", std::string(kProgram, sizeof kProgram - 1));
    writeFile(program() / "Dic" / "same.dat", "old!");
    const LocalDateTime when{2030, 1, 2, 3, 4, 5};
    utimbuf times{static_cast<time_t>(when.toEpochSeconds()),
                  static_cast<time_t>(when.toEpochSeconds())};
    ASSERT_EQ(utime((program() / "Dic" / "same.dat").c_str(), &times), 0);
    offer(description({{.name = "kanata195", .version = "2.0.0.10", .restart = "1"},
                       {.name = "same.dat", .path = "Dic"},
                       {.name = "new.dat", .dlfile = "new.bin", .dlparam = "n", .path = "Dic"}}));
    server.serve("/dl/p/", "prog");
    server.serve("/dl/n/", "data");
    server.serve("/app/", "#!/bin/sh\nexit 0\n");
    writeFile(staging() / "updateinfo.dat", "[FILE3]\r\nName=stale\r\n");

    ASSERT_TRUE(engine.CheckOnline(true));
    ASSERT_TRUE(engine.NeedsUpdate());
    EXPECT_TRUE(engine.restartNeeded());
    EXPECT_FALSE(engine.files()[1].needsUpdate) << "same time, no version";
    ASSERT_TRUE(engine.DownloadUpdate());
    EXPECT_EQ(readFile(staging() / "kanata195.new"), "prog");
    EXPECT_EQ(readFile(staging() / "new.bin"), "data");
    EXPECT_TRUE(fs::exists(staging() / "updateapp.exe"));

    IniFile info(staging() / "updateinfo.dat");
    ASSERT_TRUE(info.load());
    EXPECT_EQ(info.readString("APP", "Name"), "着信帳１９.５");
    EXPECT_EQ(info.readString("APP", "Ident"), "kanata195");
    EXPECT_TRUE(info.readBool("APP", "Run", false));
    EXPECT_EQ(info.readString("FILE1", "Name"), "kanata195");
    EXPECT_EQ(info.readString("FILE1", "DLFile"), "kanata195.new");
    EXPECT_EQ(info.readString("FILE2", "Name"), "new.dat");
    EXPECT_EQ(info.readInteger("FILE2", "Size", 0), 4);
    EXPECT_EQ(info.readString("FILE2", "DateTime"), "2030/01/02 03:04:05");
    EXPECT_FALSE(info.hasSection("FILE3"));
}

TEST_F(UpdateCheck, ADownloadOfTheWrongSizeIsNotUsed) {
    offer(description({{.name = "new.dat", .size = "10"}}));
    server.serve("/dl/p/", "short");
    server.serve("/app/", "#!/bin/sh\n");
    ASSERT_TRUE(engine.CheckOnline(true));
    ASSERT_TRUE(engine.NeedsUpdate());
    EXPECT_FALSE(engine.DownloadUpdate());
    EXPECT_FALSE(fs::exists(staging() / "new.dat.new"));
    EXPECT_FALSE(fs::exists(staging() / "updateinfo.dat"));
}

TEST_F(UpdateCheck, TheUpdaterIsStartedAndItsFailureTold) {
    offer(description({{.name = "new.dat"}}));
    server.serve("/dl/p/", "data");
    // A stand-in updater that records its arguments and fails.
    const fs::path record = folders.scratch() / "args";
    server.serve("/app/", QByteArray::fromStdString("#!/bin/sh\necho \"$@\" > '" + record.string() +
                                                    "'\nexit 3\n"));
    ASSERT_TRUE(engine.CheckOnline(true));
    messages.expect("このアップデートを適用してもよろしいですか", MessageResult::Yes);
    messages.expect("アップデートプログラムが起動できませんでした");
    EXPECT_FALSE(engine.OfferUpdate(nullptr, false));
    EXPECT_EQ(readFile(record), "-auto\n");
    EXPECT_EQ(readFile(staging() / "runapp.log"), "3\r\n");
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(UpdateCheck, NothingNewerSaysSoOnlyWhenAsked) {
    writeFile(program() / "new.dat", "data");
    offer(description({{.name = "new.dat", .datetime = "2001/01/01 00:00:00"}}));
    ASSERT_TRUE(engine.CheckOnline(true));
    EXPECT_FALSE(engine.OfferUpdate(nullptr, false));
    messages.expect("最新のプログラムを使用しています");
    EXPECT_FALSE(engine.OfferUpdate(nullptr, true));
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(UpdateCheck, ANewerNoticeIsFetchedAndKept) {
    saveNotice(settings(), "2026/01/01", "古いお知らせ");
    offer(description({}, "2026/12/01"));
    server.serve("/info/kanata195/", "新しいお知らせです");
    ASSERT_TRUE(engine.CheckOnline(true));
    NoticeBoard board(settings());
    const std::string shown = board.ShowNotices(false, engine);
    EXPECT_EQ(shown, "新しいお知らせです");
    board.Close(shown);
    const StoredNotice stored = loadNotice(settings());
    EXPECT_EQ(stored.date, "2026/12/01");
    EXPECT_EQ(stored.text, "2026/12/01\r\n新しいお知らせです");

    // The next start shows the stored file and writes it back unchanged.
    NoticeBoard again(settings());
    const std::string next = again.ShowNotices(false, engine);
    EXPECT_EQ(next, stored.text);
    again.Close(next);
    EXPECT_EQ(loadNotice(settings()).text, stored.text);
}

TEST_F(UpdateCheck, ASilentServerIsGivenUp) {
    server.setSilent(true);
    EXPECT_FALSE(engine.CheckOnline(true));
    EXPECT_EQ(engine.resultCode(), kHttpTimedOut);
}

} // namespace
} // namespace kanata::test
