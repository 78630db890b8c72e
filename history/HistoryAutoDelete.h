#pragma once
// Deleting old calls when the history list is created.
#include "data/DateTime.h"

#include <cstdint>

namespace kanata {

class MessageService;
class RecvHisTable;

struct AutoDeleteResult {
    bool asked = false;
    bool refused = false;
    std::int64_t deleted = 0;
};

// Deletes every call dated `deleteDay` or more days before `today`, so that
// the last `deleteDay` days (today included) remain. A day count outside
// 1..14 counts as 7. When `confirm` is set and old calls exist, the user is
// asked first; No deletes nothing. Throws sql::SqliteError.
AutoDeleteResult DeleteOldHistory(RecvHisTable& table, int deleteDay, bool confirm,
                                  const DateTime& today, MessageService& messages);

} // namespace kanata
