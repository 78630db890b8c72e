#pragma once
// The update check: asks the update server for the description of the
// current release, compares it with the installed files, downloads what is
// newer into the staging folder and hands over to the updater program.
// Every exchange keeps the event loop running and is bounded in time.
#include "maintenance/HttpGet.h"
#include "maintenance/UpdateDescription.h"

#include <filesystem>
#include <functional>
#include <string>

namespace kanata {

class MessageService;

struct UpdateServer {
    QString hostAndPort;   // UPDATE PARAMETER Domain (a port may follow)
    std::string checkPath; // UPDATE PARAMETER Path
    std::string appPath;   // UPDATE PARAMETER App
};

inline constexpr const char* kUpdaterFileName = "updateapp.exe";
inline constexpr const char* kUpdateInfoFileName = "updateinfo.dat";
inline constexpr const char* kUpdateErrorFileName = "upderr.dat";
inline constexpr const char* kUpdaterLogFileName = "runapp.log";
// The whole check (connection, request, answer) must end within this.
inline constexpr std::chrono::seconds kUpdateCheckTimeLimit{10};
// A download may take long on a slow line, but not without a byte for this.
inline constexpr std::chrono::seconds kDownloadSilenceLimit{10};
// Sizes fitting each body: a description lists a release's files, a notice
// is a few paragraphs, a download is one file of the program.
inline constexpr std::int64_t kMaxDescriptionBytes = 1024 * 1024;
inline constexpr std::int64_t kMaxNoticeBytes = 64 * 1024;
inline constexpr std::int64_t kMaxDownloadBytes = 256 * 1024 * 1024;
inline constexpr std::int64_t kMaxUpdaterBytes = 64 * 1024 * 1024;

// What a window shows while the files are downloaded; all optional.
struct DownloadProgress {
    // A file begins; `total` is its size, or -1 when unknown.
    std::function<void(const std::string& name, std::int64_t total)> begin;
    std::function<void(std::int64_t received)> advance;
    // Asked every moment: true ends the download (the user gave up).
    std::function<bool()> cancelled;
    // The download ended, whatever its outcome.
    std::function<void()> end;
};

// The version a file of this project carries, as "a.b.c.d": the text after
// the mark the build embeds in the program's executables; empty when the
// file has none or cannot be read.
std::string embeddedFileVersion(const std::filesystem::path& file);

// The engine's state between the steps. (The original held it in a window
// that was never shown; here it is a plain object.)
class TUpdateDialog {
public:
    TUpdateDialog(UpdateServer server, std::filesystem::path programFolder,
                  std::filesystem::path settingsFolder, MessageService& messages);

    bool CheckOnline(bool silent);
    bool NeedsUpdate();
    bool DownloadUpdate();
    // 0 started (or ended normally), 9 refused, 1 failed.
    int LaunchUpdater();
    // The question, download and hand-over. `manual` = from the settings
    // dialog (also says when nothing is newer). `setBusy` disables the
    // owner and shows the wait cursor around the hand-over. Returns true
    // when the program must close for the update.
    bool OfferUpdate(const void* owner, bool manual, const std::function<void(bool)>& setBusy = {});
    // GETs the notice text (UTF-8); false when it could not be fetched.
    bool FetchNotice(std::string& text);

    int resultCode() const { return code_; }
    const std::string& errorText() const { return errorText_; }
    bool restartNeeded() const { return restartNeeded_; }
    const std::string& noticeDate() const { return description_.noticeDate; }
    const std::vector<UpdateFileEntry>& files() const { return description_.files; }
    std::filesystem::path stagingFolder() const { return settingsFolder_ / "update"; }
    // The program file named in the instruction file (tests set another).
    void setProgramFileName(std::string name) { programFileName_ = std::move(name); }
    void setDownloadProgress(DownloadProgress progress) { progress_ = std::move(progress); }
    // How long a download may go without a byte (tests shorten it).
    void setDownloadSilenceLimit(std::chrono::milliseconds limit) { silenceLimit_ = limit; }

private:
    bool fail(int code, const QString& text);
    bool downloadTo(const std::string& path, const std::filesystem::path& file,
                    std::int64_t expectedSize, const std::string& shownName);
    void writeUpdateInfo() const;
    void saveUnreadableDescription(const QByteArray& body, int code) const;
    void logUpdaterError(int code) const;

    UpdateServer server_;
    std::filesystem::path programFolder_;
    std::filesystem::path settingsFolder_;
    MessageService& messages_;
    std::string programFileName_ = "kanata195";
    UpdateDescription description_;
    int code_ = kUpdateOk;
    std::string errorText_;
    bool restartNeeded_ = false;
    DownloadProgress progress_;
    std::chrono::milliseconds silenceLimit_ = kDownloadSilenceLimit;
};

} // namespace kanata
