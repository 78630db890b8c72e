// The extractor of a self-extracting export: asks for the password (read
// from standard input when that is not a terminal), then restores the text
// file into the current folder under its original name. A wrong password or
// a damaged file restores nothing.
//
// Exit status: 0 restored, 1 wrong password, 2 damaged or unusable file,
// 3 the restored file could not be written.
#include "transfer/SfxPayload.h"

#include <openssl/crypto.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

std::string readPassword() {
    std::string password;
    if (!isatty(STDIN_FILENO)) {
        std::getline(std::cin, password);
    } else {
        std::cerr << "パスワード: " << std::flush;
        termios old{};
        const bool quiet = tcgetattr(STDIN_FILENO, &old) == 0;
        if (quiet) {
            termios silent = old;
            silent.c_lflag &= static_cast<tcflag_t>(~ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
        }
        std::getline(std::cin, password);
        if (quiet)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
        std::cerr << "\n";
    }
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    return password;
}

bool safeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Writes beside the final name first, so that a failed write never leaves a
// half file under the restored name.
bool writeFile(const std::string& name, const std::string& content) {
    const std::string temporary = "." + name + ".restoring";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        out.flush();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, name, ec);
    if (ec)
        std::filesystem::remove(temporary, ec);
    return !ec;
}

} // namespace

int main() {
    using kanata::sfx::OpenResult;
    std::ifstream self("/proc/self/exe", std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(self)),
                           std::istreambuf_iterator<char>());
    std::string_view payload;
    if (kanata::sfx::FindPayload(file, payload) != OpenResult::Restored) {
        std::cerr << "ファイルが壊れているため復元できません\n";
        return 2;
    }
    std::string password = readPassword();
    std::string name, content;
    const OpenResult result = kanata::sfx::Open(payload, password, name, content);
    OPENSSL_cleanse(password.data(), password.size());
    if (result == OpenResult::WrongPassword) {
        std::cerr << "パスワードが違います。復元しませんでした\n";
        return 1;
    }
    if (result != OpenResult::Restored || !safeName(name)) {
        std::cerr << "ファイルが壊れているため復元できません\n";
        return 2;
    }
    if (!writeFile(name, content)) {
        std::cerr << name << " を書き込めませんでした\n";
        return 3;
    }
    std::cout << name << " を復元しました\n";
    return 0;
}
