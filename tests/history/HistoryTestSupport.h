#pragma once
// A history table on disk for the history tests, filled in one transaction.
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "history/HistoryCondition.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>
#include <memory>

namespace kanata::test {

// One call every `minutes` minutes going back from `newest`: row i is
// i steps older, RecNo = count - 1 - i (so the newest has the highest number).
inline RecvHisRow CallAt(const DateTime& when, std::string tel = "0312345678") {
    RecvHisRow row;
    row.RecvDateTime = when;
    row.AxsDateTime = when;
    row.RecvWeek = DayOfWeek(when);
    row.SchTel = tel;
    row.Tel = tel;
    return row;
}

// Every day's calls whose name holds `name`, as the list's search gives it.
inline RowFilter NameFilter(const std::string& name) {
    HistoryCondition c;
    c.active = true;
    c.nameKanji = name;
    WeekdayButtons everyDay;
    everyDay.allWeek = true;
    return HistoryRowFilter(c, everyDay);
}

class HistoryTable : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    std::unique_ptr<TDMKanata195> dm;

    void SetUp() override {
        dm = std::make_unique<TDMKanata195>(folders.scratch() / "Data", messages);
        ASSERT_TRUE(dm->OpenRecvHis());
    }
    void TearDown() override {
        while (dm->recvHisOpenCount() > 0)
            dm->CloseRecvHis();
        dm.reset();
    }

    RecvHisTable& his() { return dm->RecvHis(); }

    // The record numbers `filter` admits, newest first, read unpaged.
    std::vector<std::int64_t> wholeOrder(const RowFilter& filter) {
        Query q;
        q.index = "RecvDateTime";
        q.descending = true;
        q.where = filter.where;
        q.whereArgs = filter.args;
        std::vector<std::int64_t> keys;
        for (const Record& r : his().table().read(q))
            keys.push_back(std::get<std::int64_t>(r[0]));
        return keys;
    }

    // Stores the rows as they are (RecNo included) in one transaction.
    void store(const std::vector<RecvHisRow>& rows) {
        Table& t = his().table();
        std::string sql = "INSERT INTO RecvHis VALUES (?";
        for (std::size_t i = 1; i < t.def().fields.size(); ++i)
            sql += ", ?";
        sql += ")";
        sql::Transaction tx(t.database());
        sql::Statement insert(t.database(), sql);
        for (const RecvHisRow& row : rows) {
            insert.reset();
            Record r = his().toRecord(row);
            for (std::size_t i = 0; i < r.size(); ++i) {
                if (auto* n = std::get_if<std::int64_t>(&r[i]))
                    insert.bind(static_cast<int>(i + 1), *n);
                else
                    insert.bind(static_cast<int>(i + 1), std::get<std::string>(r[i]));
            }
            insert.step();
        }
        tx.commit();
    }

    // `count` calls, one an hour going back from `newest`; RecNo 0 is the
    // oldest. Returns the rows newest first.
    std::vector<RecvHisRow> storeHourly(int count, DateTime newest = {2026, 12, 5, 18, 0, 0, 0}) {
        std::vector<RecvHisRow> rows;
        for (int i = 0; i < count; ++i) {
            RecvHisRow row = CallAt(DateTime::fromDays(newest.toDays() - i / 24.0));
            row.RecNo = count - 1 - i;
            rows.push_back(row);
        }
        store(rows);
        return rows;
    }
};

} // namespace kanata::test
