#include "transfer/ImportRecords.h"

#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/Prefectures.h"
#include "data/TelKeys.h"
#include "lookup/AddressSupplement.h"
#include "transfer/ImportItems.h"
#include "transfer/ImportTextFile.h"
#include "transfer/TextFields.h"

#include <array>
#include <charconv>
#include <climits>

namespace kanata {
namespace {

std::string valueOf(const ItemValues& values, int item) {
    return static_cast<std::size_t>(item) < values.size() ? values[static_cast<std::size_t>(item)]
                                                          : std::string();
}
std::string trimmed(const ItemValues& values, int item) {
    return cp932::trim(valueOf(values, item));
}
std::string digitsOf(const std::string& text) {
    return ExtractTelChars(text, kTelDigits);
}
bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}
bool isDigits(const std::string& text, std::size_t length) {
    return text.size() == length && digitsOf(text) == text;
}
int number(const std::string& text, std::size_t from, std::size_t length) {
    return std::stoi(text.substr(from, length));
}

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int daysInMonth(int y, int m) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : kDays[static_cast<std::size_t>(m - 1)];
}

// The reason-code texts a history file may carry instead of a number.
const char* reasonCodeFor(const std::string& value) {
    static constexpr std::array<std::pair<const char*, const char*>, 5> kCodes{{
        {"匿名着信", "P"},
        {"表示圏外", "O"},
        {"公衆電話", "C"},
        {"契約条件", "S"},
        {"特殊電話番号", "$"},
    }};
    for (const auto& [text, code] : kCodes)
        if (value == text)
            return code;
    return nullptr;
}

// Coordinates in milliseconds of arc; values the table cannot hold are 0,
// text that is no number is an error of the record.
int coordinate(const std::string& text) {
    if (text.empty() || text == "0" || text.size() > 10)
        return 0;
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data() + (text[0] == '+' ? 1 : 0), end, value);
    if (ec != std::errc() || ptr != end)
        throw std::invalid_argument("coordinate");
    return value > INT_MAX || value < INT_MIN ? 0 : static_cast<int>(value);
}

// The lines of a memo: the file separates them with tabs.
std::string tabsToLines(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\t')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

void splitAddress(const ItemValues& values, MeiboRow& row) {
    std::string overflow;
    const std::string address1 = trimmed(values, kRosAdrs1);
    if (!address1.empty()) {
        PrefectureSplit split = SplitPrefecture(address1);
        row.Tdfkn = split.prefecture;
        auto pieces =
            SplitFields(split.rest, 1, SplitMode::CutAtWidth, ',', 32, TextEncoding::Utf8);
        row.Adrs1 = pieces[0];
        overflow = pieces[1];
    }
    auto pieces = SplitFields(overflow + trimmed(values, kRosAdrs2), 1, SplitMode::CutAtWidth, ',',
                              100, TextEncoding::Utf8);
    row.Adrs2 = pieces[0];
    row.Adrs3 = cp932::cutToWidth(pieces[1] + trimmed(values, kRosAdrs3), 116);
}

void supplementAddress(MeiboRow& row, AddressSupplement& supplement) {
    const std::string address = cp932::trim(row.Tdfkn) + cp932::trim(row.Adrs1) +
                                cp932::trim(row.Adrs2) + cp932::trim(row.Adrs3);
    const bool hasPos = isDigits(row.Pos, 7);
    const bool hasJis = isDigits(row.JisCode, 5);
    const bool hasPlace = row.Latitude != 0 && row.Longitude != 0;
    if (address.empty() || (hasPos && hasJis && hasPlace))
        return;
    const auto hit = supplement.lookUp(address);
    if (!hit)
        return;
    if (!hasPos)
        row.Pos = digitsOf(hit->postalCode);
    if (!hasJis) {
        row.JisCode = hit->jisCode;
        row.KajoCode = hit->kajoCode;
    } else if (row.JisCode == hit->jisCode.substr(0, 5)) {
        row.KajoCode = hit->kajoCode;
    }
    if (!hasPlace) {
        row.Latitude = hit->latitude;
        row.Longitude = hit->longitude;
    }
    row.Pos = row.Pos.substr(0, 8);
    row.JisCode = row.JisCode.substr(0, 5);
    row.KajoCode = row.KajoCode.substr(0, 6);
}

DateTime addedAt(const ItemValues& values, const DateTime& now) {
    const std::string date = digitsOf(valueOf(values, kRosAddDate));
    std::string time = digitsOf(valueOf(values, kRosAddTime));
    if (time.size() != 6)
        time = "000000";
    if (date.size() == 8)
        if (auto moment = EncodeDateTime(date, time))
            return *moment;
    return TruncateToSeconds(now);
}

} // namespace

std::string ImportOutcomeReason(int outcome) {
    switch (outcome) {
    case kImportFieldCount:
        return "１件目と項目数が不一致";
    case kImportSameNumber:
        return "同一電話番号データを上書きしない設定で同一電話番号出現";
    case kImportBadDateTime:
        return "着信日付か着信時刻の書式不正";
    case kImportHistoryWriteFailed:
        return "着信対応履歴登録失敗";
    case kImportSeveralSameNumbers:
        return "複数同一電話番号が存在";
    case kImportRosterWriteFailed:
        return "登録名簿登録失敗";
    case kImportLineTooLong:
        return "１行が" + std::to_string(ImportTextFile::kMaxLineBytes) + "バイトを超過";
    case kImportRegistered:
    case kImportTableFull:
        return {};
    default:
        return "その他のエラー";
    }
}

std::string RenumberOldNumber(const std::string& digits, const DateTime& today) {
    std::string n = digits;
    if (n.size() >= 4 && n.size() <= 10) {
        if (startsWith(n, "010") || startsWith(n, "020") || startsWith(n, "030") ||
            startsWith(n, "040") || startsWith(n, "080"))
            n = "090" + n.substr(1, 1) + n.substr(3);
        else if (startsWith(n, "050") || startsWith(n, "060"))
            n = "070" + n.substr(1, 1) + n.substr(3);
        else if (startsWith(n, "06") && n.size() <= 9)
            n = "066" + n.substr(2);
    }
    if (today >= DateTime{2000, 1, 1} && n.size() >= 5 && startsWith(n, "0720"))
        n = "0728" + n.substr(4);
    return n;
}

std::optional<DateTime> EncodeDateTime(const std::string& date8, const std::string& time6) {
    if (!isDigits(date8, 8) || !isDigits(time6, 6))
        return std::nullopt;
    DateTime t;
    t.year = number(date8, 0, 4);
    t.month = number(date8, 4, 2);
    t.day = number(date8, 6, 2);
    t.hour = number(time6, 0, 2);
    t.minute = number(time6, 2, 2);
    t.second = number(time6, 4, 2);
    t.msec = 0;
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > daysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

HistoryBuild BuildHistoryRow(const ItemValues& values, const HyphenationService& hyphenation,
                             const DateTime& now) {
    HistoryBuild build;
    const std::string date = digitsOf(valueOf(values, kHisDate));
    const std::string time = digitsOf(valueOf(values, kHisTime));
    if (date.size() != 8 || time.size() != 6) {
        build.outcome = kImportBadDateTime;
        return build;
    }
    const auto received = EncodeDateTime(date, time);
    if (!received) {
        build.outcome = kImportOtherError;
        return build;
    }
    RecvHisRow& row = build.row;
    row.RecvDateTime = *received;
    const std::string tel = trimmed(values, kHisTel);
    if (const char* code = reasonCodeFor(tel)) {
        row.Tel = row.SchTel = code;
    } else {
        const std::string digits = digitsOf(tel);
        row.Tel =
            digits.empty() ? tel : hyphenation.FormatTelHyphen(RenumberOldNumber(digits, now));
        row.Tel = cp932::cutToWidth(row.Tel, 13);
        row.SchTel = TelSearchKey(row.Tel);
        if (row.SchTel.empty())
            row.SchTel = cp932::cutToWidth(row.Tel, kTelSearchKeyLength);
    }
    row.CorpKana = trimmed(values, kHisCorpKana);
    row.CorpKanji = trimmed(values, kHisCorpKanji);
    row.NameKana = trimmed(values, kHisNameKana);
    row.NameKanji = trimmed(values, kHisNameKanji);
    const std::string division = trimmed(values, kHisDivision);
    row.Division = division == "既存" || division == "1" ? "1" : "0";
    row.Rank = trimmed(values, kHisRank);
    row.SelItem1 = trimmed(values, kHisSelItem1);
    row.SelItem2 = trimmed(values, kHisSelItem2);
    row.SelItem3 = trimmed(values, kHisSelItem3);
    row.AxsDateTime = now;
    row.RecvWeek = DayOfWeek(row.RecvDateTime);
    return build;
}

RosterNumbers RosterNumbersOf(const ItemValues& values, const DateTime& now) {
    RosterNumbers n;
    n.number1 = digitsOf(valueOf(values, kRosTel1)).substr(0, 13);
    n.number2 = digitsOf(valueOf(values, kRosTel2)).substr(0, 13);
    if (n.number1.empty())
        std::swap(n.number1, n.number2);
    if (!n.number1.empty())
        n.number1 = RenumberOldNumber(n.number1, now);
    if (!n.number2.empty())
        n.number2 = RenumberOldNumber(n.number2, now);
    return n;
}

RosterBuild BuildRosterRow(const ItemValues& values, const RosterNumbers& numbers,
                           const HyphenationService& hyphenation, AddressSupplement* supplement,
                           const DateTime& now) {
    RosterBuild build;
    MeiboRow& row = build.row;
    try {
        row.SchTel1 = TelSearchKey(numbers.number1);
        row.Tel1 = cp932::cutToWidth(hyphenation.FormatTelHyphen(numbers.number1), 13);
        row.SchTel2 = TelSearchKey(numbers.number2);
        row.Tel2 = cp932::cutToWidth(hyphenation.FormatTelHyphen(numbers.number2), 13);
        splitAddress(values, row);
        const std::string privCorp = trimmed(values, kRosPrivCorp);
        row.PrivCorp = privCorp == "法人" || privCorp == "会社" || privCorp == "1" ? "1" : "0";
        row.Pos = digitsOf(valueOf(values, kRosPos));
        row.JisCode = trimmed(values, kRosJisCode);
        row.Latitude = coordinate(trimmed(values, kRosLatitude));
        row.Longitude = coordinate(trimmed(values, kRosLongitude));
        if (supplement)
            supplementAddress(row, *supplement);
        const std::string msg = trimmed(values, kRosMsg);
        row.Msg = msg == "設定あり" || msg == "1" ? 1 : 0;
        row.Msg1 = trimmed(values, kRosMsg1);
        row.Msg2 = trimmed(values, kRosMsg2);
        row.BGColor = trimmed(values, kRosBGColor);
        row.ExtLink = tabsToLines(trimmed(values, kRosExtLink));
        row.Note = tabsToLines(trimmed(values, kRosNote));
        row.AddDateTime = addedAt(values, now);
        row.UpdDateTime = now;
        row.AxsDateTime = now;
        row.CorpKana = trimmed(values, kRosCorpKana);
        row.CorpKanji = trimmed(values, kRosCorpKanji);
        row.NameKana = trimmed(values, kRosNameKana);
        row.NameKanji = trimmed(values, kRosNameKanji);
        row.Memo1 = trimmed(values, kRosMemo1);
        row.Memo2 = trimmed(values, kRosMemo2);
        row.Memo3 = trimmed(values, kRosMemo3);
        row.EMail = trimmed(values, kRosEMail);
        row.Rank = trimmed(values, kRosRank);
    } catch (const std::exception&) {
        // A coordinate that is no number, or a dictionary that failed.
        build.outcome = kImportOtherError;
    }
    return build;
}

} // namespace kanata
