#include "plugins/KTComm3ip/CallerIdentity.h"

#include <algorithm>

namespace kanata::adapter {
namespace {

constexpr std::string_view kWithheld = "P";
constexpr std::string_view kNotDelivered = "O";
constexpr std::string_view kInternationalPrefix = "010";
constexpr std::size_t kLongestDomesticNumber = 11;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool isVisualSeparator(char c) {
    return c == '-' || c == '.' || c == '(' || c == ')' || c == ' ';
}

std::string_view withoutParameters(std::string_view user) {
    return user.substr(0, user.find(';'));
}

bool withheld(const std::string& user) {
    const std::string_view bare = withoutParameters(user);
    return bare.empty() || equalsIgnoringCase(bare, "anonymous");
}

} // namespace

std::string dialledDigits(std::string_view userPart) {
    std::string_view text = withoutParameters(userPart);
    std::string prefix;
    if (text.starts_with("+81")) {
        text.remove_prefix(3);
        prefix = "0";
    } else if (text.starts_with("+")) {
        text.remove_prefix(1);
        prefix = "010";
    }
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
        else if (!isVisualSeparator(c))
            return {};
    }
    return digits.empty() ? std::string() : prefix + digits;
}

namespace {

// The identity to take: a tel: URI is a number by definition; a sip: URI
// may carry only a name, so one with a number comes before one without.
const AssertedIdentity* preferredIdentity(const std::vector<AssertedIdentity>& identities) {
    const auto rank = [](const AssertedIdentity& id) {
        return id.tel ? 0 : !dialledDigits(id.user).empty() ? 1 : 2;
    };
    const AssertedIdentity* best = nullptr;
    for (const AssertedIdentity& id : identities)
        if (!best || rank(id) < rank(*best))
            best = &id;
    return best;
}

} // namespace

bool isDomesticNumber(std::string_view digits) {
    return !digits.empty() && digits.size() <= kLongestDomesticNumber &&
           !digits.starts_with(kInternationalPrefix);
}

std::string callerNumberOrReason(const CallerHeaders& headers) {
    for (const std::string& value : headers.privacy)
        if (equalsIgnoringCase(value, "id"))
            return std::string(kWithheld);
    std::string user = headers.fromUser;
    if (const AssertedIdentity* asserted = preferredIdentity(headers.assertedIdentities)) {
        user = asserted->user;
    } else if (headers.remotePartyId) {
        if (headers.remotePartyPrivate)
            return std::string(kWithheld);
        user = *headers.remotePartyId;
    }
    if (withheld(user))
        return std::string(kWithheld);
    const std::string digits = dialledDigits(user);
    return isDomesticNumber(digits) ? digits : std::string(kNotDelivered);
}

bool isWatchedCall(const std::vector<std::string>& watched,
                   const std::vector<std::string>& addressedUsers) {
    if (watched.empty())
        return true;
    for (const std::string& number : watched) {
        const std::string want = dialledDigits(number);
        for (const std::string& user : addressedUsers)
            if (!want.empty() && dialledDigits(user) == want)
                return true;
    }
    return false;
}

} // namespace kanata::adapter
