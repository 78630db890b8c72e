#pragma once
// A data folder of a benchmark's own, and the call history the list
// benchmarks read.
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"

#include "bench/BenchSupport.h"

#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace kanata::bench {

// A fresh data folder and its tables (open what the benchmark needs); the
// tables are closed and the folder removed at the end of the run.
struct DataFolder {
    NoBoxes messages;
    std::filesystem::path folder = FreshFolder();
    std::unique_ptr<TDMKanata195> dm = std::make_unique<TDMKanata195>(folder, messages);

    DataFolder() = default;
    // The tables in `store` instead of the folder's files.
    explicit DataFolder(const sql::StoreSettings& store)
        : dm(std::make_unique<TDMKanata195>(folder, messages, StorageHooks{}, store)) {}
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;
    ~DataFolder() {
        dm.reset();
        std::filesystem::remove_all(folder);
    }
};

// Fills the open history with `rows` calls in one transaction: one every
// five minutes from 2025-01-01 08:00 (about a year for 100,000), from 3,000
// numbers and 500 companies, one in three from a caller not on the roster.
// With `names`, call i comes from names[i % names.size()]. Returns the time
// of call rows / 2, a key in the middle of the table.
inline std::string FillCallHistory(TDMKanata195& dm, int rows,
                                   std::span<const char* const> names = {}) {
    auto& table = dm.RecvHis().table();
    sql::Transaction tx(table.database());
    const bool named = !names.empty();
    sql::Statement insert(table.database(),
                          std::string("INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, "
                                      "RecvWeek, SchTel, Tel, CorpKanji, Division") +
                              (named ? ", NameKanji" : "") + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?" +
                              (named ? ", ?" : "") + ")");
    const double start = DateTime{2025, 1, 1, 8, 0, 0, 0}.toDays();
    std::string middleKey;
    for (int i = 0; i < rows; ++i) {
        const auto when = DateTime::fromDays(start + i * (5.0 / 1440));
        const std::string number = "03" + std::to_string(10000000 + (i * 7919) % 3000);
        insert.reset();
        insert.bind(1, i).bind(2, when.toText()).bind(3, when.toText());
        insert.bind(4, DayOfWeek(when)).bind(5, number).bind(6, number);
        insert.bind(7, "株式会社" + std::to_string(i % 500));
        insert.bind(8, i % 3 ? "1" : "0");
        if (named)
            insert.bind(9, names[static_cast<std::size_t>(i) % names.size()]);
        insert.step();
        if (i == rows / 2)
            middleKey = when.toText();
    }
    tx.commit();
    return middleKey;
}

} // namespace kanata::bench
