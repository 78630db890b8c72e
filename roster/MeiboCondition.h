#pragma once
// The roster list's search conditions, its six sort orders and the cell
// texts of a listed record.
#include "history/ListPager.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kanata {

struct MeiboRow;

struct MeiboCondition {
    static constexpr std::size_t kNumberLength = 13;
    static constexpr std::size_t kAddressWidth = 192;
    static constexpr std::size_t kCorpKanaWidth = 80;
    static constexpr std::size_t kCorpKanjiWidth = 112;
    static constexpr std::size_t kNameKanaWidth = 20;
    static constexpr std::size_t kNameKanjiWidth = 22;

    bool active = false;
    std::string number; // ASCII digits
    std::string address, corpKana, corpKanji, nameKana, nameKanji;
    bool orMode = false;
    bool operator==(const MeiboCondition&) const = default;
};

// What "登録名簿　検索条件" holds when "検索(&S)" is pressed.
struct MeiboSearchInput {
    std::string number, address, corpKana, corpKanji, nameKana, nameKanji;
    bool firstRadioChecked = true; // and-mode
};

// Active when any text is given; the number reduced to its digits and cut
// to 13, the texts trimmed and cut to their widths. With nothing given only
// the active flag is cleared and the rest of `previous` kept.
MeiboCondition BuildMeiboCondition(const MeiboSearchInput& input, const MeiboCondition& previous);

// The test a record must pass to be listed (and deleted by "all rows").
RowFilter MeiboRowFilter(const MeiboCondition& condition);

enum class MeiboSort { Registration = 0, Tel1, Tel2, Address, CorpKana, NameKana };
inline constexpr int kMeiboSortCount = 6;
// The index walked for a sort key (empty = RecNo).
std::string MeiboSortIndex(MeiboSort sort);
// The caption of its button: "登録順", "電話番号１順", ...
const char* MeiboSortCaption(MeiboSort sort);

inline constexpr int kMeiboColumnCount = 6;
// No., 電話番号１, 電話番号２, 住所, 会社名, 名前.
std::vector<std::string> MeiboRowCells(const MeiboRow& row, std::int64_t number);

} // namespace kanata
