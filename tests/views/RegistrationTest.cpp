#include "data/AddressBook.h"
#include "data/CallRecord.h"
#include "data/Cp932.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "tests/support/DataFolderTest.h"
#include "tests/support/RosterEntry.h"
#include "views/CallerRegistration.h"
#include "views/RecentFirst.h"
#include "views/ShownFields.h"

#include <gtest/gtest.h>

using namespace kanata;
using kanata::test::ScriptedMessages;

namespace {

class Registration : public kanata::test::DataFolderTest {
protected:
    CallRecord record;
    int historyRecNo = -1;

    void SetUp() override {
        dm.LoadItemLists(folders.scratch() / "app");
        openTables();
        RecvHisRow call;
        call.RecvDateTime = {2026, 3, 2, 9, 30, 0, 0};
        call.Tel = "03-1234-5678";
        call.SchTel = "0312345678";
        call.Division = "0";
        historyRecNo = *dm.RecvHis().append(call, messages);
        record.RecNo = historyRecNo;
        record.Tel[0] = "03-1234-5678";
        record.SchTel[0] = "0312345678";
        record.RecvDateTime = DateTime{2026, 3, 2, 9, 30, 0, 0}.toDays();
    }
    int addRosterRow(const std::string& tel1, const std::string& tel2, const std::string& name) {
        MeiboRow row = kanata::test::RosterEntry(tel1, tel2);
        row.NameKanji = name;
        row.PrivCorp = "0";
        return *dm.Meibo().append(row, messages);
    }

    CallerFields fields(const std::string& tel1, const std::string& tel2 = {}) {
        CallerFields f = FieldsFromRecord(record, false);
        f.Tel1 = tel1;
        f.Tel2 = tel2;
        f.NameKanji = "山田太郎";
        f.CorpKanji = "山田商店";
        f.Rank = "Ａランク";
        f.SelItem2 = "折り返し";
        return f;
    }

    CallerRegistration registration(bool sameTelUpdate = true) {
        return CallerRegistration(dm, messages, RegistrationOptions{false, sameTelUpdate, {}});
    }
};

TEST_F(Registration, NewCallerGetsARowAndTheHistoryRowItsNames) {
    CallerFields f = fields(" 03-1234-5678 ");
    const CallerFields loaded = FieldsFromRecord(record, false);
    auto result = registration().Register(record, f, loaded);
    ASSERT_TRUE(result.done);
    EXPECT_EQ(result.changedLists, 1 | 4);
    EXPECT_EQ(dm.Meibo().count(), 1);
    const auto row = dm.Meibo().find(record.MeiboRecNo);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Tel1, "03-1234-5678");
    EXPECT_EQ(row->SchTel1, "0312345678");
    EXPECT_EQ(row->NameKanji, "山田太郎");
    EXPECT_EQ(row->PrivCorp, "0");
    EXPECT_FALSE(row->AddDateTime.isZero());
    EXPECT_EQ(record.Division, 1);
    const auto history = dm.RecvHis().find(historyRecNo);
    EXPECT_EQ(history->NameKanji, "山田太郎");
    EXPECT_EQ(history->CorpKanji, "山田商店");
    EXPECT_EQ(history->Rank, "Ａランク");
    EXPECT_EQ(history->SelItem2, "折り返し");
    EXPECT_EQ(history->Tel, "03-1234-5678");
    EXPECT_EQ(dm.Rank().Get(0), "Ａランク");
    EXPECT_EQ(dm.SelItem(2).Get(0), "折り返し");
}

// The history row is touched now, but keeps the call's own arrival: the
// registration may come hours after the call.
TEST_F(Registration, TheHistoryRowIsTouchedNowAndKeepsTheTimeOfTheCall) {
    {
        auto stored = *dm.RecvHis().find(historyRecNo);
        stored.AxsDateTime = {2026, 3, 2, 9, 30, 0, 0};
        stored.RecvWeek = 0;
        ASSERT_TRUE(dm.RecvHis().table().update(dm.RecvHis().toRecord(stored)));
        ASSERT_EQ(dm.RecvHis().find(historyRecNo)->RecvWeek, 0) << "not set by the raw write";
    }
    const DateTime before = DateTime::now();
    CallerFields f = fields("03-1234-5678");
    ASSERT_TRUE(registration().Register(record, f, FieldsFromRecord(record, false)).done);
    const auto history = dm.RecvHis().find(historyRecNo);
    ASSERT_TRUE(history);
    EXPECT_FALSE(history->AxsDateTime < before);
    EXPECT_EQ(history->RecvDateTime.toText(), "2026-03-02 09:30:00.000");
    EXPECT_EQ(history->RecvWeek, 2); // a Monday
}

TEST_F(Registration, SameNumberInAnotherRowAsksToReplaceIt) {
    const int other = addRosterRow("06-1111-2222", "03-1234-5678", "旧名");
    {
        auto stored = *dm.Meibo().find(other);
        stored.Msg = 1;
        stored.Msg1 = "要注意";
        stored.BGColor = "$00FFFF";
        ASSERT_TRUE(dm.Meibo().update(stored, messages));
    }
    {
        CallerFields f = fields("03-1234-5678");
        messages.expect("既に同じ電話番号のデータが登録されています", MessageResult::No);
        auto result = registration().Register(record, f, FieldsFromRecord(record, false));
        EXPECT_FALSE(result.done);
        EXPECT_EQ(dm.Meibo().find(other)->NameKanji, "旧名");
        EXPECT_EQ(record.Division, 0);
        // Nothing of the refused registration reached the history.
        EXPECT_EQ(dm.RecvHis().find(historyRecNo)->NameKanji, "");
    }
    CallerFields f = fields("03-1234-5678");
    messages.expect("今回の内容で置き換えますか？", MessageResult::Yes);
    auto result = registration().Register(record, f, FieldsFromRecord(record, false));
    ASSERT_TRUE(result.done);
    EXPECT_EQ(dm.Meibo().count(), 1);
    EXPECT_EQ(record.MeiboRecNo, other);
    const auto row = dm.Meibo().find(other);
    EXPECT_EQ(row->NameKanji, "山田太郎");
    EXPECT_EQ(row->Tel1, "03-1234-5678");
    EXPECT_EQ(row->Tel2, "");
    // What the view cannot show stays with the row.
    EXPECT_EQ(row->Msg, 1);
    EXPECT_EQ(row->Msg1, "要注意");
    EXPECT_EQ(row->BGColor, "$00FFFF");
}

TEST_F(Registration, HitFromSecondNumberNoFocusesIt) {
    addRosterRow("06-1111-2222", "", "他人");
    CallerFields f = fields("03-1234-5678", "06-1111-2222");
    messages.expect("既に同じ電話番号のデータが登録されています", MessageResult::No);
    auto result = registration().Register(record, f, FieldsFromRecord(record, false));
    EXPECT_FALSE(result.done);
    EXPECT_EQ(result.focusNumber, 1);
}

TEST_F(Registration, TwoNumbersOfTwoRowsAreRefused) {
    addRosterRow("03-1234-5678", "", "一");
    addRosterRow("06-1111-2222", "", "二");
    CallerFields f = fields("03-1234-5678", "06-1111-2222");
    messages.expect(
        "２つの電話番号がそれぞれ違うデータとして登録されています  \r\n登録できません  ");
    EXPECT_FALSE(registration().Register(record, f, FieldsFromRecord(record, false)).done);
    EXPECT_EQ(dm.Meibo().count(), 2);
    // Automatic registration refuses silently.
    f = fields("03-1234-5678", "06-1111-2222");
    EXPECT_NE(registration().RegisterSilently(record, f, FieldsFromRecord(record, false)), 0);
}

TEST_F(Registration, BothNumbersOfOneRowAreOneCallerToReplace) {
    addRosterRow("03-1234-5678", "06-1111-2222", "一");
    CallerFields f = fields("03-1234-5678", "06-1111-2222");
    messages.expect("既に同じ電話番号のデータが登録されています", MessageResult::Yes);
    EXPECT_TRUE(registration().Register(record, f, FieldsFromRecord(record, false)).done);
    EXPECT_EQ(dm.Meibo().count(), 1);
    EXPECT_EQ(dm.Meibo().find(record.MeiboRecNo)->NameKanji, "山田太郎");
}

TEST_F(Registration, NumberChecksComeBeforeAnyTableAccess) {
    dm.CloseMeibo(); // the counter shows whether the table was opened
    CallerFields f = fields("03-1234-5678", "0312345678");
    messages.expect("電話番号欄にはそれぞれ違う番号を入力してください");
    auto result = registration().Register(record, f, FieldsFromRecord(record, false));
    EXPECT_FALSE(result.done);
    f = fields("03-1234-5678", "03(1234)5678");
    messages.expect("電話番号は半角数字かハイフンのみが有効です");
    result = registration().Register(record, f, FieldsFromRecord(record, false));
    EXPECT_EQ(result.focusNumber, 1);
    EXPECT_TRUE(result.selectText);
    f = fields("０３");
    messages.expect("電話番号は半角数字かハイフンのみが有効です");
    EXPECT_EQ(registration().Register(record, f, FieldsFromRecord(record, false)).focusNumber, 0);
    EXPECT_EQ(dm.meiboOpenCount(), 0);
    EXPECT_EQ(dm.recvHisOpenCount(), 1);
    EXPECT_EQ(dm.RecvHis().find(historyRecNo)->NameKanji, "");
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(dm.Meibo().count(), 0);
}

TEST_F(Registration, SecondNumberMovesIntoTheFirst) {
    CallerFields f = fields("", "090-1111-2222");
    ASSERT_TRUE(registration().Register(record, f, FieldsFromRecord(record, false)).done);
    const auto row = dm.Meibo().find(record.MeiboRecNo);
    EXPECT_EQ(row->Tel1, "090-1111-2222");
    EXPECT_EQ(row->SchTel1, "09011112222");
    EXPECT_EQ(row->Tel2, "");
    EXPECT_EQ(f.Tel1, "090-1111-2222");
    EXPECT_EQ(f.Tel2, "");
}

TEST_F(Registration, UnchangedExistingRecordIsNotWritten) {
    const int own = addRosterRow("03-1234-5678", "", "山田太郎");
    const auto before = dm.Meibo().find(own);
    record.Division = 1;
    record.MeiboRecNo = own;
    record.NameKanji = "山田太郎";
    record.PrivCorp = 0;
    const CallerFields loaded = FieldsFromRecord(record, false);
    CallerFields f = loaded;
    ASSERT_TRUE(registration().Register(record, f, loaded).done);
    EXPECT_EQ(dm.Meibo().find(own)->UpdDateTime, before->UpdDateTime);
    // A changed memo is written.
    f.Memo1 = "請求書送付済み";
    ASSERT_TRUE(registration().Register(record, f, loaded).done);
    EXPECT_EQ(dm.Meibo().find(own)->Memo1, "請求書送付済み");
    EXPECT_EQ(dm.Meibo().find(own)->AddDateTime, before->AddDateTime);
}

TEST_F(Registration, ChangedNumberOfAnotherRowIsRefused) {
    const int own = addRosterRow("03-1234-5678", "", "山田太郎");
    addRosterRow("06-1111-2222", "", "他人");
    record.Division = 1;
    record.MeiboRecNo = own;
    const CallerFields loaded = FieldsFromRecord(record, false);
    CallerFields f = loaded;
    f.Tel2 = "06-1111-2222";
    messages.expect("変更した電話番号と同じ電話番号のデータが  \r\n既に登録されています  ");
    auto result = registration().Register(record, f, loaded);
    EXPECT_FALSE(result.done);
    EXPECT_EQ(result.focusNumber, 1);
    EXPECT_EQ(dm.Meibo().find(own)->Tel2, "");
}

TEST_F(Registration, SilentRegistrationFollowsSameTelUpdate) {
    const int other = addRosterRow("03-1234-5678", "", "旧名");
    CallerFields f = fields("03-1234-5678");
    EXPECT_NE(registration(false).RegisterSilently(record, f, FieldsFromRecord(record, false)), 0);
    EXPECT_EQ(dm.Meibo().find(other)->NameKanji, "旧名");
    f = fields("03-1234-5678");
    EXPECT_EQ(registration(true).RegisterSilently(record, f, FieldsFromRecord(record, false)), 0);
    EXPECT_EQ(dm.Meibo().find(other)->NameKanji, "山田太郎");
    EXPECT_EQ(dm.Meibo().count(), 1);
}

TEST_F(Registration, ANoteOverItsSizeIsRefusedWhenTypedAndCutWhenNoOneSees) {
    // The limit falls in the middle of a full-width character of the last line.
    std::string wide;
    for (std::size_t i = 0; i < kMaxNoteBytes / 2; ++i)
        wide += "亜";
    const std::vector<std::string> tooLong{"一行目x", wide};
    CallerFields f = fields("03-1234-5678");
    f.Note = tooLong;
    messages.expect("備考は全角10000文字（半角20000文字）までです");
    const RegistrationResult refused =
        registration().Register(record, f, FieldsFromRecord(record, false));
    EXPECT_FALSE(refused.done);
    EXPECT_TRUE(refused.focusNote);
    EXPECT_EQ(f.Note, tooLong);
    EXPECT_EQ(dm.Meibo().count(), 0);

    ASSERT_EQ(registration().RegisterSilently(record, f, FieldsFromRecord(record, false)), 0);
    const std::string stored = dm.Meibo().find(0)->Note;
    EXPECT_EQ(cp932::byteWidth(stored), kMaxNoteBytes - 1);
    EXPECT_EQ(stored.substr(0, 15), "一行目x\r\n亜");

    // A note stored that long elsewhere does not hold up a change of the name.
    MeiboRow row = *dm.Meibo().find(0);
    row.Note = JoinLines(tooLong);
    ASSERT_TRUE(dm.Meibo().update(row, messages));
    record.MeiboRecNo = 0;
    record.Division = 1;
    CallerFields loaded = fields("03-1234-5678");
    loaded.Note = tooLong;
    f = loaded;
    f.NameKanji = "山田花子";
    EXPECT_TRUE(registration().Register(record, f, loaded).done);
    EXPECT_EQ(dm.Meibo().find(0)->NameKanji, "山田花子");
    EXPECT_EQ(dm.Meibo().find(0)->Note, JoinLines(tooLong));
}

TEST_F(Registration, SilentRegistrationRewritesTheHistoryRowOnlyWhenItsTextsChange) {
    // An old stamp shows whether the row was written again.
    dm.RecvHis().table().database().exec(
        "UPDATE RecvHis SET AxsDateTime = '2020-01-01 00:00:00.000', NameKanji = '山田太郎', "
        "CorpKanji = '山田商店', Rank = 'Ａランク', SelItem2 = '折り返し'");
    const DateTime old{2020, 1, 1, 0, 0, 0, 0};
    CallerFields f = fields("03-1234-5678");
    EXPECT_EQ(registration().RegisterSilently(record, f, FieldsFromRecord(record, false)), 0);
    EXPECT_EQ(dm.Meibo().count(), 1);
    EXPECT_EQ(dm.RecvHis().find(historyRecNo)->AxsDateTime, old);

    f = fields("03-1234-5678");
    f.NameKana = "ﾔﾏﾀﾞ";
    EXPECT_EQ(registration().RegisterSilently(record, f, FieldsFromRecord(record, false)), 0);
    const auto changed = dm.RecvHis().find(historyRecNo);
    EXPECT_EQ(changed->NameKana, "ﾔﾏﾀﾞ");
    EXPECT_NE(changed->AxsDateTime, old);

    // The user's own registration stamps the row as before.
    dm.RecvHis().table().database().exec(
        "UPDATE RecvHis SET AxsDateTime = '2020-01-01 00:00:00.000'");
    f = fields("03-1234-5678");
    f.NameKana = "ﾔﾏﾀﾞ";
    EXPECT_TRUE(registration().Register(record, f, FieldsFromRecord(record, false)).done);
    EXPECT_NE(dm.RecvHis().find(historyRecNo)->AxsDateTime, old);
}

TEST_F(Registration, FullRosterRefusesAnAutomaticRegistrationWithoutABox) {
    const int last = addRosterRow("06-1111-2222", "", "最後");
    Table& roster = dm.Meibo().table();
    roster.database().exec("UPDATE Meibo SET RecNo = 99999 WHERE RecNo = " + std::to_string(last));
    CallerFields f = fields("03-1234-5678");
    EXPECT_NE(registration().RegisterSilently(record, f, FieldsFromRecord(record, false)), 0);
    EXPECT_EQ(dm.Meibo().count(), 1);
    // The call's row still takes the names, as when the append is refused.
    EXPECT_EQ(dm.RecvHis().find(historyRecNo)->NameKanji, "山田太郎");

    // One number left: it is used.
    roster.database().exec("UPDATE Meibo SET RecNo = 99998");
    f = fields("03-1234-5678");
    EXPECT_EQ(registration().RegisterSilently(record, f, FieldsFromRecord(record, false)), 0);
    EXPECT_EQ(record.MeiboRecNo, 99999);
    EXPECT_EQ(dm.Meibo().count(), 2);
}

TEST_F(Registration, MissingHistoryRowIsReportedAndTheCallerStillRegistered) {
    record.RecNo = 777;
    CallerFields f = fields("03-1234-5678");
    messages.expect("該当するデータが見つかりませんでした");
    EXPECT_TRUE(registration().Register(record, f, FieldsFromRecord(record, false)).done);
    EXPECT_EQ(messages.shown().back().icon, MessageIcon::Stop);
}

TEST(RecentFirst, UsedTextsMoveToTheTopAndNewOnesEnterCut) {
    kanata::test::TempFolders folders;
    ScriptedMessages messages;
    THistoryData list(folders.scratch() / "Rank.mtd", true, 20);
    for (const char* t : {"A", "B", "C"})
        list.Add(t);
    EXPECT_TRUE(MoveToTop(list, "C", messages));
    EXPECT_EQ(list.Get(0), "C");
    EXPECT_EQ(list.Get(1), "A");
    EXPECT_EQ(list.Get(2), "B");
    EXPECT_FALSE(MoveToTop(list, "C", messages));
    EXPECT_FALSE(MoveToTop(list, "  ", messages));
    // A typed rank longer than 20 bytes enters cut, and is found again cut.
    const std::string typed = "とても大事なお客様です"; // 22 bytes
    EXPECT_TRUE(MoveToTop(list, typed, messages));
    EXPECT_EQ(list.Get(0), "とても大事なお客様で");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_FALSE(MoveToTop(list, typed, messages));
    EXPECT_EQ(list.Count(), 4);
    THistoryData reread(folders.scratch() / "Rank.mtd", true, 20);
    reread.Load();
    EXPECT_EQ(reread.Get(0), "とても大事なお客様で");
}

class AddressBookRegistration : public Registration {
protected:
    std::filesystem::path bookFolder = folders.scratch() / "Adrs" / "Book1";
    TDMPbarea book{messages};

    RegistrationOptions options() {
        RegistrationOptions o;
        o.addressBookMode = true;
        o.addressBook.installed = true;
        o.addressBook.folder = bookFolder;
        return o;
    }
};

TEST_F(AddressBookRegistration, WritesOnlyTheMatchedNumberAndTheEscapedName) {
    CreateAddressBook(bookFolder);
    ASSERT_TRUE(book.OpenAddressBook(bookFolder));
    AddressBookRow existing;
    existing.Tel = "0311112222";
    existing.Fax = "0311113333";
    existing.Portable1 = "09012345678";
    existing.NameKanji = "旧名";
    const int recNo = *book.Write(existing);
    book.CloseAddressBook();

    record.Division = 1;
    record.MeiboRecNo = recNo;
    record.TelIndex = 2;
    record.Tel[2] = "090-1234-5678";
    record.SchTel[2] = "09012345678";
    CallerFields f = FieldsFromRecord(record, true);
    EXPECT_EQ(f.Tel1, "090-1234-5678");
    f.Tel1 = "090-9999-0000";
    f.NameKanji = "髙橋"; // not in code page 932
    f.Memo1 = "メモ一";
    f.Rank = "Ｂランク";
    CallerRegistration reg(dm, messages, options());
    ASSERT_TRUE(reg.Register(record, f, FieldsFromRecord(record, true)).done);

    ASSERT_TRUE(book.OpenAddressBook(bookFolder));
    const auto row = book.Read(recNo);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Tel, "0311112222");
    EXPECT_EQ(row->Fax, "0311113333");
    EXPECT_EQ(row->Portable1, "09099990000");
    EXPECT_EQ(row->NameKanji, "髙橋");
    EXPECT_EQ(row->Keyword1, "メモ一");
    EXPECT_EQ(row->Keyword6, "Ｂランク"); // the rank keyword of the default setting
    EXPECT_EQ(row->SymbolColor, 0x7fdf3f);
    const auto raw = book.table().table().find(recNo);
    EXPECT_EQ(std::get<std::string>((*raw)[book.table().table().fieldIndex("NameKanji")]),
              "@9AD9@6A4B");
    book.CloseAddressBook();
}

TEST_F(AddressBookRegistration, NewEntryAndNotInstalled) {
    CreateAddressBook(bookFolder);
    CallerFields f = FieldsFromRecord(record, true);
    f.NameKanji = "新人";
    CallerRegistration reg(dm, messages, options());
    ASSERT_TRUE(reg.Register(record, f, FieldsFromRecord(record, true)).done);
    EXPECT_EQ(record.MeiboRecNo, 1);
    ASSERT_TRUE(book.OpenAddressBook(bookFolder));
    EXPECT_EQ(book.Read(1)->Tel, "0312345678");
    book.CloseAddressBook();

    auto o = options();
    o.addressBook.installed = false;
    CallerRegistration missing(dm, messages, o);
    messages.expect("番号名鑑のインストール状態を確認できませんでした");
    EXPECT_FALSE(missing.Register(record, f, f).done);
}

} // namespace
