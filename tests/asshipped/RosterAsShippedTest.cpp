// The roster as a user meets it: opened from the menu window's tool bar,
// modal to the program, with its editor as its own window.
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "history/gui/ListRowView.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboSearch.h"
#include "roster/gui/TMeiboView.h"
#include "settings/MapPrograms.h"
#include "tests/asshipped/ShippedProgram.h"
#include "tests/support/RosterEntry.h"
#include "tests/support/UserInput.h"

#include <QLineEdit>
#include <QPushButton>

namespace kanata::test {
namespace {

// 18 characters of two bytes each: more than NameKanji's 30 bytes hold.
const QString kLongName = QStringLiteral("寿限無寿限無五劫の擦り切れ海砂利水魚");

class RosterAsShipped : public ShippedProgram {
protected:
    void addRosterRow(const std::string& tel, const std::string& kana, const std::string& kanji) {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        MeiboRow row = RosterEntry(tel);
        row.NameKana = kana;
        row.NameKanji = kanji;
        row.PrivCorp = "0";
        ASSERT_TRUE(dm.Meibo().append(row, messages).has_value());
    }

    std::optional<MeiboRow> storedRow(const std::string& key) {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        for (const MeiboRow& row : dm.Meibo().read({}))
            if (row.SchTel1 == key)
                return row;
        return std::nullopt;
    }

    // Waits for the list's editor to show; null when it does not.
    static TMeiboView* shownEditor(TMeiboList& list) {
        waitUntil([&list] { return list.view() && list.view()->isVisible(); }, 5000);
        TMeiboView* view = list.view();
        return view && view->isVisible() ? view : nullptr;
    }

    static void closeEditor(TMeiboList& list) {
        if (TMeiboView* view = list.view())
            click(view->btnClose);
        waitUntil([&list] { return list.view() == nullptr; }, 5000);
    }

    // Searches the list for numbers beginning with `digits`.
    static void searchNumbers(TMeiboList& list, const QString& digits) {
        WhenModal<TMeiboSearch> answer([&digits](TMeiboSearch& dialog) {
            typeInto(dialog.edtTel, digits);
            click(buttonTitled(dialog, QStringLiteral("検索(&S)")));
        });
        click(list.btnSearch);
        EXPECT_TRUE(answer.ran());
    }
};

TEST_F(RosterAsShipped, ANewRecordIsTypedSavedAndFound) {
    ASSERT_TRUE(start());
    WhenModal<TMeiboList> opening([this](TMeiboList& list) {
        EXPECT_EQ(list.windowModality(), Qt::ApplicationModal);
        click(list.btnNew);
        TMeiboView* editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(editor->btnMap->toolTip().contains(QString::fromStdString(MapProgramName(8))));
        typeInto(editor->edtTel1, QStringLiteral("03-9999-0001"));
        typeInto(editor->edtNameKana, QStringLiteral("ｱｲｻﾞﾜ"));
        typeInto(editor->edtNameKanji, kLongName);
        messages.expect("登録しました", MessageResult::No);
        click(editor->btnRegister);
        EXPECT_TRUE(waitUntil([&list] { return list.view() == nullptr; }, 5000));

        searchNumbers(list, QStringLiteral("039999"));
        ASSERT_EQ(list.keys().size(), 1u);
        EXPECT_EQ(list.rowCells(0).value(1), QStringLiteral("03-9999-0001"));
        EXPECT_EQ(list.rowCells(0).value(5), kLongName.left(15));
        click(list.btnClose);
    });
    clickToolButton(1);
    ASSERT_TRUE(opening.ran());

    const auto created = storedRow("0399990001");
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(created->Tel1, "03-9999-0001");
    EXPECT_EQ(created->NameKana, "ｱｲｻﾞﾜ");
    EXPECT_EQ(created->NameKanji, kLongName.left(15).toStdString());
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(RosterAsShipped, InquiryAfterTheAutomaticSaveOpensTheChosenRecord) {
    ASSERT_TRUE(start());
    addRosterRow("03-9999-0001", "ｱｲｻﾞﾜ", "相沢");
    addRosterRow("03-9999-0002", "ｲﾄｳ", "伊藤");
    addRosterRow("03-9999-0003", "ｳｴﾀﾞ", "上田");
    WhenModal<TMeiboList> opening([this](TMeiboList& list) {
        searchNumbers(list, QStringLiteral("039999"));
        click(list.btnSort[5]); // 名前順: 相沢, 伊藤, 上田
        ASSERT_EQ(list.keys().size(), 3u);
        clickRow(list.lbxMeibo, 0);
        click(list.btnInquiry);
        TMeiboView* editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->edtTel1->text(), QStringLiteral("03-9999-0001"));
        // Now it sorts last; the inquiry of the second row saves it first,
        // and the page is refilled under the chosen row.
        typeInto(editor->edtNameKana, QStringLiteral("ﾜﾀﾞ"));
        clickRow(list.lbxMeibo, 1);
        messages.expect("照会中のデータが変更されています", MessageResult::Yes);
        click(list.btnInquiry);
        editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->edtTel1->text(), QStringLiteral("03-9999-0002"));
        EXPECT_EQ(editor->edtNameKanji->text(), QStringLiteral("伊藤"));
        EXPECT_EQ(list.rowCells(2).value(1), QStringLiteral("03-9999-0001"));
        closeEditor(list);
        click(list.btnClose);
    });
    clickToolButton(1);
    ASSERT_TRUE(opening.ran());
    EXPECT_EQ(storedRow("0399990001")->NameKana, "ﾜﾀﾞ");
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(RosterAsShipped, ClosedListKeepsItsSearchForTheNextOpening) {
    ASSERT_TRUE(start());
    addRosterRow("03-9999-0001", "ｱｲｻﾞﾜ", "相沢");
    WhenModal<TMeiboList> first([](TMeiboList& list) {
        searchNumbers(list, QStringLiteral("039999"));
        click(list.btnSort[5]);
        EXPECT_EQ(list.matchingCount(), 1);
        pressKey(list.lbxMeibo, Qt::Key_Escape);
    });
    clickToolButton(1);
    ASSERT_TRUE(first.ran());

    WhenModal<TMeiboList> second([](TMeiboList& list) {
        // Registration order again, but still only what the search found.
        EXPECT_EQ(list.sort(), MeiboSort::Registration);
        EXPECT_EQ(list.matchingCount(), 1);
        WhenModal<TMeiboSearch> shown([](TMeiboSearch& dialog) {
            EXPECT_EQ(dialog.edtTel->text(), QStringLiteral("039999"));
            click(buttonTitled(dialog, QStringLiteral("キャンセル")));
        });
        click(list.btnSearch);
        EXPECT_TRUE(shown.ran());
        click(list.btnClose);
    });
    clickToolButton(1);
    EXPECT_TRUE(second.ran());
}

} // namespace
} // namespace kanata::test
