#include "transfer/ExportItems.h"

#include "data/Hyphenation.h"
#include "data/TelKeys.h"

#include <cstdio>

namespace kanata {
namespace {

const char* const kHistoryCaptions[kExportItemCount] = {
    "着信日付",
    "着信時刻",
    "電話番号",
    "会社名カナ",
    "会社名漢字",
    "名前カナ",
    "名前漢字",
    "区分",
    "ランク",
    nullptr,
    nullptr,
    nullptr,
    "郵便番号(名簿)",
    "都道府県(名簿)",
    "住所１(名簿)",
    "住所２(名簿)",
    "住所３(名簿)",
    "市町村コード(名簿)",
    "会社名カナ(名簿)",
    "会社名漢字(名簿)",
    "名前カナ(名簿)",
    "名前漢字(名簿)",
    "登録メモ１(名簿)",
    "登録メモ２(名簿)",
    "登録メモ３(名簿)",
    "メールアドレス(名簿)",
    "外部リンク(名簿)",
    "備考(名簿)",
};

const char* const kRosterCaptions[kExportItemCount] = {
    "電話番号１",
    "電話番号２",
    "郵便番号",
    "都道府県",
    "住所１",
    "住所２",
    "住所３",
    "市町村コード",
    "会社名カナ",
    "会社名漢字",
    "名前カナ",
    "名前漢字",
    "個人法人区分",
    "登録メモ１",
    "登録メモ２",
    "登録メモ３",
    "メールアドレス",
    "ランク",
    "着信時メッセージ設定",
    "着信時メッセージ(１行目)",
    "着信時メッセージ(２行目)",
    "着信時メッセージ(背景色)",
    "外部リンク",
    "備考",
    "登録日付",
    "登録時刻",
    "更新日付",
    "更新時刻",
};

// As "%0<width>d" writes it.
void appendPadded(std::string& line, int value, int width) {
    if (value < 0) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", width, value);
        line += buf;
        return;
    }
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = count; i < width; ++i)
        line += '0';
    while (count > 0)
        line += digits[--count];
}

// Three numbers, the later two of two digits, with `separator` between
// them unless it is 0.
void appendTriple(std::string& line, int first, int firstWidth, int second, int third,
                  char separator) {
    appendPadded(line, first, firstWidth);
    if (separator)
        line += separator;
    appendPadded(line, second, 2);
    if (separator)
        line += separator;
    appendPadded(line, third, 2);
}

void appendDate(std::string& line, const DateTime& d, bool separated) {
    appendTriple(line, d.year, 4, d.month, d.day, separated ? '/' : 0);
}

void appendTime(std::string& line, const DateTime& d, bool separated) {
    appendTriple(line, d.hour, 2, d.minute, d.second, separated ? ':' : 0);
}

// As cp932::trim cuts, without a copy.
std::string_view trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return s.substr(b, e - b);
}

void appendNumber(std::string& line, std::string_view number) {
    if (IsReasonCode(number))
        line += ReasonCodeText(number.front());
    else
        line += number;
}

} // namespace

std::vector<std::string> ExportItemCaptions(ExportSource source,
                                            const std::array<std::string, 3>& selItemCaptions) {
    std::vector<std::string> captions;
    const char* const* table = source == ExportSource::History ? kHistoryCaptions : kRosterCaptions;
    for (int i = 0; i < kExportItemCount; ++i)
        captions.emplace_back(table[i] ? table[i]
                                       : selItemCaptions[static_cast<std::size_t>(i - 9)]);
    return captions;
}

void AppendLineBreaksAsTabs(std::string& line, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            line += '\t';
            ++i;
        } else {
            line += text[i];
        }
    }
}

const std::array<const char*, CallerItems::kCount>& CallerItems::Fields() {
    static const std::array<const char*, kCount> fields = {
        "Pos",      "Tdfkn",     "Adrs1", "Adrs2", "Adrs3", "JisCode", "CorpKana", "CorpKanji",
        "NameKana", "NameKanji", "Memo1", "Memo2", "Memo3", "EMail",   "ExtLink",  "Note",
    };
    return fields;
}

void CallerItems::add(std::string_view text) {
    if (count_ == kCount)
        return;
    text_ += text;
    ends_[static_cast<std::size_t>(count_++)] = static_cast<std::uint32_t>(text_.size());
}

std::string_view CallerItems::operator[](int item) const {
    const int at = item - kFirst;
    if (at < 0 || at >= count_)
        return {};
    const std::size_t begin = at == 0 ? 0 : ends_[static_cast<std::size_t>(at - 1)];
    return std::string_view(text_).substr(begin, ends_[static_cast<std::size_t>(at)] - begin);
}

ExportValues::ExportValues(const ExportOptions& options, const HyphenationService* hyphenation)
    : options_(options), hyphenation_(hyphenation) {}

void ExportValues::appendTel(std::string& line, const std::string& shown,
                             const std::string& key) const {
    if (!options_.EditTelHyphen) {
        appendNumber(line, trimmed(key));
        return;
    }
    const std::string_view number = trimmed(shown);
    // The service remembers each area code's hyphens; a map of every
    // number here would only grow with the table.
    if (hyphenation_ && !number.empty())
        appendNumber(line, hyphenation_->FormatTelHyphen(number));
    else
        appendNumber(line, number);
}

void ExportValues::appendPostal(std::string& line, std::string_view pos) const {
    const std::string_view p = trimmed(pos);
    if (options_.EditPosHyphen && (p.size() == 5 || p.size() == 7)) {
        line += p.substr(0, 3);
        line += '-';
        line += p.substr(3);
    } else {
        line += p;
    }
}

void ExportValues::appendHistory(std::string& line, int item, const RecvHisRow& row,
                                 const CallerItems* caller) const {
    switch (item) {
    case 0:
        return appendDate(line, row.RecvDateTime, options_.EditDate);
    case 1:
        return appendTime(line, row.RecvDateTime, options_.EditTime);
    case 2:
        return appendTel(line, row.Tel, row.SchTel);
    case 3:
        line += trimmed(row.CorpKana);
        return;
    case 4:
        line += trimmed(row.CorpKanji);
        return;
    case 5:
        line += trimmed(row.NameKana);
        return;
    case 6:
        line += trimmed(row.NameKanji);
        return;
    case 7: {
        const std::string_view d = trimmed(row.Division);
        line += d == "0" ? "新規" : d == "1" ? "既存" : d;
        return;
    }
    case 8:
        line += trimmed(row.Rank);
        return;
    case 9:
        line += trimmed(row.SelItem1);
        return;
    case 10:
        line += trimmed(row.SelItem2);
        return;
    case 11:
        line += trimmed(row.SelItem3);
        return;
    default:
        if (caller && item < kExportItemCount)
            appendCallerItem(line, item, *caller);
    }
}

void ExportValues::appendCallerItem(std::string& line, int item, const CallerItems& c) const {
    switch (item) {
    case 12:
        return appendPostal(line, c[item]);
    case 26:
    case 27:
        return AppendLineBreaksAsTabs(line, c[item]);
    default:
        line += trimmed(c[item]);
    }
}

void ExportValues::appendRoster(std::string& line, int item, const MeiboRow& r) const {
    switch (item) {
    case 0:
        return appendTel(line, r.Tel1, r.SchTel1);
    case 1:
        return appendTel(line, r.Tel2, r.SchTel2);
    case 2:
        return appendPostal(line, r.Pos);
    case 3:
        line += trimmed(r.Tdfkn);
        return;
    case 4:
        line += trimmed(r.Adrs1);
        return;
    case 5:
        line += trimmed(r.Adrs2);
        return;
    case 6:
        line += trimmed(r.Adrs3);
        return;
    case 7:
        line += trimmed(r.JisCode);
        return;
    case 8:
        line += trimmed(r.CorpKana);
        return;
    case 9:
        line += trimmed(r.CorpKanji);
        return;
    case 10:
        line += trimmed(r.NameKana);
        return;
    case 11:
        line += trimmed(r.NameKanji);
        return;
    case 12:
        line += trimmed(r.PrivCorp) == "1" ? "法人" : "個人";
        return;
    case 13:
        line += trimmed(r.Memo1);
        return;
    case 14:
        line += trimmed(r.Memo2);
        return;
    case 15:
        line += trimmed(r.Memo3);
        return;
    case 16:
        line += trimmed(r.EMail);
        return;
    case 17:
        line += trimmed(r.Rank);
        return;
    case 18:
        line += r.Msg == 1 ? "設定あり" : "設定なし";
        return;
    case 19:
        line += trimmed(r.Msg1);
        return;
    case 20:
        line += trimmed(r.Msg2);
        return;
    case 21:
        line += trimmed(r.BGColor);
        return;
    case 22:
        return AppendLineBreaksAsTabs(line, r.ExtLink);
    case 23:
        return AppendLineBreaksAsTabs(line, r.Note);
    case 24:
        return appendDate(line, r.AddDateTime, true);
    case 25:
        return appendTime(line, r.AddDateTime, true);
    case 26:
        return appendDate(line, r.UpdDateTime, true);
    case 27:
        return appendTime(line, r.UpdDateTime, true);
    default:
        return;
    }
}

} // namespace kanata
