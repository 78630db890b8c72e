#include "roster/gui/MeiboCallerTakeover.h"

#include "data/TelKeys.h"

namespace kanata {

void TakeOverCaller(const CallRecord& r, MeiboFields& f) {
    f.Tel1 = r.Tel[0];
    f.Tel2 = r.Tel[1];
    f.Pos = FormatPostalCode(r.Pos);
    f.Tdfkn = r.Tdfkn;
    f.Adrs1 = r.Adrs1;
    f.Adrs2 = r.Adrs2;
    f.Adrs3 = r.Adrs3;
    f.JisCode = r.JisCode;
    f.KajoCode = r.KajoCode;
    f.CorpKana = r.CorpKana;
    f.CorpKanji = r.CorpKanji;
    f.NameKana = r.NameKana;
    f.NameKanji = r.NameKanji;
    f.PrivCorp = r.PrivCorp;
    f.Memo1 = r.Memo1;
    f.Memo2 = r.Memo2;
    f.Memo3 = r.Memo3;
    f.EMail = r.EMail;
    f.Rank = r.Rank;
    f.Msg = r.Msg;
    f.Msg1 = r.Msg1;
    f.Msg2 = r.Msg2;
    f.BGColor = r.BGColor;
    f.ExtLink = r.ExtLink.value_or(std::vector<std::string>{});
    f.Note = r.Note.value_or(std::vector<std::string>{});
}

} // namespace kanata
