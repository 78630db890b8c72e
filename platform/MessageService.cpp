#include "platform/MessageService.h"

namespace kanata {
namespace {
MessageRequest request(const std::string& text, MessageIcon icon, MessageButtons buttons,
                       int defaultButton, const void* owner) {
    MessageRequest r;
    r.text = text;
    r.icon = icon;
    r.buttons = buttons;
    r.defaultButton = defaultButton;
    r.owner = owner;
    r.placement.kind =
        owner ? MessagePlacement::Kind::CentredOnOwner : MessagePlacement::Kind::Default;
    return r;
}
} // namespace

void MessageService::error(const std::string& text, const void* owner) {
    ShowCenteredMessage(request(text, MessageIcon::Stop, MessageButtons::Ok, 0, owner));
}

void MessageService::information(const std::string& text, const void* owner) {
    ShowCenteredMessage(request(text, MessageIcon::Information, MessageButtons::Ok, 0, owner));
}

void MessageService::warning(const std::string& text, const void* owner) {
    ShowCenteredMessage(request(text, MessageIcon::Warning, MessageButtons::Ok, 0, owner));
}

bool MessageService::ask(const std::string& text, bool defaultYes, const void* owner) {
    auto r = request(text, MessageIcon::Question, MessageButtons::YesNo, defaultYes ? 0 : 1, owner);
    return ShowCenteredMessage(r) == MessageResult::Yes;
}

MessageResult MessageService::askYesNoCancel(const std::string& text, const void* owner) {
    return ShowCenteredMessage(
        request(text, MessageIcon::Question, MessageButtons::YesNoCancel, 0, owner));
}

} // namespace kanata
