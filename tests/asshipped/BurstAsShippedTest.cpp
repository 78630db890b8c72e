// A burst of unknown callers through the simulator adapter: the roster ends
// up as it would had the calls come one by one.
#include "data/TDMKanata195.h"
#include "tests/asshipped/ShippedProgram.h"
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

} // namespace
} // namespace kanata::test
