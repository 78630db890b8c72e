#pragma once
// The questions and notices of a list print run.
#include "printing/TablePrintSources.h"

#include <string>

namespace kanata {

inline constexpr const char* kPrintJobTitle = "一覧表データ";
inline constexpr const char* kPrintDone = "一覧表の印刷が完了しました  ";
inline constexpr const char* kNoPrintItems = "印刷する項目をセットしてください";
inline constexpr const char* kNoPrinter =
    "プリンターがインストールされていません\r\n\r\n先にプリンターをインストールしてください";

// "…件のデータを印刷します  \r\nよろしいですか？  " for the range mode.
std::string PrintQuestion(PrintChoice::Mode mode, std::int64_t count, std::int64_t begin,
                          std::int64_t end, bool searchActive);

} // namespace kanata
