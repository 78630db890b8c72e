#include "roster/MeiboEditor.h"
#include "roster/ExtLinkList.h"
#include "roster/MeiboCallHistory.h"
#include "roster/MeiboSettings.h"
#include "settings/IniFile.h"
#include "tests/roster/RosterFixture.h"

using namespace kanata;
using kanata::test::RosterFixture;

namespace {

class MeiboEditorTest : public RosterFixture {
protected:
    MeiboEditor editor{dm, messages};

    MeiboFields entry(const std::string& tel1, const std::string& tel2 = {}) {
        MeiboFields f;
        f.Tel1 = tel1;
        f.Tel2 = tel2;
        f.NameKanji = "山田太郎";
        f.Pos = "123-4567";
        return f;
    }
};

TEST_F(MeiboEditorTest, NewRecordStoresNumberAsTypedAndItsDigitsAsKey) {
    editor.OpenNew();
    MeiboFields f = entry(" 03-1234-5678 ");
    const auto r = editor.Register(f);
    ASSERT_EQ(r.outcome, MeiboEditor::Outcome::Written);
    const auto row = dm.Meibo().find(0); // the first row of an empty roster
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Tel1, "03-1234-5678");
    EXPECT_EQ(row->SchTel1, "0312345678");
    EXPECT_EQ(row->Pos, "1234567");
    EXPECT_TRUE(editor.existing());
    EXPECT_EQ(editor.loaded().Pos, "123-4567");
}

TEST_F(MeiboEditorTest, NumberChecksRefuseLettersWideDigitsAndTwoEqualNumbers) {
    editor.OpenNew();
    for (const char* bad : {"03-1234-567a", "０３１２３４"}) {
        messages.expect("電話番号は半角数字かハイフンのみが有効です");
        MeiboFields f = entry(bad);
        const auto r = editor.Register(f);
        EXPECT_EQ(r.outcome, MeiboEditor::Outcome::Refused);
        EXPECT_EQ(r.focusNumber, 0);
    }
    messages.expect("電話番号欄にはそれぞれ違う番号を入力してください");
    MeiboFields f = entry("03-1234-5678", "0312345678");
    EXPECT_EQ(editor.Register(f).focusNumber, 1);
    EXPECT_EQ(dm.Meibo().count(), 0);
}

TEST_F(MeiboEditorTest, SecondNumberAloneMovesUp) {
    editor.OpenNew();
    MeiboFields f = entry("", "090-1111-2222");
    ASSERT_EQ(editor.Register(f).outcome, MeiboEditor::Outcome::Written);
    EXPECT_EQ(f.Tel1, "090-1111-2222");
    EXPECT_EQ(dm.Meibo().find(0)->SchTel2, "");
}

TEST_F(MeiboEditorTest, NewEntryWithAKnownNumberReplacesThatRowAfterTheQuestion) {
    addRow("03-1111-1111", "090-2222-2222", "ｱ");
    const int target = addRow("03-3333-3333", "", "ｲ");
    editor.OpenNew();
    messages.expect("今回の内容で置き換えますか？", MessageResult::No);
    MeiboFields f = entry("03-3333-3333");
    auto r = editor.Register(f);
    EXPECT_EQ(r.outcome, MeiboEditor::Outcome::Refused);
    EXPECT_EQ(r.focusNumber, 0);

    messages.expect("既に同じ電話番号のデータが登録されています", MessageResult::Yes);
    r = editor.Register(f);
    EXPECT_EQ(r.outcome, MeiboEditor::Outcome::Written);
    EXPECT_TRUE(r.replaced);
    EXPECT_EQ(dm.Meibo().count(), 2);
    EXPECT_EQ(dm.Meibo().find(target)->NameKanji, "山田太郎");
}

TEST_F(MeiboEditorTest, NumbersOfTwoRowsAndAChangedNumberTakenAreRefused) {
    addRow("03-1111-1111", "", "ｱ");
    const int second = addRow("03-2222-2222", "", "ｲ");
    editor.OpenNew();
    messages.expect("２つの電話番号がそれぞれ違うデータとして登録されています");
    MeiboFields f = entry("03-1111-1111", "03-2222-2222");
    EXPECT_EQ(editor.Register(f).outcome, MeiboEditor::Outcome::Refused);

    editor.Open(*dm.Meibo().find(second));
    f = editor.loaded();
    f.Tel2 = "0311111111"; // the other row's number
    messages.expect("変更はできません");
    EXPECT_EQ(editor.Register(f).outcome, MeiboEditor::Outcome::Refused);
    // Its own number unchanged, another field changed: allowed.
    f = editor.loaded();
    f.Memo1 = "メモ";
    EXPECT_EQ(editor.Register(f).outcome, MeiboEditor::Outcome::Written);
    EXPECT_EQ(dm.Meibo().find(second)->Memo1, "メモ");
}

TEST_F(MeiboEditorTest, UnchangedRecordIsNotWritten) {
    const int recNo = addRow("03-1111-1111", "", "ｱ");
    const auto before = *dm.Meibo().find(recNo);
    editor.Open(before);
    MeiboFields f = editor.loaded();
    EXPECT_EQ(editor.Register(f).outcome, MeiboEditor::Outcome::Unchanged);
    EXPECT_EQ(dm.Meibo().find(recNo)->UpdDateTime, before.UpdDateTime);
}

TEST_F(MeiboEditorTest, FailedWriteKeepsTheTypedDataAndTheRecord) {
    const int recNo = addRow("03-1111-1111", "", "ｱ");
    editor.Open(*dm.Meibo().find(recNo));
    ASSERT_TRUE(dm.Meibo().remove(recNo)); // gone meanwhile
    MeiboFields f = editor.loaded();
    f.Memo1 = "typed";
    messages.expect("該当するデータが見つかりませんでした");
    messages.expect("変更できませんでした");
    EXPECT_EQ(editor.Register(f).outcome, MeiboEditor::Outcome::Failed);
    EXPECT_EQ(f.Memo1, "typed");
    EXPECT_TRUE(editor.HasChanges(f)); // still pending, nothing pretends it was saved
}

TEST_F(MeiboEditorTest, SavePendingChangesResults) {
    const int recNo = addRow("03-1111-1111", "", "ｱ");
    addRow("03-2222-2222", "", "ｲ");
    editor.Open(*dm.Meibo().find(recNo));
    MeiboFields f = editor.loaded();
    EXPECT_EQ(editor.SavePendingChanges(f), kSaveDone); // nothing changed

    f.Memo1 = "変更";
    messages.expect("照会中のデータが変更されています", MessageResult::Cancel);
    EXPECT_EQ(editor.SavePendingChanges(f), kSaveCancelled);
    messages.expect("破棄する場合は「いいえ」", MessageResult::No);
    EXPECT_EQ(editor.SavePendingChanges(f), kSaveDiscarded);
    messages.expect("登録名簿を保存する場合は「はい」", MessageResult::Yes);
    EXPECT_EQ(editor.SavePendingChanges(f), kSaveDone);
    EXPECT_EQ(dm.Meibo().find(recNo)->Memo1, "変更");

    f = editor.loaded();
    f.Tel1 = "03-2222-2222";
    EXPECT_EQ(editor.SavePendingChanges(f), kSaveConflict);
    f.Tel1 = "03-x";
    messages.expect("電話番号は半角数字かハイフンのみが有効です");
    EXPECT_EQ(editor.SavePendingChanges(f), kSaveDiscarded);

    editor.OpenNew();
    f = entry("03-1111-1111");
    messages.expect("今回の内容で置き換える場合は「はい」", MessageResult::Yes);
    EXPECT_EQ(editor.SavePendingChanges(f), kSaveDone);
    EXPECT_EQ(dm.Meibo().count(), 2);
    EXPECT_EQ(dm.Meibo().find(recNo)->NameKanji, "山田太郎");
}

TEST_F(MeiboEditorTest, WithoutConfirmationNewEntryIsWrittenOrRefusedBySameTelUpdate) {
    addRow("03-1111-1111", "", "ｱ");
    MeiboEditor quiet(dm, messages, {false, false});
    quiet.OpenNew();
    MeiboFields f = entry("03-1111-1111");
    EXPECT_EQ(quiet.SavePendingChanges(f), kSaveConflict);
    f = entry("03-5555-5555");
    EXPECT_EQ(quiet.SavePendingChanges(f), kSaveDone);
    EXPECT_EQ(dm.Meibo().count(), 2);
}

TEST(ExtLinks, TenLinksAtMostAndTwoThousandBytesInAll) {
    ExtLinkList links;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(links.Add("/tmp/file" + std::to_string(i)), ExtLinkList::AddResult::Added);
    EXPECT_FALSE(links.canAdd());
    EXPECT_EQ(links.Add("/tmp/eleven"), ExtLinkList::AddResult::Full);
    EXPECT_EQ(links.Remove(3), 3);
    EXPECT_EQ(links.Add("/TMP/FILE0"), ExtLinkList::AddResult::Duplicate);

    ExtLinkList big({std::string(1000, 'a'), std::string(900, 'b')});          // 1904 bytes stored
    EXPECT_EQ(big.Add(std::string(95, 'c')), ExtLinkList::AddResult::TooLong); // 2001
    EXPECT_EQ(big.Add(std::string(94, 'c')), ExtLinkList::AddResult::Added);   // exactly 2000
    EXPECT_EQ(big.storedBytes(), 2000u);
    EXPECT_EQ(big.Remove(2), 1);
    // Double-byte characters count two bytes each.
    std::string wide;
    for (int i = 0; i < 47; ++i)
        wide += "あ";
    EXPECT_EQ(big.Add(wide + "あ"), ExtLinkList::AddResult::TooLong); // 1904 + 98
    EXPECT_EQ(big.Add(wide), ExtLinkList::AddResult::Added);          // 1904 + 96
}

TEST(StoredColours, BlueIsHighestAndRedLowest) {
    EXPECT_EQ(StoredColourText({0x12, 0x34, 0x56}), "$563412");
    Rgb c;
    ASSERT_TRUE(ParseStoredColour("$563412", c));
    EXPECT_EQ(c, (Rgb{0x12, 0x34, 0x56}));
    EXPECT_FALSE(ParseStoredColour("563412", c));
    EXPECT_FALSE(ParseStoredColour("$56341G", c));
}

TEST_F(MeiboEditorTest, CustomColoursRoundTripThroughTheIniFile) {
    IniFile ini(folders.scratch() / "CstmClr.ini");
    ini.parse("[COMMON]\r\n0=FF0000\r\n1=junk\r\n");
    CustomColours c = ReadCustomColours(ini);
    EXPECT_EQ(c[0], 0xFF0000u);
    EXPECT_EQ(c[1], 0u);
    c[15] = 0x00ABCD;
    WriteCustomColours(ini, c);
    EXPECT_EQ(ini.readString("COMMON", "15"), "00ABCD");
}

TEST_F(MeiboEditorTest, CallHistoryListsCallsOfEitherNumberNewestFirst) {
    addCall("03-1111-1111", {2026, 1, 1, 9, 0, 0, 0});
    addCall("090-2222-2222", {2026, 1, 3, 9, 0, 0, 0});
    addCall("03-9999-9999", {2026, 1, 2, 9, 0, 0, 0});
    addCall("03-1111-1111", {2026, 1, 2, 9, 0, 0, 0});
    MeiboCallHistory history(dm);
    history.Load("0311111111", "09022222222");
    ASSERT_EQ(history.count(), 3);
    EXPECT_EQ(history.row(0)->SchTel, "09022222222");
    EXPECT_EQ(history.row(2)->RecvDateTime.day, 1);
    history.Load("", "");
    EXPECT_EQ(history.count(), 0);
}

} // namespace
