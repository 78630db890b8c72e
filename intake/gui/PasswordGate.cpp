#include "intake/gui/PasswordGate.h"

#include "platform/MessageService.h"
#include "platform/PasswordHash.h"

namespace kanata {

PasswordGate::PasswordGate(std::string storedHash, MessageService& messages)
    : stored_(std::move(storedHash)), messages_(messages) {}

bool PasswordGate::required() const {
    return isPasswordSet(stored_);
}

PasswordGate::Outcome PasswordGate::submit(const std::string& input, const void* owner) {
    if (input.empty()) {
        messages_.information("パスワードを入力してください  ", owner);
        return {};
    }
    if (!verifyPassword(input, stored_)) {
        messages_.information("パスワードが違います  \r\n正しいパスワードを入力してください  ",
                              owner);
        return {false, true};
    }
    return {true, false};
}

bool PasswordGate::confirmAbort(const void* owner) {
    return messages_.ask("着信帳の起動を中止します  \r\nよろしいですか？  ", false, owner);
}

} // namespace kanata
