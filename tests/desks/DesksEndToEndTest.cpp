// An office: one PC on the line and two desks, three real programs with
// work folders of their own, the tables on one real server. Every call the
// line stores pops up on both desks.
#include "data/RecvHisTable.h"
#include "tests/desks/OfficePc.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/UserInput.h"

#include <gtest/gtest.h>

#include <set>

namespace kanata::test {
namespace {

const int kCalls = qEnvironmentVariableIntValue("DESKS_CALLS") > 0
                       ? qEnvironmentVariableIntValue("DESKS_CALLS")
                       : 200;

TEST(DesksEndToEnd, EveryCallOfTheLinePopsUpOnBothDesks) {
    const sql::StoreSettings store{sql::Engine::Postgresql, SharedServer().createDatabase()};
    OfficePc deskA(store.server, false);
    OfficePc deskB(store.server, false);
    OfficePc line(store.server, true);
    for (OfficePc* desk : {&deskA, &deskB}) {
        ASSERT_TRUE(desk->run.start()) << desk->run.log().toStdString();
        ASSERT_TRUE(waitUntil([desk] { return desk->run.log().contains("desk listening"); }, 10000))
            << desk->run.log().toStdString();
    }
    ASSERT_TRUE(line.run.start()) << line.run.log().toStdString();
    EXPECT_FALSE(line.run.log().contains("desk listening")) << "the line PC is no desk";

    int accepted = 0;
    for (int batch = 0; batch < kCalls / 20; ++batch) {
        QStringList numbers;
        for (int i = 0; i < 20; ++i)
            numbers << QString("03%1").arg(10000000 + batch * 20 + i);
        QString output;
        line.run.ktcall(numbers, &output);
        accepted += static_cast<int>(output.count("OK "));
    }
    ASSERT_EQ(accepted, kCalls);

    TempFolders scratch;
    RecvHisTable history;
    history.open(store, scratch.root());
    ASSERT_TRUE(waitUntil([&] { return history.count() == kCalls; }, 120000))
        << history.count() << "\n"
        << line.run.log().toStdString();

    std::set<int> all;
    for (int n = 0; n < kCalls; ++n)
        all.insert(n);
    for (OfficePc* desk : {&deskA, &deskB}) {
        EXPECT_TRUE(
            waitUntil([&] { return desk->shownCalls().size() == static_cast<std::size_t>(kCalls); },
                      qEnvironmentVariableIntValue("DESKS_CALLS") > 0 ? 5000 : 60000))
            << desk->shownCalls().size() << "\n"
            << desk->run.log().right(3000).toStdString();
        EXPECT_EQ(desk->shownCalls(), all);
        EXPECT_FALSE(desk->run.log().contains("kanata195: box:")) << desk->run.log().toStdString();
    }
    for (OfficePc* pc : {&line, &deskA, &deskB})
        EXPECT_TRUE(pc->run.stop()) << pc->run.log().toStdString();
}

} // namespace
} // namespace kanata::test
