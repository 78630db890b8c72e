// The SIP model of KTComm3ip.so against real sipp peers on 127.0.0.1: calls
// sent straight to the local port, and an IP-PBX registrar played by sipp.
#include "intake/TKTCommDLL.h"
#include "tests/sip/SipPeers.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

using namespace std::chrono_literals;

std::string numberField(const std::string& line) {
    std::string field = line.substr(0, 11);
    while (!field.empty() && field.back() == ' ')
        field.pop_back();
    return field;
}

class SipLine : public ::testing::Test {
protected:
    void openLine(const std::string& ini) {
        writeSipIni(folders_.workFolder(), ini);
        dll_ = TKTCommDLL::create(messages_, stageFolder(), 1, waiter_.host());
        ASSERT_TRUE(dll_);
        dll_->SetKindId(211);
        ASSERT_EQ(dll_->OpenLine(), KT_OPEN_OK);
    }
    void TearDown() override {
        if (dll_)
            dll_->CloseLine();
    }
    // The next message of the given kind; others before it fail the test.
    std::optional<AdapterMessage> next(std::uint32_t kind, std::chrono::milliseconds wait = 10s) {
        auto m = waiter_.next(wait);
        if (m) {
            EXPECT_EQ(m->message, kind) << m->code << " " << m->text;
        }
        return m;
    }
    std::string directIni() const {
        return "[IPPBX]\r\nHost=\r\nTelno=\r\n[SIP]\r\nLocalAddress=127.0.0.1\r\nLocalPort=" +
               std::to_string(localPort_) + "\r\n";
    }
    std::filesystem::path sippFolder(const std::string& name) const {
        return folders_.scratch() / name;
    }

    TempFolders folders_;
    ScriptedMessages messages_;
    MessageWaiter waiter_;
    std::unique_ptr<TKTCommDLL> dll_;
    int localPort_ = freeUdpPort();
};

struct DirectCall {
    const char* name;
    std::string identity;
    const char* expected;
};

TEST_F(SipLine, DirectCallsAreReportedRungAndNeverTaken) {
    openLine(directIni());
    const auto fromUser = [](const std::string& user, const std::string& display = "") {
        return "From: " + display + "<sip:" + user + "@[local_ip]>;tag=[pid]SIPpTag00[call_number]";
    };
    const DirectCall calls[] = {
        {"plain", fromUser("0312345678"), "0312345678"},
        {"asserted", fromUser("201") + "\nP-Asserted-Identity: <sip:+81452223333@pbx.test>",
         "0452223333"},
        {"asserted-tel", fromUser("201") + "\nP-Asserted-Identity: <tel:+81-90-1111-2222>",
         "09011112222"},
        {"remote-party",
         fromUser("201") + "\nRemote-Party-ID: <sip:0663334444@pbx.test>;party=calling",
         "0663334444"},
        {"privacy", fromUser("0312345678") + "\nPrivacy: id", "P"},
        {"anonymous", fromUser("anonymous", "\"Anonymous\" "), "P"},
        {"international", fromUser("+12025550100"), "01012025550"},
    };
    for (const DirectCall& call : calls) {
        SCOPED_TRACE(call.name);
        Sipp sipp(sippFolder(call.name), cancelledCallScenario(call.identity, "5000"),
                  freeUdpPort(), localPort_);
        ASSERT_TRUE(sipp.started());
        const auto m = next(WM_LINE_CALLDATA);
        ASSERT_TRUE(m) << sipp.errors();
        EXPECT_EQ(numberField(m->text), call.expected) << m->text;
        EXPECT_EQ(sipp.finish(30s), 0) << sipp.errors();
    }
    EXPECT_FALSE(waiter_.next(200ms)) << "one report per call";
}

} // namespace
} // namespace kanata::test
