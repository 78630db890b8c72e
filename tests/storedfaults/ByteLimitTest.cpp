// Every edit that feeds a table field holds no more than the field stores,
// counted in code page 932 bytes, and the windows show what was stored.
#include "data/Cp932.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "tests/storedfaults/CallDesk.h"
#include "tests/storedfaults/Typing.h"
#include "ui/gui/Cp932ByteLimit.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace kanata::test {
namespace {

QString repeated(const char* piece, int times) {
    return QString::fromUtf8(piece).repeated(times);
}

std::size_t widthOf(const QString& text) {
    return cp932::byteWidth(text.toStdString());
}

TEST(Cp932ByteLimit, TypingPastingAndSettingStopAtTheFieldsBytes) {
    QLineEdit edit;
    ui::LimitToCp932Bytes(&edit, 10);

    typeLatin(&edit, QStringLiteral("abcdefgh"));
    typeJapanese(&edit, QStringLiteral("東京")); // 8 + 4: only one fits
    EXPECT_EQ(edit.text(), QStringLiteral("abcdefgh東"));
    typeLatin(&edit, QStringLiteral("x")); // full: nothing more goes in
    EXPECT_EQ(edit.text(), QStringLiteral("abcdefgh東"));

    // Half-width katakana take one byte, as in the stored files; a pasted
    // text is cut at its end, and what follows the caret stays.
    clearEdit(&edit);
    typeLatin(&edit, QStringLiteral("ab"));
    edit.setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("ｶﾅｶﾅ漢字漢字"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("aｶﾅｶﾅ漢字b"));
    EXPECT_EQ(edit.cursorPosition(), 7);

    // A text set by the program (a dictionary result, a loaded record) is
    // cut too, never inside a character.
    edit.setText(repeated("住", 6));
    EXPECT_EQ(edit.text(), repeated("住", 5));
    edit.setText(QStringLiteral("123456789住"));
    EXPECT_EQ(edit.text(), QStringLiteral("123456789"));

    // A character code page 932 cannot hold is stored as one "?".
    edit.setText(QStringLiteral("😀😀😀😀😀😀😀😀😀😀😀"));
    EXPECT_EQ(edit.text(), QStringLiteral("😀😀😀😀😀😀😀😀😀😀"));
    EXPECT_EQ(ui::Cp932ByteLimitOf(&edit), 10);
}

using CallViewLimits = CallDesk;

// The address line that was typed with 18 characters and stored with 16.
TEST_F(CallViewLimits, TheCallViewHoldsAndShowsWhatTheRosterStores) {
    dm.LoadItemLists(folders.scratch() / "app");
    call("0322222222");
    TReceiveView& v = view();
    typeJapanese(v.edtAdrs1, repeated("丁", 18));
    typeJapanese(v.edtNameKanji, repeated("寿", 16));
    typeJapanese(v.cbxRank->lineEdit(), repeated("優", 12));
    typeJapanese(v.cbxSelItem[0]->lineEdit(), repeated("要", 31));
    EXPECT_EQ(v.edtAdrs1->text(), repeated("丁", 16));
    EXPECT_EQ(v.edtNameKanji->text(), repeated("寿", 15));
    EXPECT_EQ(v.cbxRank->currentText(), repeated("優", 10));
    EXPECT_EQ(v.cbxSelItem[0]->currentText(), repeated("要", 30));

    QTest::mouseClick(v.btnRegister, Qt::LeftButton);
    ASSERT_EQ(v.pnlDivision->text(), QStringLiteral("既存"));
    const auto callers = dm.Meibo().read(Query{});
    ASSERT_EQ(callers.size(), 1u);
    EXPECT_EQ(QString::fromStdString(callers[0].Adrs1), v.edtAdrs1->text());
    EXPECT_EQ(QString::fromStdString(callers[0].NameKanji), v.edtNameKanji->text());
    EXPECT_EQ(QString::fromStdString(callers[0].Rank), v.cbxRank->currentText());
    const auto calls = dm.RecvHis().read(Query{});
    EXPECT_EQ(QString::fromStdString(calls.at(0).SelItem1), v.cbxSelItem[0]->currentText());
    EXPECT_EQ(QString::fromStdString(dm.Rank().Get(0)), v.cbxRank->currentText());
    EXPECT_FALSE(v.HasUnsavedChanges());
}

// A registration that cannot be written leaves the view as it was: the
// caller still new, everything typed still there.
TEST_F(CallViewLimits, AFailedWriteShowsNothingAsStored) {
    call("0322222222");
    TReceiveView& v = view();
    typeJapanese(v.edtNameKanji, QStringLiteral("佐藤"));
    faults.failWrites("Meibo.DB");
    messages.expect("データの書き込みに失敗しました").expect("登録できませんでした");
    QTest::mouseClick(v.btnRegister, Qt::LeftButton);
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_GT(faults.refused(), 0);
    EXPECT_EQ(v.pnlDivision->text(), QStringLiteral("新規"));
    EXPECT_EQ(v.btnRegister->text(), QStringLiteral("名簿登録(&A)"));
    EXPECT_EQ(v.edtNameKanji->text(), QStringLiteral("佐藤"));
    EXPECT_TRUE(v.HasUnsavedChanges());
    faults.heal();
    EXPECT_EQ(dm.Meibo().count(), 0);
}

// The roster editor, opened with 新規登録 of the roster list, limits its
// edits the same way, the name in kanji included (30 bytes, not 15).
TEST_F(CallViewLimits, TheRosterEditorStoresWhatItShows) {
    dm.LoadItemLists(folders.scratch() / "app");
    TMeiboList list(dm, messages, ini, MeiboSettings{}, folders.scratch() / "CstmClr.ini");
    list.show();
    QTest::mouseClick(list.btnNew, Qt::LeftButton);
    ASSERT_NE(list.view(), nullptr);
    TMeiboView& editor = *list.view();
    typeLatin(editor.edtTel1, QStringLiteral("03-5555-1234"));
    typeJapanese(editor.edtNameKanji, repeated("鈴", 20));
    typeJapanese(editor.edtMemo1, repeated("記", 60));
    typeJapanese(editor.edtCorpKana, repeated("ｶ", 90));
    QTest::mouseClick(editor.subPage->chkMsg, Qt::LeftButton);
    typeJapanese(editor.subPage->edtMsg1, repeated("伝", 20));
    EXPECT_EQ(editor.edtNameKanji->text(), repeated("鈴", 15));
    EXPECT_EQ(editor.edtMemo1->text(), repeated("記", 50));
    EXPECT_EQ(editor.edtCorpKana->text(), repeated("ｶ", 80));
    EXPECT_EQ(editor.subPage->edtMsg1->text(), repeated("伝", 16));
    const QString shown[] = {editor.edtNameKanji->text(), editor.edtMemo1->text(),
                             editor.edtCorpKana->text(), editor.subPage->edtMsg1->text()};

    messages.expect("登録しました", MessageResult::No);
    QTest::mouseClick(editor.btnRegister, Qt::LeftButton);
    const auto callers = dm.Meibo().read(Query{});
    ASSERT_EQ(callers.size(), 1u);
    EXPECT_EQ(QString::fromStdString(callers[0].NameKanji), shown[0]);
    EXPECT_EQ(QString::fromStdString(callers[0].Memo1), shown[1]);
    EXPECT_EQ(QString::fromStdString(callers[0].CorpKana), shown[2]);
    EXPECT_EQ(QString::fromStdString(callers[0].Msg1), shown[3]);
    EXPECT_EQ(widthOf(shown[1]), 100u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace kanata::test
