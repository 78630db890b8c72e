// What the SIP line decides without the network: the caller's number, the
// watched numbers, its settings and what it reports about registration.
#include "plugins/KTComm3ip/CallerIdentity.h"
#include "plugins/KTComm3ip/InviteSources.h"
#include "plugins/KTComm3ip/RegistrationTracker.h"
#include "plugins/KTComm3ip/SipSettings.h"

#include <arpa/inet.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <unistd.h>

namespace kanata::adapter {
namespace {

TEST(SipDecisions, AssertedIdentityWinsAndPrivacyWithholds) {
    CallerHeaders h;
    h.fromUser = "201";
    h.remotePartyId = "0663334444";
    EXPECT_EQ(callerNumberOrReason(h), "0663334444");
    h.assertedIdentities = {{"+81-3-1234-5678;cpc=ordinary", false}};
    EXPECT_EQ(callerNumberOrReason(h), "0312345678");
    h.privacy = {"ID"};
    EXPECT_EQ(callerNumberOrReason(h), "P");
    h = {};
    h.remotePartyId = "0663334444";
    h.remotePartyPrivate = true;
    EXPECT_EQ(callerNumberOrReason(h), "P");
    h = {};
    EXPECT_EQ(callerNumberOrReason(h), "P") << "empty user part";
    h.fromUser = "alice";
    EXPECT_EQ(callerNumberOrReason(h), "O") << "a name is no number";
}

TEST(SipDecisions, EveryAssertedIdentityIsReadAndATelIdentityPreferred) {
    CallerHeaders h;
    h.fromUser = "201";
    h.assertedIdentities = {{"reception", false}, {"+81-45-222-3333", true}};
    EXPECT_EQ(callerNumberOrReason(h), "0452223333") << "a name-only sip: identity first";
    h.assertedIdentities = {{"0312345678", false}, {"+81-45-222-3333", true}};
    EXPECT_EQ(callerNumberOrReason(h), "0452223333");
    h.assertedIdentities = {{"reception", false}, {"0312345678", false}};
    EXPECT_EQ(callerNumberOrReason(h), "0312345678");
    h.assertedIdentities = {{"reception", false}};
    h.remotePartyId = "0663334444";
    EXPECT_EQ(callerNumberOrReason(h), "O") << "what the PBX asserts goes before the rest";
}

TEST(SipDecisions, NumbersTheLineCannotCarryWholeAreNotDelivered) {
    CallerHeaders h;
    h.fromUser = "+1 415 555 1234";
    EXPECT_EQ(callerNumberOrReason(h), "O");
    h.fromUser = "+44-20-7946-0958";
    EXPECT_EQ(callerNumberOrReason(h), "O");
    h.fromUser = "+3531234"; // short enough to fit, still not a number in Japan
    EXPECT_EQ(callerNumberOrReason(h), "O");
    h.fromUser = "01014155551234"; // dialled abroad from Japan
    EXPECT_EQ(callerNumberOrReason(h), "O");
    h.fromUser = "031234567890";
    EXPECT_EQ(callerNumberOrReason(h), "O") << "12 digits would be cut";
    h.fromUser = "+81-90-1234-5678";
    EXPECT_EQ(callerNumberOrReason(h), "09012345678") << "11 digits fit";
    h.fromUser = "201";
    EXPECT_EQ(callerNumberOrReason(h), "201");
}

TEST(SipDecisions, WatchedNumbersCompareByDigits) {
    EXPECT_TRUE(isWatchedCall({}, {"5000"}));
    EXPECT_TRUE(isWatchedCall({"03-1234-5678", "201"}, {"", "+81312345678"}));
    EXPECT_FALSE(isWatchedCall({"03-1234-5678"}, {"0312345679", "202"}));
}

TEST(SipDecisions, SettingsAndHostPort) {
    const SipSettings s = parseSipSettings("[ippbx]\r\nHOST = \"192.168.1.10:5070\"\r\n"
                                           "Telno= 03-1234-5678 , ,201\r\nUser=201\r\nUser=999\r\n"
                                           "[SIP]\r\nLocalPort=70000\r\n");
    EXPECT_EQ(s.host, "192.168.1.10:5070");
    EXPECT_EQ(s.user, "201") << "the first duplicate wins";
    EXPECT_EQ(s.watchedNumbers, (std::vector<std::string>{"03-1234-5678", "201"}));
    EXPECT_EQ(s.localPort, kDefaultLocalPort) << "an impossible port keeps the default";
    EXPECT_EQ(parseSipSettings("[SIP]\nFrom=305\n").user, "305") << "without User, From";
    EXPECT_EQ(parseHostAndPort("192.168.1.10")->port, 5060);
    EXPECT_EQ(parseHostAndPort("192.168.1.10:5070")->port, 5070);
    EXPECT_FALSE(parseHostAndPort("192.168.1.10:0"));
    EXPECT_FALSE(parseHostAndPort(":5060"));
}

TEST(SipDecisions, ASettingsFileIsReadUpToItsLimit) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("sip-settings-" + std::to_string(getpid()));
    {
        std::ofstream out(file, std::ios::binary);
        out << "[IPPBX]\r\nUser=201\r\n;" << std::string(kMaxSipSettingsBytes, 'x')
            << "\r\nHost=192.168.1.10\r\n";
    }
    const SipSettings s = readSipSettings(file);
    std::filesystem::remove(file);
    EXPECT_EQ(s.user, "201");
    EXPECT_EQ(s.host, "") << "beyond the limit";
    EXPECT_EQ(readSipSettings(file).user, SipSettings{}.user) << "a missing file: defaults";
}

TEST(SipDecisions, ARegisteredLineTakesCallsFromTheRegistrarAlone) {
    SipSettings s = parseSipSettings("[IPPBX]\nHost=192.168.1.10:5070\n");
    const InviteSources registrar(s);
    EXPECT_TRUE(registrar.restricted());
    EXPECT_TRUE(registrar.admits({"192.168.1.10", 5070}));
    EXPECT_TRUE(registrar.admits({"192.168.1.10", 40123})) << "calls may come from another port";
    EXPECT_FALSE(registrar.admits({"192.168.1.11", 5070}));

    // The list replaces the registrar; a port narrows an entry to it.
    s = parseSipSettings("[IPPBX]\nHost=192.168.1.10\n"
                         "AcceptFrom=192.168.1.20:5060, 10.0.0.5 ,[::1]:5080, 10.0.0.6:x\n");
    const InviteSources listed(s);
    EXPECT_FALSE(listed.admits({"192.168.1.10", 5060}));
    EXPECT_TRUE(listed.admits({"192.168.1.20", 5060}));
    EXPECT_FALSE(listed.admits({"192.168.1.20", 5061}));
    EXPECT_TRUE(listed.admits({"10.0.0.5", 1234}));
    EXPECT_TRUE(listed.admits({"::1", 5080}));
    EXPECT_FALSE(listed.admits({"10.0.0.6", 5060})) << "a malformed entry admits nobody";

    // Without a PBX the line takes calls sent straight to it from anywhere.
    const InviteSources direct(parseSipSettings("[IPPBX]\nHost=\n"));
    EXPECT_FALSE(direct.restricted());
    EXPECT_TRUE(direct.admits({"203.0.113.9", 5060}));

    // An IPv4 peer reaching an IPv6 socket is still the IPv4 address.
    sockaddr_in6 mapped{};
    mapped.sin6_family = AF_INET6;
    mapped.sin6_port = htons(5060);
    ASSERT_EQ(inet_pton(AF_INET6, "::ffff:192.168.1.10", &mapped.sin6_addr), 1);
    const auto source = sourceAddressOf(reinterpret_cast<const sockaddr*>(&mapped));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->address, "192.168.1.10");
    EXPECT_EQ(source->port, 5060);
}

TEST(SipDecisions, RegistrationReportsOncePerFailureAndBacksOff) {
    RegistrationTracker t("192.168.1.10", "201");
    auto step = t.onResult(503, "Service Unavailable");
    ASSERT_TRUE(step.report);
    EXPECT_EQ(step.report->code, kErrorPbxUnreachable);
    EXPECT_EQ(step.retryIn, std::chrono::seconds(5));
    step = t.onResult(503, "Service Unavailable");
    EXPECT_FALSE(step.report);
    EXPECT_EQ(step.retryIn, std::chrono::seconds(10));
    for (int i = 0; i < 10; ++i)
        step = t.onResult(408, "Request Timeout");
    EXPECT_EQ(step.retryIn, RegistrationTracker::kLongestRetry);

    step = t.onResult(200, "OK");
    ASSERT_TRUE(step.report);
    EXPECT_EQ(step.report->code, kNoticeRegistrationRestored);
    EXPECT_FALSE(step.report->isError);
    EXPECT_FALSE(step.retryIn);

    step = t.onResult(403, "Forbidden");
    EXPECT_EQ(step.report->code, kErrorRegistrationLost) << "a renewal failed";
    EXPECT_EQ(step.retryIn, std::chrono::seconds(5)) << "back-off starts over";

    RegistrationTracker fresh("192.168.1.10", "201");
    EXPECT_EQ(fresh.onResult(403, "Forbidden").report->code, kErrorRegistrationRefused);
}

} // namespace
} // namespace kanata::adapter
