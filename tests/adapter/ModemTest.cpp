// The caller-ID modem driver of KTComm3.so against a fake modem on a
// pseudo-terminal: the test plays the modem on the master side.
#include "tests/support/AdapterTestSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace kanata::test {
namespace {

using namespace std::chrono_literals;

std::chrono::microseconds processCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto us = [](const timeval& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    return us(usage.ru_utime) + us(usage.ru_stime);
}

class FakeModem {
public:
    FakeModem() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0)
            return;
        slaveName_ = name;
        ::close(slave);
    }
    ~FakeModem() { hangUp(); }
    bool ok() const { return master_ >= 0; }
    const std::string& device() const { return slaveName_; }

    // The next command the driver sent (up to its CR), or "" after timeout.
    std::string command(std::chrono::milliseconds timeout = 5000ms) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const std::size_t cr = pending_.find('\r');
            if (cr != std::string::npos) {
                std::string c = pending_.substr(0, cr);
                pending_.erase(0, cr + 1);
                return c;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return "";
            pollfd p = {master_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0)
                pending_.append(buffer, static_cast<std::size_t>(n));
        }
    }
    void send(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Answers the default initialisation, the first caller-ID command
    // refused so that the driver falls back to the second.
    void answerInit() {
        EXPECT_EQ(command(), "ATZ");
        send("\r\nOK\r\n");
        EXPECT_EQ(command(), "AT+VCID=1");
        send("\r\nERROR\r\n");
        EXPECT_EQ(command(), "AT#CID=1");
        send("\r\nOK\r\n");
    }
    void hangUp() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slaveName_;
    std::string pending_;
};

class Modem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(modem_.ok());
        setenv("KANATA_COM5", modem_.device().c_str(), 1);
        unsetenv("KANATA_MODEM_INIT");
        dll_ = TKTCommDLL::create(messages_, stageFolder(), 0, host_.host());
        ASSERT_TRUE(dll_);
        dll_->SetPort(TKTCommDLL::portNumberFromSetting("COM5"));
        dll_->SetKindId(800);
    }
    void TearDown() override {
        if (dll_)
            dll_->CloseLine();
        unsetenv("KANATA_COM5");
    }
    void openAndInit() {
        ASSERT_EQ(dll_->OpenLine(), KT_OPEN_OK);
        modem_.answerInit();
    }
    std::string nextCall() {
        auto m = host_.next(5s);
        if (!m)
            return "(nothing)";
        EXPECT_EQ(m->message, std::uint32_t{WM_LINE_CALLDATA});
        return m->text;
    }

    TempFolders folders_;
    FakeModem modem_;
    ScriptedMessages messages_;
    WaitableHost host_;
    std::unique_ptr<TKTCommDLL> dll_;
};

TEST_F(Modem, ReportsInPiecesWithBlanksAroundTheEqualsSign) {
    openAndInit();
    modem_.send("RING\r\n\r\nDATE = 12");
    std::this_thread::sleep_for(50ms);
    modem_.send("06\r\nTIME=  0930\r");
    std::this_thread::sleep_for(50ms);
    modem_.send("\nNMBR   =0312345678\r\nNAME = O\r\n");
    const std::string line = nextCall();
    EXPECT_EQ(numberField(line), "0312345678");
    EXPECT_NE(line.find("/12/06  09:30:00"), std::string::npos) << line;

    // Noise, lower-case and near-miss tags, letters as a number: nothing.
    modem_.send("nmbr=0399999999\r\nNMBRX=0399999999\r\n\x01\x02garbage==\r\n"
                "NMBR=ABC\r\nMESG=0399999999\r\n" +
                std::string(600, 'Z') + "NMBR=0311111111\r\n");
    // A reason letter is a call without a number.
    modem_.send("DATE=1206\r\nTIME=0931\r\nNMBR = P\r\n");
    EXPECT_EQ(numberField(nextCall()), "P");
    modem_.send("NMBR=03-5555-6666\r\n");
    EXPECT_EQ(numberField(nextCall()), "0355556666");
    EXPECT_FALSE(host_.next(200ms)) << "nothing else was reported";
}

TEST_F(Modem, ResetModemIsInitialisedAgain) {
    openAndInit();
    // Back from a power cycle: an "OK" nobody asked for.
    modem_.send("\r\nOK\r\n");
    modem_.answerInit();
    modem_.send("NMBR=0312345678\r\n");
    EXPECT_EQ(numberField(nextCall()), "0312345678");

    // Two rings without a number: the caller-ID setting was lost.
    modem_.send("RING\r\n");
    modem_.send("RING\r\n");
    modem_.answerInit();
    modem_.send("NMBR=O\r\n");
    EXPECT_EQ(numberField(nextCall()), "O");
    // Not again within the minute: a line without caller ID keeps ringing.
    modem_.send("RING\r\nRING\r\nRING\r\n");
    EXPECT_EQ(modem_.command(300ms), "");
}

TEST_F(Modem, RefusedCallerIdCommandsAreNoticedOnce) {
    ASSERT_EQ(dll_->OpenLine(), KT_OPEN_OK);
    EXPECT_EQ(modem_.command(), "ATZ");
    modem_.send("OK\r\n");
    EXPECT_EQ(modem_.command(), "AT+VCID=1");
    modem_.send("ERROR\r\n");
    EXPECT_EQ(modem_.command(), "AT#CID=1");
    modem_.send("ERROR\r\n");
    auto notice = host_.next(5s);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->message, std::uint32_t{WM_LINE_NOTICE});
    EXPECT_NE(notice->text.find("AT#CID=1"), std::string::npos) << notice->text;
}

TEST_F(Modem, JapanModelAndConfiguredInitialisation) {
    dll_->SetKindId(802);
    ASSERT_EQ(dll_->OpenLine(), KT_OPEN_OK);
    modem_.answerInit();
    EXPECT_EQ(modem_.command(), "AT+VCDT=1");
    modem_.send("OK\r\n");
    dll_->CloseLine();

    setenv("KANATA_MODEM_INIT", "AT&F ; ATE0|ATE ;AT+VCID=2", 1);
    dll_->SetKindId(800);
    ASSERT_EQ(dll_->OpenLine(), KT_OPEN_OK);
    EXPECT_EQ(modem_.command(), "AT&F");
    modem_.send("OK\r\n");
    EXPECT_EQ(modem_.command(), "ATE0");
    modem_.send("ERROR\r\n");
    EXPECT_EQ(modem_.command(), "ATE");
    modem_.send("OK\r\n");
    EXPECT_EQ(modem_.command(), "AT+VCID=2");
}

TEST_F(Modem, VanishedDeviceIsReportedOnceAndTheLineStillCloses) {
    openAndInit();
    modem_.hangUp();
    auto error = host_.next(5s);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, std::uint32_t{WM_LINE_ERROR});
    EXPECT_GE(error->code, KT_ERROR_ENVIRONMENT_FIRST);
    EXPECT_NE(error->text.find("モデムとの接続が切れました"), std::string::npos);
    EXPECT_NE(error->text.find(modem_.device()), std::string::npos);
    // Idle afterwards: no second report and no busy loop on the dead port.
    const auto cpuBefore = processCpu();
    EXPECT_FALSE(host_.next(1000ms)) << "reported once";
    EXPECT_LT(processCpu() - cpuBefore, 300ms);
    dll_->CloseLine();
    EXPECT_EQ(dll_->OpenResult(), -1);
}

TEST_F(Modem, SilentModemIsReported) {
    ASSERT_EQ(dll_->OpenLine(), KT_OPEN_OK);
    EXPECT_EQ(modem_.command(), "ATZ");
    EXPECT_EQ(modem_.command(), "ATZ") << "asked twice";
    auto error = host_.next(10s);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, std::uint32_t{WM_LINE_ERROR});
    EXPECT_NE(error->text.find("モデムが応答しません"), std::string::npos);
}

TEST_F(Modem, PortsThatCannotBeOpened) {
    // Held by another program.
    const int holder = ::open(modem_.device().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    EXPECT_EQ(dll_->OpenLine(), KT_OPEN_PORT_IN_USE);
    ::close(holder);

    setenv("KANATA_COM5", (folders_.scratch() / "no-such-tty").c_str(), 1);
    EXPECT_NE(dll_->OpenLine(), KT_OPEN_OK);
    setenv("KANATA_COM5", (folders_.scratch()).c_str(), 1); // not a terminal
    EXPECT_NE(dll_->OpenLine(), KT_OPEN_OK);
    dll_->SetPort(0); // a COM model without a COM port
    EXPECT_NE(dll_->OpenLine(), KT_OPEN_OK);
}

} // namespace
} // namespace kanata::test

namespace kanata::test {
namespace {

TEST_F(Modem, DialsTheDigitsAndHangsUpAfterTheSetTime) {
    setenv("KANATA_MODEM_HANGUP", "1", 1);
    ASSERT_TRUE(dll_->LoadKinds());
    dll_->SelectKind(800);
    EXPECT_EQ(dll_->CurrentKind().DialPorts, 1) << "one line to dial on";
    openAndInit();
    dll_->Dial(1, "03-1234-5678");
    EXPECT_EQ(modem_.command(), "ATDT0312345678;");
    modem_.send("\r\nOK\r\n");
    // Calls keep arriving while the dialled call is up.
    modem_.send("DATE=1206\r\nTIME=1000\r\nNMBR=0455551111\r\n");
    EXPECT_EQ(numberField(nextCall()), "0455551111");
    EXPECT_EQ(modem_.command(3000ms), "ATH");
    unsetenv("KANATA_MODEM_HANGUP");
}

} // namespace
} // namespace kanata::test
