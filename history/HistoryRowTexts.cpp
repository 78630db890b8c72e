#include "history/HistoryRowTexts.h"

#include "data/Cp932.h"
#include "data/ReasonCode.h"
#include "data/RecvHisTable.h"

#include <cstdio>

namespace kanata {

std::string HistoryTelText(const std::string& tel) {
    const std::string t = cp932::trim(tel);
    if (auto reason = ReasonCodeText(t))
        return *reason;
    return t;
}

std::vector<std::string> HistoryRowCells(const RecvHisRow& row, std::int64_t number) {
    std::string date, time;
    if (!row.RecvDateTime.isZero()) {
        const DateTime& d = row.RecvDateTime;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", d.year, d.month, d.day);
        date = buf;
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", d.hour, d.minute, d.second);
        time = buf;
    }
    const std::string division = cp932::trim(row.Division);
    return {std::to_string(number),
            date,
            time,
            HistoryTelText(row.Tel),
            cp932::trim(row.CorpKanji),
            cp932::trim(row.NameKanji),
            division == "0"   ? "新規"
            : division == "1" ? "既存"
                              : "",
            cp932::trim(row.Rank),
            cp932::trim(row.SelItem1),
            cp932::trim(row.SelItem2),
            cp932::trim(row.SelItem3)};
}

} // namespace kanata
