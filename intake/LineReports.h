#pragma once
// The boxes for the line errors and notices the adapter library reports
// (shown later, from the main window's own posted message, so that the
// library's call has long returned).
#include <cstdint>
#include <optional>
#include <string>

namespace kanata {

class MessageService;

// The text of a line error box, or none for code 1, which is never shown.
std::optional<std::string> lineErrorText(std::int32_t code, const std::string& text);
std::string lineNoticeText(std::int32_t code, const std::string& text);

// Shows them through the message service: errors with the stop icon,
// notices with the information icon.
void showLineError(MessageService& messages, std::int32_t code, const std::string& text,
                   const void* owner = nullptr);
void showLineNotice(MessageService& messages, std::int32_t code, const std::string& text,
                    const void* owner = nullptr);

} // namespace kanata
