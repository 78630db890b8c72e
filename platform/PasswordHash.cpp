#include "platform/PasswordHash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace kanata {
namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;
// A stored value asking for more work than this is treated as damaged, so a
// tampered file cannot stall the start for minutes.
constexpr int kMaxIterations = 10'000'000;

using Bytes = std::vector<unsigned char>;

std::string toHex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0f]);
    }
    return out;
}

std::optional<Bytes> fromHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    Bytes out(hex.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned value = 0;
        auto [end, ec] = std::from_chars(hex.data() + 2 * i, hex.data() + 2 * i + 2, value, 16);
        if (ec != std::errc() || end != hex.data() + 2 * i + 2)
            return std::nullopt;
        out[i] = static_cast<unsigned char>(value);
    }
    return out;
}

Bytes derive(const std::string& password, const Bytes& salt, int iterations, std::size_t length) {
    Bytes out(length);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(),
                          static_cast<int>(out.size()), out.data()) != 1)
        throw std::runtime_error("PBKDF2 failed");
    return out;
}

struct StoredHash {
    int iterations = 0;
    Bytes salt;
    Bytes hash;
};

std::optional<StoredHash> parse(std::string_view stored) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        auto pos = stored.find('$', start);
        parts.push_back(stored.substr(start, pos - start));
        if (pos == std::string_view::npos)
            break;
        start = pos + 1;
    }
    if (parts.size() != 4 || parts[0] != kScheme)
        return std::nullopt;
    StoredHash h;
    auto [end, ec] =
        std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), h.iterations);
    if (ec != std::errc() || end != parts[1].data() + parts[1].size())
        return std::nullopt;
    if (h.iterations < 1 || h.iterations > kMaxIterations)
        return std::nullopt;
    auto salt = fromHex(parts[2]);
    auto hash = fromHex(parts[3]);
    if (!salt || !hash || salt->empty() || hash->size() < 16 || hash->size() > 64)
        return std::nullopt;
    h.salt = std::move(*salt);
    h.hash = std::move(*hash);
    return h;
}

} // namespace

std::string hashPassword(const std::string& password, int iterations) {
    if (iterations < 1 || iterations > kMaxIterations)
        throw std::invalid_argument("iteration count out of range");
    Bytes salt(kSaltBytes);
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1)
        throw std::runtime_error("no random bytes for the password salt");
    const Bytes hash = derive(password, salt, iterations, kHashBytes);
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + toHex(salt) + "$" +
           toHex(hash);
}

bool isPasswordSet(const std::string& stored) {
    return !stored.empty();
}

bool verifyPassword(const std::string& password, const std::string& stored) {
    const auto parsed = parse(stored);
    if (!parsed)
        return false;
    const Bytes candidate = derive(password, parsed->salt, parsed->iterations, parsed->hash.size());
    return CRYPTO_memcmp(candidate.data(), parsed->hash.data(), candidate.size()) == 0;
}

} // namespace kanata
