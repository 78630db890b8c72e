#pragma once
// A call without a number carries a one-character reason code from the
// adapter, stored as is in Tel and SchTel of its history row.
#include "data/TelKeys.h" // IsReasonCode

#include <optional>
#include <string>
#include <string_view>

namespace kanata {

// The text lists, views and prints show for a stored number whose first
// character is a reason code ("P" -> "匿名着信"); nullopt for a number.
std::optional<std::string> ReasonCodeText(std::string_view tel);

} // namespace kanata
