#pragma once
// Who is calling, from the identity headers of an INVITE, in the form the
// call-data line carries: the digits of the number as dialled in Japan, or
// "P" for a caller who withheld it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata::adapter {

// One P-Asserted-Identity: its user part (the number of a tel: URI) and
// whether it was a tel: URI.
struct AssertedIdentity {
    std::string user;
    bool tel = false;
};

struct CallerHeaders {
    // Every P-Asserted-Identity, in the order they came (a PBX may assert a
    // sip: and a tel: identity of the same caller).
    std::vector<AssertedIdentity> assertedIdentities;
    // User parts of the other headers present.
    std::optional<std::string> remotePartyId; // Remote-Party-ID
    bool remotePartyPrivate = false;          // Remote-Party-ID ;privacy=full|uri
    std::string fromUser;
    std::vector<std::string> privacy; // Privacy header values
};

// P-Asserted-Identity first (a tel: identity before a sip: one, and a sip:
// identity that holds a number before one that holds a name), then
// Remote-Party-ID, then From. A withheld identity (Privacy: id,
// "anonymous", an empty user part) gives "P"; a user part without digits (a
// name such as "alice") gives "O", number not delivered. So does a number of
// another country, or one longer than the 11 digits a call-data line holds:
// cut to 11 and stored like a domestic number it would name nobody (and
// might name the wrong caller), and Japan's own caller-ID service reports
// calls from abroad as "O" too.
std::string callerNumberOrReason(const CallerHeaders& headers);

// The digits of a telephone number written in a SIP user part: "+81"
// becomes the domestic leading 0, another "+" country the international
// prefix 010; visual separators are dropped; ";" parameters are ignored.
// Empty when the text holds no digits or anything but a number.
std::string dialledDigits(std::string_view userPart);

// Whether dialled digits are a number the call-data line can carry as it
// is: a Japanese number (not one dialled abroad through 010) of at most 11
// digits.
bool isDomesticNumber(std::string_view digits);

// Whether a call to one of `addressedUsers` (Request-URI and To user parts)
// is one the line watches; an empty `watched` list watches every call.
bool isWatchedCall(const std::vector<std::string>& watched,
                   const std::vector<std::string>& addressedUsers);

} // namespace kanata::adapter
