// The intake journal on disk, and a call recovered from it after a crash:
// stored once with its arrival time, logged once, never twice.
#include "data/Cp932.h"
#include "intake/CallJournal.h"
#include "intake/CallProcessor.h"
#include "lookup/ExtensionLibrary.h"
#include "tests/callerlookup/LookupWorld.h"
#include "tests/intake/FakeWindows.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kanata::test {
namespace {
namespace fs = std::filesystem;

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

JournalCall acceptOne(CallJournal& journal, const std::string& raw, DateTime at) {
    bool durable = false;
    JournalCall call = journal.accept(raw, at, durable);
    EXPECT_TRUE(durable);
    return call;
}

const DateTime kNoon{2026, 12, 6, 12, 0, 0, 0};

TEST(IntakeJournal, UnfinishedCallsComeBackInOrderWithTheirBytesAndArrival) {
    TempFolders folders;
    const fs::path file = folders.scratch() / CallJournal::kFileName;
    const std::string withKanji = "0312345678 " + cp932::encode("２０２６年");
    {
        CallJournal journal(file);
        EXPECT_TRUE(journal.takeUnfinished().empty());
        const auto a = acceptOne(journal, withKanji, kNoon);
        const auto b = acceptOne(journal, "P", kNoon); // same millisecond
        const auto c = acceptOne(journal, "0399999999", DateTime{2026, 12, 6, 11, 0, 0, 0});
        const auto d = acceptOne(journal, "0311111111", DateTime{2026, 12, 6, 23, 59, 59, 999});
        // Every call has its own arrival time, later than the one before,
        // even when the clock stands still or goes back.
        EXPECT_EQ(a.arrival.toText(), "2026-12-06 12:00:00.000");
        EXPECT_EQ(b.arrival.toText(), "2026-12-06 12:00:00.001");
        EXPECT_EQ(c.arrival.toText(), "2026-12-06 12:00:00.002");
        EXPECT_EQ(d.arrival.toText(), "2026-12-06 23:59:59.999");
        journal.markLogged(b.seq, 4711);
        journal.markDone(c.seq);
        EXPECT_EQ(journal.openCalls(), 3u);
    }
    // A crash tore the last record in half.
    {
        std::ofstream torn(file, std::ios::app | std::ios::binary);
        torn << "A\t99\t2026-12-06 12:00:01.000\t3033";
    }
    CallJournal reopened(file);
    const auto calls = reopened.takeUnfinished();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].raw, withKanji);
    EXPECT_EQ(calls[1].raw, "P");
    EXPECT_EQ(calls[1].logOffset, std::optional<std::uint64_t>(4711));
    EXPECT_FALSE(calls[0].logOffset);
    EXPECT_EQ(calls[2].raw, "0311111111");
    for (const auto& call : calls)
        EXPECT_TRUE(call.recovered);
    EXPECT_TRUE(reopened.takeUnfinished().empty()) << "handed out once";
    // New calls go after the old ones, in number and in time.
    const auto next = acceptOne(reopened, "0322222222", kNoon);
    EXPECT_GT(next.seq, calls[2].seq);
    EXPECT_EQ(next.arrival.toText(), "2026-12-07 00:00:00.000");
}

TEST(IntakeJournal, ADamagedRecordIsSkippedAndAFinishedJournalIsEmptied) {
    TempFolders folders;
    const fs::path file = folders.scratch() / CallJournal::kFileName;
    {
        CallJournal journal(file);
        acceptOne(journal, "0311111111", kNoon);
        acceptOne(journal, "0322222222", kNoon);
    }
    std::string content = readAll(file);
    content[content.find("3131")] = '4'; // one flipped digit in the first call
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
    {
        CallJournal journal(file);
        const auto calls = journal.takeUnfinished();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].raw, "0322222222");
        journal.markDone(calls[0].seq);
    }
    // Everything in it is done: the next start empties it.
    CallJournal journal(file);
    EXPECT_EQ(fs::file_size(file), 0u);

    // It stays small under steady traffic: once every call is done and it
    // has grown past the threshold, it starts over.
    std::uint64_t largest = 0;
    for (int i = 0; i < 2000; ++i) {
        const auto call = acceptOne(journal, "0312345678  2026/12/06  12:00:00", kNoon);
        largest = std::max(largest, journal.sizeBytes());
        journal.markDone(call.seq);
    }
    EXPECT_LE(largest, CallJournal::kCompactBytes + 256);
    EXPECT_LE(fs::file_size(file), CallJournal::kCompactBytes);
    EXPECT_EQ(journal.openCalls(), 0u);
}

TEST(IntakeJournal, AnUnopenableJournalSaysWhere) {
    TempFolders folders;
    fs::create_directories(folders.scratch() / CallJournal::kFileName);
    try {
        CallJournal journal(folders.scratch() / CallJournal::kFileName);
        FAIL() << "a folder is no journal";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(CallJournal::kFileName), std::string::npos);
    }
}

// A call left in the journal by a crash, processed at the next start.
class Recovery : public ::testing::Test {
protected:
    Recovery() : journal(world.workFolder() / CallJournal::kFileName) {
        settings.ExportRecvData = true;
        processor.setSettings(settings);
        processor.setJournal(&journal);
    }

    // What the crashed run had accepted, as the next start finds it.
    std::vector<JournalCall> crashedWith(const std::vector<std::string>& lines) {
        for (const auto& line : lines)
            acceptOne(journal, line, kNoon);
        CallJournal next(journal.file());
        return next.takeUnfinished();
    }

    std::optional<StoredCall> store(const JournalCall& j) {
        return processor.StoreCall(
            CallLine{cp932::decode(j.raw), j.raw, j.seq, j.arrival, j.recovered, j.logOffset});
    }

    std::vector<RecvHisRow> history() {
        TableUse use(world.dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        return world.dm.RecvHis().read(Query{});
    }

    std::string rawLog() { return readAll(world.workFolder() / "rd" / "20261206.txt"); }

    LookupWorld world;
    FakeWindows windows;
    ExtensionLibrary extension{world.workFolder(), world.messages};
    CallProcessingSettings settings;
    CallJournal journal;
    DateTime now{2026, 12, 6, 13, 0, 0, 0};
    CallProcessor processor{world.dm,           world.lookup(), &extension,
                            world.hyphenation,  windows,        world.messages,
                            world.workFolder(), settings,       [this] { return now; }};
};

TEST_F(Recovery, ACallStoredBeforeTheCrashIsNotStoredOrLoggedAgain) {
    // The crash came after the row and the log line, before the done mark.
    bool durable = false;
    const JournalCall live = journal.accept("0312345678", kNoon, durable);
    ASSERT_TRUE(processor.StoreCall(CallLine{"0312345678", "0312345678", live.seq, live.arrival}));
    const std::string loggedOnce = rawLog();
    {
        // Undo the done mark, as if it had never been written.
        std::string content = readAll(journal.file());
        content.erase(content.rfind("D\t"));
        std::ofstream(journal.file(), std::ios::binary | std::ios::trunc) << content;
    }
    CallJournal next(journal.file());
    const auto calls = next.takeUnfinished();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(store(calls[0]));
    EXPECT_EQ(history().size(), 1u);
    EXPECT_EQ(rawLog(), loggedOnce);
}

TEST_F(Recovery, ACallLostBeforeItsRowIsStoredWithItsArrivalTimeAndLoggedOnce) {
    const auto calls = crashedWith({"0311111111", "0322222222", "   "});
    ASSERT_EQ(calls.size(), 3u);
    // The first one's log line was written before the crash, the second's
    // never got there.
    RawCallLog log(world.workFolder());
    log.append(calls[0].arrival, calls[0].raw,
               [&](std::uint64_t offset) { journal.markLogged(calls[0].seq, offset); });
    CallJournal next(journal.file());
    const auto again = next.takeUnfinished();
    ASSERT_TRUE(again[0].logOffset);

    for (const auto& call : again)
        store(call);
    const auto rows = history();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Tel, "03-1111-1111");
    EXPECT_EQ(rows[0].RecvDateTime.toText(), "2026-12-06 12:00:00.000");
    EXPECT_EQ(rows[1].RecvDateTime.toText(), "2026-12-06 12:00:00.001");
    EXPECT_EQ(rawLog(), "12:00:00,0311111111\r\n12:00:00,0322222222\r\n12:00:00,   \r\n");
    // Recovered calls are listed, not popped up; the indicator tells of them.
    EXPECT_FALSE(windows.saw("view"));
    EXPECT_TRUE(windows.indicator);
    // All of them done: the next start finds nothing to do.
    CallJournal after(journal.file());
    EXPECT_TRUE(after.takeUnfinished().empty());
}

TEST_F(Recovery, CallsStoredInABatchAreDoneOnlyOnceTheBatchIsCommitted) {
    bool durable = false;
    const JournalCall a = journal.accept("0311111111", kNoon, durable);
    const JournalCall b = journal.accept("0322222222", kNoon, durable);
    processor.BeginBatch();
    for (const auto& j : {a, b})
        ASSERT_TRUE(processor.StoreCall(CallLine{j.raw, j.raw, j.seq, j.arrival}));
    // A crash now: nothing is committed, both calls are still to be stored.
    EXPECT_EQ(CallJournal(journal.file()).takeUnfinished().size(), 2u);
    processor.CommitBatch();
    EXPECT_EQ(history().size(), 2u);
    EXPECT_TRUE(CallJournal(journal.file()).takeUnfinished().empty());
}

} // namespace
} // namespace kanata::test
