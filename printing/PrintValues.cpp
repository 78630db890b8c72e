#include "printing/PrintValues.h"

#include "data/Cp932.h"
#include "data/MeiboTable.h"
#include "data/ReasonCode.h"
#include "data/RecvHisTable.h"
#include "data/TelKeys.h"

#include <cstdio>
#include <initializer_list>

namespace kanata {

namespace {

std::string Trimmed(const std::string& text) {
    return cp932::trim(text);
}

std::string DateText(const DateTime& t) {
    char out[16];
    std::snprintf(out, sizeof out, "%04d/%02d/%02d", t.year, t.month, t.day);
    return out;
}

std::string TimeText(const DateTime& t) {
    char out[16];
    std::snprintf(out, sizeof out, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return out;
}

std::string PostalText(const std::string& pos) {
    const std::string p = Trimmed(pos);
    if (p.size() == 5 || p.size() == 7)
        return p.substr(0, 3) + "-" + p.substr(3);
    return p;
}

std::string AddressText(const MeiboRow& r, bool ignoreTdfkn) {
    return (ignoreTdfkn ? std::string() : Trimmed(r.Tdfkn)) + Trimmed(r.Adrs1) + Trimmed(r.Adrs2) +
           Trimmed(r.Adrs3);
}

// The note on one line: each line break becomes one blank.
std::string NoteText(const std::string& note) {
    std::string out;
    for (std::size_t i = 0; i < note.size(); ++i) {
        if (note[i] == '\r' && i + 1 < note.size() && note[i + 1] == '\n') {
            out += ' ';
            ++i;
        } else if (note[i] == '\n') {
            out += ' ';
        } else {
            out += note[i];
        }
    }
    return Trimmed(out);
}

std::string TelText(const std::string& tel) {
    const std::string t = Trimmed(tel);
    if (auto reason = ReasonCodeText(t))
        return *reason;
    return t;
}

// Fields shown trimmed as consecutive items from `first` on.
template <typename Row>
void PutTrimmed(std::vector<std::string>& v, std::size_t first, const Row& row,
                std::initializer_list<std::string Row::*> fields) {
    for (std::string Row::*field : fields)
        v[first++] = Trimmed(row.*field);
}

// The roster's postal code, address, JIS code and names: seven items from
// `first` on, in the same order in both lists.
void PutAddressAndNames(std::vector<std::string>& v, std::size_t first, const MeiboRow& r,
                        bool ignoreTdfkn) {
    using M = MeiboRow;
    v[first] = PostalText(r.Pos);
    v[first + 1] = AddressText(r, ignoreTdfkn);
    PutTrimmed(v, first + 2, r,
               {&M::JisCode, &M::CorpKana, &M::CorpKanji, &M::NameKana, &M::NameKanji});
}

// A date-time as three items: both together, the date, the time.
void PutDateAndTime(std::vector<std::string>& v, std::size_t first, const DateTime& t) {
    v[first] = DateText(t) + " " + TimeText(t);
    v[first + 1] = DateText(t);
    v[first + 2] = TimeText(t);
}

} // namespace

std::vector<std::string> HistoryPrintValues(const RecvHisRow& call,
                                            const std::optional<MeiboRow>& caller,
                                            bool ignoreTdfkn) {
    using H = RecvHisRow;
    std::vector<std::string> v(26);
    v[2] = DateText(call.RecvDateTime);
    v[3] = TimeText(call.RecvDateTime);
    v[4] = TelText(call.Tel);
    PutTrimmed(v, 5, call, {&H::CorpKana, &H::CorpKanji, &H::NameKana, &H::NameKanji});
    const std::string division = Trimmed(call.Division);
    v[9] = division == "0" ? "新規" : division == "1" ? "既存" : division;
    PutTrimmed(v, 10, call, {&H::Rank, &H::SelItem1, &H::SelItem2, &H::SelItem3});
    if (caller) {
        using M = MeiboRow;
        PutAddressAndNames(v, 14, *caller, ignoreTdfkn);
        PutTrimmed(v, 21, *caller, {&M::Memo1, &M::Memo2, &M::Memo3, &M::EMail});
        v[25] = NoteText(caller->Note);
    }
    return v;
}

std::vector<std::string> RosterPrintValues(const MeiboRow& r, bool ignoreTdfkn) {
    using M = MeiboRow;
    std::vector<std::string> v(27);
    v[2] = r.Tel1;
    v[3] = r.Tel2;
    PutAddressAndNames(v, 4, r, ignoreTdfkn);
    v[11] = Trimmed(r.PrivCorp) == "1" ? "法人" : "個人";
    PutTrimmed(v, 12, r, {&M::Memo1, &M::Memo2, &M::Memo3, &M::EMail, &M::Rank});
    v[17] = r.Msg == 1 ? "設定あり" : "設定なし";
    PutTrimmed(v, 18, r, {&M::Msg1, &M::Msg2});
    v[20] = NoteText(r.Note);
    PutDateAndTime(v, 21, r.AddDateTime);
    PutDateAndTime(v, 24, r.UpdDateTime);
    return v;
}

} // namespace kanata
