#include "maintenance/UpdateEngine.h"

#include "platform/DurableFile.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"

#include <QEventLoop>
#include <QProcess>

#include <cstdio>
#include <fstream>
#include <sys/stat.h>

namespace kanata {
namespace fs = std::filesystem;
namespace {

constexpr const char* kHints = "次の内容を確認をしてみてください\r\n"
                               "・インターネットに接続できる状態か\r\n"
                               "・セキュリティソフトなどで接続の制限をかけていないか";

constexpr const char* kAskRestart =
    "最新のアップデートが見つかりました  \r\nこのアップデートを適用してもよろしいですか？  \r\n\r\n"
    "※自動的にアプリケーションが再起動されます  \r\n\r\n"
    "※ユーティリティや起動時パスワード設定ツールは \r\n　あらかじめ終了しておいてください ";
constexpr const char* kAsk =
    "最新のアップデートが見つかりました  \r\nこのアップデートを適用してもよろしいですか？  ";
constexpr const char* kDownloadFailed =
    "アップデートファイルがダウンロードできませんでした\r\n接続先が混み合っている可能性があります\r"
    "\n\r\n"
    "しばらくしてからお試しいただくか\r\n天光ソフトのWebサイトから直接ダウンロードしてください";
constexpr const char* kLaunchFailed = "アップデートプログラムが起動できませんでした\r\n\r\n"
                                      "再度アップデートの確認をお試しいただくか\r\n天光ソフトのWeb"
                                      "サイトから直接ダウンロードしてください";

std::chrono::steady_clock::time_point checkDeadline() {
    return std::chrono::steady_clock::now() + kUpdateCheckTimeLimit;
}

std::int64_t fileTimeSeconds(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtime) : 0;
}

// By version when the description gives one; by time when it gives none
// or the versions are equal. A missing file has time 0.
bool needsNewerFile(const UpdateFileEntry& entry, const fs::path& installed) {
    if (!entry.version.empty()) {
        const std::string have = embeddedFileVersion(installed);
        if (isNewerVersion(entry.version, have))
            return true;
        if (isNewerVersion(have, entry.version))
            return false;
    }
    return entry.datetime.toEpochSeconds() > fileTimeSeconds(installed);
}

std::string pathUnderProgram(const std::string& relative) {
    std::string p = relative;
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

} // namespace

std::string embeddedFileVersion(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    // Built from two pieces so that this reader's own text is not a mark.
    const std::string mark = std::string("KANATA_FILE") + "_VERSION=";
    for (std::size_t at = content.find(mark); at != std::string::npos;
         at = content.find(mark, at + 1)) {
        std::size_t end = at + mark.size();
        while (end < content.size() &&
               (std::isdigit(static_cast<unsigned char>(content[end])) || content[end] == '.'))
            ++end;
        if (end > at + mark.size())
            return content.substr(at + mark.size(), end - at - mark.size());
    }
    return {};
}

TUpdateDialog::TUpdateDialog(UpdateServer server, fs::path programFolder, fs::path settingsFolder,
                             MessageService& messages)
    : server_(std::move(server)), programFolder_(std::move(programFolder)),
      settingsFolder_(std::move(settingsFolder)), messages_(messages) {}

bool TUpdateDialog::fail(int code, const QString& text) {
    code_ = code;
    errorText_ = text.toStdString();
    return false;
}

bool TUpdateDialog::CheckOnline(bool silent) {
    description_ = {};
    code_ = kUpdateOk;
    errorText_.clear();
    if (!canAttemptConnection(server_.hostAndPort)) {
        errorText_ = "インターネットに接続できない環境です";
        if (!silent)
            messages_.warning(errorText_);
        return false;
    }
    const HttpTarget target{server_.hostAndPort,
                            QString::fromStdString(server_.checkPath + "kanata195/")};
    const HttpReply reply =
        httpGet(target, {.maxBodyBytes = kMaxDescriptionBytes, .deadline = checkDeadline()});
    if (!reply.sent) {
        fail(reply.errorCode, reply.errorText);
        if (!silent)
            messages_.information("お知らせ情報の取得がおこなえません\r\n\r\n" + errorText_ + "(" +
                                  std::to_string(code_) + ")\r\n\r\n" + kHints);
        return false;
    }
    if (reply.body.isEmpty()) {
        code_ = kNoUpdateInformation;
        return true;
    }
    description_ = parseUpdateDescription(reply.body.toStdString());
    code_ = description_.code;
    if (code_ != kUpdateOk && code_ != kNoUpdateInformation) {
        saveUnreadableDescription(reply.body, code_);
        code_ = kNoUpdateInformation;
    }
    return true;
}

void TUpdateDialog::saveUnreadableDescription(const QByteArray& body, int code) const {
    std::error_code ec;
    fs::create_directories(stagingFolder(), ec);
    std::ofstream out(stagingFolder() / kUpdateErrorFileName, std::ios::binary | std::ios::trunc);
    out << "----------\r\n" << code << "\r\n----------\r\n\r\n";
    out.write(body.constData(), body.size());
}

bool TUpdateDialog::NeedsUpdate() {
    restartNeeded_ = false;
    if (code_ == kNoUpdateInformation || code_ != kUpdateOk)
        return false;
    bool any = false;
    for (UpdateFileEntry& entry : description_.files) {
        const fs::path installed =
            programFolder_ / pathUnderProgram(entry.path) / pathUnderProgram(entry.name);
        entry.needsUpdate = needsNewerFile(entry, installed);
        if (entry.needsUpdate && entry.restart)
            restartNeeded_ = true;
        any = any || entry.needsUpdate;
    }
    return any;
}

bool TUpdateDialog::downloadTo(const std::string& path, const fs::path& file,
                               std::int64_t expectedSize, const std::string& shownName) {
    // A size beyond any file of this program is refused before a byte is
    // fetched; a known size is also the limit, so nothing past it is read.
    const std::int64_t limit = expectedSize < 0 ? kMaxUpdaterBytes : expectedSize;
    if (limit > kMaxDownloadBytes)
        return fail(kHttpBodyTooLarge, QStringLiteral("ダウンロードするファイルが大きすぎます"));
    const fs::path partial = file.string() + ".part";
    DurableFileWriter out(file, {.temporary = partial});
    if (out.error())
        return fail(1, QStringLiteral("cannot write ") + QString::fromStdString(partial.string()));
    if (progress_.begin)
        progress_.begin(shownName, expectedSize);
    std::int64_t written = 0;
    // A slow line may take long; only silence ends the wait, or the user.
    const HttpLimits limits{
        .maxBodyBytes = limit, .silence = silenceLimit_, .cancelled = progress_.cancelled};
    const HttpReply reply = httpGet(
        {server_.hostAndPort, QString::fromStdString(path)}, limits, [&](const QByteArray& piece) {
            written += piece.size();
            if (progress_.advance)
                progress_.advance(written);
            return out.write(
                std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())));
        });
    const bool whole = reply.sent && reply.status == 200 && out.finish() &&
                       (expectedSize < 0 || written == expectedSize);
    if (!whole)
        return fail(reply.errorCode ? reply.errorCode : 1,
                    reply.errorText.isEmpty()
                        ? QStringLiteral("ダウンロードしたファイルが不完全です")
                        : reply.errorText);
    return out.publish() || fail(1, QString::fromStdString(out.error().message()));
}

bool TUpdateDialog::DownloadUpdate() {
    struct EndOfDownload {
        const DownloadProgress& progress;
        ~EndOfDownload() {
            if (progress.end)
                progress.end();
        }
    } endOfDownload{progress_};
    std::error_code ec;
    fs::create_directories(stagingFolder(), ec);
    if (!fs::is_directory(stagingFolder(), ec))
        return fail(1, QStringLiteral("cannot create the staging folder"));
    for (UpdateFileEntry& entry : description_.files) {
        if (!entry.needsUpdate)
            continue;
        if (!downloadTo(description_.dlpath + entry.dlparam + "/", stagingFolder() / entry.dlfile,
                        entry.size, entry.jpname.empty() ? entry.name : entry.jpname))
            return false;
        entry.downloaded = true;
    }
    const fs::path updater = stagingFolder() / kUpdaterFileName;
    if (!downloadTo(server_.appPath, updater, -1, kUpdaterFileName))
        return false;
    fs::permissions(updater, fs::perms::owner_exec, fs::perm_options::add, ec);
    writeUpdateInfo();
    return true;
}

void TUpdateDialog::writeUpdateInfo() const {
    const fs::path file = stagingFolder() / kUpdateInfoFileName;
    std::error_code ec;
    fs::remove(file, ec);
    IniFile ini(file);
    ini.deleteKey("APP", "Done");
    ini.writeString("APP", "Name", "着信帳１９.５");
    ini.writeString("APP", "Exe", programFileName_);
    ini.writeString("APP", "Ident", "kanata195");
    ini.writeBool("APP", "Run", restartNeeded_);
    int n = 0;
    for (const UpdateFileEntry& entry : description_.files) {
        if (!entry.needsUpdate)
            continue;
        const std::string section = "FILE" + std::to_string(++n);
        ini.writeString(section, "Name", entry.name);
        ini.writeInteger(section, "Size", static_cast<int>(entry.size));
        ini.writeString(section, "DateTime", entry.datetime.text());
        ini.writeString(section, "DLFile", entry.dlfile);
    }
    ini.eraseSection("FILE" + std::to_string(n + 1));
    ini.save();
}

void TUpdateDialog::logUpdaterError(int code) const {
    std::ofstream(stagingFolder() / kUpdaterLogFileName, std::ios::binary | std::ios::app)
        << code << "\r\n";
}

int TUpdateDialog::LaunchUpdater() {
    const fs::path updater = stagingFolder() / kUpdaterFileName;
    QProcess process;
    process.setProgram(QString::fromStdString(updater.string()));
    process.setArguments({QStringLiteral("-auto")});
    process.setWorkingDirectory(QString::fromStdString(stagingFolder().string()));
    if (restartNeeded_) {
        if (process.startDetached())
            return 0;
        // A start that failed is a failure, not a started updater: the
        // program must not close for an update that never runs.
        logUpdaterError(static_cast<int>(process.error()) + 1);
        return 1;
    }
    process.start();
    if (!process.waitForStarted(10000)) {
        logUpdaterError(static_cast<int>(process.error()) + 1);
        return 1;
    }
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        logUpdaterError(process.exitCode() != 0 ? process.exitCode() : 1);
        return 1;
    }
    return 0;
}

bool TUpdateDialog::OfferUpdate(const void* owner, bool manual,
                                const std::function<void(bool)>& setBusy) {
    if (!NeedsUpdate()) {
        if (manual)
            messages_.information("最新のプログラムを使用しています", owner);
        return false;
    }
    if (!messages_.ask(restartNeeded_ ? kAskRestart : kAsk, false, owner))
        return false;
    if (!DownloadUpdate()) {
        if (code_ == kHttpCancelled)
            messages_.information("アップデートを中止しました", owner);
        else
            messages_.warning(kDownloadFailed, owner);
        return false;
    }
    if (setBusy)
        setBusy(true);
    const int launched = LaunchUpdater();
    if (setBusy)
        setBusy(false);
    if (launched == 1)
        messages_.error(kLaunchFailed, owner);
    else if (launched == 9)
        messages_.information("アップデートを中止しました", owner);
    return launched == 0 && restartNeeded_;
}

bool TUpdateDialog::FetchNotice(std::string& text) {
    const HttpReply reply = httpGet({server_.hostAndPort, QStringLiteral("/info/kanata195/")},
                                    {.maxBodyBytes = kMaxNoticeBytes, .deadline = checkDeadline()});
    if (!reply.sent || reply.status != 200) {
        if (reply.errorCode != 0)
            std::fprintf(stderr, "kanata195: the notice could not be fetched: %s (%d)\n",
                         reply.errorText.toUtf8().constData(), reply.errorCode);
        return false;
    }
    text = QString::fromUtf8(reply.body).toStdString();
    return true;
}

} // namespace kanata
