#pragma once
// The record a stored call opens in the incoming call view: the caller
// looked up again by the call's number, the call's own fields over it, and
// the time of the caller's call before this one.
#include "data/DateTime.h"
#include "data/CallRecord.h"

#include <functional>
#include <string>
#include <vector>

namespace kanata {

class RecvHisTable;
struct RecvHisRow;

// The caller lookup: (searchOwnBook, askUser, number, out record) -> result.
using LookupCallerFn =
    std::function<int(bool searchOwnBook, bool askUser, const std::string& number, CallRecord&)>;

// Builds the record of a history row. Without a lookup the record carries
// only the call's own number and fields.
CallRecord BuildInquiryRecord(const RecvHisRow& row, const LookupCallerFn& lookup,
                              bool earlierSearch, RecvHisTable& table);

// The latest call before `own` from any of these number keys (keys that are
// not all digits, such as reason codes, are skipped), truncated to whole
// seconds; 0 when there is none.
double FindPreviousCall(RecvHisTable& table, const std::vector<std::string>& keys,
                        const DateTime& own);

} // namespace kanata
