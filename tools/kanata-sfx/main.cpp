// The extractor of a self-extracting export: asks for the password (read
// from standard input when that is not a terminal), then restores the text
// file into the current folder under its original name. A wrong password or
// a damaged file restores nothing.
//
// A file of that name already in the folder is kept unless the user says
// otherwise: on a terminal the extractor asks, without one it refuses, and
// "--force" replaces it. The extractor never replaces itself (a file whose
// restored name is the extractor's own), not even with "--force".
//
// Exit status: 0 restored, 1 wrong password, 2 damaged or unusable file,
// 3 the restored file could not be written, 4 an existing file was kept,
// 5 unknown arguments.
#include "transfer/SfxPayload.h"

#include <openssl/crypto.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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
        // Echo goes off before the prompt shows and without flushing, so a
        // password typed or pasted as soon as the prompt appears is kept.
        termios old{};
        const bool quiet = tcgetattr(STDIN_FILENO, &old) == 0;
        if (quiet) {
            termios silent = old;
            silent.c_lflag &= static_cast<tcflag_t>(~ECHO);
            tcsetattr(STDIN_FILENO, TCSANOW, &silent);
        }
        std::cerr << "パスワード: " << std::flush;
        std::getline(std::cin, password);
        if (quiet)
            tcsetattr(STDIN_FILENO, TCSANOW, &old);
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
// half file under the restored name. Without `replace` the final rename
// refuses to take the place of a file that appeared in the meantime.
bool writeFile(const std::string& name, const std::string& content, bool replace) {
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
    int rc = ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, name.c_str(),
                         replace ? 0 : RENAME_NOREPLACE);
    if (rc != 0 && !replace && errno == EINVAL) // a file system without RENAME_NOREPLACE
        rc = ::link(temporary.c_str(), name.c_str());
    const bool done = rc == 0;
    if (!done || !replace)
        ::unlink(temporary.c_str());
    return done;
}

bool isTheExtractor(const std::string& name) {
    std::error_code ec;
    return std::filesystem::equivalent(name, "/proc/self/exe", ec);
}

bool exists(const std::string& name) {
    std::error_code ec;
    return std::filesystem::symlink_status(name, ec).type() !=
           std::filesystem::file_type::not_found;
}

// Asks on the terminal; "y" or "yes" (any case) replaces.
bool confirmReplace(const std::string& name) {
    std::cerr << name << " は既にあります。上書きしますか？ (y/N): " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' '))
        answer.pop_back();
    for (char& c : answer)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return answer == "y" || answer == "yes";
}

enum class Placement { New, Replace, Keep };

// Whether the restored file may take its name in the current folder.
Placement placementOf(const std::string& name, bool force) {
    if (isTheExtractor(name)) {
        std::cerr << name
                  << " はこの自己復元ファイル自身のため復元できません。"
                     "自己復元ファイルを別のフォルダーに置いて実行してください\n";
        return Placement::Keep;
    }
    if (!exists(name))
        return Placement::New;
    if (force)
        return Placement::Replace;
    if (isatty(STDIN_FILENO)) {
        if (confirmReplace(name))
            return Placement::Replace;
        std::cerr << name << " は上書きしませんでした\n";
        return Placement::Keep;
    }
    std::cerr << name
              << " は既にあるため上書きしませんでした。"
                 "上書きするには --force を付けて実行してください\n";
    return Placement::Keep;
}

} // namespace

int main(int argc, char** argv) {
    using kanata::sfx::OpenResult;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--force") == 0) {
            force = true;
        } else {
            std::cerr << "usage: " << argv[0] << " [--force]\n"
                      << "  restores the text file into the current folder; --force replaces a\n"
                      << "  file of the same name there\n";
            return 5;
        }
    }
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
    const Placement placement = placementOf(name, force);
    if (placement == Placement::Keep)
        return 4;
    if (!writeFile(name, content, placement == Placement::Replace)) {
        if (placement == Placement::New && exists(name)) {
            std::cerr << name << " が復元中に作られたため上書きしませんでした\n";
            return 4;
        }
        std::cerr << name << " を書き込めませんでした\n";
        return 3;
    }
    std::cout << name << " を復元しました\n";
    return 0;
}
