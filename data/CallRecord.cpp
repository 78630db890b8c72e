#include "data/CallRecord.h"

#include "data/Cp932.h"

namespace kanata {
namespace {
void fit(std::string& text, std::size_t width) {
    if (cp932::byteWidth(text) > width)
        text = cp932::cutToWidth(text, width);
}
} // namespace

void CallRecord::fitToWidths() {
    for (auto& key : SchTel)
        fit(key, kSchTelWidth);
    for (auto& tel : Tel)
        fit(tel, kTelWidth);
    fit(Pos, kPosWidth);
    fit(Tdfkn, kTdfknWidth);
    fit(Adrs1, kAdrs1Width);
    fit(Adrs2, kAdrs2Width);
    fit(Adrs3, kAdrs3Width);
    fit(JisCode, kJisCodeWidth);
    fit(KajoCode, kKajoCodeWidth);
    fit(CorpKana, kCorpKanaWidth);
    fit(CorpKanji, kCorpKanjiWidth);
    fit(NameKana, kNameKanaWidth);
    fit(NameKanji, kNameKanjiWidth);
    fit(Memo1, kMemoWidth);
    fit(Memo2, kMemoWidth);
    fit(Memo3, kMemoWidth);
    fit(Rank, kRankWidth);
    fit(SelItem1, kSelItemWidth);
    fit(SelItem2, kSelItemWidth);
    fit(SelItem3, kSelItemWidth);
    fit(EMail, kEMailWidth);
    fit(Msg1, kMsgWidth);
    fit(Msg2, kMsgWidth);
    fit(BGColor, kBGColorWidth);
}

} // namespace kanata
