#pragma once
// The caller's previous call in the history: its time and selection items
// are carried over to a new call of the same caller.
#include "data/DateTime.h"

#include <optional>
#include <string>
#include <vector>

namespace kanata {

class RecvHisTable;
struct CallRecord;

// The search keys of a caller's numbers, in the order they are searched.
// A number gives a key when, trimmed, it begins with a digit; the key is its
// digits, cut to the 11 of a stored key.
//  - address book: the keys of the record's four numbers, empty ones skipped;
//  - roster: the first and second number; when the second one is the number
//    that called, it is searched first. No key at all when the first of the
//    two is empty.
std::vector<std::string> PreviousCallKeys(const CallRecord& record,
                                          const std::string& incomingNumber, bool addressBook);

struct PreviousCall {
    DateTime recvDateTime; // to the whole second
    std::string selItem1, selItem2, selItem3;
};

// The latest call on any of the keys (the time compared to the whole
// second; on equal times the one of the earlier key, then the higher
// RecNo). The table must be open.
std::optional<PreviousCall> FindPreviousCall(RecvHisTable& history,
                                             const std::vector<std::string>& keys);

} // namespace kanata
