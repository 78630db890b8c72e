// A burst of callers through the simulator adapter: the roster ends up as it
// would had the calls come one by one, and the windows that popped up end on
// every call and the last caller.
#include "data/TDMKanata195.h"
#include "history/gui/ListRowView.h"
#include "history/gui/THistoryList.h"
#include "tests/asshipped/ShippedProgram.h"
#include "tests/support/RosterEntry.h"
#include "views/gui/TReceiveView.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>
#include <set>

namespace kanata::test {
namespace {

class BurstAsShipped : public ShippedProgram {
protected:
    std::int64_t historyRows() {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        return use ? dm.RecvHis().table().count() : 0;
    }

    std::vector<std::int64_t> historyKeysNewestFirst() {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        std::vector<std::int64_t> keys;
        if (use)
            for (const RecvHisRow& row : dm.RecvHis().read({.descending = true}))
                keys.push_back(row.RecNo);
        return keys;
    }

    std::set<std::string> rosterKeys() {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        std::set<std::string> keys;
        if (use)
            for (const MeiboRow& row : dm.Meibo().read({}))
                keys.insert(row.SchTel1);
        return keys;
    }
};

TEST_F(BurstAsShipped, TwentyUnknownCallersAtOnceLeaveNineteenRosterRows) {
    ASSERT_TRUE(start());
    const std::set<std::string> before = rosterKeys();
    QStringList numbers;
    std::vector<std::string> keys;
    for (int i = 0; i < 20; ++i) {
        keys.push_back("03987650" + std::string(i < 10 ? "0" : "") + std::to_string(i));
        numbers << QString::fromStdString(keys.back());
        ASSERT_FALSE(before.contains(keys.back()));
    }
    ASSERT_EQ(runTool("ktcall", numbers), 0);
    ASSERT_TRUE(waitUntil([this] { return historyRows() == 20; }));

    // The call view ends on the last caller, who is registered by the next
    // call or by the user; every earlier one is in the roster.
    TReceiveView* view = nullptr;
    ASSERT_TRUE(waitUntil([&view] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<TReceiveView*>(w); v && v->isVisible())
                view = v;
        return view && view->edtTel1->text() == QStringLiteral("03-9876-5019");
    }));
    const std::set<std::string> after = rosterKeys();
    for (int i = 0; i < 19; ++i)
        EXPECT_TRUE(after.contains(keys[static_cast<std::size_t>(i)])) << keys[i];
    EXPECT_FALSE(after.contains(keys.back()));
    EXPECT_EQ(after.size(), before.size() + 19);
}

TEST_F(BurstAsShipped, ListEndsOnEveryCallOfABurstWithItsCallers) {
    ASSERT_TRUE(start());
    {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        ASSERT_TRUE(use);
        for (int i = 0; i < 12; ++i) {
            MeiboRow row =
                RosterEntry("03-9876-60" + std::string(i < 10 ? "0" : "") + std::to_string(i));
            row.NameKanji = "登録者" + std::to_string(i);
            ASSERT_TRUE(dm.Meibo().append(row, messages));
        }
    }
    // Known and unknown callers in turn, faster than the windows are shown.
    QStringList numbers;
    for (int i = 0; i < 24; ++i)
        numbers << (i % 2 == 0 ? QString("039876%1").arg(6000 + i / 2)
                               : QString("039876%1").arg(7000 + i));
    ASSERT_EQ(runTool("ktcall", numbers), 0);
    ASSERT_TRUE(waitUntil([this] { return historyRows() == 24; }));

    THistoryList* list = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        list = visibleWindow<THistoryList>();
        return list && list->rowKeys() == historyKeysNewestFirst();
    }));
    const auto& rows = list->model()->rows();
    ASSERT_EQ(rows.size(), 24u);
    for (int i = 0; i < 24; ++i) {
        const QStringList& row = rows[static_cast<std::size_t>(23 - i)];
        if (i % 2 == 0) {
            EXPECT_EQ(row[5], QString("登録者%1").arg(i / 2)) << i;
            EXPECT_EQ(row[6], QString("既存")) << i;
        } else {
            EXPECT_EQ(row[5], QString()) << i;
            EXPECT_EQ(row[6], QString("新規")) << i;
        }
    }
    // The last call's pop-up is up, on its caller.
    ASSERT_TRUE(waitUntil([this] {
        TReceiveView* view = visibleWindow<TReceiveView>();
        return view && view->edtTel1->text() == QStringLiteral("03-9876-7023");
    }));
    EXPECT_EQ(list->model()->openRow(), 0);
}

} // namespace
} // namespace kanata::test
