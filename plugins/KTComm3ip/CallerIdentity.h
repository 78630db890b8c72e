#pragma once
// Who is calling, from the identity headers of an INVITE, in the form the
// call-data line carries: the digits of the number as dialled in Japan, or
// "P" for a caller who withheld it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata::adapter {

struct CallerHeaders {
    // User parts (the number of a tel: URI) of the headers present.
    std::optional<std::string> assertedIdentity; // P-Asserted-Identity
    std::optional<std::string> remotePartyId;    // Remote-Party-ID
    bool remotePartyPrivate = false;             // Remote-Party-ID ;privacy=full|uri
    std::string fromUser;
    std::vector<std::string> privacy; // Privacy header values
};

// P-Asserted-Identity first, then Remote-Party-ID, then From. A withheld
// identity (Privacy: id, "anonymous", an empty user part) gives "P"; a user
// part without digits (a name such as "alice") gives "O", number not
// delivered.
std::string callerNumberOrReason(const CallerHeaders& headers);

// The digits of a telephone number written in a SIP user part: "+81"
// becomes the domestic leading 0, another "+" country the international
// prefix 010; visual separators are dropped; ";" parameters are ignored.
// Empty when the text holds no digits or anything but a number.
std::string dialledDigits(std::string_view userPart);

// Whether a call to one of `addressedUsers` (Request-URI and To user parts)
// is one the line watches; an empty `watched` list watches every call.
bool isWatchedCall(const std::vector<std::string>& watched,
                   const std::vector<std::string>& addressedUsers);

} // namespace kanata::adapter
