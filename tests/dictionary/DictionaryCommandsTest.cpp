// The dictionary commands of kanata-cli run as a user runs them, on the
// staged dictionaries: typed text that is not what the terminal should send.
#include "tests/support/CliRun.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kanata::test {
namespace {

TEST(DictionaryCommands, TextThatIsNotUtf8IsRefusedNotMatchedByItsFirstBytes) {
    const ToolRun town = RunCli({"address", "千代田区"});
    ASSERT_EQ(town.exitCode, 0) << town.err;
    EXPECT_NE(town.out.find("100-0001\t東京都\t千代田区\t千代田"), std::string::npos) << town.out;

    // A lone lead byte of せ (it listed the towns of せたな町). QProcess
    // passes its arguments as UTF-8, so the byte goes through a shell.
    for (const char* command : {"address", "names"}) {
        QProcess shell;
        shell.start("/bin/sh",
                    {"-c", "\"$0\" " + QString(command) + " \"$(printf '\\343')\"", CliProgram()});
        ASSERT_TRUE(shell.waitForFinished(60000));
        const std::string err = shell.readAllStandardError().toStdString();
        EXPECT_EQ(shell.exitCode(), 2) << command << err;
        EXPECT_NE(err.find("not UTF-8"), std::string::npos) << command << err;
        EXPECT_TRUE(shell.readAllStandardOutput().isEmpty()) << command;
    }
    EXPECT_EQ(RunCli({"names", "ヤマダ"}).exitCode, 0);
}

TEST(DictionaryCommands, AnOverlongArgumentIsQuotedOnAShortLine) {
    const ToolRun run = RunCli({"postal", QString(100000, '1')});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_LT(run.err.size(), 1100u) << run.err.size();
    EXPECT_NE(run.err.find("3, 5 or 7 digits"), std::string::npos) << run.err.substr(0, 200);
}

} // namespace
} // namespace kanata::test
