#pragma once
// Message services that pass every box on to another one: one that centres
// the boxes of a flow on the window it works for, and one that notes whether
// a step already told the user something.
#include "platform/MessageService.h"

namespace kanata {

// Boxes asked without an owner are centred on `owner`: a logic class that
// knows no window still shows its boxes over the window that runs it.
class OwnedMessages : public MessageService {
public:
    OwnedMessages(MessageService& inner, const void* owner) : inner_(inner), owner_(owner) {}
    MessageResult ShowCenteredMessage(const MessageRequest& request) override {
        if (request.owner || request.placement.kind != MessagePlacement::Kind::Default)
            return inner_.ShowCenteredMessage(request);
        MessageRequest owned = request;
        owned.owner = owner_;
        owned.placement.kind = MessagePlacement::Kind::CentredOnOwner;
        return inner_.ShowCenteredMessage(owned);
    }

private:
    MessageService& inner_;
    const void* owner_;
};

// Remembers whether any box went through, so that a caller does not add a
// second, misleading one after a step reported its own failure.
class NoticingMessages : public MessageService {
public:
    explicit NoticingMessages(MessageService& inner) : inner_(inner) {}
    MessageResult ShowCenteredMessage(const MessageRequest& request) override {
        told_ = true;
        return inner_.ShowCenteredMessage(request);
    }
    bool told() const { return told_; }

private:
    MessageService& inner_;
    bool told_ = false;
};

} // namespace kanata
