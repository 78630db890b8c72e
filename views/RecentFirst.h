#pragma once
// Item lists ordered by last use: a text used in a saved call goes to the top.
#include <string>

namespace kanata {

class MessageService;
class THistoryData;

// Puts `text` (trimmed and cut to the list's item size, as the list would
// store it) at the top of `list` with the current time and saves the list
// (a shared list as it is stored now: see THistoryData::Update). An empty
// text, one already first, or a list whose file could not be read changes
// nothing. True when the list changed; a list that cannot be written is
// reported through `messages`.
bool MoveToTop(THistoryData& list, const std::string& text, MessageService& messages);

} // namespace kanata
