#pragma once
// The notices shown at start: the text kept in info/info.dat, a newer one
// fetched when the update description announces it, or the welcome text.
#include <filesystem>
#include <optional>
#include <string>

namespace kanata {

class TUpdateDialog;

inline constexpr const char* kWelcomeText =
    "着信帳１９.５ をお買い上げいただきましてありがとうございます。\r\n\r\n"
    "本製品は通常、検索に製品ディスクを使用しますので、挿入したままお使いください。\r\n\r\n"
    "詳しい使い方は、画面上部のメニューから\r\n"
    "　　［ヘルプ］－［着信帳１９.５ 操作ガイド］\r\n"
    "をクリックするか、キーボードの ［Ｆ１］キーを押してください。";

struct StoredNotice {
    std::string date; // the first 10 characters of the file
    std::string text; // the whole file
};

// info/info.dat under the settings folder (code page 932, CR LF).
std::filesystem::path noticeFile(const std::filesystem::path& settingsFolder);
// A missing, unreadable or oversized file gives no notice.
StoredNotice loadNotice(const std::filesystem::path& settingsFolder);
// Writes the date (its first 10 characters), CR LF and the text.
bool saveNotice(const std::filesystem::path& settingsFolder, const std::string& date,
                const std::string& text);

// What the notice window shows, and the date it writes back when it closes.
class NoticeBoard {
public:
    explicit NoticeBoard(std::filesystem::path settingsFolder);

    // The text to show. `silent` (the first run) gives the welcome text.
    // Otherwise the stored notice, replaced by the server's when the
    // description's notice date is newer; the welcome text when empty.
    std::string ShowNotices(bool silent, TUpdateDialog& engine);
    // When the window closes: info.dat rewritten with the held date and the
    // shown text (unless that is the welcome text).
    void Close(const std::string& shownText);

private:
    std::filesystem::path settingsFolder_;
    std::optional<std::string> heldDate_;
};

} // namespace kanata
