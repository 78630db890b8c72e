#pragma once
// What the start-up password dialog decides, apart from the window: the check
// of an entry against the stored hash and the question when the user gives
// up. The window only shows the prompt and passes the input on.
#include <string>

namespace kanata {

class MessageService;

class PasswordGate {
public:
    static constexpr int kMaxLength = 16;

    PasswordGate(std::string storedHash, MessageService& messages);

    // False when no password is set: the dialog is not shown at all.
    bool required() const;

    struct Outcome {
        bool accepted = false;   // the program may start
        bool clearInput = false; // the entry is to be emptied
    };
    // OK pressed with `input`. Tells the user what was wrong, if anything.
    Outcome submit(const std::string& input, const void* owner = nullptr);

    // The dialog is being closed without a correct password. True when the
    // user confirms that the program is to end; false keeps the dialog open.
    bool confirmAbort(const void* owner = nullptr);

private:
    std::string stored_;
    MessageService& messages_;
};

} // namespace kanata
