#pragma once
// Message boxes for unattended runs (scripted start-ups, the end-to-end
// tests): each box is written to standard error as one line and answered
// with its default button, so nothing waits for a hand that is not there.
#include "platform/MessageService.h"

#include <string>

namespace kanata {

class LoggedMessageService : public MessageService {
public:
    MessageResult ShowCenteredMessage(const MessageRequest& request) override;
};

// The answer of a box's default button.
MessageResult DefaultAnswer(const MessageRequest& request);

// A box's text on one line: its CR LF line ends as " / ", and the bare line
// ends and tabs of the reasons it quotes (libpq's, a tool's) as blanks.
std::string BoxLine(const std::string& text);

} // namespace kanata
