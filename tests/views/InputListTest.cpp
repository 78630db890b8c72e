#include "data/THistoryData.h"
#include "views/InputListModel.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

using namespace kanata;
using kanata::test::ScriptedMessages;

namespace {

class InputList : public ::testing::Test {
protected:
    kanata::test::TempFolders folders;
    ScriptedMessages messages;
    THistoryData rank{folders.scratch() / "Rank.mtd", true, 20};
    THistoryData sel1{folders.scratch() / "SelItem1.mtd", true, 60};
    THistoryData sel2{folders.scratch() / "SelItem2.mtd", true, 60};
    THistoryData sel3{folders.scratch() / "SelItem3.mtd", true, 60};

    void SetUp() override {
        for (const char* t : {"a", "B", "C", "D"})
            rank.Add(t);
        sel1.Add("至急");
    }
    InputListEditor editor() {
        return InputListEditor(
            {{" ランク ", &rank}, {" 内容 ", &sel1}, {" メモ ", &sel2}, {" 受付 ", &sel3}},
            messages);
    }
    static std::vector<std::string> names(const THistoryData& list) {
        std::vector<std::string> v;
        for (int i = 0; i < list.Count(); ++i)
            v.push_back(list.Get(i));
        return v;
    }
};

TEST_F(InputList, AddComparesExactlyAndRefusesEmptyAndDoubles) {
    auto e = editor();
    EXPECT_TRUE(e.Add(" A "));
    EXPECT_EQ(e.names().front(), "A");
    EXPECT_EQ(e.selection(), std::set<int>{0});
    messages.expect("既に同じ名称が登録されています");
    EXPECT_FALSE(e.Add("B"));
    messages.expect("名称を入力してください");
    EXPECT_FALSE(e.Add("   "));
    EXPECT_EQ(e.names().size(), 5u);
    EXPECT_EQ(e.ChangedMask(), 1);
}

TEST_F(InputList, ChangeNeedsExactlyOneSelectionAndAFreeName) {
    auto e = editor();
    messages.expect("変更するデータを選択してください");
    EXPECT_FALSE(e.Change("X"));
    e.setSelection({1, 2});
    messages.expect("変更するデータを１件だけ選択してください");
    EXPECT_FALSE(e.Change("X"));
    e.setSelection({1});
    messages.expect("既に同じ名称が登録されています");
    EXPECT_FALSE(e.Change("C"));
    EXPECT_TRUE(e.Change("B")); // its own name is allowed
    EXPECT_TRUE(e.Change("Ｂ"));
    EXPECT_EQ(e.names()[1], "Ｂ");
    EXPECT_EQ(e.selection(), std::set<int>{1});
}

TEST_F(InputList, BlocksMoveAndStopAtTheEnds) {
    auto e = editor();
    e.setSelection({1, 2});
    e.Up();
    EXPECT_EQ(e.names(), (std::vector<std::string>{"B", "C", "a", "D"}));
    EXPECT_EQ(e.selection(), (std::set<int>{0, 1}));
    EXPECT_FALSE(e.CanUp());
    e.Up(); // first entry selected: nothing moves
    EXPECT_EQ(e.names(), (std::vector<std::string>{"B", "C", "a", "D"}));
    e.Down();
    e.Down();
    EXPECT_EQ(e.names(), (std::vector<std::string>{"a", "D", "B", "C"}));
    EXPECT_FALSE(e.CanDown());
    e.setSelection({0, 3});
    e.Delete();
    EXPECT_EQ(e.names(), (std::vector<std::string>{"D", "B"}));
}

TEST_F(InputList, EmptyRankIsRefusedOnOkAndOnLeavingTheTab) {
    auto e = editor();
    e.setSelection({0, 1, 2, 3});
    e.Delete();
    messages.expect("ランク情報は１件以上登録してください");
    EXPECT_FALSE(e.SwitchTab(1, ""));
    messages.expect("ランク情報は１件以上登録してください");
    EXPECT_FALSE(e.Accept());
    EXPECT_EQ(rank.Count(), 4);
}

TEST_F(InputList, OkWritesOnlyChangedListsWithDescendingOrderValues) {
    auto e = editor();
    e.setSelection({3});
    e.Up();
    ASSERT_TRUE(e.SwitchTab(2, "kept"));
    EXPECT_TRUE(e.names().empty());
    EXPECT_TRUE(e.Add("要折返し"));
    ASSERT_TRUE(e.SwitchTab(0, ""));
    EXPECT_EQ(e.SwitchTab(2, ""), true);
    EXPECT_TRUE(e.Accept());
    EXPECT_EQ(e.ChangedMask(), 1 | 4);
    THistoryData reread(rank.path(), true, 20);
    reread.Load();
    EXPECT_EQ(names(reread), (std::vector<std::string>{"a", "B", "D", "C"}));
    EXPECT_DOUBLE_EQ(reread.DateOf(0), 4.0);
    EXPECT_DOUBLE_EQ(reread.DateOf(3), 1.0);
    EXPECT_EQ(names(sel2), std::vector<std::string>{"要折返し"});
    EXPECT_TRUE(std::filesystem::exists(sel2.path()));
    EXPECT_FALSE(std::filesystem::exists(sel1.path())); // unchanged, not written
}

TEST_F(InputList, CancelNamesTheChangedTabsEvenWhenChangedBack) {
    auto e = editor();
    EXPECT_TRUE(e.ConfirmCancel()); // nothing changed: no question
    e.setSelection({1});
    e.Up();
    e.Down();
    ASSERT_TRUE(e.SwitchTab(3, ""));
    e.Add("来店");
    messages.expect("ランク\r\n受付\r\n\r\n以上のリストが変更されています", MessageResult::No);
    EXPECT_FALSE(e.ConfirmCancel());
    EXPECT_EQ(messages.shown().back().defaultButton, 1);
    messages.expect("よろしいですか？", MessageResult::Yes);
    EXPECT_TRUE(e.ConfirmCancel());
    EXPECT_EQ(rank.Get(0), "a");
}

} // namespace
