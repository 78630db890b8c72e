#include "intake/LineReports.h"

#include "intake/AdapterAbi.h"
#include "platform/MessageService.h"

namespace kanata {

std::optional<std::string> lineErrorText(std::int32_t code, const std::string& text) {
    if (code == KT_ERROR_SILENT)
        return std::nullopt;
    std::string message = std::to_string(code) + "\r\n" + text +
                          "\r\n\r\nこのままでは正常に動作しない可能性があります  \r\n";
    if (code >= KT_ERROR_ENVIRONMENT_FIRST)
        message += "着信帳１９.５の動作環境や\r\n使用している機器類の動作状況を確認してください  ";
    else
        // The line's serial device is reset by starting the adapter and the
        // program again; restarting the whole system is never needed here.
        message += "着信帳を終了後、接続機器の電源を入れ直してから  \r\n"
                   "着信帳を起動し直してください  ";
    return message;
}

std::string lineNoticeText(std::int32_t code, const std::string& text) {
    return std::to_string(code) + "\r\n" + text;
}

void showLineError(MessageService& messages, std::int32_t code, const std::string& text,
                   const void* owner) {
    if (auto message = lineErrorText(code, text))
        messages.error(*message, owner);
}

void showLineNotice(MessageService& messages, std::int32_t code, const std::string& text,
                    const void* owner) {
    messages.information(lineNoticeText(code, text), owner);
}

} // namespace kanata
