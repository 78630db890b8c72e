#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

namespace kanata::test {

ScriptedMessages::~ScriptedMessages() {
    for (const auto& e : script_)
        ADD_FAILURE() << "expected message box never shown: " << e.textContains;
}

ScriptedMessages& ScriptedMessages::expect(std::string textContains, MessageResult answer) {
    script_.push_back({std::move(textContains), answer});
    return *this;
}

MessageResult ScriptedMessages::ShowCenteredMessage(const MessageRequest& request) {
    shown_.push_back(request);
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected message box: " << request.text;
        return MessageResult::Cancel;
    }
    Expected next = script_.front();
    script_.pop_front();
    EXPECT_NE(request.text.find(next.textContains), std::string::npos)
        << "message box \"" << request.text << "\" does not contain \"" << next.textContains
        << "\"";
    return next.answer;
}

} // namespace kanata::test
