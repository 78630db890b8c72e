#include "printing/PrintValues.h"

#include "data/Cp932.h"
#include "data/MeiboTable.h"
#include "data/ReasonCode.h"
#include "data/RecvHisTable.h"
#include "data/TelKeys.h"

#include <cstdio>

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

} // namespace

std::vector<std::string> HistoryPrintValues(const RecvHisRow& call,
                                            const std::optional<MeiboRow>& caller,
                                            bool ignoreTdfkn) {
    std::vector<std::string> v(26);
    v[2] = DateText(call.RecvDateTime);
    v[3] = TimeText(call.RecvDateTime);
    v[4] = TelText(call.Tel);
    v[5] = Trimmed(call.CorpKana);
    v[6] = Trimmed(call.CorpKanji);
    v[7] = Trimmed(call.NameKana);
    v[8] = Trimmed(call.NameKanji);
    const std::string division = Trimmed(call.Division);
    v[9] = division == "0" ? "新規" : division == "1" ? "既存" : division;
    v[10] = Trimmed(call.Rank);
    v[11] = Trimmed(call.SelItem1);
    v[12] = Trimmed(call.SelItem2);
    v[13] = Trimmed(call.SelItem3);
    if (caller) {
        const MeiboRow& r = *caller;
        v[14] = PostalText(r.Pos);
        v[15] = AddressText(r, ignoreTdfkn);
        v[16] = Trimmed(r.JisCode);
        v[17] = Trimmed(r.CorpKana);
        v[18] = Trimmed(r.CorpKanji);
        v[19] = Trimmed(r.NameKana);
        v[20] = Trimmed(r.NameKanji);
        v[21] = Trimmed(r.Memo1);
        v[22] = Trimmed(r.Memo2);
        v[23] = Trimmed(r.Memo3);
        v[24] = Trimmed(r.EMail);
        v[25] = NoteText(r.Note);
    }
    return v;
}

std::vector<std::string> RosterPrintValues(const MeiboRow& r, bool ignoreTdfkn) {
    std::vector<std::string> v(27);
    v[2] = r.Tel1;
    v[3] = r.Tel2;
    v[4] = PostalText(r.Pos);
    v[5] = AddressText(r, ignoreTdfkn);
    v[6] = Trimmed(r.JisCode);
    v[7] = Trimmed(r.CorpKana);
    v[8] = Trimmed(r.CorpKanji);
    v[9] = Trimmed(r.NameKana);
    v[10] = Trimmed(r.NameKanji);
    v[11] = Trimmed(r.PrivCorp) == "1" ? "法人" : "個人";
    v[12] = Trimmed(r.Memo1);
    v[13] = Trimmed(r.Memo2);
    v[14] = Trimmed(r.Memo3);
    v[15] = Trimmed(r.EMail);
    v[16] = Trimmed(r.Rank);
    v[17] = r.Msg == 1 ? "設定あり" : "設定なし";
    v[18] = Trimmed(r.Msg1);
    v[19] = Trimmed(r.Msg2);
    v[20] = NoteText(r.Note);
    v[21] = DateText(r.AddDateTime) + " " + TimeText(r.AddDateTime);
    v[22] = DateText(r.AddDateTime);
    v[23] = TimeText(r.AddDateTime);
    v[24] = DateText(r.UpdDateTime) + " " + TimeText(r.UpdDateTime);
    v[25] = DateText(r.UpdDateTime);
    v[26] = TimeText(r.UpdDateTime);
    return v;
}

} // namespace kanata
