// The history list's inquiry in the running program: opened from the menu
// window's tool bar, with the call view it hands records to as its own
// window, worked with clicks.
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "history/gui/ListRowView.h"
#include "history/gui/THistoryList.h"
#include "history/gui/THistorySearch.h"
#include "intake/gui/TMainForm.h"
#include "tests/support/ProgramInProcess.h"
#include "tests/support/UserInput.h"
#include "views/gui/TInputList.h"
#include "views/gui/TReceiveView.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

namespace kanata::test {
namespace {

class HistoryInquiryInProgram : public ProgramInProcess {
protected:
    void SetUp() override { startOnDemoData(); }

    // A call of today, `minutesAgo` minutes back, from a caller the roster
    // does not know.
    void addCall(const std::string& tel, const std::string& nameKanji, int minutesAgo) {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        RecvHisRow row;
        row.Tel = tel;
        row.SchTel = TelSearchKey(tel);
        const DateTime now = DateTime::now();
        row.RecvDateTime = DateTime{now.year, now.month, now.day, 0, 0, 0, 0};
        row.RecvDateTime.hour = 23 - minutesAgo / 60;
        row.RecvDateTime.minute = 59 - minutesAgo % 60;
        row.NameKanji = nameKanji;
        row.Division = "0";
        ASSERT_TRUE(dm.RecvHis().append(row, messages).has_value());
    }

    THistoryList* openFromMenu() {
        click(form->toolBar()->widgetForAction(form->toolAction(0)));
        THistoryList* list = existingWindow<THistoryList>();
        if (!list || !waitUntil([list] { return list->isVisible(); }, 5000))
            return nullptr;
        // The calls were stored behind its back: "全曜日" refills it, and
        // every day's calls are listed from then on.
        click(list->btnAllWeek);
        if (!list->btnAllWeek->isChecked())
            click(list->btnAllWeek);
        return list;
    }

    // Searches through the list's dialog; `orMode` picks the second option.
    static void search(THistoryList& list, const QString& number, const QString& nameKanji,
                       bool orMode = false) {
        WhenModal<THistorySearch> answer([&](THistorySearch& dialog) {
            click(dialog.btnClear);
            typeInto(dialog.edtTel, number);
            typeInto(dialog.edtNameKanji, nameKanji);
            QRadioButton* option = orMode ? dialog.rbOr : dialog.rbAnd;
            clickAt(option, QPoint(6, option->height() / 2));
            click(dialog.btnSearch);
        });
        click(list.btnSearch);
        EXPECT_TRUE(answer.ran());
    }

    static TReceiveView* inquire(THistoryList& list, int row) {
        clickRow(list.lbxRecvHis, row);
        click(list.btnInquiry);
        waitUntil([] { return visibleWindow<TReceiveView>() != nullptr; }, 5000);
        return visibleWindow<TReceiveView>();
    }
};

// The call view registers its caller first (automatic registration is on
// by default), which rewrites that call's history row: it leaves the
// search, and the rows below it move up.
TEST_F(HistoryInquiryInProgram, OpensTheChosenCallWhenTheRegisteredOneLeavesTheList) {
    addCall("03-7777-0001", "照会一", 3);
    addCall("03-7777-0002", "照会二", 2);
    addCall("03-7777-0003", "照会三", 1);
    THistoryList* list = openFromMenu();
    ASSERT_NE(list, nullptr);
    search(*list, {}, QStringLiteral("照会"));
    ASSERT_EQ(list->matchingCount(), 3);

    TReceiveView* view = inquire(*list, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("03-7777-0003"));
    typeInto(view->edtNameKanji, QStringLiteral("別人三"));

    view = inquire(*list, 1);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(list->matchingCount(), 2);
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("03-7777-0002"));
    EXPECT_EQ(view->edtNameKanji->text(), QStringLiteral("照会二"));
    EXPECT_EQ(list->openRow(), 0);

    // The last row: after the refill the list is one row shorter.
    typeInto(view->edtNameKanji, QStringLiteral("別人二"));
    view = inquire(*list, 1);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(list->matchingCount(), 1);
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("03-7777-0001"));
    EXPECT_EQ(list->openRow(), 0);

    TDMKanata195& dm = *program->dataModule();
    TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    int registered = 0;
    for (const MeiboRow& row : dm.Meibo().read({}))
        registered += row.NameKanji == "別人三" || row.NameKanji == "別人二";
    EXPECT_EQ(registered, 2);
    click(view->btnClose);
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(HistoryInquiryInProgram, NumberOfLettersAloneMatchesNothingInOrModeEverythingInAndMode) {
    addCall("03-7777-0001", "条件一", 2);
    addCall("03-7777-0002", "条件二", 1);
    THistoryList* list = openFromMenu();
    ASSERT_NE(list, nullptr);
    const std::int64_t all = list->matchingCount();
    ASSERT_GE(all, 2);
    search(*list, QStringLiteral("abc"), {}, true);
    EXPECT_EQ(list->matchingCount(), 0);
    EXPECT_EQ(list->pnlStatus[0]->text(), QStringLiteral("件数 ： ---"));
    search(*list, QStringLiteral("abc"), QStringLiteral("条件二"), true);
    EXPECT_EQ(list->matchingCount(), 1);
    search(*list, QStringLiteral("abc"), {}, false);
    EXPECT_EQ(list->matchingCount(), all);
}

// The call view's list editor, on a selection-item tab.
TEST_F(HistoryInquiryInProgram, SelectionItemNamesAreLimitedToThirtyCharacters) {
    addCall("03-7777-0001", "項目一", 1);
    THistoryList* list = openFromMenu();
    ASSERT_NE(list, nullptr);
    TReceiveView* view = inquire(*list, 0);
    ASSERT_NE(view, nullptr);
    const QString thirty =
        QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十");
    WhenModal<TInputList> items([&thirty](TInputList& dialog) {
        EXPECT_EQ(dialog.tabList->currentIndex(), 1);
        typeInto(dialog.edtName, QString(40, QLatin1Char('x')));
        EXPECT_EQ(dialog.edtName->text(), QString(30, QLatin1Char('x')));
        typeInto(dialog.edtName, thirty + QStringLiteral("壱"));
        EXPECT_EQ(dialog.edtName->text(), thirty);
        click(dialog.btnAdd);
        click(dialog.btnOK);
    });
    click(view->btnListEdit[1]);
    ASSERT_TRUE(items.ran());
    EXPECT_EQ(program->dataModule()->SelItem(1).Get(0), thirty.toStdString());
    click(view->btnClose);
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace kanata::test
