#include "history/HistoryAutoDelete.h"

#include "data/RecvHisTable.h"
#include "history/ListDeletion.h"
#include "platform/MessageService.h"

#include <cstdio>

namespace kanata {

AutoDeleteResult DeleteOldHistory(RecvHisTable& table, int deleteDay, bool confirm,
                                  const DateTime& today, MessageService& messages) {
    if (deleteDay < 1 || deleteDay > 14)
        deleteDay = 7;
    // Rows whose day is at most today - deleteDay go: everything before the
    // start of the day after that cut-off.
    const long long cutOff = DayNumber(today.year, today.month, today.day) - deleteDay;
    const DateTime keepFrom = DateTime::fromDays(static_cast<double>(cutOff + 1));
    char bound[16];
    std::snprintf(bound, sizeof bound, "%04d-%02d-%02d", keepFrom.year, keepFrom.month,
                  keepFrom.day);
    const RowFilter old{"\"RecvDateTime\" < ?", {std::string(bound)}};

    AutoDeleteResult result;
    if (table.count(old.where, old.args) == 0)
        return result;
    if (confirm) {
        result.asked = true;
        const std::string question = "着信対応履歴に指定日数  " + std::to_string(deleteDay) +
                                     "日を経過したデータが存在します\r\n削除してもよろしいですか？";
        if (!messages.ask(question)) {
            result.refused = true;
            return result;
        }
    }
    result.deleted = DeleteMatchingRows(table.table(), old);
    return result;
}

} // namespace kanata
