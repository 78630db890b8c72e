#pragma once
#include "platform/MessageService.h"

namespace kanata {

// Message boxes on screen, always captioned with the program's name.
class QtMessageService : public MessageService {
public:
    MessageResult ShowCenteredMessage(const MessageRequest& request) override;
};

} // namespace kanata
