// The boxes of unattended runs as they reach standard error, where each
// line is read as one box.
#include "platform/LoggedMessageService.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

TEST(LoggedMessages, ABoxQuotingLibpqStaysOnOneLine) {
    const std::string box = "データの書き込みに失敗しました   \r\nserver closed the connection "
                            "unexpectedly\n\tThis probably means the server terminated "
                            "abnormally\r\n\r\n12777件目から後は登録されていません";
    EXPECT_EQ(BoxLine(box), "データの書き込みに失敗しました    / server closed the connection "
                            "unexpectedly  This probably means the server terminated abnormally "
                            "/  / 12777件目から後は登録されていません");
}

} // namespace
} // namespace kanata::test
