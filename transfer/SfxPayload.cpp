#include "transfer/SfxPayload.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>

namespace kanata::sfx {
namespace {

constexpr std::string_view kMagic = "KSFXDATA";
constexpr std::string_view kEndMagic = "KSFXEND1";
constexpr std::size_t kSaltSize = 16, kNonceSize = 12, kCheckSize = 32, kTagSize = 16;
constexpr std::size_t kHeaderSize = 8 + 1 + 4 + kSaltSize + kNonceSize; // authenticated part
constexpr std::size_t kMinPayload = kHeaderSize + kCheckSize + kTagSize;
constexpr std::uint32_t kMaxIterations = 50'000'000;

using Ctx = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

void putLe(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t getLe(std::string_view in, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
    return v;
}

const unsigned char* bytes(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

struct Keys {
    std::array<unsigned char, 32> key{};
    std::array<unsigned char, 32> check{};
    ~Keys() {
        OPENSSL_cleanse(key.data(), key.size());
        OPENSSL_cleanse(check.data(), check.size());
    }
};

void derive(const std::string& password, std::string_view salt, std::uint32_t iterations,
            Keys& keys) {
    std::array<unsigned char, 64> out{};
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), bytes(salt),
                          static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                          static_cast<int>(out.size()), out.data()) != 1)
        throw std::runtime_error("PBKDF2 failed");
    std::copy_n(out.begin(), 32, keys.key.begin());
    SHA256(out.data() + 32, 32, keys.check.data());
    OPENSSL_cleanse(out.data(), out.size());
}

std::string sha256(std::string_view data) {
    std::string digest(32, '\0');
    SHA256(bytes(data), data.size(), reinterpret_cast<unsigned char*>(digest.data()));
    return digest;
}

} // namespace

std::string Seal(const std::string& fileName, std::string_view content, const std::string& password,
                 std::uint32_t iterations) {
    if (fileName.size() > 0xFFFF)
        throw std::runtime_error("file name too long");
    std::string salt(kSaltSize, '\0'), nonce(kNonceSize, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), kSaltSize) != 1 ||
        RAND_bytes(reinterpret_cast<unsigned char*>(nonce.data()), kNonceSize) != 1)
        throw std::runtime_error("no random bytes");
    Keys keys;
    derive(password, salt, iterations, keys);

    std::string payload(kMagic);
    payload += '\x01';
    putLe(payload, iterations, 4);
    payload += salt;
    payload += nonce;
    const std::string header = payload;
    payload.append(reinterpret_cast<const char*>(keys.check.data()), kCheckSize);

    std::string plain;
    putLe(plain, fileName.size(), 2);
    plain += fileName;
    plain.append(content);

    Ctx ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    std::string cipher(plain.size() + 16, '\0');
    int len = 0, total = 0;
    bool ok = ctx && EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) &&
              EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) &&
              EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, keys.key.data(), bytes(nonce)) &&
              EVP_EncryptUpdate(ctx.get(), nullptr, &len, bytes(header),
                                static_cast<int>(header.size())) &&
              EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(cipher.data()), &len,
                                bytes(plain), static_cast<int>(plain.size()));
    total = len;
    ok = ok && EVP_EncryptFinal_ex(ctx.get(),
                                   reinterpret_cast<unsigned char*>(cipher.data()) + total, &len);
    total += len;
    std::string tag(kTagSize, '\0');
    ok = ok && EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag.data());
    OPENSSL_cleanse(plain.data(), plain.size());
    if (!ok)
        throw std::runtime_error("encryption failed");
    cipher.resize(static_cast<std::size_t>(total));
    payload += cipher;
    payload += tag;
    return payload;
}

std::string WithTrailer(const std::string& payload) {
    std::string out = payload;
    putLe(out, payload.size(), 8);
    out += sha256(payload);
    out += kEndMagic;
    return out;
}

OpenResult FindPayload(std::string_view file, std::string_view& payload) {
    if (file.size() < kTrailerSize || file.substr(file.size() - kEndMagic.size()) != kEndMagic)
        return OpenResult::NoPayload;
    const std::size_t trailer = file.size() - kTrailerSize;
    const std::uint64_t length = getLe(file, trailer, 8);
    if (length > trailer || length < kMinPayload)
        return OpenResult::Damaged;
    payload = file.substr(trailer - length, length);
    if (sha256(payload) != file.substr(trailer + 8, 32))
        return OpenResult::Damaged;
    return OpenResult::Restored;
}

OpenResult Open(std::string_view payload, const std::string& password, std::string& fileName,
                std::string& content) {
    if (payload.size() < kMinPayload || payload.substr(0, kMagic.size()) != kMagic ||
        payload[kMagic.size()] != '\x01')
        return OpenResult::Damaged;
    const auto iterations = static_cast<std::uint32_t>(getLe(payload, kMagic.size() + 1, 4));
    if (iterations == 0 || iterations > kMaxIterations)
        return OpenResult::Damaged;
    const std::string_view header = payload.substr(0, kHeaderSize);
    const std::string_view salt = payload.substr(kMagic.size() + 5, kSaltSize);
    const std::string_view nonce = payload.substr(kMagic.size() + 5 + kSaltSize, kNonceSize);
    const std::string_view check = payload.substr(kHeaderSize, kCheckSize);
    const std::string_view cipher =
        payload.substr(kHeaderSize + kCheckSize, payload.size() - kMinPayload);
    const std::string_view tag = payload.substr(payload.size() - kTagSize);

    Keys keys;
    derive(password, salt, iterations, keys);
    if (CRYPTO_memcmp(keys.check.data(), check.data(), kCheckSize) != 0)
        return OpenResult::WrongPassword;

    Ctx ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    std::string plain(cipher.size() + 16, '\0');
    int len = 0, total = 0;
    std::string tagCopy(tag);
    bool ok = ctx && EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) &&
              EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) &&
              EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, keys.key.data(), bytes(nonce)) &&
              EVP_DecryptUpdate(ctx.get(), nullptr, &len, bytes(header),
                                static_cast<int>(header.size())) &&
              EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &len,
                                bytes(cipher), static_cast<int>(cipher.size()));
    total = len;
    ok = ok && EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tagCopy.data()) &&
         EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()) + total,
                             &len) == 1;
    if (!ok) {
        OPENSSL_cleanse(plain.data(), plain.size());
        return OpenResult::Damaged;
    }
    total += len;
    plain.resize(static_cast<std::size_t>(total));
    if (plain.size() < 2)
        return OpenResult::Damaged;
    const std::size_t nameLength = getLe(plain, 0, 2);
    if (plain.size() < 2 + nameLength)
        return OpenResult::Damaged;
    fileName = plain.substr(2, nameLength);
    content = plain.substr(2 + nameLength);
    OPENSSL_cleanse(plain.data(), plain.size());
    return OpenResult::Restored;
}

} // namespace kanata::sfx
