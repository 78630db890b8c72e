#include "transfer/AdapterHistory.h"

#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/RecvHisTable.h"
#include "data/TelKeys.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <cstring>

namespace kanata {
namespace {

std::string field(const char* text, std::size_t size) {
    return cp932::trim(std::string(text, strnlen(text, size)));
}

bool allDigits(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int number(const std::string& s, std::size_t at, std::size_t n) {
    return std::stoi(s.substr(at, n));
}

int daysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

std::string hyphenated(const std::string& number, const HyphenationService* hyphenation) {
    return hyphenation ? hyphenation->FormatTelHyphen(number) : number;
}

} // namespace

int AdapterHistoryCapacity(const std::vector<AdapterKind>& kinds, int kindId) {
    for (const AdapterKind& kind : kinds)
        if (kind.KindId == kindId)
            return kind.HistoryCapacity > 0 ? kind.HistoryCapacity : 0;
    return 0;
}

std::vector<AdapterHistoryLine> DescribeAdapterHistory(const std::vector<AdapterHistoryRecord>& in,
                                                       const HyphenationService* hyphenation) {
    std::vector<AdapterHistoryLine> lines;
    for (const AdapterHistoryRecord& entry : in) {
        AdapterHistoryLine line{entry, {}, {}, {}};
        const std::string tel = field(entry.Number, sizeof entry.Number);
        if (IsReasonCode(tel)) {
            line.number = ReasonCodeText(tel.front());
        } else {
            line.number = hyphenated(tel, hyphenation);
            std::memset(line.entry.Number, 0, sizeof line.entry.Number);
            std::memcpy(line.entry.Number, line.number.data(),
                        std::min(line.number.size(), sizeof line.entry.Number));
        }
        const std::string date = field(entry.Date, sizeof entry.Date);
        const std::string time = field(entry.Time, sizeof entry.Time);
        line.date = date.size() == 8
                        ? date.substr(0, 4) + "/" + date.substr(4, 2) + "/" + date.substr(6, 2)
                        : date;
        line.time = time.size() == 6
                        ? time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 2)
                        : time;
        lines.push_back(line);
    }
    return lines;
}

DateTime AdapterEntryDateTime(const AdapterHistoryRecord& entry) {
    DateTime value; // 1899-12-30 00:00:00, the date-time 0
    const std::string date = field(entry.Date, sizeof entry.Date);
    if (date.size() == 8 && allDigits(date)) {
        const int y = number(date, 0, 4), m = number(date, 4, 2), d = number(date, 6, 2);
        if (m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m)) {
            value.year = y;
            value.month = m;
            value.day = d;
        }
    }
    const std::string time = field(entry.Time, sizeof entry.Time);
    if (time.size() == 6 && allDigits(time)) {
        const int h = number(time, 0, 2), n = number(time, 2, 2), s = number(time, 4, 2);
        if (h < 24 && n < 60 && s < 60) {
            value.hour = h;
            value.minute = n;
            value.second = s;
        }
    }
    return value;
}

namespace {

// Takes the table's failure boxes of one save: a refused row is counted,
// not shown.
class QuietRefusals : public MessageService {
public:
    MessageResult ShowCenteredMessage(const MessageRequest&) override { return MessageResult::Ok; }
};

} // namespace

AdapterHistorySave SaveAdapterHistory(RecvHisTable& table,
                                      const std::vector<AdapterHistoryRecord>& entries,
                                      const HyphenationService* hyphenation,
                                      MessageService& messages, const void* owner) {
    AdapterHistorySave result;
    std::int64_t count = table.count();
    const auto last = table.last();
    std::int64_t next = last ? last->RecNo + 1 : 0;
    for (const AdapterHistoryRecord& entry : entries) {
        if (next > 99999) {
            messages.information(count <= 99999
                                     ? "データ管理カウンタが一杯になり登録できませんでした\r\n"
                                       "最適化処理を行うことにより登録できるようになります"
                                     : "最大登録件数10万件に達しました\r\nこれ以上登録できません",
                                 owner);
            result.stoppedAtLimit = true;
            return result;
        }
        RecvHisRow row;
        row.RecvDateTime = AdapterEntryDateTime(entry);
        const std::string tel = field(entry.Number, sizeof entry.Number);
        if (IsReasonCode(tel)) {
            row.SchTel = row.Tel = tel;
        } else {
            row.SchTel = ExtractTelChars(tel, kTelDigits);
            row.Tel = hyphenated(tel, hyphenation);
        }
        row.Division = "0";
        QuietRefusals refusals;
        const std::optional<int> recNo = table.append(row, refusals);
        if (!recNo) {
            ++result.failed;
            continue;
        }
        ++count;
        next = *recNo + 1;
        ++result.saved;
    }
    return result;
}

std::string AdapterHistorySaveMessage(const AdapterHistorySave& result) {
    std::string text = std::to_string(result.saved) + "件保存しました";
    if (result.failed > 0)
        text += "\r\n" + std::to_string(result.failed) +
                "件は書き込みに失敗したため保存できませんでした";
    return text;
}

} // namespace kanata
