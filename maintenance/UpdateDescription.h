#pragma once
// The update description the server sends: which files the current release
// has, with their versions or times, and where to download them.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kanata {

// Result codes of the engine besides the system's own error numbers.
inline constexpr int kUpdateOk = 0;
inline constexpr int kNoUpdateInformation = 1000;

struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const LocalDateTime&) const = default;
    // Seconds since the epoch when read as local time.
    std::int64_t toEpochSeconds() const;
    static LocalDateTime fromEpochSeconds(std::int64_t seconds);
    std::string text() const; // "yyyy/mm/dd hh:nn:ss"
};

struct UpdateFileEntry {
    std::string name, jpname, path, version;
    std::int64_t size = 0;
    LocalDateTime datetime;
    bool restart = false;
    std::string dlfile, dlparam;
    bool needsUpdate = false;
    bool downloaded = false;
};

struct UpdateDescription {
    int code = kUpdateOk; // 0, 1000 or a parse code 2000..2107
    std::string noticeDate;
    std::string dlpath;
    std::vector<UpdateFileEntry> files;
};

// Parses a response body. Codes: 2000 no "<?xml", 2001 root not `update`,
// 2002 no `app`, 2003 other product, 2005 bad `count`, 1000 no `count`,
// 2006 wrong number of `file`, 2007/2008 no or empty `dlpath`, then per file
// 2101..2107 (name, size, size number, datetime, datetime value, dlfile,
// dlparam). A `dlfile` that is not a plain file name (a path separator, "."
// or "..") would write outside the staging folder: it is refused as a
// missing one (2106). Any code but 0 and 1000 leaves nothing else set.
UpdateDescription parseUpdateDescription(const std::string& body);

// "a.b.c.d" compared part by part (missing or non-numeric parts are 0):
// true when `offered` is newer than `installed`.
bool isNewerVersion(const std::string& offered, const std::string& installed);

} // namespace kanata
