#include "intake/StartupRules.h"
#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <deque>

using namespace kanata;
using kanata::test::ScriptedMessages;

TEST(SetupReason, FirstRunWinsOverEverything) {
    EXPECT_EQ(setupReasonMessage(true, true, "KTComm3.so", true),
              "動作環境を設定するため環境設定に入ります  ");
    EXPECT_EQ(setupReasonMessage(false, true, "KTComm3.so", true),
              "KTComm3.soが差し替えられました  \r\n環境設定に入ります  ");
    EXPECT_NE(setupReasonMessage(false, false, "", true).find("番号名鑑"), std::string::npos);
    EXPECT_EQ(setupReasonMessage(false, false, "", false),
              "環境情報に変更がありました  \r\n環境設定に入ります  ");
}

namespace {
struct FakeLine {
    std::deque<std::int32_t> results;
    std::deque<bool> dialogAnswers;
    int opens = 0, dialogs = 0, progressWindows = 0;
    int usbSerial = 0;

    LineOpenSteps steps() {
        LineOpenSteps s;
        s.open = [this] {
            ++opens;
            auto r = results.front();
            results.pop_front();
            return r;
        };
        s.settingsDialog = [this] {
            ++dialogs;
            auto a = dialogAnswers.front();
            dialogAnswers.pop_front();
            return a;
        };
        s.modelName = [] { return std::string("テスト機"); };
        s.request = [this] { return LineOpenRequest{usbSerial, "COM3"}; };
        s.usbProgressWindow = [this] { ++progressWindows; };
        return s;
    }
};
} // namespace

TEST(LineOpen, PortInUseLeadsToTheSettingsDialogAndAnotherTry) {
    FakeLine line{{1, 0}, {true}};
    ScriptedMessages messages;
    messages.expect("COM3が別のアプリケーションで使用されている可能性があります");
    EXPECT_EQ(OpenLineAtStartup(line.steps(), messages), LineOpenOutcome::Opened);
    EXPECT_EQ(line.opens, 2);
    EXPECT_EQ(line.dialogs, 1);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Information);
}

TEST(LineOpen, UsbDriverWarningNamesTheModel) {
    FakeLine line{{31}, {false}};
    ScriptedMessages messages;
    messages.expect("「テスト機」用のUSBドライバーが");
    EXPECT_EQ(OpenLineAtStartup(line.steps(), messages), LineOpenOutcome::Abandoned);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Warning);
}

TEST(LineOpen, OtherFailuresGiveUpWithoutTheDialog) {
    FakeLine line{{5}, {}};
    ScriptedMessages messages;
    messages.expect("接続機器をつなぎ直してから、着信帳を起動し直してください");
    EXPECT_EQ(OpenLineAtStartup(line.steps(), messages), LineOpenOutcome::Abandoned);
    EXPECT_EQ(line.dialogs, 0);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Stop);
}

TEST(LineOpen, UsbSerialNoticesSurroundEachTry) {
    FakeLine line{{0}, {}};
    line.usbSerial = 1;
    ScriptedMessages messages;
    messages.expect("処理を開始します").expect("処理を完了しました");
    EXPECT_EQ(OpenLineAtStartup(line.steps(), messages), LineOpenOutcome::Opened);

    FakeLine quiet{{0}, {}};
    quiet.usbSerial = 10;
    ScriptedMessages none;
    EXPECT_EQ(OpenLineAtStartup(quiet.steps(), none), LineOpenOutcome::Opened);
    EXPECT_EQ(quiet.progressWindows, 1);
}

TEST(LineReopen, EveryFailureEndsInTheRestartMessage) {
    ScriptedMessages messages;
    EXPECT_TRUE(ReopenLineAfterSettings(0, "x", messages));
    messages.expect("通信ポートがオープンできません")
        .expect("アプリケーションを再起動してください");
    EXPECT_FALSE(ReopenLineAfterSettings(1, "x", messages));
    messages.expect("「x」用のUSBドライバーが").expect("再設定できませんでした");
    EXPECT_FALSE(ReopenLineAfterSettings(31, "x", messages));
}
