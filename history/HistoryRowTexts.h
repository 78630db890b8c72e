#pragma once
// The cell texts of one history row in the list.
#include <cstdint>
#include <string>
#include <vector>

namespace kanata {

struct RecvHisRow;

inline constexpr int kHistoryColumnCount = 11;

// No., 日付, 時刻, 電話番号, 会社名, 名前, 区分, ランク, selection items 1-3.
std::vector<std::string> HistoryRowCells(const RecvHisRow& row, std::int64_t number);

// The shown number of a call: the trimmed Tel, or the text of its reason code.
std::string HistoryTelText(const std::string& tel);

} // namespace kanata
