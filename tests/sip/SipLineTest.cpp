// The SIP model of KTComm3ip.so against real sipp peers on 127.0.0.1: calls
// sent straight to the local port, and an IP-PBX registrar played by sipp.
#include "intake/TKTCommDLL.h"
#include "tests/sip/RegistrarScenario.h"
#include "tests/sip/SipPeers.h"
#include "tests/support/AdapterTestSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

using namespace std::chrono_literals;

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
    WaitableHost waiter_;
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
        // Cut to the line's 11 digits it would name nobody: not delivered.
        {"international", fromUser("+12025550100"), "O"},
        // Every asserted identity is read: a name-only sip: one comes first.
        {"asserted-twice",
         fromUser("201") + "\nP-Asserted-Identity: \"Reception\" <sip:reception@pbx.test>" +
             "\nP-Asserted-Identity: <tel:+81-45-222-3333>",
         "0452223333"},
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
    // The caller hangs up on the early dialog instead of cancelling.
    Sipp hangUp(sippFolder("bye"), hungUpCallScenario(fromUser("0312345678")), freeUdpPort(),
                localPort_);
    ASSERT_TRUE(hangUp.started());
    EXPECT_TRUE(next(WM_LINE_CALLDATA));
    EXPECT_EQ(hangUp.finish(30s), 0) << hangUp.errors();
    EXPECT_FALSE(waiter_.next(200ms)) << "one report per call";

    // No media: dialling is refused with a notice, not pretended.
    dll_->Dial(1, "0312345678");
    const auto notice = next(WM_LINE_NOTICE);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->code, 321);
}

class SipRegistration : public SipLine {
protected:
    std::string pbxIni(const std::string& password, const std::string& telno = "",
                       const std::string& acceptFrom = "") const {
        return "[IPPBX]\r\nHost=127.0.0.1:" + std::to_string(pbxPort_) +
               "\r\nUser=201\r\nPassword=" + password + "\r\nTelno=" + telno +
               "\r\nAcceptFrom=" + acceptFrom +
               "\r\n[SIP]\r\nLocalPort=" + std::to_string(localPort_) + "\r\n";
    }
    int pbxPort_ = freeUdpPort();
};

TEST_F(SipRegistration, RegistersWithDigestRenewsAndReceivesTheCallThroughThePbx) {
    Sipp pbx(sippFolder("pbx"), registrarScenario("201", "s3cret"), pbxPort_, std::nullopt);
    ASSERT_TRUE(pbx.started());
    // Telno holds the extension the PBX addresses the call to.
    openLine(pbxIni("s3cret", "0312345678, 201"));
    const auto call = next(WM_LINE_CALLDATA, 20s);
    ASSERT_TRUE(call) << pbx.errors();
    EXPECT_EQ(numberField(call->text), "0452223333");
    EXPECT_EQ(pbx.finish(15s), 0) << pbx.errors();
    EXPECT_FALSE(waiter_.next(100ms)) << "no line error or notice along the way";
}

// Every peer here is on 127.0.0.1, so the PBX is told apart by its port.
TEST_F(SipRegistration, OnlyThePbxMayOfferCallsOthersGetForbidden) {
    Sipp pbx(sippFolder("pbx"), registrarScenario("201", "s3cret"), pbxPort_, std::nullopt);
    ASSERT_TRUE(pbx.started());
    openLine(pbxIni("s3cret", "", "127.0.0.1:" + std::to_string(pbxPort_)));

    // A host that reaches the local port claims a caller of its choosing.
    for (const char* name : {"intruder", "intruder-again"}) {
        Sipp intruder(sippFolder(name), refusedCallScenario("201", "403"), freeUdpPort(),
                      localPort_);
        ASSERT_TRUE(intruder.started());
        EXPECT_EQ(intruder.finish(30s), 0) << intruder.errors();
    }
    // The PBX's own call comes through (it may come before the notice);
    // nothing was reported for the others, and the second refusal was not
    // told again.
    std::optional<AdapterMessage> refused, call;
    for (int i = 0; i < 2; ++i) {
        auto m = waiter_.next(20s);
        ASSERT_TRUE(m) << pbx.errors();
        (m->message == WM_LINE_NOTICE ? refused : call) = m;
    }
    ASSERT_TRUE(refused && call);
    EXPECT_EQ(refused->code, 322);
    EXPECT_NE(refused->text.find("127.0.0.1"), std::string::npos) << refused->text;
    EXPECT_EQ(call->message, WM_LINE_CALLDATA);
    EXPECT_EQ(numberField(call->text), "0452223333");
    EXPECT_EQ(pbx.finish(15s), 0) << pbx.errors();
    EXPECT_FALSE(waiter_.next(100ms));
}

TEST_F(SipRegistration, RefusalIsReportedOnceAndRetried) {
    Sipp pbx(sippFolder("pbx"), refusingRegistrarScenario(), pbxPort_, std::nullopt, {"-m", "2"});
    ASSERT_TRUE(pbx.started());
    openLine(pbxIni("wrong"));
    const auto error = next(WM_LINE_ERROR);
    ASSERT_TRUE(error) << pbx.errors();
    EXPECT_EQ(error->code, 220);
    EXPECT_NE(error->text.find("403"), std::string::npos);
    // The second REGISTER comes after the first back-off step.
    EXPECT_EQ(pbx.finish(20s), 0) << pbx.errors();
    EXPECT_FALSE(waiter_.next(500ms)) << "the same failure is not reported again";
}

TEST_F(SipRegistration, UnreachableAndLostRegistrationsAreReported) {
    openLine(pbxIni("x")); // nobody listens on the PBX port
    auto error = next(WM_LINE_ERROR, 45s);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 221) << error->text;
    dll_->CloseLine();

    Sipp pbx(sippFolder("pbx"), vanishingRegistrarScenario(), pbxPort_, std::nullopt);
    ASSERT_TRUE(pbx.started());
    ASSERT_EQ(dll_->OpenLine(), KT_OPEN_OK);
    EXPECT_EQ(pbx.finish(15s), 0) << pbx.errors();
    error = next(WM_LINE_ERROR, 45s);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 222) << error->text;
}

TEST_F(SipLine, OnlyCallsToWatchedNumbersAreReported) {
    openLine("[IPPBX]\r\nTelno=03-1234-0000, 201\r\n[SIP]\r\nLocalAddress=127.0.0.1\r\n"
             "LocalPort=" +
             std::to_string(localPort_) + "\r\n");
    Sipp other(sippFolder("other"), refusedCallScenario("0312349999"), freeUdpPort(), localPort_);
    ASSERT_TRUE(other.started());
    EXPECT_EQ(other.finish(30s), 0) << other.errors();
    EXPECT_FALSE(waiter_.next(200ms)) << "a call to another number is not reported";

    Sipp watched(sippFolder("watched"),
                 cancelledCallScenario(
                     "From: <sip:0312345678@[local_ip]>;tag=[pid]SIPpTag00[call_number]", "201"),
                 freeUdpPort(), localPort_);
    ASSERT_TRUE(watched.started());
    const auto m = next(WM_LINE_CALLDATA);
    ASSERT_TRUE(m) << watched.errors();
    EXPECT_EQ(numberField(m->text), "0312345678");
    EXPECT_EQ(watched.finish(30s), 0) << watched.errors();
}

TEST_F(SipLine, LocalPortInUseIsOpenResultOne) {
    Sipp holder(sippFolder("holder"), registrarScenario("a", "b"), localPort_, std::nullopt);
    ASSERT_TRUE(holder.started());
    writeSipIni(folders_.workFolder(), directIni());
    dll_ = TKTCommDLL::create(messages_, stageFolder(), 1, waiter_.host());
    ASSERT_TRUE(dll_);
    dll_->SetKindId(211);
    EXPECT_EQ(dll_->OpenLine(), KT_OPEN_PORT_IN_USE);
}

TEST_F(SipRegistration, ClosingDoesNotWaitForASilentPbx) {
    Sipp pbx(sippFolder("pbx"), silentRegistrarScenario(), pbxPort_, std::nullopt);
    ASSERT_TRUE(pbx.started());
    openLine(pbxIni("x"));
    // A silent PBX that swallowed the un-REGISTER would otherwise keep the
    // stack, and its port, for the whole transaction timeout.
    ASSERT_TRUE(pbx.waitForFile("registered", 10s)) << pbx.errors();
    const auto start = std::chrono::steady_clock::now();
    dll_->CloseLine();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(dll_->OpenLine(), KT_OPEN_OK) << "the local port is free again";
}

} // namespace
} // namespace kanata::test
