#include "plugins/KTComm3ip/RegistrationTracker.h"

#include <algorithm>

namespace kanata::adapter {

RegistrationTracker::RegistrationTracker(std::string where, std::string extension)
    : where_(std::move(where)), extension_(std::move(extension)) {}

RegistrationStep RegistrationTracker::onResult(int status, const std::string& phrase) {
    RegistrationStep step;
    if (status >= 200 && status < 300) {
        if (failureReported_)
            step.report = LineReport{false, kNoticeRegistrationRestored,
                                     "IP-PBX（" + where_ + "）に内線 " + extension_ +
                                         " として登録しました\r\n着信を受け付けています"};
        registered_ = true;
        failureReported_ = false;
        nextRetry_ = kFirstRetry;
        return step;
    }
    const bool wasRegistered = registered_;
    registered_ = false;
    if (!failureReported_) {
        step.report = failure(status, phrase, wasRegistered);
        failureReported_ = true;
    }
    step.retryIn = nextRetry_;
    nextRetry_ = std::min(nextRetry_ * 2, kLongestRetry);
    return step;
}

LineReport RegistrationTracker::failure(int status, const std::string& phrase,
                                        bool wasRegistered) const {
    const std::string answer = "（SIP " + std::to_string(status) + " " + phrase + "）";
    const bool unreachable = status == 408 || status >= 500;
    if (wasRegistered)
        return {true, kErrorRegistrationLost,
                "IP-PBX（" + where_ + "）への登録が切れました" + answer +
                    "\r\n登録し直すまで着信を受け取れません。自動で再登録を試みます"};
    if (unreachable)
        return {true, kErrorPbxUnreachable,
                "IP-PBX（" + where_ + "）に接続できません" + answer +
                    "\r\nIPアドレスと機器の電源、ネットワークを確認してください。自動で再接続を"
                    "試みます"};
    return {true, kErrorRegistrationRefused,
            "IP-PBX（" + where_ + "）が内線 " + extension_ + " の登録を拒否しました" + answer +
                "\r\n内線番号とパスワードを確認してください"};
}

} // namespace kanata::adapter
