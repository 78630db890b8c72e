#include "lookup/ExtensionRecord.h"

#include "lookup/FixedSlot.h"

#include <cstring>

namespace kanata {

ExtensionRecord MakeExtensionRecord(const CallRecord& call) {
    ExtensionRecord r;
    std::memset(&r, 0, sizeof r);
    slot::write(r.SchTel0, call.SchTel[0]);
    slot::write(r.SchTel1, call.SchTel[1]);
    slot::write(r.Tel0, call.Tel[0]);
    slot::write(r.Tel1, call.Tel[1]);
    r.TelIndex = call.TelIndex;
    slot::write(r.Pos, call.Pos);
    slot::write(r.Tdfkn, call.Tdfkn);
    slot::write(r.Adrs1, call.Adrs1);
    slot::write(r.Adrs2, call.Adrs2);
    slot::write(r.JisCode, call.JisCode);
    slot::write(r.CorpKana, call.CorpKana);
    slot::write(r.CorpKanji, call.CorpKanji);
    slot::write(r.NameKana, call.NameKana);
    slot::write(r.NameKanji, call.NameKanji);
    r.PrivCorp = call.PrivCorp;
    slot::write(r.Memo1, call.Memo1);
    slot::write(r.Memo2, call.Memo2);
    slot::write(r.Memo3, call.Memo3);
    slot::write(r.Rank, call.Rank);
    r.Latitude = call.Latitude;
    r.Longitude = call.Longitude;
    r.RecvDateTime = call.RecvDateTime;
    r.PrevRecvDateTime = call.PrevRecvDateTime;
    r.Division = call.Division;
    slot::write(r.SelItem1, call.SelItem1);
    slot::write(r.SelItem2, call.SelItem2);
    slot::write(r.SelItem3, call.SelItem3);
    slot::write(r.EMail, call.EMail);
    return r;
}

} // namespace kanata
