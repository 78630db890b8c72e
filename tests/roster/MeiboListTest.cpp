#include "history/ListDeletion.h"
#include "history/ListPager.h"
#include "roster/MeiboCondition.h"
#include "tests/roster/RosterFixture.h"

#include <random>

using namespace kanata;
using kanata::test::RosterEntry;
using kanata::test::RosterFixture;

namespace {

class MeiboListLogic : public RosterFixture {
protected:
    int add(const std::string& tel1, const std::string& tel2, const std::string& jis,
            const std::string& adrs2, const std::string& corpKana, const std::string& nameKana) {
        MeiboRow row = RosterEntry(tel1, tel2);
        row.JisCode = jis;
        row.Tdfkn = "東京都";
        row.Adrs1 = "千代田区";
        row.Adrs2 = adrs2;
        row.CorpKana = corpKana;
        row.NameKana = nameKana;
        return *dm.Meibo().append(row, messages);
    }
    std::vector<std::int64_t> page1(MeiboSort sort, const MeiboCondition& c = {}, int size = 10) {
        ListPager pager(dm.Meibo().table(), MeiboSortIndex(sort), false, size);
        pager.refresh(PageMode::Refill, 1, MeiboRowFilter(c));
        return pager.keys();
    }
    void SetUp() override {
        RosterFixture::SetUp();
        add("03-3333-0000", "", "13101", "丸の内", "ｳｴﾀﾞ", "ｻﾄｳ");              // 0
        add("03-1111-0000", "090-9999-0000", "13102", "日本橋", "ｱｵｷ", "ｽｽﾞｷ"); // 1
        add("03-2222-0000", "080-1234-5678", "13101", "大手町", "ｲﾄｳ", "ｻﾄｳ");  // 2
        add("", "", "13101", "丸の内", "ｳｴﾀﾞ", "");                             // 3
    }
};

TEST_F(MeiboListLogic, EachSortOrderWalksItsIndexWithEqualKeysByRecNo) {
    using V = std::vector<std::int64_t>;
    EXPECT_EQ(page1(MeiboSort::Registration), (V{0, 1, 2, 3}));
    EXPECT_EQ(page1(MeiboSort::Tel1), (V{3, 1, 2, 0}));
    EXPECT_EQ(page1(MeiboSort::Tel2), (V{0, 3, 2, 1}));
    // JisCode, then Adrs2 (丸 U+4E38 before 大 U+5927), then Adrs3.
    EXPECT_EQ(page1(MeiboSort::Address), (V{0, 3, 2, 1}));
    EXPECT_EQ(page1(MeiboSort::CorpKana), (V{1, 2, 0, 3}));
    EXPECT_EQ(page1(MeiboSort::NameKana), (V{3, 0, 2, 1}));
}

TEST_F(MeiboListLogic, PagesContinueInTheChosenOrder) {
    ListPager pager(dm.Meibo().table(), MeiboSortIndex(MeiboSort::NameKana), false, 3);
    ASSERT_EQ(pager.refresh(PageMode::Refill, 1, {}), PageOutcome::Filled);
    ASSERT_EQ(pager.refresh(PageMode::Next, 0, {}), PageOutcome::Filled);
    EXPECT_EQ(pager.keys(), (std::vector<std::int64_t>{1}));
    EXPECT_EQ(pager.firstNumber(), 4);
    ASSERT_EQ(pager.refresh(PageMode::Previous, 0, {}), PageOutcome::Filled);
    EXPECT_EQ(pager.keys(), (std::vector<std::int64_t>{3, 0, 2}));
}

TEST_F(MeiboListLogic, NumberConditionAlsoMatchesTheSecondNumber) {
    MeiboCondition c;
    c.active = true;
    c.number = "080";
    EXPECT_EQ(page1(MeiboSort::Registration, c), (std::vector<std::int64_t>{2}));
    c.number = "03";
    EXPECT_EQ(page1(MeiboSort::Registration, c).size(), 3u);
}

TEST_F(MeiboListLogic, AddressConditionSearchesTheJoinedAddress) {
    MeiboCondition c;
    c.active = true;
    c.address = "代田区丸の"; // across Adrs1 and Adrs2
    EXPECT_EQ(page1(MeiboSort::Address, c), (std::vector<std::int64_t>{0, 3}));
    c.nameKana = "ｻﾄｳ";
    EXPECT_EQ(page1(MeiboSort::Registration, c), (std::vector<std::int64_t>{0}));
    c.orMode = true;
    EXPECT_EQ(page1(MeiboSort::Registration, c), (std::vector<std::int64_t>{0, 2, 3}));
    c.active = false; // inactive conditions are ignored
    EXPECT_EQ(page1(MeiboSort::Registration, c).size(), 4u);
}

TEST_F(MeiboListLogic, DeletingAllMatchingRemovesOnlyThoseRows) {
    MeiboCondition c;
    c.active = true;
    c.corpKana = "ｳｴﾀﾞ";
    EXPECT_EQ(DeleteMatchingRows(dm.Meibo().table(), MeiboRowFilter(c)), 2);
    EXPECT_EQ(page1(MeiboSort::Registration), (std::vector<std::int64_t>{1, 2}));
}

// A roster of random entries with gaps in its numbers: kana and letters of
// both cases, so that the orders that ignore case meet equal keys.
class MeiboRandomPages : public RosterFixture {
protected:
    std::mt19937 random{20261208};

    std::string pick(std::initializer_list<const char*> pieces, int length) {
        std::string text;
        for (int i = 0; i < length; ++i)
            text += pieces.begin()[random() % pieces.size()];
        return text;
    }
    void SetUp() override {
        RosterFixture::SetUp();
        Table& table = dm.Meibo().table();
        sql::Transaction tx(table.database());
        for (int i = 0; i < 300; ++i) {
            MeiboRow row = RosterEntry("03-" + pick({"1", "2", "3"}, 4), "");
            row.JisCode = pick({"13101", "13102", "A", "a"}, 1);
            row.Adrs2 = pick({"丸", "の", "内", "b", "B"}, 3);
            row.CorpKana = pick({"ｱｲｳ", "ｱ", "ｲ", "c", "C"}, 3);
            row.NameKana = pick({"ｱ", "ｲ", "ｳ"}, 3);
            ASSERT_TRUE(dm.Meibo().append(row, messages));
        }
        tx.commit();
        table.removeWhere("\"RecNo\" % 7 = 3");
    }
    // Every row the filter admits along the order, read at once.
    std::vector<std::int64_t> unpaged(const std::string& index, const RowFilter& filter) {
        Query q;
        q.index = index;
        q.where = filter.where;
        q.whereArgs = filter.args;
        std::vector<std::int64_t> keys;
        for (const Record& row : dm.Meibo().table().read(q))
            keys.push_back(std::get<std::int64_t>(row[0]));
        return keys;
    }
};

TEST_F(MeiboRandomPages, EveryPageOfEveryOrderIsItsSliceOfTheUnpagedRead) {
    std::vector<MeiboCondition> conditions(6);
    conditions[0].nameKana = "ｱ";   // one character
    conditions[1].nameKana = "ｱｲ";  // two
    conditions[2].corpKana = "ｱｲｳ"; // a trigram
    conditions[3].corpKana = "c";   // case as it stands
    conditions[4].address = "丸の"; // across two fields
    conditions[5].nameKana = "ｳｳ";  // with a second condition
    conditions[5].address = "b";
    for (MeiboCondition& c : conditions)
        c.active = true;
    for (int sort = 0; sort < 6; ++sort) {
        const std::string index = MeiboSortIndex(static_cast<MeiboSort>(sort));
        for (std::size_t which = 0; which < conditions.size(); ++which) {
            const RowFilter filter = MeiboRowFilter(conditions[which]);
            const std::vector<std::int64_t> all = unpaged(index, filter);
            ASSERT_GT(all.size(), 14u) << "condition " << which;
            ListPager pager(dm.Meibo().table(), index, false, 7);
            ASSERT_EQ(pager.refresh(PageMode::Refill, 1, filter), PageOutcome::Filled);
            ASSERT_EQ(pager.count(), static_cast<std::int64_t>(all.size()));
            // Pages in the far half are read from the other end.
            for (int page = 1; page <= pager.totalPages(); ++page) {
                ASSERT_EQ(pager.refresh(PageMode::Refill, page, filter), PageOutcome::Filled);
                const auto first = all.begin() + (page - 1) * 7;
                const auto last = all.begin() + std::min<std::size_t>(page * 7, all.size());
                EXPECT_EQ(pager.keys(), std::vector<std::int64_t>(first, last))
                    << "sort " << sort << " page " << page << " of " << all.size();
            }
        }
    }
}

TEST(MeiboConditionBuild, DigitsCutsAndInactiveKeepsThePrevious) {
    MeiboSearchInput in;
    in.number = " 03-1234-5678-9999 ";
    in.address = std::string(200, 'a');
    in.nameKanji = " 山田太郎山田太郎山田太郎山田 ";
    in.firstRadioChecked = false;
    const MeiboCondition c = BuildMeiboCondition(in, {});
    EXPECT_TRUE(c.active);
    EXPECT_EQ(c.number, "0312345678999");
    EXPECT_EQ(c.address.size(), 192u);
    EXPECT_EQ(c.nameKanji, "山田太郎山田太郎山田太"); // 22 bytes
    EXPECT_TRUE(c.orMode);
    const MeiboCondition cleared = BuildMeiboCondition(MeiboSearchInput{}, c);
    EXPECT_FALSE(cleared.active);
    EXPECT_EQ(cleared.number, c.number);
}

TEST(MeiboCells, AddressIsJoinedWithoutSeparator) {
    MeiboRow r;
    r.Tel1 = "03-1111-2222";
    r.Tdfkn = "東京都";
    r.Adrs1 = "千代田区";
    r.Adrs3 = "3F";
    r.NameKanji = "山田";
    const auto cells = MeiboRowCells(r, 201);
    EXPECT_EQ(cells, (std::vector<std::string>{"201", "03-1111-2222", "", "東京都千代田区3F", "",
                                               "山田"}));
}

} // namespace
