#pragma once
// The text each print item shows for one record, indexed like the
// source's item list. The running number (item 1) is left empty: only the
// print job knows it.
#include <optional>
#include <string>
#include <vector>

namespace kanata {

struct MeiboRow;
struct RecvHisRow;

// A history row and, for the "(名簿)" items, the caller's roster row.
std::vector<std::string>
HistoryPrintValues(const RecvHisRow& call, const std::optional<MeiboRow>& caller, bool ignoreTdfkn);
std::vector<std::string> RosterPrintValues(const MeiboRow& row, bool ignoreTdfkn);

} // namespace kanata
