#include "transfer/ExportPassword.h"

#include "platform/DurableFile.h"
#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <system_error>

namespace kanata {
namespace {

constexpr std::string_view kPrefix = "KPW1:";

// A fixed key stream: the same for every installation, hence obfuscation only.
unsigned char streamByte(std::size_t i) {
    return static_cast<unsigned char>((i * 151u + 89u) ^ 0x5Au ^ (i >> 1) * 7u);
}

} // namespace

bool IsAlphanumeric(const std::string& text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

std::optional<PasswordProblem> CheckExportPassword(const std::string& password,
                                                   const std::string& confirmation) {
    using F = PasswordField;
    if (password.empty())
        return PasswordProblem{"パスワードを入力してください  ", F::Password};
    if (confirmation.empty())
        return PasswordProblem{"確認用のパスワードも入力してください  ", F::Confirmation};
    if (password.size() < 8 || password.size() > 16)
        return PasswordProblem{"パスワードは8文字～16文字で入力してください  ", F::Password};
    if (!IsAlphanumeric(password))
        return PasswordProblem{"パスワードに使用できる文字は  \r\n　半角数字  \r\n　半角英大文字  "
                               "\r\n　半角英小文字  \r\nのいずれかになります  ",
                               F::Password};
    if (password != confirmation)
        return PasswordProblem{"確認用パスワードが一致しません  \r\n再度入力してください  ",
                               F::Confirmation, true};
    return std::nullopt;
}

std::string ScramblePassword(const std::string& password) {
    static const char* const kHex = "0123456789abcdef";
    std::string out(kPrefix);
    for (std::size_t i = 0; i < password.size(); ++i) {
        const auto b =
            static_cast<unsigned char>(static_cast<unsigned char>(password[i]) ^ streamByte(i));
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

std::optional<std::string> UnscramblePassword(const std::string& stored) {
    if (stored.compare(0, kPrefix.size(), kPrefix) != 0)
        return std::nullopt;
    const std::string hex = stored.substr(kPrefix.size());
    if (hex.size() % 2 != 0)
        return std::nullopt;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += static_cast<char>(static_cast<unsigned char>(hi * 16 + lo) ^ streamByte(i / 2));
    }
    return out;
}

// The file is born readable by its owner only (a temporary file beside it,
// renamed over it when complete), so the password is never, not even for a
// moment, in a file others may read, and a file of wider mode already there
// is replaced rather than written into.
bool SaveExportPassword(const std::filesystem::path& file, const std::string& password) {
    std::string temporary = file.string() + ".XXXXXX";
    const FileDescriptor fd(::mkstemp(temporary.data())); // mode 0600
    if (!fd.isOpen())
        return false;
    const std::string content = ScramblePassword(password);
    bool written = ::fchmod(fd.get(), S_IRUSR | S_IWUSR) == 0;
    for (std::size_t done = 0; written && done < content.size();) {
        const ssize_t n = ::write(fd.get(), content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += written ? static_cast<std::size_t>(n) : 0;
    }
    written = written && ::fsync(fd.get()) == 0;
    if (!written || renameDurably(temporary, file)) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> LoadExportPassword(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string stored((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    auto password = UnscramblePassword(stored);
    if (!password || password->empty() || !IsAlphanumeric(*password))
        return std::nullopt;
    return password;
}

} // namespace kanata
