#include "platform/gui/KanataApplication.h"
#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kanata {
namespace {

TEST(EventExceptionGuard, EscapingExceptionBecomesAnErrorBox) {
    test::ScriptedMessages messages;
    EventExceptionGuard guard;
    guard.setMessageService(&messages);
    EXPECT_TRUE(guard.deliver([] { return true; }));

    messages.expect("テーブルが開けません", MessageResult::Ok);
    EXPECT_FALSE(guard.deliver([]() -> bool { throw std::runtime_error("テーブルが開けません"); }));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Stop);

    messages.expect("予期しないエラー", MessageResult::Ok);
    EXPECT_FALSE(guard.deliver([]() -> bool { throw 42; }));
}

} // namespace
} // namespace kanata
