#pragma once
// The encrypted part of a self-extracting export, appended to the small
// extractor program.
//
// Layout of the payload (all integers little-endian):
//   "KSFXDATA" | version 1 (1 byte) | PBKDF2 iterations (4) | salt (16) |
//   nonce (12) | password check (32) | ciphertext | GCM tag (16)
// followed at the very end of the file by the trailer:
//   payload length (8) | SHA-256 of the payload (32) | "KSFXEND1"
// The key and the password check come from PBKDF2-HMAC-SHA256 of the
// password with the salt (64 bytes: 32 for the AES-256-GCM key, 32 hashed
// into the check). The plaintext is the file name's length (2), the file
// name and the file's bytes; the header up to the check is authenticated
// as additional data. Salt and nonce are random per file.
//
// The checksum tells a damaged file from a wrong password: a payload whose
// checksum fails is damaged; one whose password check fails was given the
// wrong password; one whose tag fails after a good check is damaged.
//
// This file uses only the standard library and libcrypto, so the extractor
// links it without the rest of the program.
#include <cstdint>
#include <string>
#include <string_view>

namespace kanata::sfx {

inline constexpr std::uint32_t kDefaultIterations = 600000;
inline constexpr std::size_t kTrailerSize = 8 + 32 + 8;

// Encrypts a file's name and bytes; throws std::runtime_error on a failure
// of the cryptographic library.
std::string Seal(const std::string& fileName, std::string_view content, const std::string& password,
                 std::uint32_t iterations = kDefaultIterations);
// The payload followed by its trailer, ready to append to the extractor.
std::string WithTrailer(const std::string& payload);

enum class OpenResult { Restored, WrongPassword, Damaged, NoPayload };

// Finds the payload at the end of a whole file (the extractor itself).
OpenResult FindPayload(std::string_view file, std::string_view& payload);
OpenResult Open(std::string_view payload, const std::string& password, std::string& fileName,
                std::string& content);

} // namespace kanata::sfx
