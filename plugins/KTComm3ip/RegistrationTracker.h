#pragma once
// What the line says about its registration with the IP-PBX, and when it
// tries again. One report per run of failures, so a PBX that stays away
// does not bury the user under messages; a notice when it is back.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kanata::adapter {

inline constexpr std::int32_t kErrorRegistrationRefused = 220;
inline constexpr std::int32_t kErrorPbxUnreachable = 221;
inline constexpr std::int32_t kErrorRegistrationLost = 222;
inline constexpr std::int32_t kNoticeRegistrationRestored = 320;
inline constexpr std::int32_t kNoticeDialNotOffered = 321;
inline constexpr std::int32_t kNoticeCallRefused = 322;

struct LineReport {
    bool isError = true;
    std::int32_t code = 0;
    std::string textUtf8;
};

struct RegistrationStep {
    std::optional<LineReport> report;
    // When to register again after a failure; none after a success (the
    // SIP stack renews a registration by itself).
    std::optional<std::chrono::seconds> retryIn;
};

class RegistrationTracker {
public:
    static constexpr std::chrono::seconds kFirstRetry{5};
    static constexpr std::chrono::seconds kLongestRetry{300};

    RegistrationTracker(std::string where, std::string extension);

    // A final answer to a REGISTER: 2xx registered; 401/403/404 and other
    // answers from the PBX refused; 408, 503 and 5xx the PBX not reached
    // (the SIP stack makes these itself when nothing answers).
    RegistrationStep onResult(int status, const std::string& phrase);
    bool registered() const { return registered_; }

private:
    LineReport failure(int status, const std::string& phrase, bool wasRegistered) const;

    std::string where_, extension_;
    bool registered_ = false;
    bool failureReported_ = false;
    std::chrono::seconds nextRetry_ = kFirstRetry;
};

} // namespace kanata::adapter
