// The keys, buttons and header menu the paged list windows share, on the
// roster list and the call history list.
#include "history/gui/ListRowView.h"
#include "history/gui/THistoryList.h"
#include "intake/gui/IntakeFlags.h"
#include "roster/gui/TMeiboList.h"
#include "settings/IniFile.h"
#include "tests/roster/RosterFixture.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace kanata;

namespace {

class ListWindowKeys : public test::RosterFixture {
protected:
    IniFile settingsFile{folders.scratch() / "Kanata195.ini"};

    // The roster list with pages of two rows over five records.
    std::unique_ptr<TMeiboList> openRosterList() {
        for (int i = 0; i < 5; ++i)
            addRow("03-1234-000" + std::to_string(i), {});
        MeiboSettings settings;
        settings.ListMaxCount = 2;
        auto list = std::make_unique<TMeiboList>(dm, messages, settingsFile, settings,
                                                 folders.scratch() / "CstmClr.ini");
        list->show();
        return list;
    }
    static void putCaret(RowListView* list, int row) {
        list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                                QItemSelectionModel::ClearAndSelect);
    }
};

TEST_F(ListWindowKeys, RosterListTurnsPagesByKeysAndEnterGoesToInquiry) {
    auto list = openRosterList();
    ASSERT_EQ(list->currentPage(), 1);
    RowListView* rows = list->lbxMeibo;
    // Page Down only turns the page from the last row of a full page.
    putCaret(rows, 0);
    QTest::keyClick(rows, Qt::Key_PageDown);
    EXPECT_EQ(list->currentPage(), 1);
    putCaret(rows, 1);
    QTest::keyClick(rows, Qt::Key_PageDown);
    EXPECT_EQ(list->currentPage(), 2);
    putCaret(rows, 0);
    QTest::keyClick(rows, Qt::Key_PageUp);
    EXPECT_EQ(list->currentPage(), 1);

    QApplication::setActiveWindow(list.get());
    rows->setFocus();
    QTest::keyClick(rows, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), list->btnInquiry);
}

TEST_F(ListWindowKeys, RosterHeaderMenuRestoresTheDefaultWidths) {
    auto list = openRosterList();
    QHeaderView* header = list->lbxMeibo->header();
    header->resizeSection(4, 333);
    ASSERT_FALSE(list->pmHeader->actions().isEmpty());
    EXPECT_EQ(list->pmHeader->actions().front()->text(),
              QStringLiteral("項目幅を初期値に戻す(&R)"));
    list->pmHeader->actions().front()->trigger();
    EXPECT_EQ(header->sectionSize(4), ScaledPixels(list.get(), TMeiboList::kDefaultWidths[4]));
}

TEST_F(ListWindowKeys, EscapeClosesTheHistoryListAndEnterOnAnEmptyListGoesToClose) {
    IntakeFlags flags;
    HistoryListOptions options;
    THistoryList list(dm, flags, messages, settingsFile, options,
                      [] { return DateTime{2026, 12, 5, 10, 0, 0, 0}; });
    QCoreApplication::sendPostedEvents(&list);
    list.show();
    QApplication::setActiveWindow(&list);
    ASSERT_EQ(list.model()->rowCount(), 0);
    list.lbxRecvHis->setFocus();
    QTest::keyClick(list.lbxRecvHis, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), list.btnClose);
    QTest::keyClick(list.lbxRecvHis, Qt::Key_Escape);
    EXPECT_FALSE(list.isVisible());
}

} // namespace
