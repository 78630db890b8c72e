#pragma once
// A message service for tests: every box is recorded, answered from a script
// written beforehand, and a box the script did not expect fails the test.
#include "platform/MessageService.h"

#include <deque>
#include <string>
#include <vector>

namespace kanata::test {

class ScriptedMessages : public MessageService {
public:
    struct Expected {
        std::string textContains;
        MessageResult answer;
    };

    ~ScriptedMessages() override;

    // The next box must contain `textContains`; it is answered with `answer`.
    ScriptedMessages& expect(std::string textContains, MessageResult answer = MessageResult::Ok);

    MessageResult ShowCenteredMessage(const MessageRequest& request) override;

    const std::vector<MessageRequest>& shown() const { return shown_; }
    bool allAnswered() const { return script_.empty(); }

private:
    std::deque<Expected> script_;
    std::vector<MessageRequest> shown_;
};

} // namespace kanata::test
