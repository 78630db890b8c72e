#include "lookup/ExtensionRecord.h"

#include "data/Cp932.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kanata {
namespace {

// Copies the fields into the record one after another, each text as a
// NUL-terminated string at its slot. A text longer than its slot runs on
// into the following one; the field copied there afterwards overwrites what
// it covers. Extensions written for this record read those bytes, so the
// copy keeps them exactly.
class RecordFiller {
public:
    explicit RecordFiller(ExtensionRecord& record)
        : bytes_(reinterpret_cast<unsigned char*>(&record)) {
        std::memset(bytes_, 0, sizeof(ExtensionRecord));
    }

    void text(std::size_t offset, std::string_view utf8, std::size_t fieldWidth) {
        // The field's own width keeps every run-on inside the record; the
        // bound below only guards that.
        const std::size_t room = sizeof(ExtensionRecord) - offset - 1;
        const std::string bytes = cp932::cutBytes(cp932::encode(utf8), std::min(fieldWidth, room));
        std::memcpy(bytes_ + offset, bytes.data(), bytes.size());
        bytes_[offset + bytes.size()] = 0;
    }

    template <class T> void value(std::size_t offset, T v) {
        std::memcpy(bytes_ + offset, &v, sizeof v);
    }

private:
    unsigned char* bytes_;
};

} // namespace

ExtensionRecord MakeExtensionRecord(const CallRecord& call) {
    using C = CallRecord;
    using R = ExtensionRecord;
    ExtensionRecord record;
    RecordFiller f(record);
    f.text(offsetof(R, SchTel0), call.SchTel[0], C::kSchTelWidth);
    f.text(offsetof(R, SchTel1), call.SchTel[1], C::kSchTelWidth);
    f.text(offsetof(R, Tel0), call.Tel[0], C::kTelWidth);
    f.text(offsetof(R, Tel1), call.Tel[1], C::kTelWidth);
    f.value(offsetof(R, TelIndex), call.TelIndex);
    f.text(offsetof(R, Pos), call.Pos, C::kPosWidth);
    f.text(offsetof(R, Tdfkn), call.Tdfkn, C::kTdfknWidth);
    f.text(offsetof(R, Adrs1), call.Adrs1, C::kAdrs1Width);
    f.text(offsetof(R, Adrs2), call.Adrs2, C::kAdrs2Width);
    f.text(offsetof(R, JisCode), call.JisCode, C::kJisCodeWidth);
    f.text(offsetof(R, CorpKana), call.CorpKana, C::kCorpKanaWidth);
    f.text(offsetof(R, CorpKanji), call.CorpKanji, C::kCorpKanjiWidth);
    f.text(offsetof(R, NameKana), call.NameKana, C::kNameKanaWidth);
    f.text(offsetof(R, NameKanji), call.NameKanji, C::kNameKanjiWidth);
    f.value(offsetof(R, PrivCorp), call.PrivCorp);
    f.text(offsetof(R, Memo1), call.Memo1, C::kMemoWidth);
    f.text(offsetof(R, Memo2), call.Memo2, C::kMemoWidth);
    f.text(offsetof(R, Memo3), call.Memo3, C::kMemoWidth);
    f.text(offsetof(R, Rank), call.Rank, C::kRankWidth);
    f.value(offsetof(R, Latitude), call.Latitude);
    f.value(offsetof(R, Longitude), call.Longitude);
    f.value(offsetof(R, RecvDateTime), call.RecvDateTime);
    f.value(offsetof(R, PrevRecvDateTime), call.PrevRecvDateTime);
    f.value(offsetof(R, Division), call.Division);
    f.text(offsetof(R, SelItem1), call.SelItem1, C::kSelItemWidth);
    f.text(offsetof(R, SelItem2), call.SelItem2, C::kSelItemWidth);
    f.text(offsetof(R, SelItem3), call.SelItem3, C::kSelItemWidth);
    f.text(offsetof(R, EMail), call.EMail, C::kEMailWidth);
    return record;
}

} // namespace kanata
