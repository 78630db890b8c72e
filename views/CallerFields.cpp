#include "views/CallerFields.h"

#include "data/Cp932.h"
#include "data/DateTime.h"
#include "data/TelKeys.h"
#include "data/CallRecord.h"
#include "views/ShownFields.h"

#include <cstdio>

namespace kanata {
namespace {

std::string joined(const std::vector<std::string>& lines, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += separator;
        text += lines[i];
    }
    return text;
}

std::string twoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// A call without a number shows the reason's text, which the number check
// then refuses to register.
std::string shownNumber(const std::string& tel) {
    return IsReasonCode(tel) ? ReasonCodeText(tel.front()) : tel;
}

} // namespace

CallerFields CallerFields::trimmed() const {
    CallerFields f = *this;
    for (std::string* s :
         {&f.Tel1,      &f.Tel2,     &f.Pos,      &f.Tdfkn,    &f.Adrs1,     &f.Adrs2,
          &f.Adrs3,     &f.JisCode,  &f.KajoCode, &f.CorpKana, &f.CorpKanji, &f.NameKana,
          &f.NameKanji, &f.Memo1,    &f.Memo2,    &f.Memo3,    &f.EMail,     &f.Rank,
          &f.SelItem1,  &f.SelItem2, &f.SelItem3})
        *s = cp932::trim(*s);
    for (auto& line : f.ExtLink)
        line = cp932::trim(line);
    // A note keeps its own indentation; only the empty tail goes.
    while (!f.Note.empty() && cp932::trim(f.Note.back()).empty())
        f.Note.pop_back();
    while (!f.ExtLink.empty() && f.ExtLink.back().empty())
        f.ExtLink.pop_back();
    return f;
}

CallerFields FieldsFromRecord(const CallRecord& r, bool addressBookMode) {
    CallerFields f;
    if (addressBookMode) {
        const int index = (r.TelIndex >= 0 && r.TelIndex < 4) ? r.TelIndex : 0;
        f.Tel1 = shownNumber(r.Tel[index]);
    } else {
        if (!r.SchTel[0].empty())
            f.Tel1 = shownNumber(r.Tel[0]);
        if (!r.SchTel[1].empty())
            f.Tel2 = shownNumber(r.Tel[1]);
    }
    f.Pos = r.Pos;
    CopyAddressAndNames(f, r);
    f.PrivCorp = r.PrivCorp == 1 ? 1 : 0;
    CopyMemosAndRank(f, r);
    f.SelItem1 = r.SelItem1;
    f.SelItem2 = r.SelItem2;
    f.SelItem3 = r.SelItem3;
    if (r.ExtLink)
        f.ExtLink = *r.ExtLink;
    if (r.Note)
        f.Note = *r.Note;
    return f;
}

std::string FormatViewDate(double days) {
    if (days == 0.0)
        return {};
    const DateTime t = DateTime::fromDays(days);
    return std::to_string(t.year) + "年 " + twoDigits(t.month) + "月 " + twoDigits(t.day) + "日";
}

std::string FormatViewTime(double days) {
    if (days == 0.0)
        return {};
    const DateTime t = DateTime::fromDays(days);
    return twoDigits(t.hour) + "時 " + twoDigits(t.minute) + "分 " + twoDigits(t.second) + "秒";
}

std::array<std::string, kOutputItemCount> OutputItemValues(const CallerFields& fields,
                                                           const CallRecord& record) {
    const CallerFields f = fields.trimmed();
    return {
        record.Division == 1 ? "既存" : "新規",
        FormatViewDate(record.PrevRecvDateTime),
        FormatViewTime(record.PrevRecvDateTime),
        FormatViewDate(record.RecvDateTime),
        FormatViewTime(record.RecvDateTime),
        f.Tel1,
        f.Tel2,
        f.Pos,
        f.Tdfkn + f.Adrs1 + f.Adrs2 + f.Adrs3,
        f.JisCode,
        f.CorpKana,
        f.CorpKanji,
        f.NameKana,
        f.NameKanji,
        f.PrivCorp == 1 ? "法人" : "個人",
        f.Memo1,
        f.Memo2,
        f.Memo3,
        f.EMail,
        f.Rank,
        f.SelItem1,
        f.SelItem2,
        f.SelItem3,
        joined(f.ExtLink, "\t"),
        joined(f.Note, "\t"),
    };
}

} // namespace kanata
