#include "views/CallerRegistration.h"

#include "data/AddressBook.h"
#include "data/CallRecord.h"
#include "data/Cp932.h"
#include "data/DateTime.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "platform/MessageForwarding.h"
#include "platform/MessageService.h"
#include "views/RecentFirst.h"
#include "views/ShownFields.h"

#include <cstdio>

namespace kanata {
namespace {

// Every box is answered No (Cancel where there is no No) and nothing shows.
class SilentMessages : public MessageService {
public:
    MessageResult ShowCenteredMessage(const MessageRequest& request) override {
        switch (request.buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageResult::No;
        case MessageButtons::Ok:
            return MessageResult::Ok;
        default:
            return MessageResult::Cancel;
        }
    }
};

// A full roster refuses every automatic registration; finding out inside
// the append also counts every row, to word a refusal, which on a server is
// a scan of the roster for each unknown caller of a burst.
bool numbersUsedUp(MeiboTable& meibo) {
    const std::optional<Record> last = meibo.table().last();
    return last && std::get<std::int64_t>((*last)[0]) >= Table::kMaxRecNo;
}

bool sameCallerTexts(const RecvHisRow& a, const RecvHisRow& b) {
    return a.CorpKana == b.CorpKana && a.CorpKanji == b.CorpKanji && a.NameKana == b.NameKana &&
           a.NameKanji == b.NameKanji && a.Rank == b.Rank && a.SelItem1 == b.SelItem1 &&
           a.SelItem2 == b.SelItem2 && a.SelItem3 == b.SelItem3;
}

RegistrationResult refused(int focusNumber = -1) {
    RegistrationResult r;
    r.focusNumber = focusNumber;
    r.selectText = focusNumber >= 0;
    return r;
}

// The first roster row whose first number has `key`, else the first whose
// second number has it (the lookup's order); -1 when none.
int findRosterRow(MeiboTable& meibo, const std::string& key) {
    for (const char* index : {"SchTel1", "SchTel2"}) {
        Query q;
        q.index = index;
        q.where = std::string("\"") + index + "\" = ?";
        q.whereArgs = {key};
        q.limit = 1;
        const auto rows = meibo.read(q);
        if (!rows.empty())
            return rows.front().RecNo;
    }
    return -1;
}

// Whether a row other than `own` holds `key` as either number.
bool keyBelongsToAnotherRow(MeiboTable& meibo, const std::string& key, int own) {
    return meibo.count("(\"SchTel1\" = ? OR \"SchTel2\" = ?) AND \"RecNo\" <> ?",
                       {key, key, static_cast<std::int64_t>(own)}) > 0;
}

MeiboRow rosterRow(const CallRecord& record, const CallerFields& f) {
    MeiboRow row = RosterRowFromFields(f);
    row.RecNo = record.MeiboRecNo;
    row.Latitude = record.Latitude;
    row.Longitude = record.Longitude;
    row.Msg = record.Msg;
    row.Msg1 = record.Msg1;
    row.Msg2 = record.Msg2;
    row.BGColor = record.BGColor;
    return row;
}

// The view neither shows nor edits the message, the colour and the
// coordinates; a row taken over keeps its own instead of losing them.
void keepHiddenFields(MeiboTable& meibo, MeiboRow& row) {
    const auto stored = meibo.find(row.RecNo);
    if (!stored)
        return;
    row.Msg = stored->Msg;
    row.Msg1 = stored->Msg1;
    row.Msg2 = stored->Msg2;
    row.BGColor = stored->BGColor;
    if (row.Latitude == 0 && row.Longitude == 0) {
        row.Latitude = stored->Latitude;
        row.Longitude = stored->Longitude;
    }
}

void setKeyword(AddressBookRow& row, int n, const std::string& value) {
    if (std::string* field = row.keywordField(n))
        *field = value;
}

int colourValue(const std::string& bgColor) {
    const std::string text = bgColor.empty() ? "$7fdf3f" : bgColor;
    unsigned value = 0;
    if (text.size() < 2 || text[0] != '$' || std::sscanf(text.c_str() + 1, "%x", &value) != 1)
        std::sscanf("7fdf3f", "%x", &value);
    return static_cast<int>(value & 0xFFFFFF);
}

// The view's record takes what was stored.
void adoptFields(CallRecord& r, const CallerFields& f, bool addressBookMode) {
    if (addressBookMode) {
        const int i = (r.TelIndex >= 0 && r.TelIndex < 4) ? r.TelIndex : 0;
        r.Tel[i] = f.Tel1;
        r.SchTel[i] = TelSearchKey(f.Tel1);
    } else {
        r.Tel[0] = f.Tel1;
        r.SchTel[0] = TelSearchKey(f.Tel1);
        r.Tel[1] = f.Tel2;
        r.SchTel[1] = TelSearchKey(f.Tel2);
    }
    r.Pos = f.Pos;
    CopyAddressAndNames(r, f);
    r.PrivCorp = f.PrivCorp;
    CopyMemosAndRank(r, f);
    r.SelItem1 = f.SelItem1;
    r.SelItem2 = f.SelItem2;
    r.SelItem3 = f.SelItem3;
    r.ExtLink = f.ExtLink;
    r.Note = f.Note;
    r.Division = 1;
    r.fitToWidths();
}

} // namespace

std::string MessageLines(std::initializer_list<const char*> lines) {
    std::string text;
    bool first = true;
    for (const char* line : lines) {
        if (!first)
            text += "\r\n";
        text += line;
        if (*line)
            text += "  ";
        first = false;
    }
    return text;
}

bool IsValidNumberText(const std::string& text) {
    for (char c : cp932::trim(text)) {
        if (!(c >= '0' && c <= '9') && c != '-')
            return false;
    }
    return true;
}

CallerRegistration::CallerRegistration(TDMKanata195& dm, MessageService& messages,
                                       RegistrationOptions options)
    : dm_(dm), messages_(messages), options_(std::move(options)) {}

CallerRegistration::~CallerRegistration() = default;

RegistrationResult CallerRegistration::Register(CallRecord& record, CallerFields& fields,
                                                const CallerFields& loaded) {
    return run(record, fields, loaded, messages_, false);
}

int CallerRegistration::RegisterSilently(CallRecord& record, CallerFields& fields,
                                         const CallerFields& loaded) {
    SilentMessages silent;
    return run(record, fields, loaded, silent, true).done ? 0 : 1;
}

RegistrationResult CallerRegistration::run(CallRecord& record, CallerFields& fields,
                                           const CallerFields& loaded, MessageService& messages,
                                           bool silent) {
    if (NoteTooLong(fields.Note, loaded.Note)) {
        // Cut rather than refused when no one sees it: the view is about to
        // show the next call, and everything typed would go with it.
        if (silent) {
            fields.Note = NoteCutToFit(fields.Note);
        } else {
            messages.information(NoteTooLongMessage());
            RegistrationResult r;
            r.focusNote = true;
            return r;
        }
    }
    if (options_.addressBookMode)
        return registerInAddressBook(record, fields, messages, silent);
    return registerInRoster(record, fields, loaded, messages, silent);
}

RegistrationResult CallerRegistration::registerInRoster(CallRecord& record, CallerFields& fields,
                                                        const CallerFields& loaded,
                                                        MessageService& messages, bool silent) {
    CallerFields f = fields.trimmed();
    if (const auto problem = CheckNumberPair(f.Tel1, f.Tel2)) {
        messages.information(MessageLines({problem->text}));
        return refused(problem->number);
    }
    const std::string* numbers[] = {&f.Tel1, &f.Tel2};
    // Nothing would find such a row again; only the user may ask for it.
    if (silent && f.Tel1.empty())
        return refused();

    TableUse use(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!use)
        return refused();
    MeiboTable& meibo = dm_.Meibo();
    const CallerFields loadedTrimmed = loaded.trimmed();
    const std::string keys[] = {TelSearchKey(f.Tel1), TelSearchKey(f.Tel2)};
    bool isNew = record.Division != 1;
    bool replacing = false;
    int recNo = record.MeiboRecNo;

    if (isNew) {
        int hits = 0, hitRow = -1, hitNumber = -1;
        for (int i = 0; i < 2 && hits < 2; ++i) {
            if (keys[i].empty())
                continue;
            const int row = findRosterRow(meibo, keys[i]);
            // Both numbers of one caller are one hit: that caller is replaced,
            // as the roster editor does; only two callers are refused.
            if (row < 0 || row == hitRow)
                continue;
            ++hits;
            hitRow = row;
            hitNumber = i;
        }
        if (hits == 2) {
            messages.information(MessageLines(
                {"２つの電話番号がそれぞれ違うデータとして登録されています", "登録できません"}));
            return refused();
        }
        if (hits == 1) {
            const bool replace =
                silent ? options_.sameTelUpdate
                       : messages.ask(MessageLines({"既に同じ電話番号のデータが登録されています",
                                                    "今回の内容で置き換えますか？"}));
            if (!replace) {
                RegistrationResult r = refused(hitNumber == 1 ? 1 : -1);
                r.selectText = false;
                return r;
            }
            isNew = false;
            replacing = true;
            recNo = hitRow;
        }
    } else {
        const std::string* loadedNumbers[] = {&loadedTrimmed.Tel1, &loadedTrimmed.Tel2};
        for (int i = 0; i < 2; ++i) {
            if (*numbers[i] == *loadedNumbers[i] || keys[i].empty())
                continue;
            if (keyBelongsToAnotherRow(meibo, keys[i], recNo)) {
                messages.information(MessageLines({"変更した電話番号と同じ電話番号のデータが",
                                                   "既に登録されています", "変更はできません"}));
                return refused(i);
            }
        }
    }

    updateHistoryRow(record, f, messages, silent);
    RegistrationResult result;
    result.changedLists = reorderLists(f, messages);

    const bool write = isNew || replacing || !(f == loadedTrimmed);
    if (write) {
        CallRecord target = record;
        target.MeiboRecNo = recNo;
        MeiboRow row = rosterRow(target, f);
        if (replacing)
            keepHiddenFields(meibo, row);
        if (isNew && silent && numbersUsedUp(meibo))
            return result; // the refusal would be shown to nobody
        if (isNew) {
            const auto added = meibo.append(row, messages);
            if (!added) {
                messages.error(MessageLines({"登録できませんでした"}));
                return result;
            }
            recNo = *added;
        } else if (!meibo.update(row, messages)) {
            messages.error(MessageLines({"変更できませんでした"}));
            return result;
        }
    }
    adoptFields(record, f, false);
    record.MeiboRecNo = recNo;
    fields = f;
    result.done = true;
    return result;
}

RegistrationResult CallerRegistration::registerInAddressBook(CallRecord& record,
                                                             CallerFields& fields,
                                                             MessageService& messages,
                                                             bool silent) {
    CallerFields f = fields.trimmed();
    if (!IsValidNumberText(f.Tel1)) {
        messages.information(MessageLines({"電話番号は半角数字かハイフンのみが有効です"}));
        return refused(0);
    }
    if (silent && f.Tel1.empty())
        return refused();
    const AddressBookPlace& source = options_.addressBook;
    if (!source.installed) {
        messages.information(MessageLines({"番号名鑑のインストール状態を確認できませんでした"}));
        return refused();
    }
    TDMPbarea book(messages);
    if (!book.OpenAddressBook(source.folder)) {
        messages.error(MessageLines({"何らかの理由で番号名鑑のアドレス帳が開けませんでした"}));
        return refused();
    }
    // The entry is the one the shown record came from; its number is kept
    // with the record itself, so a later lookup cannot redirect the write.
    const bool existing = record.Division == 1 && record.MeiboRecNo > 0;
    AddressBookRow row;
    if (existing) {
        if (auto stored = book.Read(record.MeiboRecNo))
            row = *stored;
    }
    row.RecNo = existing ? record.MeiboRecNo : 0;
    const std::string digits = ExtractTelChars(f.Tel1, kTelDigits);
    std::string* numberFields[] = {&row.Tel, &row.Fax, &row.Portable1, &row.Portable2};
    const int telIndex = (record.TelIndex >= 0 && record.TelIndex < 4) ? record.TelIndex : 0;
    *numberFields[telIndex] = digits;
    row.Pos = PostalCodeToStore(f.Pos);
    CopyAddressAndNames(row, f); // the kanji name written in the escape form by the module
    row.PrivCorp = f.PrivCorp == 1 ? "1" : "0";
    setKeyword(row, source.Memo1 + 1, f.Memo1);
    setKeyword(row, source.Memo2 + 1, f.Memo2);
    setKeyword(row, source.Memo3 + 1, f.Memo3);
    setKeyword(row, source.rank + 6, f.Rank);
    setKeyword(row, source.Line1 + 1, record.Msg1);
    setKeyword(row, source.Line2 + 1, record.Msg2);
    row.EMail1 = f.EMail;
    row.Latitude = record.Latitude;
    row.Longitude = record.Longitude;
    row.SymbolColor = colourValue(record.BGColor);
    (source.usesExtFile ? row.ExtFile : row.ExtLink) = JoinLines(f.ExtLink);
    row.Note = JoinLines(f.Note);

    updateHistoryRow(record, f, messages, silent);
    RegistrationResult result;
    result.changedLists = reorderLists(f, messages);
    const auto written = book.Write(row);
    book.CloseAddressBook();
    if (!written) {
        messages.error(MessageLines({existing ? "変更できませんでした" : "登録できませんでした"}));
        return result;
    }
    adoptFields(record, f, true);
    record.MeiboRecNo = *written;
    fields = f;
    result.done = true;
    return result;
}

void CallerRegistration::updateHistoryRow(const CallRecord& record, const CallerFields& f,
                                          MessageService& messages, bool silent) {
    // A call that could not be stored has no row of its own to update.
    if (record.RecNo == CallRecord::kNoHistoryRow)
        return;
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return;
    auto row = dm_.RecvHis().find(record.RecNo);
    if (!row) {
        messages.error(MessageLines({"該当するデータが見つかりませんでした"}));
        return;
    }
    const RecvHisRow stored = *row;
    row->CorpKana = f.CorpKana;
    row->CorpKanji = f.CorpKanji;
    row->NameKana = f.NameKana;
    row->NameKanji = f.NameKanji;
    row->Rank = f.Rank;
    row->SelItem1 = f.SelItem1;
    row->SelItem2 = f.SelItem2;
    row->SelItem3 = f.SelItem3;
    // The intake registers every caller of a burst this way, most of them
    // as the row was just stored; each write would cost the server a round
    // of statements and every desk a notice of a row that did not change.
    if (silent && sameCallerTexts(stored, *row))
        return;
    // The update stamps AxsDateTime and derives RecvWeek from RecvDateTime,
    // which stays the row's own: the call came when it came, however late
    // its caller is registered.
    // A failed write has already said why; "not found" is only for a row
    // that went away meanwhile.
    NoticingMessages writing(messages);
    if (!dm_.RecvHis().update(*row, writing) && !writing.told())
        messages.error(MessageLines({"該当するデータが見つかりませんでした"}));
}

int CallerRegistration::reorderLists(const CallerFields& f, MessageService& messages) {
    int changed = 0;
    if (MoveToTop(dm_.Rank(), f.Rank, messages))
        changed |= 1;
    const std::string* items[] = {&f.SelItem1, &f.SelItem2, &f.SelItem3};
    for (int n = 1; n <= 3; ++n) {
        if (MoveToTop(dm_.SelItem(n), *items[n - 1], messages))
            changed |= 1 << n;
    }
    return changed;
}

} // namespace kanata
