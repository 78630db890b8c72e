#include "roster/MeiboEditor.h"

#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "platform/MessageService.h"
#include "views/CallerRegistration.h"
#include "views/ShownFields.h"

#include <set>

namespace kanata {
namespace {

std::set<int> rowsWithKey(MeiboTable& meibo, const std::string& key) {
    std::set<int> rows;
    for (const char* index : {"SchTel1", "SchTel2"}) {
        Query q;
        q.index = index;
        q.where = std::string("\"") + index + "\" = ?";
        q.whereArgs = {key};
        for (const auto& r : meibo.read(q))
            rows.insert(r.RecNo);
    }
    return rows;
}

std::string questionText(const char* first, const char* second, const char* saveLine) {
    std::string text = MessageLines({first});
    if (second)
        text += "\r\n" + MessageLines({second});
    text += "\r\n\r\n" +
            MessageLines({saveLine, "破棄する場合は「いいえ」", "中止する場合は「キャンセル」"});
    text += "\r\n\r\n" + MessageLines({"を押してください"});
    return text;
}

} // namespace

MeiboEditor::MeiboEditor(TDMKanata195& dm, MessageService& messages, MeiboEditorOptions options)
    : dm_(dm), messages_(messages), options_(options) {}

void MeiboEditor::OpenNew() {
    loaded_ = MeiboFields{};
    row_ = MeiboRow{};
    existing_ = false;
    openedNew_ = true;
    recNo_ = -1;
}

void MeiboEditor::Open(const MeiboRow& row) {
    row_ = row;
    loaded_ = FieldsFromRow(row);
    existing_ = true;
    openedNew_ = false;
    recNo_ = row.RecNo;
}

bool MeiboEditor::HasChanges(const MeiboFields& current) const {
    return !(current.trimmed() == loaded_);
}

std::string MeiboEditor::verb() const {
    return existing_ ? "変更" : "登録";
}

bool MeiboEditor::checkNumbers(MeiboFields& f, int& focusNumber, const void* owner) {
    if (const auto problem = CheckNumberPair(f.Tel1, f.Tel2)) {
        messages_.information(MessageLines({problem->text}), owner);
        focusNumber = problem->number;
        return false;
    }
    return true;
}

bool MeiboEditor::checkNote(const MeiboFields& f, const void* owner) {
    if (!NoteTooLong(f.Note, loaded_.Note))
        return true;
    messages_.information(NoteTooLongMessage(), owner);
    return false;
}

MeiboEditor::Duplicates MeiboEditor::findDuplicates(const MeiboFields& f, int& hitRecNo) {
    MeiboTable& meibo = dm_.Meibo();
    if (!existing_) {
        std::set<int> hits;
        for (const std::string* tel : {&f.Tel1, &f.Tel2}) {
            const std::string key = TelSearchKey(*tel);
            if (!key.empty())
                hits.merge(rowsWithKey(meibo, key));
        }
        if (hits.empty())
            return Duplicates::None;
        if (hits.size() > 1)
            return Duplicates::TwoRows;
        hitRecNo = *hits.begin();
        return Duplicates::OneRow;
    }
    const std::string before[] = {TelSearchKey(row_.Tel1), TelSearchKey(row_.Tel2)};
    for (const std::string* tel : {&f.Tel1, &f.Tel2}) {
        const std::string key = TelSearchKey(*tel);
        if (key.empty() || key == before[0] || key == before[1])
            continue;
        auto hits = rowsWithKey(meibo, key);
        hits.erase(recNo_);
        if (!hits.empty())
            return Duplicates::ChangedNumberTaken;
    }
    return Duplicates::None;
}

std::optional<MeiboRow> MeiboEditor::changedSinceRead() {
    auto current = dm_.Meibo().find(recNo_);
    // A row deleted meanwhile is left to the update, which reports it.
    if (!current || FieldsFromRow(*current) == FieldsFromRow(row_))
        return std::nullopt;
    return current;
}

MeiboEditor::ConflictChoice MeiboEditor::askAboutConflict(const void* owner) {
    MessageRequest request;
    request.text = MessageLines({"照会中のデータは読み込んだ後に", "他の画面で変更されています"}) +
                   "\r\n\r\n" +
                   MessageLines({"今回の内容で上書きする場合は「はい」",
                                 "変更後のデータを読み込み直す場合は「いいえ」",
                                 "中止する場合は「キャンセル」"}) +
                   "\r\n\r\n" + MessageLines({"を押してください"});
    request.icon = MessageIcon::Question;
    request.buttons = MessageButtons::YesNoCancel;
    request.placement.kind = MessagePlacement::Kind::CentredOnOwner;
    request.owner = owner;
    switch (messages_.ShowCenteredMessage(request)) {
    case MessageResult::Yes:
        return ConflictChoice::Overwrite;
    case MessageResult::No:
        return ConflictChoice::Reload;
    default:
        return ConflictChoice::Cancel;
    }
}

// The comparison with the row read at open and the write are one
// transaction, so no save of another desk can come between them; the
// question is asked outside it, so no desk waits for a box on this one.
MeiboEditor::WriteOutcome MeiboEditor::write(const MeiboFields& f, const void* owner) {
    TableUse use(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!use)
        return WriteOutcome::Failed;
    MeiboRow row = RowFromFields(f, existing_ ? recNo_ : 0);
    for (;;) {
        std::optional<MeiboRow> changed;
        try {
            if (!existing_) {
                const auto recNo = dm_.Meibo().append(row, messages_);
                if (!recNo)
                    return WriteOutcome::Failed;
                row.RecNo = *recNo;
                break;
            }
            Table& table = dm_.Meibo().table();
            sql::Transaction tx(table.database());
            table.lockWriters();
            changed = changedSinceRead();
            if (!changed) {
                if (!dm_.Meibo().update(row, messages_))
                    return WriteOutcome::Failed;
                tx.commit();
                break;
            }
        } catch (const std::exception& e) {
            messages_.error(e.what());
            return WriteOutcome::Failed;
        }
        switch (askAboutConflict(owner)) {
        case ConflictChoice::Overwrite:
            row_ = *changed; // asked again only if it changes once more
            continue;
        case ConflictChoice::Reload:
            Open(*changed);
            return WriteOutcome::Reloaded;
        case ConflictChoice::Cancel:
            return WriteOutcome::Cancelled;
        }
    }
    // The editor now shows the stored row.
    if (auto stored = dm_.Meibo().find(row.RecNo))
        Open(*stored);
    return WriteOutcome::Written;
}

MeiboEditor::Result MeiboEditor::Register(MeiboFields& fields, const void* owner) {
    Result result;
    result.wasNew = openedNew_;
    MeiboFields f = fields.trimmed();
    if (!checkNumbers(f, result.focusNumber, owner))
        return result;
    fields = f;
    if (!checkNote(f, owner)) {
        result.focusNote = true;
        return result;
    }
    {
        TableUse use(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        if (!use)
            return result;
        int hit = -1;
        switch (findDuplicates(f, hit)) {
        case Duplicates::None:
            break;
        case Duplicates::OneRow:
            if (!messages_.ask(MessageLines({"既に同じ電話番号のデータが登録されています",
                                             "今回の内容で置き換えますか？"}),
                               false, owner)) {
                result.focusNumber = 0;
                return result;
            }
            existing_ = true;
            recNo_ = hit;
            if (auto stored = dm_.Meibo().find(hit))
                row_ = *stored;
            result.replaced = true;
            break;
        case Duplicates::TwoRows:
            messages_.information(
                MessageLines(
                    {"２つの電話番号がそれぞれ違うデータとして登録されています", "登録できません"}),
                owner);
            result.focusNumber = 0;
            return result;
        case Duplicates::ChangedNumberTaken:
            messages_.information(MessageLines({"変更した電話番号と同じ電話番号のデータが",
                                                "既に登録されています", "変更はできません"}),
                                  owner);
            result.focusNumber = 0;
            return result;
        }
    }
    if (!result.replaced && !HasChanges(f)) {
        result.outcome = Outcome::Unchanged;
        return result;
    }
    const std::string what = verb();
    switch (write(f, owner)) {
    case WriteOutcome::Written:
        result.outcome = Outcome::Written;
        return result;
    case WriteOutcome::Reloaded:
        fields = loaded_;
        result.outcome = Outcome::Reloaded;
        return result;
    case WriteOutcome::Cancelled:
        return result; // Refused: the typed data stays in the controls
    case WriteOutcome::Failed:
        break;
    }
    messages_.information(MessageLines({(what + "できませんでした").c_str()}), owner);
    result.outcome = Outcome::Failed;
    return result;
}

int MeiboEditor::SavePendingChanges(MeiboFields& fields, const void* owner) {
    MeiboFields f = fields.trimmed();
    // An untouched record is never questioned, even when its stored numbers
    // would not pass the checks (rows from an import may not).
    if (!HasChanges(f))
        return kSaveDone;
    int focus = -1;
    if (!checkNumbers(f, focus, owner))
        return kSaveDiscarded;
    fields = f;
    bool replacing = false;
    {
        TableUse use(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        if (!use)
            return kSaveWriteFailed;
        int hit = -1;
        switch (findDuplicates(f, hit)) {
        case Duplicates::None:
            break;
        case Duplicates::OneRow:
            if (!options_.SaveMeiboConfirm && !options_.SameTelUpdate)
                return kSaveConflict;
            existing_ = true;
            recNo_ = hit;
            if (auto stored = dm_.Meibo().find(hit))
                row_ = *stored;
            replacing = true;
            break;
        case Duplicates::TwoRows:
        case Duplicates::ChangedNumberTaken:
            return kSaveConflict;
        }
    }
    if (options_.SaveMeiboConfirm) {
        std::string text;
        if (replacing)
            text = questionText("既に同じ電話番号のデータが登録されています", nullptr,
                                "今回の内容で置き換える場合は「はい」");
        else if (openedNew_)
            text = questionText("入力途中のデータがあります", nullptr,
                                "登録名簿を保存する場合は「はい」");
        else
            text = questionText("照会中のデータが変更されています", nullptr,
                                "登録名簿を保存する場合は「はい」");
        MessageRequest request;
        request.text = text;
        request.icon = MessageIcon::Question;
        request.buttons = MessageButtons::YesNoCancel;
        request.placement.kind = MessagePlacement::Kind::CentredOnOwner;
        request.owner = owner;
        const MessageResult answer = messages_.ShowCenteredMessage(request);
        if (answer == MessageResult::No)
            return kSaveDiscarded;
        if (answer != MessageResult::Yes)
            return kSaveCancelled;
    }
    // Discarding would lose the whole edit over a note that is only too long.
    if (!checkNote(f, owner))
        return kSaveCancelled;
    switch (write(f, owner)) {
    case WriteOutcome::Written:
        return kSaveDone;
    case WriteOutcome::Reloaded:
        return kSaveDiscarded; // the stored row won, as the user chose
    case WriteOutcome::Cancelled:
        return kSaveCancelled;
    case WriteOutcome::Failed:
        break;
    }
    return kSaveWriteFailed;
}

bool MeiboEditor::StoreCoordinates(int latitude, int longitude, const void* owner) {
    if (!existing_)
        return false;
    TableUse use(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!use)
        return false;
    MeiboTable& meibo = dm_.Meibo();
    auto stored = meibo.find(recNo_);
    bool written = false;
    if (stored) {
        stored->Latitude = latitude;
        stored->Longitude = longitude;
        stored->AxsDateTime = DateTime::now();
        try {
            written = meibo.table().update(meibo.toRecord(*stored), {"AddDateTime", "UpdDateTime"});
        } catch (const sql::SqliteError& e) {
            messages_.error(std::string("データの書き込みに失敗しました\r\n") + e.what(), owner);
            return false;
        }
    }
    if (!written) {
        messages_.error(MessageLines({"該当するデータが見つかりませんでした"}), owner);
        return false;
    }
    row_.Latitude = loaded_.Latitude = latitude;
    row_.Longitude = loaded_.Longitude = longitude;
    return true;
}

} // namespace kanata
