// The number-search buttons of the roster editor and the call view on a
// number the roster knows: the lookup asks, and on Yes the caller's record
// comes back without the dictionary dialog. An unknown number opens the
// dialog on the exchange area of its prefix.
#include "history/gui/ListRowView.h"
#include "lookup/gui/TDicSearch.h"
#include "roster/MeiboFields.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "tests/support/UserInput.h"
#include "tests/windowpaths/RunningProgram.h"
#include "views/gui/TReceiveView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <ostream>

namespace kanata {

// Field by field, so that a failure names what differs.
void PrintTo(const MeiboFields& f, std::ostream* out) {
    auto lines = [](const std::vector<std::string>& v) {
        std::string joined;
        for (const std::string& line : v)
            joined += line + "|";
        return joined;
    };
    *out << "{Tel " << f.Tel1 << "/" << f.Tel2 << ", Pos " << f.Pos << ", " << f.Tdfkn << f.Adrs1
         << f.Adrs2 << f.Adrs3 << ", codes " << f.JisCode << "/" << f.KajoCode << ", " << f.CorpKana
         << "/" << f.CorpKanji << ", " << f.NameKana << "/" << f.NameKanji << ", PrivCorp "
         << f.PrivCorp << ", memos " << f.Memo1 << "|" << f.Memo2 << "|" << f.Memo3 << ", EMail "
         << f.EMail << ", Rank " << f.Rank << ", links " << lines(f.ExtLink) << ", note "
         << lines(f.Note) << ", Msg " << f.Msg << " " << f.Msg1 << "|" << f.Msg2 << " " << f.BGColor
         << ", at " << f.Latitude << "/" << f.Longitude << "}";
}

namespace test {
namespace {

constexpr const char* kRosterQuestion = "登録名簿の中に該当するデータが見つかりました";

using CallerShortcut = RunningProgram;

TEST_F(CallerShortcut, KnownNumberInTheEditorTakesOverTheCallerWithoutTheDialog) {
    ASSERT_TRUE(start());
    MeiboRow other = KnownCaller();
    other.Tel1 = "03-5550-1111";
    other.SchTel1 = "0355501111";
    other.Tel2 = other.SchTel2 = "";
    addRosterRow(other);
    const MeiboRow known = KnownCaller();
    addRosterRow(known); // RecNo 1, listed second
    MeiboFields shown;
    bool dialogShown = false;
    ASSERT_TRUE(inRosterList([&](TMeiboList& list) {
        ASSERT_TRUE(listNumbers(list, QStringLiteral("035550")));
        ASSERT_EQ(list.keys(), (std::vector<std::int64_t>{0, 1}));
        click(list.btnNew);
        TMeiboView* editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        typeInto(editor->edtTel1, QStringLiteral("0355501234"));
        WhenModal<TDicSearch> dialog([&dialogShown](TDicSearch&) { dialogShown = true; });
        messages.expect(kRosterQuestion, MessageResult::Yes);
        click(editor->btnTelSch1);
        shown = editor->fields();
        EXPECT_EQ(editor->edtTel1->text(), QStringLiteral("03-5550-1234"));
        EXPECT_EQ(editor->edtPos->text(), QStringLiteral("100-0005"));
        EXPECT_EQ(editor->cbxPrivCorp->currentIndex(), 1);
        // The list marks the caller's row as the one in the editor.
        EXPECT_TRUE(list.rowDrawnOpen(1));
        EXPECT_EQ(list.lbxMeibo->currentIndex().row(), 1);
        // Registering what was taken over replaces the caller's row with
        // itself: nothing of it may get lost on the way.
        messages.expect("今回の内容で置き換えますか？", MessageResult::Yes)
            .expect("変更しました", MessageResult::No);
        click(editor->btnRegister);
        EXPECT_TRUE(waitUntil([&list] { return list.view() == nullptr; }, 5000));
    }));
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(messages.allAnswered());
    ASSERT_FALSE(messages.shown().empty());
    const MessageRequest& question = messages.shown().front();
    EXPECT_EQ(question.text, "登録名簿の中に該当するデータが見つかりました\r\n"
                             "このデータを照会しますか？\r\n\r\n"
                             "照会しない場合はCDを検索します\r\n\r\n"
                             "キャンセルすると検索を中止します");
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(question.buttons, MessageButtons::YesNoCancel);
    // Every field of the record, the hidden codes and position included.
    MeiboFields expected = FieldsFromRow(known);
    EXPECT_EQ(shown.trimmed(), expected.trimmed());
    EXPECT_EQ(shown.Latitude, kTokyoLatitude);
    EXPECT_EQ(shown.ExtLink.size(), 2u);
    const auto stored = storedRow(known.SchTel1);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->RecNo, 1);
    EXPECT_EQ(FieldsFromRow(*stored).trimmed(), expected.trimmed());
}

TEST_F(CallerShortcut, KnownNumberInTheCallViewShowsThatCaller) {
    ASSERT_TRUE(start());
    const MeiboRow known = KnownCaller();
    addRosterRow(known);
    TReceiveView* view = callIn("0355507777");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->pnlDivision->text(), QStringLiteral("新規"));
    typeInto(view->edtTel1, QStringLiteral("03-5550-1234"));
    bool dialogShown = false;
    WhenModal<TDicSearch> dialog([&dialogShown](TDicSearch&) { dialogShown = true; });
    messages.expect(kRosterQuestion, MessageResult::Yes);
    click(view->btnTelDic);
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("03-5550-1234"));
    EXPECT_EQ(view->edtTel2->text(), QStringLiteral("090-5550-9876"));
    EXPECT_EQ(view->edtPos->text(), QStringLiteral("100-0005"));
    EXPECT_EQ(view->edtAdrs2->text(), QStringLiteral("丸の内"));
    EXPECT_EQ(view->edtCorpKanji->text(), QStringLiteral("丸の内商事株式会社"));
    EXPECT_EQ(view->edtNameKanji->text(), QStringLiteral("佐藤花子"));
    EXPECT_EQ(view->edtMemo1->text(), QStringLiteral("月末締め"));
    EXPECT_EQ(view->lblJisCode->text(), QStringLiteral("13101"));
    EXPECT_EQ(view->lbxExtLink->count(), 2);
    EXPECT_EQ(view->record().Latitude, kTokyoLatitude);
    EXPECT_EQ(view->edtEMail->text(), QString::fromStdString(known.EMail));
}

TEST_F(CallerShortcut, NoAnswerGoesOnToTheDictionaryAndUnknownNumbersShowTheExchangeArea) {
    ASSERT_TRUE(start());
    addRosterRow(KnownCaller());
    ASSERT_TRUE(inRosterList([&](TMeiboList& list) {
        click(list.btnNew);
        TMeiboView* editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        auto exchangeArea = [](TDicSearch& d) {
            EXPECT_EQ(d.pcSearch->currentIndex(), TDicSearch::NumberTab);
            const TDicSearch::Page& p = d.pages[TDicSearch::NumberTab];
            EXPECT_EQ(p.lblPrompt->text(),
                      QStringLiteral("該当するデータは見つかりませんでした。 "
                                     "局番検索結果から住所を選択してください。"));
            // The 23 wards and the three cities the 03 area also serves.
            EXPECT_EQ(p.lbxCity->count(), 26);
            EXPECT_EQ(p.lbxCity->findItems(QStringLiteral("千代田区"), Qt::MatchExactly).size(), 1);
            EXPECT_EQ(p.lbxCity->currentRow(), 0);
            click(d.btnCancel);
        };
        // A number nobody has.
        typeInto(editor->edtTel1, QStringLiteral("03-5550-0000"));
        {
            WhenModal<TDicSearch> dialog(exchangeArea);
            click(editor->btnTelSch1);
            EXPECT_TRUE(dialog.ran());
        }
        EXPECT_EQ(editor->edtTel1->text(), QStringLiteral("03-5550-0000"));
        EXPECT_TRUE(editor->edtNameKanji->text().isEmpty());

        // The known caller, but the user wants the dictionary ("No").
        typeInto(editor->edtTel1, QStringLiteral("03-5550-1234"));
        messages.expect(kRosterQuestion, MessageResult::No);
        {
            WhenModal<TDicSearch> dialog(exchangeArea);
            click(editor->btnTelSch1);
            EXPECT_TRUE(dialog.ran());
        }
        EXPECT_TRUE(editor->edtNameKanji->text().isEmpty());
    }));
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace test
} // namespace kanata
