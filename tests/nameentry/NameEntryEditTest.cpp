// The name entry edits of the roster editor fed with input-method events,
// and the name dictionary popup they open.
#include "tests/nameentry/NameEntryFixture.h"
#include "ui/gui/TNMDEdit.h"

#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace kanata;
using namespace kanata::test;

namespace {

TEST_F(NameEntry, TypingInKanjiFillsTheKanaFieldSurnameThenGivenName) {
    preedit(kanji, QStringLiteral("やまだ"));
    settle();
    EXPECT_EQ(kanji->reading(), "ﾔﾏﾀﾞ");
    EXPECT_EQ(kanji->kind(), nkLineage);
    preedit(kanji, QStringLiteral("山田")); // converted by the input method
    commit(kanji, QStringLiteral("山田"));
    EXPECT_EQ(kanji->text(), QStringLiteral("山田"));
    EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾀﾞ"));
    // A blank typed through the input method separates the readings too.
    commit(kanji, QStringLiteral("　"));
    EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾀﾞ "));
    preedit(kanji, QStringLiteral("たろう"));
    EXPECT_EQ(kanji->kind(), nkFirst);
    commit(kanji, QStringLiteral("太郎"));
    EXPECT_EQ(kanji->text(), QStringLiteral("山田　太郎"));
    EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"));
    // Deleting the kanji name empties its reading; not the other way round.
    kanji->selectAll();
    QTest::keyClick(kanji, Qt::Key_Delete);
    EXPECT_TRUE(kana->text().isEmpty());
    kanji->setText(QStringLiteral("山田"));
    kana->setText(QStringLiteral("ﾔﾏﾀﾞ"));
    kana->clear();
    EXPECT_EQ(kanji->text(), QStringLiteral("山田"));
}

TEST_F(NameEntry, TypingOverASelectedNameReplacesItsReading) {
    kanji->setText(QStringLiteral("山田"));
    kana->setText(QStringLiteral("ﾔﾏﾀﾞ"));
    kanji->selectAll();
    preedit(kanji, QStringLiteral("さとう"));
    commit(kanji, QStringLiteral("佐藤"));
    EXPECT_EQ(kanji->text(), QStringLiteral("佐藤"));
    EXPECT_EQ(kana->text(), QStringLiteral("ｻﾄｳ"));
}

TEST_F(NameEntry, ReadingOpensThePopupAndEnterChoosesASurname) {
    preedit(kanji, QStringLiteral("さとう"));
    settle();
    ASSERT_NE(popup(), nullptr);
    ASSERT_TRUE(popup()->isVisible());
    EXPECT_FALSE(popup()->isActiveWindow());
    // Seven forms of one reading: a row of five and a row of two.
    QTableWidget* grid = popup()->sgNames;
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("ｻﾄｳ"));
    EXPECT_EQ(grid->item(0, 5)->text(), QStringLiteral("砂糖"));
    EXPECT_EQ(grid->item(1, 0)->text(), QString());
    EXPECT_EQ(grid->item(1, 2)->text(), QStringLiteral("佐島"));
    EXPECT_EQ(grid->item(1, 3), nullptr);
    EXPECT_TRUE(grid->selectedItems().isEmpty());
    // The keys come through the edit: down selects the first form, right
    // moves on, down keeps the column where it can, Enter chooses.
    QTest::keyClick(kanji, Qt::Key_Down);
    EXPECT_EQ(grid->currentColumn(), 1);
    QTest::keyClick(kanji, Qt::Key_Right);
    QTest::keyClick(kanji, Qt::Key_Right);
    QTest::keyClick(kanji, Qt::Key_Down);
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_EQ(grid->currentColumn(), 2);
    QTest::keyClick(kanji, Qt::Key_Up);
    EXPECT_EQ(grid->currentColumn(), 3);
    QTest::keyClick(kanji, Qt::Key_Left);
    QTest::keyClick(kanji, Qt::Key_Return);
    settle();
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_EQ(kanji->text(), QStringLiteral("佐東　"));
    EXPECT_EQ(kanji->XPSelStart(), 6);
    EXPECT_EQ(kana->text(), QStringLiteral("ｻﾄｳ "));
    EXPECT_EQ(window.focusWidget(), kanji);
}

TEST_F(NameEntry, SwitchingToAKindWithoutEntriesKeepsAnEmptyPopup) {
    preedit(kanji, QStringLiteral("やまだ"));
    settle();
    ASSERT_TRUE(popup() && popup()->isVisible());
    QTest::mouseClick(popup()->rbMei, Qt::LeftButton);
    EXPECT_TRUE(popup()->isVisible());
    EXPECT_EQ(popup()->sgNames->rowCount(), 0);
    QTest::mouseClick(popup()->rbSei, Qt::LeftButton);
    EXPECT_EQ(popup()->sgNames->rowCount(), 1);
}

TEST_F(NameEntry, UnfinishedRomajiAndLongReadingsAskNothing) {
    preedit(kanji, QStringLiteral("s"));
    preedit(kanji, QStringLiteral("sh"));
    settle();
    EXPECT_TRUE(popup() == nullptr || !popup()->isVisible());
    preedit(kanji, QStringLiteral("さとう"));
    settle();
    EXPECT_TRUE(popup() && popup()->isVisible());
    // Leaving the edit while composing drops the composition and the popup.
    kana->setFocus();
    settle();
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_TRUE(kanji->text().isEmpty());
    kanji->setFocus();
    // 30 bytes of reading and more are not looked up.
    const QString longReading =
        QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ");
    preedit(kanji, longReading.left(29));
    EXPECT_EQ(kanji->reading(), "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍ");
    preedit(kanji, longReading);
    EXPECT_EQ(kanji->reading(), "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍ");
}

} // namespace
