#include "history/HistoryInquiry.h"

#include "data/Cp932.h"
#include "data/RecvHisTable.h"

#include <algorithm>

namespace kanata {
namespace {

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string fit(const std::string& text, std::size_t width) {
    return cp932::cutToWidth(cp932::trim(text), width);
}

} // namespace

double FindPreviousCall(RecvHisTable& table, const std::vector<std::string>& keys,
                        const DateTime& own) {
    std::optional<DateTime> latest;
    for (const std::string& key : keys) {
        if (!allDigits(key))
            continue;
        Query q;
        q.index = "SchTel";
        q.from = {key};
        q.where = "\"SchTel\" = ? AND \"RecvDateTime\" < ?";
        q.whereArgs = {key, own.toText()};
        for (const RecvHisRow& row : table.read(q)) {
            const DateTime t = TruncateToSeconds(row.RecvDateTime);
            if (!latest || t > *latest)
                latest = t;
        }
    }
    return latest ? latest->toDays() : 0.0;
}

CallRecord BuildInquiryRecord(const RecvHisRow& row, const LookupCallerFn& lookup,
                              bool earlierSearch, RecvHisTable& table) {
    CallRecord record;
    const std::string tel = cp932::trim(row.Tel);
    if (lookup) {
        lookup(earlierSearch, false, tel, record);
    } else {
        record.SchTel[0] = fit(row.SchTel, CallRecord::kSchTelWidth);
        record.Tel[0] = fit(tel, CallRecord::kTelWidth);
    }
    record.RecNo = row.RecNo;
    record.RecvDateTime = row.RecvDateTime.toDays();
    record.SelItem1 = fit(row.SelItem1, CallRecord::kSelItemWidth);
    record.SelItem2 = fit(row.SelItem2, CallRecord::kSelItemWidth);
    record.SelItem3 = fit(row.SelItem3, CallRecord::kSelItemWidth);
    if (record.Rank.empty())
        record.Rank = fit(row.Rank, CallRecord::kRankWidth);
    if (record.CorpKana.empty() && record.CorpKanji.empty() && record.NameKana.empty() &&
        record.NameKanji.empty()) {
        record.CorpKana = fit(row.CorpKana, CallRecord::kCorpKanaWidth);
        record.CorpKanji = fit(row.CorpKanji, CallRecord::kCorpKanjiWidth);
        record.NameKana = fit(row.NameKana, CallRecord::kNameKanaWidth);
        record.NameKanji = fit(row.NameKanji, CallRecord::kNameKanjiWidth);
    }
    std::vector<std::string> keys;
    for (const std::string& k : record.SchTel)
        if (!k.empty())
            keys.push_back(k);
    if (keys.empty())
        keys.push_back(cp932::trim(row.SchTel));
    record.PrevRecvDateTime = FindPreviousCall(table, keys, row.RecvDateTime);
    return record;
}

} // namespace kanata
