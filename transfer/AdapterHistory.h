#pragma once
// The calls an adapter stored itself: their display in the retrieval window
// and their saving as new history rows.
#include "data/DateTime.h"
#include "intake/AdapterAbi.h"

#include <string>
#include <vector>

namespace kanata {

class HyphenationService;
class MessageService;
class RecvHisTable;

// The number of entries to ask the adapter for: the HistoryCapacity of the
// first model whose KindId is the configured adapter; 0 when none is.
int AdapterHistoryCapacity(const std::vector<AdapterKind>& kinds, int kindId);

struct AdapterHistoryLine {
    AdapterHistoryRecord entry;     // the number hyphenated in place
    std::string date, time, number; // the three cells
};

// The lines of the delivered entries, in their order.
std::vector<AdapterHistoryLine> DescribeAdapterHistory(const std::vector<AdapterHistoryRecord>& in,
                                                       const HyphenationService* hyphenation);

// The receive date-time of an entry; a date or time text that is not 8 or 6
// characters of a real date or time counts as 0.
DateTime AdapterEntryDateTime(const AdapterHistoryRecord& entry);

struct AdapterHistorySave {
    int saved = 0;
    int failed = 0;              // rows the table refused; skipped without a box
    bool stoppedAtLimit = false; // the record numbers ran out (message shown)
};

// Appends one history row per entry (Division "0", no names). A row the
// table refuses is skipped and counted, without a box of its own (the
// completion message tells of it). Stops with the numbering message when
// the record numbers run out.
AdapterHistorySave SaveAdapterHistory(RecvHisTable& table,
                                      const std::vector<AdapterHistoryRecord>& entries,
                                      const HyphenationService* hyphenation,
                                      MessageService& messages, const void* owner = nullptr);

// The completion message of a save: the rows saved and, when some could
// not be, how many.
std::string AdapterHistorySaveMessage(const AdapterHistorySave& result);

} // namespace kanata
