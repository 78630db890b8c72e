// The simulator adapter end to end: the real library opened with a host,
// the real ktcall sending to it through the work folder's socket.
#include "data/Cp932.h"
#include "plugins/common/SimulatorSocket.h"
#include "tests/support/AdapterTestSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kanata::test {
namespace {

using namespace std::chrono_literals;

class Simulator : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        dll_ = TKTCommDLL::create(messages_, stageFolder(), GetParam(), host_.host());
        ASSERT_TRUE(dll_);
        ASSERT_TRUE(dll_->LoadKinds());
        dll_->SetKindId(GetParam() == 0 ? 900 : 901);
        ASSERT_EQ(dll_->OpenLine(), KT_OPEN_OK);
    }
    void TearDown() override {
        if (dll_)
            dll_->CloseLine();
    }
    // The message ktcall caused: it is posted before ktcall is answered.
    AdapterMessage only() {
        AdapterHost& host = host_.host();
        std::optional<AdapterMessage> m = host.take();
        if (auto call = host.takeCall()) {
            EXPECT_FALSE(m) << "one event, one message";
            m = AdapterMessage{WM_LINE_CALLDATA, 0, call->text, call->journal.raw};
        }
        EXPECT_TRUE(m);
        EXPECT_FALSE(host.take()) << "one event, one message";
        EXPECT_FALSE(host.takeCall()) << "one event, one message";
        return m.value_or(AdapterMessage{});
    }

    TempFolders folders_;
    ScriptedMessages messages_;
    WaitableHost host_;
    std::unique_ptr<TKTCommDLL> dll_;
};

TEST_P(Simulator, NumberBecomesOneCallDataLine) {
    ToolRun run = runKtcall({"0312345678"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    AdapterMessage m = only();
    EXPECT_EQ(m.message, std::uint32_t{WM_LINE_CALLDATA});
    EXPECT_EQ(m.text.size(), 33u) << m.text;
    EXPECT_EQ(numberField(m.text), "0312345678");
    EXPECT_EQ(m.text.substr(11, 2), "  ") << "date and time follow the number field";

    ASSERT_EQ(runKtcall({"090-1234-5678"}).exitCode, 0);
    EXPECT_EQ(numberField(only().text), "09012345678");
}

TEST_P(Simulator, ReasonCodesPassUnchanged) {
    for (std::string code : {"P", "O", "C", "S", "$"}) {
        ASSERT_EQ(runKtcall({code}).exitCode, 0) << code;
        AdapterMessage m = only();
        EXPECT_EQ(m.message, std::uint32_t{WM_LINE_CALLDATA});
        EXPECT_EQ(numberField(m.text), code);
    }
}

TEST_P(Simulator, BadNumbersAreRejectedWithoutAnEvent) {
    for (std::string bad : {"03a1234", "X", "123456789012", "PP"}) {
        ToolRun run = runKtcall({bad});
        EXPECT_EQ(run.exitCode, 1) << bad;
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_FALSE(host_.host().takeCall());
}

TEST_P(Simulator, ErrorsAndNoticesCarryCodeAndText) {
    ASSERT_EQ(runKtcall({"--error", "200", "回線が", "切断されました"}).exitCode, 0);
    AdapterMessage error = only();
    EXPECT_EQ(error.message, std::uint32_t{WM_LINE_ERROR});
    EXPECT_EQ(error.code, 200);
    EXPECT_EQ(error.text, "回線が 切断されました");
    EXPECT_EQ(error.rawText, cp932::encode("回線が 切断されました")) << "code page 932 on the wire";

    ASSERT_EQ(runKtcall({"--notice", "-5", "お知らせ"}).exitCode, 0);
    AdapterMessage notice = only();
    EXPECT_EQ(notice.message, std::uint32_t{WM_LINE_NOTICE});
    EXPECT_EQ(notice.code, -5);
    EXPECT_EQ(notice.text, "お知らせ");

    EXPECT_EQ(runKtcall({"--error", "abc", "x"}).exitCode, 1);
    EXPECT_EQ(runKtcall({"--notice", "1"}).exitCode, 64);
    EXPECT_FALSE(host_.host().take());
}

TEST_P(Simulator, HistoryFileBecomesTheAdaptersStoredCalls) {
    const auto file = folders_.scratch() / "history.txt";
    std::ofstream(file) << "0312345678,20261201,093000\r\n\nP,20261202,101112\n"
                        << "0466123456 , 20261203 , 235959\n";
    ToolRun run = runKtcall({"--history", file.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::int32_t kind = dll_->KindId();
    std::vector<AdapterHistoryRecord> buffer(10);
    std::int32_t count = 10;
    ASSERT_TRUE(dll_->ReadHistory(kind, count, buffer.data()));
    ASSERT_EQ(count, 3);
    const auto field = [](const char* f, std::size_t n) { return cp932::trim({f, n}); };
    EXPECT_EQ(field(buffer[0].Number, 16), "0312345678");
    EXPECT_EQ(field(buffer[0].Date, 10), "20261201");
    EXPECT_EQ(field(buffer[0].Time, 8), "093000");
    EXPECT_EQ(field(buffer[1].Number, 16), "P");
    EXPECT_EQ(field(buffer[2].Number, 16), "0466123456");
    EXPECT_EQ(field(buffer[2].Time, 8), "235959");

    // A buffer smaller than the list gets as many as it holds.
    count = 2;
    ASSERT_TRUE(dll_->ReadHistory(kind, count, buffer.data()));
    EXPECT_EQ(count, 2);

    // A bad file is refused whole and the stored calls stay.
    std::ofstream(file) << "0312345678,20261201,093000\n0312345678;20261201\n";
    run = runKtcall({"--history", file.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("2 行目"), std::string::npos) << run.err;
    count = 10;
    ASSERT_TRUE(dll_->ReadHistory(kind, count, buffer.data()));
    EXPECT_EQ(count, 3);

    EXPECT_EQ(runKtcall({"--history", (folders_.scratch() / "none.txt").string()}).exitCode, 66);
    count = 10;
    EXPECT_FALSE(dll_->ReadHistory(800, count, buffer.data())) << "not the simulator";
}

TEST_P(Simulator, DialledNumbersAreReadBack) {
    ToolRun run = runKtcall({"--dialled"});
    ASSERT_EQ(run.exitCode, 0);
    const std::string before = run.out;
    dll_->Dial(1, "0312345678");
    dll_->Dial(2, "0466123456");
    run = runKtcall({"--dialled"});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, before + "1,0312345678\n2,0466123456\n");
}

TEST_P(Simulator, CallsBeforeReadyForCallsWaitAndReportsAreDropped) {
    host_.host().setReadyForCalls(false);
    ASSERT_EQ(runKtcall({"0312345678"}).exitCode, 0);
    ASSERT_EQ(runKtcall({"--notice", "5", "早すぎる"}).exitCode, 0);
    host_.host().setReadyForCalls(true);
    EXPECT_EQ(numberField(only().text), "0312345678");
    ASSERT_EQ(runKtcall({"0399999999"}).exitCode, 0);
    EXPECT_EQ(numberField(only().text), "0399999999");
}

TEST_P(Simulator, KtcallSaysSoWhenNoLineIsOpen) {
    dll_->CloseLine();
    EXPECT_FALSE(std::filesystem::exists(adapter::simulatorSocketPath()))
        << "closing removes the socket";
    ToolRun run = runKtcall({"0312345678"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(adapter::simulatorSocketPath().string()), std::string::npos);
    EXPECT_EQ(runKtcall({"--bogus"}).exitCode, 64);
    ToolRun help = runKtcall({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--dialled"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothLibraries, Simulator, ::testing::Values(0, 1));

TEST(SimulatorSocket, AnotherListenerMeansThePortIsInUse) {
    TempFolders folders;
    const auto path = adapter::simulatorSocketPath();
    std::filesystem::create_directories(path.parent_path());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(fd, 1), 0);

    ScriptedMessages messages;
    WaitableHost host;
    auto dll = TKTCommDLL::create(messages, stageFolder(), 0, host.host());
    ASSERT_TRUE(dll);
    dll->SetKindId(900);
    EXPECT_EQ(dll->OpenLine(), KT_OPEN_PORT_IN_USE);
    close(fd);

    // A socket file left behind by a crashed program does not block the line.
    EXPECT_EQ(dll->OpenLine(), KT_OPEN_OK);
    ASSERT_EQ(runKtcall({"P"}).exitCode, 0);
    dll->CloseLine();
}

} // namespace
} // namespace kanata::test
