// Loading the adapter libraries: the real ones from the build, a missing
// file, a library without one of its functions; the wrapper's bookkeeping.
#include "tests/support/AdapterTestSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

const AdapterKind* findKind(const TKTCommDLL& dll, std::int32_t id) {
    for (const AdapterKind& k : dll.Kinds())
        if (k.KindId == id)
            return &k;
    return nullptr;
}

TEST(AdapterLink, LoadsBothLibrariesWithTheirSimulatorModels) {
    ScriptedMessages messages;
    AdapterHost host;
    auto analog = TKTCommDLL::create(messages, stageFolder(), 0, host);
    auto ip = TKTCommDLL::create(messages, stageFolder(), 1, host);
    ASSERT_TRUE(analog);
    ASSERT_TRUE(ip);
    EXPECT_EQ(analog->fileName(), "KTComm3.so");
    EXPECT_EQ(ip->fileName(), "KTComm3ip.so");
    // New enough for OpenCommLineEx.
    EXPECT_GE(analog->GetVersion(), std::uint32_t{KT_VERSION_OPEN_LINE_EX});

    ASSERT_TRUE(analog->LoadKinds());
    ASSERT_TRUE(ip->LoadKinds());
    const AdapterKind* simulator = findKind(*analog, 900);
    ASSERT_NE(simulator, nullptr);
    EXPECT_EQ(adapterKindName(*simulator), "シミュレーター");
    EXPECT_GT(simulator->HistoryCapacity, 0);
    const AdapterKind* modem = findKind(*analog, 800);
    ASSERT_NE(modem, nullptr);
    EXPECT_EQ(adapterKindName(*modem), "汎用 Caller ID モデム");
    EXPECT_EQ(modem->PortType, KT_PORT_COM);
    EXPECT_EQ(findKind(*analog, 801)->PortType, KT_PORT_USB);
    ASSERT_NE(findKind(*ip, 901), nullptr);
    EXPECT_EQ(findKind(*ip, 900), nullptr);

    // Reloading replaces the list rather than appending to it.
    const std::size_t count = analog->Kinds().size();
    ASSERT_TRUE(analog->LoadKinds());
    EXPECT_EQ(analog->Kinds().size(), count);
}

TEST(AdapterLink, SelectKindCopiesAKnownModelAndZeroesForNone) {
    ScriptedMessages messages;
    AdapterHost host;
    auto dll = TKTCommDLL::create(messages, stageFolder(), 0, host);
    ASSERT_TRUE(dll && dll->LoadKinds());

    ASSERT_TRUE(dll->SelectKind(900));
    EXPECT_EQ(dll->CurrentKind().KindId, 900);
    EXPECT_EQ(dll->CurrentKind().DialPorts, 0x1);
    EXPECT_FALSE(dll->SelectKind(4711));
    EXPECT_EQ(dll->CurrentKind().KindId, 900) << "a failed selection keeps the current model";

    ASSERT_TRUE(dll->SelectKind(0));
    const AdapterKind zero{};
    EXPECT_EQ(std::memcmp(&dll->CurrentKind(), &zero, sizeof zero), 0);
}

TEST(AdapterLink, PortNumberIsTheFourthCharacterAfterCom) {
    EXPECT_EQ(TKTCommDLL::portNumberFromSetting("COM1"), 1);
    EXPECT_EQ(TKTCommDLL::portNumberFromSetting("COM9"), 9);
    EXPECT_EQ(TKTCommDLL::portNumberFromSetting("COM12"), 1);
    EXPECT_EQ(TKTCommDLL::portNumberFromSetting("USB"), 0);
    EXPECT_EQ(TKTCommDLL::portNumberFromSetting("TAPI制御"), 0);
    EXPECT_EQ(TKTCommDLL::portNumberFromSetting(""), 0);
    EXPECT_EQ(TKTCommDLL::portNumberFromSetting("COM"), 0);
    EXPECT_EQ(TKTCommDLL::portNumberFromSetting("COMx"), 0);
}

TEST(AdapterLink, NoLibraryForLineTypeTwo) {
    ScriptedMessages messages; // no box expected
    AdapterHost host;
    EXPECT_FALSE(TKTCommDLL::create(messages, stageFolder(), 2, host));
}

TEST(AdapterLink, MissingLibraryIsReportedWithTheLoadersReason) {
    TempFolders folders;
    ScriptedMessages messages;
    messages.expect("KTComm3ip.so LoadLibrary Error  \r\nDLLのロードに失敗しました  ");
    AdapterHost host;
    EXPECT_FALSE(TKTCommDLL::create(messages, folders.scratch(), 1, host));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Stop);
    // The user learns which file was looked for and why it failed.
    EXPECT_NE(messages.shown()[0].text.find((folders.scratch() / "KTComm3ip.so").string()),
              std::string::npos);
}

TEST(AdapterLink, BrokenFileInTheApplicationFolderIsNotBypassed) {
    TempFolders folders;
    {
        std::ofstream junk(folders.scratch() / "KTComm3.so");
        junk << "not a shared object";
    }
    ScriptedMessages messages;
    messages.expect("KTComm3.so LoadLibrary Error");
    AdapterHost host;
    EXPECT_FALSE(TKTCommDLL::create(messages, folders.scratch(), 0, host));
}

TEST(AdapterLink, LibraryWithoutOneFunctionNamesIt) {
    TempFolders folders;
    fs::copy_file(stageFolder().parent_path() / "testplugins" / "TestBroken.so",
                  folders.scratch() / "KTComm3.so");
    ScriptedMessages messages;
    messages.expect(
        "KTCommDial (KTComm3.so) GetProcAddress Error  \r\n関数の割り当てに失敗しました  ");
    AdapterHost host;
    EXPECT_FALSE(TKTCommDLL::create(messages, folders.scratch(), 0, host));
}

TEST(AdapterLink, FailedOpenKeepsItsResultAndCloseLeavesItAlone) {
    TempFolders folders;
    ScriptedMessages messages;
    AdapterHost host;
    auto dll = TKTCommDLL::create(messages, stageFolder(), 0, host);
    ASSERT_TRUE(dll);
    EXPECT_EQ(dll->OpenResult(), -1);
    dll->SetKindId(4711); // no such model
    const std::int32_t rc = dll->OpenLine();
    EXPECT_NE(rc, KT_OPEN_OK);
    dll->CloseLine();
    EXPECT_EQ(dll->OpenResult(), rc);

    dll->SetKindId(900);
    ASSERT_EQ(dll->OpenLineEx(true), KT_OPEN_OK);
    dll->CloseLine();
    EXPECT_EQ(dll->OpenResult(), -1);
}

TEST(AdapterHostQueue, CopiesEventsFromManyThreadsAndDropsReportsWhileNotReady) {
    std::atomic<int> wakeUps = 0;
    AdapterHost host([&] { ++wakeUps; });

    char early[] = "early";
    LineEventData data{1, 5, early};
    host.post(WM_LINE_NOTICE, 0, reinterpret_cast<std::intptr_t>(&data));
    EXPECT_EQ(host.pending(), 0u) << "dropped before ReadyForCalls";
    host.post(WM_LINE_CALLDATA, 0, reinterpret_cast<std::intptr_t>(&data));
    EXPECT_EQ(host.pendingCalls(), 1u) << "a call waits for ReadyForCalls";
    wakeUps = 0;

    host.setReadyForCalls(true);
    constexpr int kThreads = 4, kEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&host, t] {
            for (int i = 0; i < kEach; ++i) {
                std::string text = std::to_string(t) + ":" + std::to_string(i);
                LineEventData event{t, static_cast<std::int32_t>(text.size()), text.c_str()};
                host.post(WM_LINE_NOTICE, 0, reinterpret_cast<std::intptr_t>(&event));
                text.assign(text.size(), 'X'); // the library's record is gone
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(wakeUps.load(), kThreads * kEach);

    std::vector<int> nextOf(kThreads, 0);
    while (auto m = host.take()) {
        ASSERT_EQ(m->message, std::uint32_t{WM_LINE_NOTICE});
        const int t = m->code;
        EXPECT_EQ(m->text, std::to_string(t) + ":" + std::to_string(nextOf[t]++));
    }
    for (int n : nextOf)
        EXPECT_EQ(n, kEach);

    // Turning the flag off discards what still waits.
    host.post(WM_LINE_ERROR, 0, reinterpret_cast<std::intptr_t>(&data));
    host.setReadyForCalls(false);
    host.setReadyForCalls(true);
    EXPECT_FALSE(host.take());
    // Unknown messages and null records do not reach the program as calls.
    host.post(0x0400, 0, reinterpret_cast<std::intptr_t>(&data));
    EXPECT_FALSE(host.take());
    ASSERT_TRUE(host.takeCall());
    EXPECT_FALSE(host.takeCall());
    host.post(WM_LINE_ERROR, 0, 0);
    auto empty = host.take();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->text, "");
}

} // namespace
} // namespace kanata::test
