#include "intake/StartupRules.h"

#include "platform/MessageService.h"

namespace kanata {
namespace {

constexpr std::int32_t kPortInUse = 1;
constexpr std::int32_t kUsbDriverMissing = 31;

void usbNoticeBefore(int usbSerial, MessageService& messages) {
    const std::string text = "USB-シリアル変換ケーブル使用時の処理を開始します  ";
    if (usbSerial == 1)
        messages.information(text);
    else if (usbSerial == 2)
        messages.ShowCenteredMessage({text, MessageIcon::None});
}

void usbNoticeAfter(const LineOpenSteps& steps, int usbSerial, MessageService& messages) {
    const std::string text = "USB-シリアル変換ケーブル使用時の処理を完了しました  ";
    if (usbSerial == 1)
        messages.information(text);
    else if (usbSerial == 2)
        messages.ShowCenteredMessage({text, MessageIcon::None});
    else if (usbSerial == 10 && steps.usbProgressWindow)
        steps.usbProgressWindow();
}

std::string portInUseText(const std::string& port) {
    return "通信ポートがオープンできません  \r\n" + port +
           "が別のアプリケーションで使用されている可能性があります  \r\n"
           "再設定のため環境設定に入ります  ";
}

std::string usbDriverText(const std::string& model, const std::string& advice) {
    return "「" + model +
           "」用のUSBドライバーが  \r\n正しくセットアップされていないようです  \r\n\r\n" + advice;
}

} // namespace

std::string setupReasonMessage(bool firstRun, bool libraryReplaced, const std::string& libraryFile,
                               bool phonebookLinkProblem) {
    if (firstRun)
        return "動作環境を設定するため環境設定に入ります  ";
    if (libraryReplaced)
        return libraryFile + "が差し替えられました  \r\n環境設定に入ります  ";
    if (phonebookLinkProblem)
        return "登録名簿として指定中の番号名鑑に  \r\n変更または不備がありました  "
               "\r\n環境設定に入ります  ";
    return "環境情報に変更がありました  \r\n環境設定に入ります  ";
}

LineOpenOutcome OpenLineAtStartup(const LineOpenSteps& steps, MessageService& messages) {
    for (;;) {
        const LineOpenRequest request = steps.request();
        usbNoticeBefore(request.usbSerial, messages);
        const std::int32_t result = steps.open();
        usbNoticeAfter(steps, request.usbSerial, messages);
        if (result == 0)
            return LineOpenOutcome::Opened;
        if (result == kPortInUse) {
            messages.information(portInUseText(request.port));
        } else if (result == kUsbDriverMissing) {
            messages.warning(usbDriverText(
                steps.modelName(), "環境設定に入りますが、この機種をお使いになられる場合は  \r\n"
                                   "ドライバーをセットアップ後、お試しください  "));
        } else {
            messages.error("通信ポートがオープンできません  \r\n"
                           "接続機器をつなぎ直してから、着信帳を起動し直してください  ");
            return LineOpenOutcome::Abandoned;
        }
        if (!steps.settingsDialog())
            return LineOpenOutcome::Abandoned;
    }
}

bool ReopenLineAfterSettings(std::int32_t result, const std::string& modelName,
                             MessageService& messages) {
    if (result == 0)
        return true;
    if (result == kPortInUse)
        messages.warning("通信ポートがオープンできません  ");
    else if (result == kUsbDriverMissing)
        messages.warning(usbDriverText(modelName, "ドライバーをセットアップしてください  "));
    else
        messages.error("通信ポートがオープンできません  ");
    messages.error("再設定できませんでした  \r\n\r\nこのまま使用できません  \r\n"
                   "アプリケーションを再起動してください  ");
    return false;
}

} // namespace kanata
