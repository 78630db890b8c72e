#include "views/MiniViewText.h"

#include "data/Hyphenation.h"
#include "data/TelKeys.h"
#include "data/CallRecord.h"

namespace kanata {

std::array<std::string, 4> MiniViewLines(const CallRecord& r,
                                         const HyphenationService* hyphenation) {
    const int index = (r.TelIndex >= 0 && r.TelIndex < 4) ? r.TelIndex : 0;
    std::string number = r.Tel[index];
    if (IsReasonCode(number))
        number = ReasonCodeText(number.front());
    else if (hyphenation)
        number = hyphenation->FormatTelHyphen(number);
    return {number, r.Tdfkn + r.Adrs1 + r.Adrs2, r.CorpKanji, r.NameKanji};
}

} // namespace kanata
