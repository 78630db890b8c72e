// kanata-password: sets or clears the password the program asks for at
// start. The password is read from standard input (one line), so it stays
// out of the shell history and the process list; it is stored only as a
// salted hash in the registry file.
//
//   kanata-password            read a new password (empty line = none)
//   kanata-password --clear    remove the password
//   kanata-password --status   say whether one is set
#include "intake/StartupRules.h"
#include "platform/PasswordHash.h"
#include "settings/Registry.h"

#include <cstring>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// Reads one line without echo when standard input is a terminal.
std::string readSecretLine() {
    termios old{};
    const bool tty = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &old) == 0;
    if (tty) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        std::cerr << "新しいパスワード (16文字まで、空欄で解除): ";
    }
    std::string line;
    std::getline(std::cin, line);
    if (tty) {
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
        std::cerr << "\n";
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

int store(kanata::Registry& registry, const std::string& value) {
    if (!registry.writeString(kanata::kStartupPasswordKey, kanata::kStartupPasswordValue, value)) {
        std::cerr << "kanata-password: cannot write " << kanata::Registry::defaultPath() << ": "
                  << registry.lastError() << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    kanata::Registry registry;
    if (argc == 2 && std::strcmp(argv[1], "--status") == 0) {
        const auto stored =
            registry.readString(kanata::kStartupPasswordKey, kanata::kStartupPasswordValue);
        const bool set = stored && kanata::isPasswordSet(*stored);
        std::cout << (set ? "set" : "not set") << "\n";
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--clear") == 0)
        return store(registry, "");
    if (argc != 1) {
        std::cerr << "usage: kanata-password [--clear | --status]\n";
        return 64;
    }
    const std::string password = readSecretLine();
    if (password.size() > 16) {
        std::cerr << "kanata-password: the password has at most 16 characters\n";
        return 65;
    }
    return store(registry, password.empty() ? std::string() : kanata::hashPassword(password));
}
