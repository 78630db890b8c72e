#include "transfer/ExportItems.h"

#include "data/Cp932.h"
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

std::string dateText(const DateTime& d, bool separated) {
    char buf[16];
    std::snprintf(buf, sizeof buf, separated ? "%04d/%02d/%02d" : "%04d%02d%02d", d.year, d.month,
                  d.day);
    return buf;
}

std::string timeText(const DateTime& d, bool separated) {
    char buf[16];
    std::snprintf(buf, sizeof buf, separated ? "%02d:%02d:%02d" : "%02d%02d%02d", d.hour, d.minute,
                  d.second);
    return buf;
}

std::string trimmed(const std::string& s) {
    return cp932::trim(s);
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

std::string LineBreaksAsTabs(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            out += '\t';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

ExportValues::ExportValues(const ExportOptions& options, const HyphenationService* hyphenation)
    : options_(options), hyphenation_(hyphenation) {}

std::string ExportValues::tel(const std::string& shown, const std::string& key) const {
    std::string value;
    if (options_.EditTelHyphen) {
        value = trimmed(shown);
        // The service remembers each area code's hyphens; a map of every
        // number here would only grow with the table.
        if (hyphenation_ && !value.empty())
            value = hyphenation_->FormatTelHyphen(value);
    } else
        value = trimmed(key);
    if (IsReasonCode(value))
        return ReasonCodeText(value.front());
    return value;
}

std::string ExportValues::postal(const std::string& pos) const {
    const std::string p = trimmed(pos);
    if (options_.EditPosHyphen && (p.size() == 5 || p.size() == 7))
        return p.substr(0, 3) + "-" + p.substr(3);
    return p;
}

std::string ExportValues::history(int item, const RecvHisRow& row, const MeiboRow* caller) const {
    switch (item) {
    case 0:
        return dateText(row.RecvDateTime, options_.EditDate);
    case 1:
        return timeText(row.RecvDateTime, options_.EditTime);
    case 2:
        return tel(row.Tel, row.SchTel);
    case 3:
        return trimmed(row.CorpKana);
    case 4:
        return trimmed(row.CorpKanji);
    case 5:
        return trimmed(row.NameKana);
    case 6:
        return trimmed(row.NameKanji);
    case 7: {
        const std::string d = trimmed(row.Division);
        return d == "0" ? "新規" : d == "1" ? "既存" : d;
    }
    case 8:
        return trimmed(row.Rank);
    case 9:
        return trimmed(row.SelItem1);
    case 10:
        return trimmed(row.SelItem2);
    case 11:
        return trimmed(row.SelItem3);
    default:
        return caller && item < kExportItemCount ? callerItem(item, *caller) : std::string{};
    }
}

std::string ExportValues::callerItem(int item, const MeiboRow& c) const {
    switch (item) {
    case 12:
        return postal(c.Pos);
    case 13:
        return trimmed(c.Tdfkn);
    case 14:
        return trimmed(c.Adrs1);
    case 15:
        return trimmed(c.Adrs2);
    case 16:
        return trimmed(c.Adrs3);
    case 17:
        return trimmed(c.JisCode);
    case 18:
        return trimmed(c.CorpKana);
    case 19:
        return trimmed(c.CorpKanji);
    case 20:
        return trimmed(c.NameKana);
    case 21:
        return trimmed(c.NameKanji);
    case 22:
        return trimmed(c.Memo1);
    case 23:
        return trimmed(c.Memo2);
    case 24:
        return trimmed(c.Memo3);
    case 25:
        return trimmed(c.EMail);
    case 26:
        return LineBreaksAsTabs(c.ExtLink);
    case 27:
        return LineBreaksAsTabs(c.Note);
    default:
        return {};
    }
}

std::string ExportValues::roster(int item, const MeiboRow& r) const {
    switch (item) {
    case 0:
        return tel(r.Tel1, r.SchTel1);
    case 1:
        return tel(r.Tel2, r.SchTel2);
    case 2:
        return postal(r.Pos);
    case 3:
        return trimmed(r.Tdfkn);
    case 4:
        return trimmed(r.Adrs1);
    case 5:
        return trimmed(r.Adrs2);
    case 6:
        return trimmed(r.Adrs3);
    case 7:
        return trimmed(r.JisCode);
    case 8:
        return trimmed(r.CorpKana);
    case 9:
        return trimmed(r.CorpKanji);
    case 10:
        return trimmed(r.NameKana);
    case 11:
        return trimmed(r.NameKanji);
    case 12:
        return trimmed(r.PrivCorp) == "1" ? "法人" : "個人";
    case 13:
        return trimmed(r.Memo1);
    case 14:
        return trimmed(r.Memo2);
    case 15:
        return trimmed(r.Memo3);
    case 16:
        return trimmed(r.EMail);
    case 17:
        return trimmed(r.Rank);
    case 18:
        return r.Msg == 1 ? "設定あり" : "設定なし";
    case 19:
        return trimmed(r.Msg1);
    case 20:
        return trimmed(r.Msg2);
    case 21:
        return trimmed(r.BGColor);
    case 22:
        return LineBreaksAsTabs(r.ExtLink);
    case 23:
        return LineBreaksAsTabs(r.Note);
    case 24:
        return dateText(r.AddDateTime, true);
    case 25:
        return timeText(r.AddDateTime, true);
    case 26:
        return dateText(r.UpdDateTime, true);
    case 27:
        return timeText(r.UpdDateTime, true);
    default:
        return {};
    }
}

} // namespace kanata
