#pragma once
// The start-up password is kept only as a salted, slow hash, so that reading
// the stored value does not reveal the password:
//   "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>"
// An empty stored value means that no password is set.
#include <string>

namespace kanata {

inline constexpr int kPasswordIterations = 600000;

// A new stored value for `password` (random 16-byte salt).
std::string hashPassword(const std::string& password, int iterations = kPasswordIterations);

// True when a password is set (the stored value is not empty).
bool isPasswordSet(const std::string& stored);

// True when `password` matches the stored value (case-sensitive, compared in
// constant time). A stored value that cannot be read never matches: a damaged
// value must lock the program rather than open it.
bool verifyPassword(const std::string& password, const std::string& stored);

} // namespace kanata
