// The whole road of a call: the real program on the simulator adapter, calls
// sent with the real ktcall, the history table read back from disk.
#include "data/DateTime.h"
#include "data/TDMKanata195.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ScriptedMessages.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kanata::test {
namespace {

// Waits until the history holds `count` rows (calls are stored a moment
// after ktcall returns).
class IntakeEndToEnd : public ::testing::Test {
protected:
    TempFolders folders;
    AppFolderCopy app{folders.root() / "app"};
    ProgramRun run{folders, app.path()};
    std::filesystem::path data() const { return folders.workFolder() / "Data"; }
};

TEST_F(IntakeEndToEnd, CallsAreStoredIdentifiedAndLogged) {
    std::filesystem::copy_file(stageFolder().parent_path() / "plugins-sample" / "ExtDLL.so",
                               app.path() / "ExtDLL.so");
    run.setEnv("KANATA_EXTDLL_RESULT", "0");
    ASSERT_TRUE(run.prepareDemo());
    ASSERT_TRUE(run.start()) << run.log().toStdString();

    const DateTime before = TruncateToSeconds(DateTime::now());
    ASSERT_EQ(run.ktcall({"0312345678"}), 0);
    auto rows = waitForRows(data(), 1);
    ASSERT_EQ(rows.size(), 1u) << run.log().toStdString();
    ASSERT_EQ(run.ktcall({"0355550000"}), 0);
    ASSERT_EQ(run.ktcall({"P"}), 0);
    ASSERT_EQ(run.ktcall({"09011112222"}), 0);
    rows = waitForRows(data(), 4);
    const DateTime after = DateTime::now();
    ASSERT_EQ(rows.size(), 4u) << run.log().toStdString();

    // A Tokyo number from the roster's first number: hyphenated, digit key.
    EXPECT_EQ(rows[0].RecNo, 0);
    EXPECT_EQ(rows[0].Tel, "03-1234-5678");
    EXPECT_EQ(rows[0].SchTel, "0312345678");
    EXPECT_GE(rows[0].RecvDateTime, before);
    EXPECT_LE(rows[0].RecvDateTime, after);
    EXPECT_EQ(rows[0].RecvWeek, DayOfWeek(rows[0].RecvDateTime));
    // An unknown caller.
    EXPECT_EQ(rows[1].RecNo, 1);
    EXPECT_EQ(rows[1].Tel, "03-5555-0000");
    EXPECT_EQ(rows[1].Division, "0");
    EXPECT_TRUE(rows[1].CorpKanji.empty());
    // A withheld number.
    EXPECT_EQ(rows[2].Tel, "P");
    EXPECT_EQ(rows[2].SchTel, "P");
    // The roster caller's second number: its names, division 1, that number.
    EXPECT_EQ(rows[3].Tel, "090-1111-2222");
    EXPECT_EQ(rows[3].SchTel, "09011112222");
    EXPECT_EQ(rows[3].CorpKanji, "株式会社山田商事");
    EXPECT_EQ(rows[3].NameKanji, "山田太郎");
    EXPECT_EQ(rows[3].Division, "1");

    // The raw daily log has every line as the adapter sent it.
    const std::string day = rows[0].RecvDateTime.toText().substr(0, 10);
    const std::string logName = day.substr(0, 4) + day.substr(5, 2) + day.substr(8, 2) + ".txt";
    const std::string raw = readFile(folders.workFolder() / "rd" / logName);
    EXPECT_NE(raw.find(",0312345678"), std::string::npos) << raw;
    EXPECT_NE(raw.find(",P"), std::string::npos) << raw;

    // The extension library answered 0 for each call: logged, stored anyway.
    const std::string extLog = readFile(folders.workFolder() / "extdll_call.log");
    EXPECT_NE(extLog.find(",extended dll call error [rc=0]"), std::string::npos) << extLog;

    EXPECT_TRUE(run.stop()) << run.log().toStdString();
    EXPECT_FALSE(run.log().contains("kanata195: box:")) << run.log().toStdString();
}

TEST_F(IntakeEndToEnd, SecondStartBringsTheFirstForwardAndEnds) {
    ASSERT_TRUE(run.prepareDemo());
    ASSERT_TRUE(run.start()) << run.log().toStdString();

    QProcess second;
    second.setProcessEnvironment(run.environment());
    second.start(QString::fromStdString((app.path() / "kanata195").string()), {});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), 0);
    const QString secondLog = QString::fromUtf8(second.readAllStandardError());
    EXPECT_TRUE(secondLog.contains("既に「着信帳１９.５」は起動しています"))
        << secondLog.toStdString();
    EXPECT_FALSE(secondLog.contains("ready for calls"));

    // The first one still takes calls.
    ASSERT_EQ(run.ktcall({"0312345678"}), 0);
    EXPECT_EQ(waitForRows(data(), 1).size(), 1u);
    EXPECT_TRUE(run.stop());
}

TEST_F(IntakeEndToEnd, ExitWritesTheMenuSettings) {
    ASSERT_TRUE(run.prepareDemo());
    ASSERT_TRUE(run.start()) << run.log().toStdString();
    ASSERT_TRUE(run.stop()) << run.log().toStdString();
    const std::string ini = readFile(folders.workFolder() / "Kanata195.ini");
    EXPECT_NE(ini.find("[MENU VIEW]"), std::string::npos) << ini;
}

} // namespace
} // namespace kanata::test
