#include "intake/PreviousCall.h"

#include "data/Cp932.h"
#include "data/RecvHisTable.h"
#include "data/TelKeys.h"
#include "data/CallRecord.h"

#include <cstdio>

namespace kanata {
namespace {

std::string keyOf(const std::string& number) {
    const std::string trimmed = cp932::trim(number);
    if (trimmed.empty() || trimmed.front() < '0' || trimmed.front() > '9')
        return {};
    return TelSearchKey(trimmed);
}

// "yyyymmddhhnnss": the history has always compared calls by this text.
std::string secondsText(const DateTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

} // namespace

std::vector<std::string> PreviousCallKeys(const CallRecord& record,
                                          const std::string& incomingNumber, bool addressBook) {
    std::vector<std::string> keys;
    if (addressBook) {
        for (const std::string& tel : record.Tel)
            if (std::string key = keyOf(tel); !key.empty())
                keys.push_back(key);
        return keys;
    }
    std::string first = keyOf(record.Tel[0]);
    std::string second = keyOf(record.Tel[1]);
    if (!second.empty() && second == TelSearchKey(incomingNumber)) {
        first = TelSearchKey(record.Tel[1]);
        second = TelSearchKey(record.Tel[0]);
    }
    if (first.empty())
        return keys;
    keys.push_back(first);
    if (!second.empty())
        keys.push_back(second);
    return keys;
}

std::optional<PreviousCall> FindPreviousCall(RecvHisTable& history,
                                             const std::vector<std::string>& keys) {
    std::optional<RecvHisRow> latest;
    std::string latestText;
    for (const std::string& key : keys) {
        Query q;
        q.index = "RecvDateTime";
        q.descending = true;
        q.where = "\"SchTel\" = ?";
        q.whereArgs = {key};
        q.limit = 1;
        auto rows = history.read(q);
        if (rows.empty())
            continue;
        std::string text = secondsText(rows.front().RecvDateTime);
        if (!latest || text > latestText) {
            latest = std::move(rows.front());
            latestText = std::move(text);
        }
    }
    if (!latest)
        return std::nullopt;
    return PreviousCall{TruncateToSeconds(latest->RecvDateTime), cp932::trim(latest->SelItem1),
                        cp932::trim(latest->SelItem2), cp932::trim(latest->SelItem3)};
}

} // namespace kanata
