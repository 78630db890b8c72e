// What the SIP line decides without the network: the caller's number, the
// watched numbers, its settings and what it reports about registration.
#include "plugins/KTComm3ip/CallerIdentity.h"
#include "plugins/KTComm3ip/RegistrationTracker.h"
#include "plugins/KTComm3ip/SipSettings.h"

#include <gtest/gtest.h>

namespace kanata::adapter {
namespace {

TEST(SipDecisions, AssertedIdentityWinsAndPrivacyWithholds) {
    CallerHeaders h;
    h.fromUser = "201";
    h.remotePartyId = "0663334444";
    EXPECT_EQ(callerNumberOrReason(h), "0663334444");
    h.assertedIdentity = "+81-3-1234-5678;cpc=ordinary";
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
