#include "data/OrderPrefetch.h"
#include "history/gui/ListRowView.h"
#include "history/gui/TDeleteTarget.h"
#include "history/gui/THistoryList.h"
#include "history/gui/THistorySearch.h"
#include "history/gui/TPageJump.h"
#include "intake/gui/IntakeFlags.h"
#include "settings/IniFile.h"
#include "tests/history/HistoryTestSupport.h"
#include "tests/support/PostgresServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace kanata {
namespace {

using test::CallAt;

void pressKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

class HistoryListWindow : public test::HistoryTable {
protected:
    IntakeFlags flags;
    std::unique_ptr<IniFile> ini;
    HistoryListOptions options;
    DateTime now{2026, 12, 5, 10, 0, 0, 0}; // a Saturday
    std::unique_ptr<THistoryList> list;

    void SetUp() override {
        HistoryTable::SetUp();
        ini = std::make_unique<IniFile>(folders.scratch() / "Kanata195.ini");
        flags.PopupAllowed = true;
    }
    void TearDown() override {
        list.reset();
        HistoryTable::TearDown();
    }
    void open() {
        list = std::make_unique<THistoryList>(*dm, flags, messages, *ini, options,
                                              [this] { return now; });
        QCoreApplication::sendPostedEvents(list.get());
    }
    QString status(int panel) const {
        return list->pnlStatus[static_cast<std::size_t>(panel)]->text();
    }
    QString cell(int row, int column) const {
        return list->model()->index(row, column).data().toString();
    }
    // Runs the next dialog through `script` instead of showing it.
    template <class Dialog> void nextDialog(std::function<int(Dialog&)> script) {
        list->setDialogRunner([script](QDialog& d) {
            auto* dialog = dynamic_cast<Dialog*>(&d);
            EXPECT_NE(dialog, nullptr);
            return dialog ? script(*dialog) : int(QDialog::Rejected);
        });
    }
};

TEST_F(HistoryListWindow, PagesSelectsAndDeletesOnAFilledTable) {
    storeHourly(450);
    ini->writeBool("HISTORY LIST", "AllWeek", true);
    open();
    EXPECT_EQ(list->windowTitle(), QStringLiteral("着信対応履歴一覧"));
    ASSERT_EQ(list->model()->rowCount(), 200);
    EXPECT_EQ(status(0), QStringLiteral("件数 ： 450"));
    EXPECT_EQ(status(1), QStringLiteral("ページ ： 1"));
    EXPECT_EQ(status(3), QStringLiteral("2026/12/05"));
    EXPECT_EQ(status(4), QStringLiteral("土曜日"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("2026/12/05"));
    EXPECT_TRUE(list->btnPrev->isHidden());
    EXPECT_FALSE(list->btnNext->isHidden());
    EXPECT_FALSE(list->btnJump->isHidden());
    EXPECT_TRUE(list->btnWeek[6]->isChecked()); // today's weekday

    list->btnNext->click();
    list->btnNext->click();
    EXPECT_EQ(list->currentPage(), 3);
    ASSERT_EQ(list->model()->rowCount(), 50);
    EXPECT_EQ(cell(0, 0), QStringLiteral("401"));
    EXPECT_EQ(cell(49, 0), QStringLiteral("450"));
    EXPECT_TRUE(list->btnNext->isHidden());

    // Previous page: the bottom row is selected and holds the caret.
    list->btnPrev->click();
    EXPECT_EQ(list->currentPage(), 2);
    EXPECT_EQ(list->lbxRecvHis->selectedRowNumbers(), std::vector<int>{199});
    EXPECT_EQ(list->lbxRecvHis->caretRow(), 199);

    // Page Down on the last row of a full page moves on; Page Up on the first
    // row moves back.
    list->lbxRecvHis->selectionModel()->setCurrentIndex(list->model()->index(199, 0),
                                                        QItemSelectionModel::ClearAndSelect);
    pressKey(list->lbxRecvHis, Qt::Key_PageDown);
    EXPECT_EQ(list->currentPage(), 3);
    list->lbxRecvHis->selectionModel()->setCurrentIndex(list->model()->index(0, 0),
                                                        QItemSelectionModel::ClearAndSelect);
    pressKey(list->lbxRecvHis, Qt::Key_PageUp);
    EXPECT_EQ(list->currentPage(), 2);

    // Page jump to page 1 through its dialog.
    nextDialog<TPageJump>([](TPageJump& d) {
        EXPECT_EQ(d.lblTotal->text(), QStringLiteral("3"));
        EXPECT_EQ(d.edtJumpPage->text(), QStringLiteral("2"));
        d.edtJumpPage->setText(QStringLiteral("1"));
        d.btnOK->click();
        return d.result();
    });
    list->btnJump->click();
    EXPECT_EQ(list->currentPage(), 1);
    EXPECT_TRUE(flags.PopupAllowed); // restored after the dialog

    // Two rows selected: inquiry refuses, deletion asks and deletes both.
    list->SelectRow(1, true);
    list->SelectRow(2, false);
    const auto gone = std::vector<std::int64_t>{list->rowKeys()[1], list->rowKeys()[2]};
    messages.expect("照会するには１件だけ選択してください");
    list->btnInquiry->click();
    messages.expect("2件のデータを削除します\r\nよろしいですか？", MessageResult::Yes);
    messages.expect("2件のデータを削除しました");
    list->btnDelete->click();
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_EQ(his().count(), 448);
    for (auto key : gone)
        EXPECT_FALSE(his().find(static_cast<int>(key)));
    EXPECT_EQ(list->model()->rowCount(), 200);
    EXPECT_EQ(status(0), QStringLiteral("件数 ： 448"));
    EXPECT_EQ(list->lbxRecvHis->caretRow(), 2); // same index

    // Answering No deletes nothing.
    list->SelectRow(0, true);
    messages.expect("1件のデータを削除します", MessageResult::No);
    pressKey(list->lbxRecvHis, Qt::Key_Delete);
    EXPECT_EQ(his().count(), 448);
}

TEST_F(HistoryListWindow, InquiryHandsTheCallToTheCallViewAndMarksItsRow) {
    storeHourly(5);
    ini->writeBool("HISTORY LIST", "AllWeek", true);
    open();
    list->SelectRow(3, true);
    messages.expect("この機能は現在準備中です");
    list->btnInquiry->click();
    EXPECT_EQ(list->openRow(), -1);

    std::vector<CallRecord> shown;
    bool viewOpen = false;
    list->hooks().showInCallView = [&](const CallRecord& r, bool popup) {
        EXPECT_FALSE(popup);
        shown.push_back(r);
        viewOpen = true;
    };
    list->hooks().callViewOpen = [&] { return viewOpen; };
    list->hooks().callViewRecNo = [&] { return viewOpen ? shown.back().RecNo : -1; };
    list->hooks().closeCallView = [&] {
        viewOpen = false;
        list->SetOpenRow(-1);
        return true;
    };
    emit list->lbxRecvHis->doubleClicked(list->model()->index(3, 1));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].RecNo, list->rowKeys()[3]);
    EXPECT_EQ(shown[0].Tel[0], "0312345678");
    EXPECT_GT(shown[0].PrevRecvDateTime, 0.0);
    EXPECT_EQ(list->openRow(), 3);
    EXPECT_TRUE(list->model()->index(3, 0).data(ListRowModel::kOpenRowRole).toBool());

    // A refill keeps the mark on the same call; deleting it closes the view.
    list->RefreshPage(0, 0);
    EXPECT_EQ(list->openRow(), 3);
    messages.expect("1件のデータを削除します", MessageResult::Yes);
    messages.expect("1件のデータを削除しました");
    list->btnDelete->click();
    EXPECT_FALSE(viewOpen);
    EXPECT_EQ(list->openRow(), -1);
    EXPECT_EQ(his().count(), 4);
}

TEST_F(HistoryListWindow, SearchAndWeekdayButtonsFilterAndAllMatchingRowsGo) {
    // Two weeks of calls, three a day; company names alternate.
    std::vector<RecvHisRow> rows;
    for (int day = 0; day < 14; ++day)
        for (int hour : {9, 13, 17}) {
            const DateTime d =
                DateTime::fromDays(DateTime{2026, 11, 22, 0, 0, 0, 0}.toDays() + day);
            RecvHisRow row = CallAt({d.year, d.month, d.day, hour, 0, 0, 0});
            row.RecNo = static_cast<int>(rows.size());
            row.CorpKanji = hour == 9 ? "株式会社さくら商店" : "有限会社山田工務店";
            rows.push_back(row);
        }
    store(rows);
    options.DeleteType = true;
    open();
    // Only today's weekday (Saturday) at creation: two Saturdays.
    EXPECT_EQ(list->matchingCount(), 6);

    // A date range turns the weekday buttons grey and off.
    nextDialog<THistorySearch>([](THistorySearch& d) {
        d.chkDate->setChecked(true);
        d.dtpBegin->setDate(QDate(2026, 11, 30));
        d.dtpEnd->setDate(QDate(2026, 12, 1));
        d.edtCorpKanji->setText(QStringLiteral("さくら"));
        d.btnSearch->click();
        return d.result();
    });
    list->btnSearch->click();
    EXPECT_TRUE(list->condition().hasDateRange());
    EXPECT_EQ(list->matchingCount(), 2);
    EXPECT_NE(list->btnWeek[1]->palette().color(QPalette::ButtonText),
              list->palette().color(QPalette::ButtonText));
    list->btnWeek[1]->click(); // no refill while grey
    EXPECT_EQ(list->matchingCount(), 2);

    // Cleared conditions: the weekday buttons count again (Saturday, Monday).
    nextDialog<THistorySearch>([](THistorySearch& d) {
        EXPECT_TRUE(d.chkDate->isChecked());
        d.btnClear->click();
        d.btnSearch->click();
        return d.result();
    });
    list->btnSearch->click();
    EXPECT_FALSE(list->condition().active);
    EXPECT_EQ(list->matchingCount(), 12);

    // Delete every matching row (Saturdays and Mondays) through the target
    // dialog, whose question has the word spelt right.
    nextDialog<TDeleteTarget>([](TDeleteTarget& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("着信対応履歴　削除"));
        d.rbAll->setChecked(true);
        d.btnDelete->click();
        return d.result();
    });
    messages.expect("すべてのデータを削除します\r\nよろしいですか？", MessageResult::Yes);
    messages.expect("12件のデータを削除しました");
    list->btnDelete->click();
    EXPECT_EQ(his().count(), 30);
    EXPECT_EQ(his().count("\"RecvWeek\" IN (2, 7)"), 0);
    EXPECT_EQ(status(0), QStringLiteral("件数 ： ---"));
    EXPECT_EQ(status(1), QStringLiteral("ページ ： ---"));
    EXPECT_TRUE(list->btnNext->isHidden());
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(HistoryListWindow, OldCallsAreDeletedAtCreationAndTheSectionIsWritten) {
    std::vector<RecvHisRow> rows = {CallAt({2026, 11, 28, 23, 59, 59, 0}),
                                    CallAt({2026, 11, 29, 0, 0, 0, 0})};
    rows[1].RecNo = 1;
    store(rows);
    options.AutoDel = true;
    messages.expect("日を経過したデータが存在します", MessageResult::Yes);
    open();
    EXPECT_TRUE(flags.PopupAllowed);
    EXPECT_EQ(his().count(), 1);
    ASSERT_EQ(list->model()->rowCount(), 0); // Sunday's call; only Saturday pressed
    list->lbxRecvHis->header()->resizeSection(4, 200);
    list->lbxRecvHis->header()->resizeSection(5, 60);
    list->pmiDefaultWidth->trigger(); // "項目幅を初期値に戻す(&R)"
    EXPECT_EQ(list->lbxRecvHis->header()->sectionSize(5), 112);
    list->lbxRecvHis->header()->resizeSection(4, 200);
    list.reset();
    IniFile written(folders.scratch() / "Kanata195.ini");
    ASSERT_TRUE(written.load());
    EXPECT_EQ(written.readInteger("HISTORY LIST", "Width", 0), 750);
    EXPECT_EQ(written.readInteger("HISTORY LIST", "List5", 0), 200);
    EXPECT_EQ(written.readInteger("HISTORY LIST", "List1", 0), 40);
    EXPECT_FALSE(written.readBool("HISTORY LIST", "AllWeek", true));
}

// A page typed into the page dialog under a name condition set in the search
// dialog is its slice of the condition's order; on a server it comes from a
// row that the table's second connection marked while page 1 was read.
TEST_F(HistoryListWindow, APageTypedUnderANameConditionIsItsSliceOfTheOrder) {
    std::vector<RecvHisRow> rows;
    for (int i = 0; i < 1400; ++i) {
        RecvHisRow row = CallAt(DateTime::fromDays(now.toDays() - (i * 7919 % 1400) / 24.0));
        row.RecNo = i;
        row.NameKanji = i % 2 ? "佐藤" : "田中　" + std::to_string(i);
        rows.push_back(row);
    }
    store(rows);
    ini->writeBool("HISTORY LIST", "AllWeek", true);
    open();
    nextDialog<THistorySearch>([](THistorySearch& d) {
        d.edtNameKanji->setText(QStringLiteral("田中"));
        d.btnSearch->click();
        return d.result();
    });
    list->btnSearch->click();
    ASSERT_EQ(list->matchingCount(), 700);
    if (test::OnServer())
        his().table().orderPrefetch().waitUntilIdle(); // as a person reads page 1

    nextDialog<TPageJump>([](TPageJump& d) {
        EXPECT_EQ(d.lblTotal->text(), QStringLiteral("4"));
        d.edtJumpPage->setText(QStringLiteral("3"));
        d.btnOK->click();
        return d.result();
    });
    list->btnJump->click();
    ASSERT_EQ(list->currentPage(), 3);
    EXPECT_EQ(cell(0, 0), QStringLiteral("401"));
    const std::vector<std::int64_t> order = wholeOrder(test::NameFilter("田中"));
    ASSERT_EQ(order.size(), 700u);
    EXPECT_EQ(list->rowKeys(), std::vector<std::int64_t>(order.begin() + 400, order.begin() + 600));
}

TEST(HistoryDialogs, PageJumpKeepsItsEntryWithinThePages) {
    TPageJump d(25, 3);
    pressKey(d.edtJumpPage, Qt::Key_PageUp);
    EXPECT_EQ(d.edtJumpPage->text(), QStringLiteral("13"));
    pressKey(d.edtJumpPage, Qt::Key_PageUp);
    pressKey(d.edtJumpPage, Qt::Key_PageUp);
    EXPECT_EQ(d.edtJumpPage->text(), QStringLiteral("25"));
    pressKey(d.edtJumpPage, Qt::Key_Down);
    EXPECT_EQ(d.page(), 24);
    // An entry beyond the pages, or not a number, returns to the last valid one.
    d.edtJumpPage->setText(QStringLiteral("26"));
    pressKey(d.edtJumpPage, Qt::Key_Return);
    EXPECT_EQ(d.edtJumpPage->text(), QStringLiteral("24"));
    d.edtJumpPage->setText(QStringLiteral("1a"));
    d.btnOK->click();
    EXPECT_EQ(d.page(), 24);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(HistoryDialogs, DeleteTargetWithoutSelectionOffersOnlyAllRows) {
    test::ScriptedMessages messages;
    TDeleteTarget none(QStringLiteral("着信対応履歴　削除"), 0, messages);
    EXPECT_FALSE(none.rbSelected->isEnabled());
    EXPECT_TRUE(none.rbAll->isChecked());
    EXPECT_EQ(none.rbAll->palette().color(QPalette::WindowText), QColor(Qt::blue));
    TDeleteTarget some(QStringLiteral("着信対応履歴　削除"), 3, messages);
    EXPECT_TRUE(some.rbSelected->isChecked());
    messages.expect("3件のデータを削除します\r\nよろしいですか？", MessageResult::No);
    some.btnDelete->click();
    EXPECT_EQ(some.result(), QDialog::Rejected);
    EXPECT_EQ(some.target(), TDeleteTarget::Target::Selected);
}

TEST(HistoryDialogs, SearchDialogLoadsTheConditionsAndKeepsTheEndAfterTheBegin) {
    HistoryCondition c;
    c.active = true;
    c.beginDate = {2026, 11, 3, 0, 0, 0, 0};
    c.endDate = {2026, 11, 1, 0, 0, 0, 0};
    c.number = "0312";
    c.orMode = true;
    THistorySearch d(c, QDate(2026, 12, 5));
    EXPECT_TRUE(d.chkDate->isChecked());
    EXPECT_TRUE(d.dtpBegin->isEnabled());
    EXPECT_EQ(d.dtpEnd->date(), QDate(2026, 11, 3));
    EXPECT_EQ(d.dtpEnd->minimumDate(), QDate(2026, 11, 3));
    EXPECT_TRUE(d.rbOr->isChecked());
    EXPECT_EQ(d.edtTel->text(), QStringLiteral("0312"));
    d.btnClear->click();
    EXPECT_FALSE(d.dtpBegin->isEnabled());
    EXPECT_TRUE(d.rbAnd->isChecked());
    EXPECT_TRUE(d.edtTel->text().isEmpty());
    // Enter on the date check goes to the number when the dates are off.
    d.show();
    QApplication::setActiveWindow(&d);
    d.chkDate->setFocus();
    pressKey(d.chkDate, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), d.edtTel);
}

} // namespace
} // namespace kanata
