// An import that meets a full disk half way: nothing read is lost without a
// trace, and going on from the record the message names completes the
// table without repeating what was stored.
#include "tests/import/ImportFixture.h"
#include "tests/support/StorageFaults.h"
#include "transfer/ImportItems.h"

#include <map>
#include <set>
#include <sstream>

using namespace kanata;
using kanata::test::writeLines;

namespace {

constexpr int kRecords = 10000;
constexpr int kBadInFirstHalf = 3;
constexpr int kBadInSecondHalf = 7003;

std::string numberOf(int record) {
    char text[16];
    std::snprintf(text, sizeof text, "0312%06d", record);
    return text;
}

class ImportFullDisk : public ::testing::Test {
protected:
    test::TempFolders folders;
    test::ScriptedMessages messages;
    test::StorageFaults faults;
    std::filesystem::path dataFolder = folders.scratch() / "Data";
    TDMKanata195 dm{dataFolder, messages, faults.hooks()};
    std::filesystem::path input = folders.scratch() / "calls.csv";
    NoAddressSupplement noSupplement;
    HyphenationService hyphenation; // not loaded: numbers are stored as they are

    void SetUp() override {
        std::filesystem::create_directories(dataFolder);
        dm.LoadItemLists(folders.scratch() / "app");
        std::vector<std::string> lines{"着信日付,着信時刻,電話番号,会社名漢字"};
        for (int record = 1; record <= kRecords; ++record) {
            const int s = record % 86400;
            char time[8];
            std::snprintf(time, sizeof time, "%02d%02d%02d", s / 3600, s / 60 % 60, s % 60);
            const bool bad = record == kBadInFirstHalf || record == kBadInSecondHalf;
            lines.push_back(std::string(bad ? "2026011" : "20260111") + "," + time + "," +
                            numberOf(record) + ",会社" + std::to_string(record));
        }
        writeLines(input, lines);
    }

    ImportResult import(long long firstRecord, const ImportRun::Progress& progress = {}) {
        ImportRequest request;
        request.destination = ImportDestination::History;
        request.file = input;
        request.mapping = ImportMapping(kHistoryItemCount);
        for (int item = 1; item <= 3; ++item)
            request.mapping.set(item, MappingSlot::forField(item - 1, "x"));
        request.mapping.set(kHisCorpKanji, MappingSlot::forField(3, "x"));
        request.sampleFieldCount = 4;
        request.skipFirst = true;
        request.firstRecord = firstRecord;
        ImportRun run(dm, hyphenation, noSupplement, messages);
        run.setBatchLimits({1000, std::chrono::hours(1)});
        return run.run(request, progress);
    }

    // The stored record numbers of the file (by their telephone numbers).
    std::multiset<int> stored() {
        EXPECT_TRUE(dm.OpenRecvHis());
        std::multiset<int> records;
        for (const RecvHisRow& row : dm.RecvHis().read({}))
            records.insert(std::stoi(row.SchTel.substr(4)));
        dm.CloseRecvHis();
        return records;
    }
    // The error log: record number -> reason, checked against the raw line.
    std::map<int, std::string> logged() {
        std::map<int, std::string> reasons;
        std::istringstream log(cp932::decode(test::readFile(dataFolder / "InError.txt")));
        for (std::string line; std::getline(log, line);) {
            const auto first = line.find(',');
            const auto second = line.find(',', first + 1);
            const int record = std::stoi(line.substr(0, first));
            EXPECT_NE(line.find(numberOf(record), second), std::string::npos) << line;
            EXPECT_TRUE(reasons.emplace(record, line.substr(first + 1, second - first - 1)).second)
                << "logged twice: " << record;
        }
        return reasons;
    }
};

TEST_F(ImportFullDisk, EveryLineIsStoredOrLoggedAndTheRunNamesWhereToGoOn) {
    messages.expect("5001件目（ファイルの5002行目）から後は登録されていません");
    const ImportResult result = import(1, [this](long long read) {
        if (read == 5000)
            faults.failWrites("RecvHis.DB", ENOSPC);
    });
    ASSERT_TRUE(messages.allAnswered());
    EXPECT_TRUE(messages.shown().front().text.find("InError.txt に出力しました") !=
                std::string::npos);
    EXPECT_GT(faults.refused(), 0);
    EXPECT_EQ(result.read, kRecords);
    EXPECT_EQ(result.registered, 4999);
    EXPECT_EQ(result.unstoredFrom, 5001);
    EXPECT_EQ(result.unstoredLine, 5002);
    EXPECT_TRUE(result.unstoredLogged);
    faults.heal();

    const std::multiset<int> rows = stored();
    const std::map<int, std::string> reasons = logged();
    EXPECT_EQ(rows.size(), 4999u);
    EXPECT_EQ(reasons.size(), static_cast<std::size_t>(kRecords - 4999));
    for (int record = 1; record <= kRecords; ++record)
        ASSERT_NE(rows.count(record) == 1, reasons.count(record) == 1) << record;
    EXPECT_EQ(rows.count(5000), 1u);
    EXPECT_EQ(reasons.at(kBadInFirstHalf), "着信日付か着信時刻の書式不正");
    // Lines after the failed batch are not tried: their reason is the write.
    EXPECT_EQ(reasons.at(kBadInSecondHalf), "着信対応履歴登録失敗");
    EXPECT_EQ(reasons.at(5001), "着信対応履歴登録失敗");
    EXPECT_EQ(reasons.at(kRecords), "着信対応履歴登録失敗");

    // Going on from the named record adds each missing line once.
    const ImportResult rest = import(result.unstoredFrom);
    EXPECT_EQ(rest.read, kRecords - 5000);
    EXPECT_EQ(rest.registered, kRecords - 5000 - 1);
    const std::multiset<int> all = stored();
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kRecords - 2));
    for (int record = 1; record <= kRecords; ++record)
        EXPECT_EQ(all.count(record),
                  record == kBadInFirstHalf || record == kBadInSecondHalf ? 0u : 1u)
            << record;
    const std::map<int, std::string> second = logged();
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second.begin()->first, kBadInSecondHalf);
}

} // namespace
