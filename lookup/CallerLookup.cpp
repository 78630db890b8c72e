#include "lookup/CallerLookup.h"

#include "data/AddressBook.h"
#include "data/CompanyType.h"
#include "data/Coordinates.h"
#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/Prefectures.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "lookup/PhonebookData.h"
#include "lookup/PhonebookEditions.h"
#include "lookup/PhonebookHitRecord.h"
#include "platform/MessageService.h"

#include <cstdio>
#include <vector>

namespace kanata {
namespace fs = std::filesystem;
namespace {

const char* const kRosterFound = "登録名簿の中に該当するデータが見つかりました\r\n"
                                 "このデータを照会しますか？\r\n\r\n"
                                 "照会しない場合はCDを検索します\r\n\r\n"
                                 "キャンセルすると検索を中止します";
const char* const kBookFound = "番号名鑑のアドレス帳の中に該当するデータが見つかりました\r\n"
                               "このデータを照会しますか？\r\n\r\n"
                               "照会しない場合は着信帳のCDを検索します\r\n\r\n"
                               "キャンセルすると検索を中止します";
const char* const kBookNotInstalled = "番号名鑑のインストール状態を確認できませんでした";
const char* const kBookNotOpened = "何らかの理由で番号名鑑のアドレス帳が開けませんでした";
const char* const kSearchDiscInstead = "\r\n着信帳のCDを検索しますか？\r\n\r\n"
                                       "キャンセルすると検索を中止します";

std::string fitted(std::string_view text, std::size_t width) {
    return cp932::cutToWidth(cp932::trim(text), width);
}

// The address, company and person fields, which the roster and the
// address book store alike.
template <class Row> void fillAddressAndNames(const Row& row, CallRecord& record) {
    using R = CallRecord;
    record.Pos = fitted(FormatPostalCode(cp932::trim(row.Pos)), R::kPosWidth);
    record.Tdfkn = fitted(row.Tdfkn, R::kTdfknWidth);
    record.Adrs1 = fitted(row.Adrs1, R::kAdrs1Width);
    record.Adrs2 = fitted(row.Adrs2, R::kAdrs2Width);
    record.Adrs3 = fitted(row.Adrs3, R::kAdrs3Width);
    record.JisCode = fitted(row.JisCode, R::kJisCodeWidth);
    record.KajoCode = fitted(row.KajoCode, R::kKajoCodeWidth);
    record.CorpKana = fitted(row.CorpKana, R::kCorpKanaWidth);
    record.CorpKanji = fitted(row.CorpKanji, R::kCorpKanjiWidth);
    record.NameKana = fitted(row.NameKana, R::kNameKanaWidth);
    record.NameKanji = fitted(row.NameKanji, R::kNameKanjiWidth);
    record.PrivCorp = cp932::trim(row.PrivCorp) == "1" ? 1 : 0;
}

// The lines of a memo field, split at CR LF, LF or CR; no line after a
// final break.
std::vector<std::string> memoLines(const std::string& memo) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < memo.size(); ++i) {
        const char c = memo[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < memo.size() && memo[i + 1] == '\n')
                ++i;
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// A number is anything that begins with a digit, a blank or a control
// character; reason codes and other texts are not.
bool isTelephoneNumber(const std::string& number) {
    if (number.empty())
        return false;
    const auto first = static_cast<unsigned char>(number.front());
    return (first >= '0' && first <= '9') || first <= 0x20;
}

std::string colourText(int symbolColor) {
    char text[8];
    std::snprintf(text, sizeof text, "$%06X", static_cast<unsigned>(symbolColor) & 0xFFFFFFu);
    return text;
}

PhonebookHitConversions hitConversions(const HyphenationService& hyphenation) {
    PhonebookHitConversions c;
    c.formatTelHyphen = [&hyphenation](const std::string& n) {
        return hyphenation.FormatTelHyphen(n);
    };
    c.formatPostalCode = [](const std::string& digits) { return FormatPostalCode(digits); };
    c.companyTypeName = [](const std::string& code, const std::string& name) {
        return CompanyTypeName(code, name);
    };
    c.splitPrefecture = [](const std::string& address) {
        PrefectureSplit split = SplitPrefecture(address);
        return std::pair{split.prefecture, split.rest};
    };
    c.coordinateToMilliseconds = [](std::int32_t v) {
        return PhonebookCoordinateToMilliseconds(v);
    };
    return c;
}

} // namespace

CallerLookup::CallerLookup(TDMKanata195& dm, std::optional<AddressBookSource> addressBook,
                           const HyphenationService& hyphenation, const Registry& registry,
                           MessageService& messages, fs::path applicationFolder,
                           fs::path workFolder, fs::path phonebookDataLocation)
    : dm_(dm), addressBook_(addressBook), hyphenation_(hyphenation), registry_(registry),
      messages_(messages), applicationFolder_(std::move(applicationFolder)),
      workFolder_(std::move(workFolder)), phonebookDataLocation_(std::move(phonebookDataLocation)) {
}

int CallerLookup::LookupCaller(bool searchOwnBook, bool askUser, const std::string& number,
                               CallRecord& record) {
    record.clear();
    fromAddressBook_ = false;
    // Reset with every lookup: a value left from an earlier caller would let
    // the call view save this caller over that caller's entry.
    addressBookRecNo_ = 0;

    if (!isTelephoneNumber(number)) {
        record.SchTel[0] = cp932::cutToWidth(number, CallRecord::kSchTelWidth);
        record.Tel[0] = cp932::cutToWidth(number, CallRecord::kTelWidth);
        return kNotANumber;
    }

    int result = kNotFound;
    if (searchOwnBook)
        result = usesAddressBook() ? LookupAddressBook(askUser, number, record)
                                   : LookupRoster(askUser, number, record);
    if (result == kNotFound)
        result = LookupPhonebookData(number, record);

    if (result != kFound) {
        record.SchTel[0] = TelSearchKey(number);
        record.Tel[0] = cp932::cutToWidth(number, CallRecord::kTelWidth);
    }
    return result;
}

int CallerLookup::LookupRoster(bool askUser, const std::string& number, CallRecord& record) {
    TableUse use(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!use)
        return kNotFound;
    const std::string key = TelSearchKey(number);
    // A number without digits has an empty key, which would match every
    // entry that lacks a second number: such a number finds nobody.
    if (key.empty())
        return kNotFound;

    std::optional<MeiboRow> found;
    for (const char* field : {"SchTel1", "SchTel2"}) {
        Query q;
        q.index = field;
        q.where = std::string("\"") + field + "\" = ?";
        q.whereArgs = {key};
        q.limit = 1;
        auto rows = dm_.Meibo().read(q);
        if (!rows.empty()) {
            found = std::move(rows.front());
            break;
        }
    }
    if (!found)
        return kNotFound;

    if (const int taken = confirmFound(askUser, kRosterFound); taken != kFound)
        return taken;
    fillFromRoster(*found, key, record);
    return kFound;
}

int CallerLookup::confirmFound(bool askUser, const char* question) {
    if (!askUser)
        return kFound;
    const MessageResult answer = messages_.askYesNoCancel(question);
    if (answer == MessageResult::No)
        return kNotFound;
    return answer == MessageResult::Yes ? kFound : kCancelled;
}

void CallerLookup::fillFromRoster(const MeiboRow& row, const std::string& key,
                                  CallRecord& record) const {
    using R = CallRecord;
    record.MeiboRecNo = row.RecNo;
    record.SchTel[0] = fitted(row.SchTel1, R::kSchTelWidth);
    record.SchTel[1] = fitted(row.SchTel2, R::kSchTelWidth);
    record.Tel[0] = fitted(row.Tel1, R::kTelWidth);
    record.Tel[1] = fitted(row.Tel2, R::kTelWidth);
    record.TelIndex = row.SchTel1 == key ? 0 : 1;
    fillAddressAndNames(row, record);
    record.Memo1 = fitted(row.Memo1, R::kMemoWidth);
    record.Memo2 = fitted(row.Memo2, R::kMemoWidth);
    record.Memo3 = fitted(row.Memo3, R::kMemoWidth);
    record.Rank = fitted(row.Rank, R::kRankWidth);
    record.Latitude = row.Latitude;
    record.Longitude = row.Longitude;
    record.EMail = fitted(row.EMail, R::kEMailWidth);
    record.Msg = row.Msg == 1 ? 1 : 0;
    record.Msg1 = fitted(row.Msg1, R::kMsgWidth);
    record.Msg2 = fitted(row.Msg2, R::kMsgWidth);
    record.BGColor = fitted(row.BGColor, R::kBGColorWidth);
    record.ExtLink = memoLines(row.ExtLink);
    record.Note = memoLines(row.Note);
    record.Division = 1;
}

CallerLookup::BookState CallerLookup::openAddressBook() {
    const PhonebookInstallation installed =
        FindPhonebookInstallation(registry_, addressBook_ ? addressBook_->edition : 0);
    if (!addressBook_ || !addressBook_->module || !installed.registered)
        return BookState::NotInstalled;
    const auto books = ListAddressBooks(installed.installFolder);
    const int book = addressBook_->book;
    if (book < 0 || static_cast<std::size_t>(book) >= books.size())
        return BookState::CannotOpen;
    const fs::path folder = AddressBookFolder(installed.installFolder, books[book].folderName);
    return addressBook_->module->OpenAddressBook(folder) ? BookState::Opened
                                                         : BookState::CannotOpen;
}

std::optional<AddressBookRow> CallerLookup::findInAddressBook(const std::string& key) {
    if (key.empty())
        return std::nullopt; // an empty key would match every entry lacking a number
    TDMPbarea& module = *addressBook_->module;
    int winner = 0;
    for (const char* field : TDMPbarea::kNumberFields) {
        const auto rows = module.FindByNumber(field, key);
        if (!rows.empty() && rows.front().RecNo > winner)
            winner = rows.front().RecNo;
    }
    if (winner <= 0)
        return std::nullopt;
    return module.Read(winner);
}

int CallerLookup::LookupAddressBook(bool askUser, const std::string& number, CallRecord& record) {
    const std::string key = TelSearchKey(number);
    const BookState state = openAddressBook();
    std::optional<AddressBookRow> entry;
    if (state == BookState::Opened) {
        try {
            entry = findInAddressBook(key);
        } catch (...) {
            addressBook_->module->CloseAddressBook();
            throw;
        }
        addressBook_->module->CloseAddressBook();
    }

    if (state != BookState::Opened) {
        if (!askUser)
            return kNotFound;
        const std::string first =
            state == BookState::NotInstalled ? kBookNotInstalled : kBookNotOpened;
        return messages_.askYesNoCancel(first + kSearchDiscInstead) == MessageResult::Yes
                   ? kNotFound
                   : kCancelled;
    }
    if (!entry)
        return kNotFound;
    if (const int taken = confirmFound(askUser, kBookFound); taken != kFound)
        return taken;
    fillFromAddressBook(*entry, key, record);
    fromAddressBook_ = true;
    addressBookRecNo_ = entry->RecNo;
    return kFound;
}

void CallerLookup::fillFromAddressBook(const AddressBookRow& row, const std::string& key,
                                       CallRecord& record) const {
    using R = CallRecord;
    const AddressBookKeywords& k = addressBook_->keywords;
    record.MeiboRecNo = row.RecNo;
    const std::string numbers[4] = {row.Tel, row.Fax, row.Portable1, row.Portable2};
    record.TelIndex = 0;
    bool matched = false;
    for (int i = 0; i < 4; ++i) {
        const std::string number = cp932::trim(numbers[i]);
        record.SchTel[i] = cp932::cutToWidth(number, R::kSchTelWidth);
        record.Tel[i] = fitted(hyphenation_.FormatTelHyphen(number), R::kTelWidth);
        if (!matched && number == key) {
            record.TelIndex = i;
            matched = true;
        }
    }
    fillAddressAndNames(row, record); // NameKanji is decoded from its escape form
    record.Memo1 = fitted(row.keyword(k.Memo1 + 1), R::kMemoWidth);
    record.Memo2 = fitted(row.keyword(k.Memo2 + 1), R::kMemoWidth);
    record.Memo3 = fitted(row.keyword(k.Memo3 + 1), R::kMemoWidth);
    record.Rank = fitted(row.keyword(k.rank + 6), R::kRankWidth);
    record.Msg1 = fitted(row.keyword(k.Line1 + 1), R::kMsgWidth);
    record.Msg2 = fitted(row.keyword(k.Line2 + 1), R::kMsgWidth);
    record.Latitude = row.Latitude;
    record.Longitude = row.Longitude;
    record.EMail = fitted(row.EMail1, R::kEMailWidth);
    record.Msg = record.Msg1.empty() && record.Msg2.empty() ? 0 : 1;
    record.BGColor = colourText(row.SymbolColor);
    record.ExtLink =
        memoLines(IsOldestPhonebookGeneration(addressBook_->edition) ? row.ExtFile : row.ExtLink);
    record.Note = memoLines(row.Note);
    record.Division = 1;
}

int CallerLookup::LookupPhonebookData(const std::string& number, CallRecord& record) {
    const std::string key = TelSearchKey(number);
    const fs::path dataFolder = PhonebookDataFolder(workFolder_, phonebookDataLocation_);
    PhonebookHit hit{};
    const int result =
        SearchPhonebook(key, hit, dataFolder, applicationFolder_ / "Dic" / "", messages_);
    if (result == kPhonebookFound)
        FillCallRecordFromHit(hit, hitConversions(hyphenation_), record);
    return result;
}

} // namespace kanata
