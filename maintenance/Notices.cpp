#include "maintenance/Notices.h"

#include "data/Cp932.h"
#include "maintenance/UpdateEngine.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace kanata {
namespace fs = std::filesystem;
namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The first `count` characters of a UTF-8 text.
std::string firstCharacters(const std::string& text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; i < text.size() && n < count; ++n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return text.substr(0, i);
}

std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

bool startsWithDateLine(const std::string& text, const std::string& date) {
    return text.rfind(date + "\r\n", 0) == 0 || text.rfind(date + "\n", 0) == 0;
}

} // namespace

fs::path noticeFile(const fs::path& settingsFolder) {
    return settingsFolder / "info" / "info.dat";
}

StoredNotice loadNotice(const fs::path& settingsFolder) {
    // Room for the largest notice fetched, its date line and its line ends
    // grown to CR LF. A larger file is not one this program wrote whole: it
    // is left alone and counts as no notice, so a new one can replace it.
    constexpr std::uintmax_t kMaxNoticeFileBytes = 2 * kMaxNoticeBytes + 64;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(noticeFile(settingsFolder), ec);
    if (ec || size > kMaxNoticeFileBytes)
        return {};
    std::ifstream in(noticeFile(settingsFolder), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    StoredNotice notice;
    notice.text = cp932::decode(bytes.str());
    notice.date = firstCharacters(notice.text, 10);
    return notice;
}

bool saveNotice(const fs::path& settingsFolder, const std::string& date, const std::string& text) {
    std::error_code ec;
    fs::create_directories(noticeFile(settingsFolder).parent_path(), ec);
    std::ofstream out(noticeFile(settingsFolder), std::ios::binary | std::ios::trunc);
    out << cp932::encode(firstCharacters(date, 10)) << "\r\n" << cp932::encode(withCrLf(text));
    return static_cast<bool>(out);
}

NoticeBoard::NoticeBoard(fs::path settingsFolder) : settingsFolder_(std::move(settingsFolder)) {}

std::string NoticeBoard::ShowNotices(bool silent, TUpdateDialog& engine) {
    if (silent)
        return kWelcomeText;
    const StoredNotice stored = loadNotice(settingsFolder_);
    std::string text = stored.text;
    heldDate_ = stored.date;
    if (lowered(engine.noticeDate()) > lowered(stored.date)) {
        std::string fetched;
        if (engine.FetchNotice(fetched)) {
            text = fetched;
            heldDate_ = engine.noticeDate();
        }
    }
    return text.empty() ? std::string(kWelcomeText) : text;
}

void NoticeBoard::Close(const std::string& shownText) {
    if (!heldDate_ || heldDate_->empty())
        return;
    const std::string text =
        withCrLf(shownText) == withCrLf(kWelcomeText) ? std::string() : shownText;
    // The stored notice is shown with its date line; writing the date in
    // front of it again would add one more line at every start.
    const std::string date = firstCharacters(*heldDate_, 10);
    if (startsWithDateLine(text, date)) {
        std::error_code ec;
        fs::create_directories(noticeFile(settingsFolder_).parent_path(), ec);
        std::ofstream(noticeFile(settingsFolder_), std::ios::binary | std::ios::trunc)
            << cp932::encode(withCrLf(text));
        return;
    }
    saveNotice(settingsFolder_, date, text);
}

} // namespace kanata
