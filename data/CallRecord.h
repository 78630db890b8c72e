#pragma once
// Everything known about one call and its caller. The lookup fills it, the
// call intake stores it, the call views and the history list show it.
//
// Texts are UTF-8 here; each has the maximum width in code page 932 bytes
// that the stored record allows (the k...Width constants), and fitToWidths()
// cuts every text to it without splitting a character. Date-times are local
// time as a day count since 1899-12-30 (fraction = time of day), the form the
// item lists and the extension record use.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

struct CallRecord {
    static constexpr std::size_t kSchTelWidth = 11;
    static constexpr std::size_t kTelWidth = 13;
    static constexpr std::size_t kPosWidth = 8;
    static constexpr std::size_t kTdfknWidth = 8;
    static constexpr std::size_t kAdrs1Width = 32;
    static constexpr std::size_t kAdrs2Width = 100;
    static constexpr std::size_t kAdrs3Width = 116;
    static constexpr std::size_t kJisCodeWidth = 5;
    static constexpr std::size_t kKajoCodeWidth = 6;
    static constexpr std::size_t kCorpKanaWidth = 80;
    static constexpr std::size_t kCorpKanjiWidth = 120;
    static constexpr std::size_t kNameKanaWidth = 25;
    static constexpr std::size_t kNameKanjiWidth = 30;
    static constexpr std::size_t kMemoWidth = 100;
    static constexpr std::size_t kRankWidth = 20;
    static constexpr std::size_t kSelItemWidth = 60;
    static constexpr std::size_t kEMailWidth = 64;
    static constexpr std::size_t kMsgWidth = 32;
    static constexpr std::size_t kBGColorWidth = 7;

    // RecNo of a call that has no history row: it could not be stored (no
    // record number left, or the write failed). Row 0 is another caller's.
    static constexpr std::int32_t kNoHistoryRow = -1;

    std::int32_t RecNo = kNoHistoryRow; // the call's history row
    std::int32_t MeiboRecNo = 0;
    std::array<std::string, 4> SchTel;
    std::array<std::string, 4> Tel;
    std::int32_t TelIndex = 0;
    std::string Pos;
    std::string Tdfkn;
    std::string Adrs1;
    std::string Adrs2;
    std::string Adrs3;
    std::string JisCode;
    std::string KajoCode;
    std::string CorpKana;
    std::string CorpKanji;
    std::string NameKana;
    std::string NameKanji;
    std::int32_t PrivCorp = 0; // 1 = corporation, 0 = private person
    std::string Memo1;
    std::string Memo2;
    std::string Memo3;
    std::string Rank;
    std::int32_t Latitude = 0; // milliseconds of arc
    std::int32_t Longitude = 0;
    double RecvDateTime = 0.0;
    double PrevRecvDateTime = 0.0;
    std::int32_t Division = 0; // 1 = found in the roster or the address book
    std::string SelItem1;
    std::string SelItem2;
    std::string SelItem3;
    std::string EMail;
    std::int32_t Msg = 0; // 1 = show Msg1/Msg2
    std::string Msg1;
    std::string Msg2;
    std::string BGColor; // "$" and six hexadecimal digits, or empty
    // Owned lists; none until a lookup gives lines. A copy gets its own lists.
    std::optional<std::vector<std::string>> ExtLink;
    std::optional<std::vector<std::string>> Note;

    // All numbers zero, all texts empty, no lists.
    void clear() { *this = CallRecord{}; }

    // Cuts every text to its width in code page 932 bytes.
    void fitToWidths();

    bool operator==(const CallRecord&) const = default;
};

} // namespace kanata
