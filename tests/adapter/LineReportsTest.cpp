// The boxes for line errors and notices: code 1 is silent, codes from 200
// point at the environment, the rest at a restart.
#include "intake/LineReports.h"
#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

TEST(LineReports, ErrorTextDependsOnTheCode) {
    ScriptedMessages messages;
    showLineError(messages, 1, "見せない");
    EXPECT_TRUE(messages.shown().empty());

    messages.expect("199\r\n断線\r\n\r\nこのままでは正常に動作しない可能性があります  \r\n"
                    "着信帳を終了後、接続機器の電源を入れ直してから  \r\n"
                    "着信帳を起動し直してください  ");
    showLineError(messages, 199, "断線");
    messages.expect(
        "200\r\n断線\r\n\r\nこのままでは正常に動作しない可能性があります  \r\n"
        "着信帳１９.５の動作環境や\r\n使用している機器類の動作状況を確認してください  ");
    showLineError(messages, 200, "断線");
    messages.expect("-3\r\n");
    showLineError(messages, -3, "");
    ASSERT_EQ(messages.shown().size(), 3u);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Stop);
}

TEST(LineReports, NoticeShowsCodeAndText) {
    ScriptedMessages messages;
    messages.expect("301\r\nお知らせ");
    showLineNotice(messages, 301, "お知らせ");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "301\r\nお知らせ");
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Information);
}

} // namespace
} // namespace kanata::test
