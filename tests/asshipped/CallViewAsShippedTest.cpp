// The incoming call view as a call brings it up: its boxes, its registration
// when the history table refuses the write, and a locked view on a new call.
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "history/gui/ListRowView.h"
#include "history/gui/THistoryList.h"
#include "history/gui/THistorySearch.h"
#include "tests/asshipped/ShippedProgram.h"
#include "tests/support/UserInput.h"
#include "views/gui/TReceiveView.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kanata::test {
namespace {

class CallViewAsShipped : public ShippedProgram {
protected:
    TReceiveView* callIn(const char* number) {
        if (runTool("ktcall", {QString::fromLatin1(number)}) != 0)
            return nullptr;
        waitUntil([] { return visibleWindow<TReceiveView>() != nullptr; }, 10000);
        return visibleWindow<TReceiveView>();
    }

    std::size_t historyRows() {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        return use ? static_cast<std::size_t>(dm.RecvHis().table().count()) : 0;
    }

    // A second connection to the history file, as another writer (or a
    // failing disk) would be; the program's own connection is untouched.
    void onHistoryFile(const std::string& sql) {
        sql::Database db;
        db.open(program->dataModule()->dataFolder() / "RecvHis.DB", false);
        db.exec(sql);
    }
};

TEST_F(CallViewAsShipped, BoxesOfTheViewAreCentredOnItAndSayWhatFailed) {
    ASSERT_TRUE(start());
    TReceiveView* view = callIn("0312345000");
    ASSERT_NE(view, nullptr);

    // No mail program: the box carries the result line.
    view->hooks().openUrl = [](const QUrl&) { return false; };
    typeInto(view->edtEMail, QStringLiteral("someone@example.jp"));
    messages.expect("Result = ");
    click(view->btnMail);

    typeInto(view->edtTel1, QStringLiteral("03-12x4"));
    messages.expect("電話番号は半角数字かハイフンのみが有効です");
    click(view->btnRegister);
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.shown().back().owner, static_cast<const void*>(view));
    EXPECT_EQ(messages.shown().back().placement.kind, MessagePlacement::Kind::CentredOnOwner);

    // The history row cannot be written: the user hears that, and only that;
    // the caller still goes into the roster.
    onHistoryFile("CREATE TRIGGER refuse BEFORE UPDATE ON RecvHis "
                  "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    typeInto(view->edtTel1, QStringLiteral("03-1234-5000"));
    typeInto(view->edtNameKanji, QStringLiteral("木村"));
    messages.expect("データの書き込みに失敗しました");
    click(view->btnRegister);
    onHistoryFile("DROP TRIGGER refuse");
    EXPECT_EQ(view->pnlDivision->text(), QStringLiteral("既存"));
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(CallViewAsShipped, ALockedViewKeepsItsCallerAndComesForwardOnANewCall) {
    ASSERT_TRUE(start());
    TReceiveView* view = callIn("0312345000");
    ASSERT_NE(view, nullptr);
    click(view->btnLock);
    ASSERT_TRUE(view->IsViewBusy());

    form->activateWindow();
    ASSERT_TRUE(waitUntil([this] { return QApplication::activeWindow() == form.get(); }, 5000));
    ASSERT_EQ(runTool("ktcall", {QStringLiteral("0312345001")}), 0);
    ASSERT_TRUE(waitUntil([this] { return historyRows() == 2; }));
    EXPECT_TRUE(waitUntil([view] { return QApplication::activeWindow() == view; }, 5000));
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("03-1234-5000"));
}

TEST_F(CallViewAsShipped, HistoryListFromTheMenuSearchesAndOpensACallToRegister) {
    ASSERT_TRUE(start());
    for (const char* number : {"0312345000", "0455550001"}) {
        TReceiveView* popped = callIn(number);
        ASSERT_NE(popped, nullptr);
        click(popped->btnClose);
        ASSERT_TRUE(waitUntil([] { return visibleWindow<TReceiveView>() == nullptr; }, 5000));
    }
    THistoryList* list = existingWindow<THistoryList>();
    ASSERT_NE(list, nullptr);
    click(list->btnClose);
    ASSERT_FALSE(list->isVisible());

    clickToolButton(0);
    ASSERT_TRUE(waitUntil([list] { return list->isVisible(); }, 5000));
    WhenModal<THistorySearch> search([](THistorySearch& dialog) {
        typeInto(dialog.edtTel, QStringLiteral("045"));
        click(buttonTitled(dialog, QStringLiteral("検索(&S)")));
    });
    click(list->btnSearch);
    ASSERT_TRUE(search.ran());
    ASSERT_EQ(list->matchingCount(), 1);

    clickRow(list->lbxRecvHis, 0);
    click(list->btnInquiry);
    TReceiveView* view = nullptr;
    ASSERT_TRUE(
        waitUntil([&view] { return (view = visibleWindow<TReceiveView>()) != nullptr; }, 5000));
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("045-555-0001"));
    typeInto(view->edtNameKanji, QStringLiteral("横浜太郎"));
    click(view->btnRegister);
    EXPECT_EQ(view->pnlDivision->text(), QStringLiteral("既存"));

    TDMKanata195& dm = *program->dataModule();
    TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    const auto rows = dm.Meibo().read({});
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const MeiboRow& row) {
        return row.SchTel1 == "0455550001" && row.NameKanji == "横浜太郎";
    }));
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace kanata::test
