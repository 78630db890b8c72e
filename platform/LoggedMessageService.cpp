#include "platform/LoggedMessageService.h"

#include <cstdio>
#include <string>

namespace kanata {

MessageResult DefaultAnswer(const MessageRequest& request) {
    static constexpr MessageResult ok[] = {MessageResult::Ok};
    static constexpr MessageResult okCancel[] = {MessageResult::Ok, MessageResult::Cancel};
    static constexpr MessageResult yesNo[] = {MessageResult::Yes, MessageResult::No};
    static constexpr MessageResult yesNoCancel[] = {MessageResult::Yes, MessageResult::No,
                                                    MessageResult::Cancel};
    static constexpr MessageResult retryCancel[] = {MessageResult::Retry, MessageResult::Cancel};
    auto pick = [&](const auto& buttons) {
        const int n = static_cast<int>(std::size(buttons));
        const int i =
            request.defaultButton >= 0 && request.defaultButton < n ? request.defaultButton : 0;
        return buttons[i];
    };
    switch (request.buttons) {
    case MessageButtons::Ok:
        return pick(ok);
    case MessageButtons::OkCancel:
        return pick(okCancel);
    case MessageButtons::YesNo:
        return pick(yesNo);
    case MessageButtons::YesNoCancel:
        return pick(yesNoCancel);
    case MessageButtons::RetryCancel:
        return pick(retryCancel);
    }
    return MessageResult::Ok;
}

std::string BoxLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            line += " / ";
            ++i;
        } else if (text[i] == '\n' || text[i] == '\r' || text[i] == '\t') {
            line += ' ';
        } else {
            line += text[i];
        }
    }
    return line;
}

MessageResult LoggedMessageService::ShowCenteredMessage(const MessageRequest& request) {
    const std::string text = BoxLine(request.text);
    const MessageResult answer = DefaultAnswer(request);
    std::fprintf(stderr, "kanata195: box: %s [answer %d]\n", text.c_str(),
                 static_cast<int>(answer));
    std::fflush(stderr);
    return answer;
}

} // namespace kanata
