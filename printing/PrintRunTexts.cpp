#include "printing/PrintRunTexts.h"

namespace kanata {

std::string PrintQuestion(PrintChoice::Mode mode, std::int64_t count, std::int64_t begin,
                          std::int64_t end, bool searchActive) {
    std::string text;
    switch (mode) {
    case PrintChoice::Mode::Selection:
        text = std::to_string(count) + "件のデータを印刷します  ";
        break;
    case PrintChoice::Mode::Range:
        text = begin == end
                   ? std::to_string(begin) + "件目のデータを印刷します  "
                   : std::to_string(begin) + "件目から" + std::to_string(end) + "件目までの\r\n" +
                         std::to_string(count) + "件のデータを印刷します  ";
        break;
    case PrintChoice::Mode::All:
        text = std::string(searchActive ? "検索条件にマッチしたデータ " : "登録されているデータ ") +
               std::to_string(count) + "件すべてを印刷します  ";
        break;
    }
    return text + "\r\nよろしいですか？  ";
}

} // namespace kanata
