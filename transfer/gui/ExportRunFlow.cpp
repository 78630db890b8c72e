#include "transfer/gui/ExportRunFlow.h"

#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "history/gui/ListWindowParts.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "transfer/ExportPassword.h"
#include "transfer/SfxBuilder.h"
#include "transfer/gui/ExportEnvironment.h"
#include "transfer/gui/TFileExportPassword.h"
#include "ui/gui/RangeDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QProgressDialog>

#include <stdexcept>
#include <system_error>

namespace kanata {
namespace {

namespace fs = std::filesystem;

constexpr const char* kConfirm = "よろしいですか？  ";
constexpr const char* kWillWrite = "件のデータをテキストファイルに出力します  ";
// Exports shorter than this finish before a progress bar would help.
constexpr std::int64_t kProgressFrom = 2000;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A remembered output file, read as empty when it no longer exists.
fs::path existingOrEmpty(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec) ? fs::path(path) : fs::path();
}

} // namespace

std::filesystem::path ExportEnvironment::passwordFile() const {
    return ini.path().parent_path() / kExportPasswordFile;
}

ExportRunFlow::ExportRunFlow(ExportEnvironment& env, ExportSource source,
                             const ExportSettings& settings, const char* section, QWidget& owner)
    : env_(env), source_(source), settings_(settings), section_(section), owner_(owner),
      type_(ReadExportType(env.ini)),
      fileNormal_(existingOrEmpty(env.ini.readString(section, "FileNormal"))),
      fileEncrypt_(existingOrEmpty(env.ini.readString(section, "FileEncrypt"))) {}

void ExportRunFlow::resetRange(std::int64_t matching) {
    begin_ = 1;
    end_ = matching;
}

ExportRunFlow::Outcome ExportRunFlow::run(const ExportListState& list) {
    if (busy_)
        return Outcome::Stopped;
    busy_ = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{busy_};

    ExportJob job;
    job.source = source_;
    job.layout = settings_.layout();
    job.options = settings_.options;
    job.captions = ExportItemCaptions(source_, env_.selItemCaptions);
    job.range = settings_.range;
    job.index = list.index;
    job.descending = list.descending;
    job.filter = list.filter;
    if (job.range == ExportRange::Selection && list.selected.empty())
        return Outcome::NothingSelected;
    const std::optional<std::int64_t> target = confirmTarget(list, job);
    if (!target)
        return Outcome::Stopped;

    std::optional<std::int64_t> written;
    if (type_ == ExportType::Normal) {
        fs::path file;
        bool append = false;
        if (!chooseNormalFile(file, append))
            return Outcome::Stopped;
        written = writeText(job, file, append);
    } else {
        fs::path file;
        if (!chooseEncryptedFile(file))
            return Outcome::Stopped;
        TFileExportPassword dialog(env_.ini, env_.passwordFile(), env_.messages, &owner_);
        PlaceAtBottomRight(dialog, owner_);
        if (dialog.exec() != QDialog::Accepted)
            return Outcome::Stopped;
        const EncryptedOutput files = EncryptedOutput::For(file);
        std::error_code ec;
        fs::create_directories(files.tempFolder, ec);
        TempFolderRemoval removal(files.tempFolder);
        written = writeText(job, files.tempText, false);
        if (!written)
            return Outcome::Stopped;
        BusyCursor busy;
        const int result = BuildSelfExtractor(SfxBuilder(env_.extractor, env_.iterations), files,
                                              dialog.password(), &owner_);
        if (result != kSfxDone) {
            env_.messages.error(SfxFailureMessage(result), &owner_);
            return Outcome::Stopped;
        }
    }
    if (!written)
        return Outcome::Stopped;
    writeSettings();
    std::string done =
        "テキストファイル出力が完了しました  \r\n\r\n対象件数 = " + std::to_string(*target) +
        "件\r\n出力件数 = " + std::to_string(*written) + "件";
    if (const std::string notice = ReplacedCharactersNotice(replaced_); !notice.empty())
        done += "\r\n\r\n" + notice;
    env_.messages.information(done, &owner_);
    return Outcome::Written;
}

std::optional<std::int64_t> ExportRunFlow::confirmTarget(const ExportListState& list,
                                                         ExportJob& job) {
    MessageService& m = env_.messages;
    switch (job.range) {
    case ExportRange::Selection: {
        job.selected = list.selected;
        const auto count = static_cast<std::int64_t>(list.selected.size());
        if (!m.ask(std::to_string(count) + kWillWrite + "\r\n" + kConfirm, false, &owner_))
            return std::nullopt;
        return count;
    }
    case ExportRange::Numeric: {
        if (list.matching == 0)
            return std::nullopt;
        TRangeSpecification dialog(list.matching, std::max<std::int64_t>(begin_, 1),
                                   end_ > 0 ? std::min(end_, list.matching) : list.matching,
                                   &owner_);
        PlaceAtBottomRight(dialog, owner_);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        begin_ = dialog.begin();
        end_ = dialog.end();
        job.begin = begin_;
        job.end = end_;
        const std::int64_t count = end_ - begin_ + 1;
        const std::string question =
            begin_ == end_ ? std::to_string(begin_) + "件目のデータをテキストファイルに出力します  "
                           : std::to_string(begin_) + "件目から" + std::to_string(end_) +
                                 "件目までの\r\n" + std::to_string(count) + kWillWrite;
        if (!m.ask(question + "\r\n" + kConfirm, false, &owner_))
            return std::nullopt;
        return count;
    }
    case ExportRange::All: {
        if (list.matching == 0)
            return std::nullopt;
        const std::string question =
            std::string(list.conditionActive ? "検索条件にマッチしたデータ  "
                                             : "登録されているデータ  ") +
            std::to_string(list.matching) + "件すべてをテキストファイルに出力します  \r\n" +
            kConfirm;
        if (!m.ask(question, false, &owner_))
            return std::nullopt;
        return list.matching;
    }
    }
    return std::nullopt;
}

std::optional<fs::path> ExportRunFlow::askChangedPath(const fs::path& remembered, bool& cancelled) {
    cancelled = false;
    if (remembered.empty())
        return std::nullopt;
    std::error_code ec;
    if (!fs::is_directory(remembered.parent_path(), ec))
        return std::nullopt;
    MessageRequest request;
    request.text = remembered.string() + "\r\nへ出力します  \r\n\r\n出力先を変更しますか？  ";
    request.icon = MessageIcon::Question;
    request.buttons = MessageButtons::YesNoCancel;
    request.defaultButton = 1;
    request.owner = &owner_;
    const MessageResult answer = env_.messages.ShowCenteredMessage(request);
    if (answer == MessageResult::No)
        return remembered;
    cancelled = answer != MessageResult::Yes;
    return std::nullopt;
}

QString ExportRunFlow::saveDialog(const fs::path& start, const QString& filter, int& index) {
    if (env_.chooseFile)
        return env_.chooseFile(&owner_, qs(start.string()), filter, index);
    const QStringList filters = filter.split(QStringLiteral(";;"));
    QString selected = filters.value(index - 1);
    const QString chosen =
        QFileDialog::getSaveFileName(&owner_, QString(), qs(start.string()), filter, &selected,
                                     QFileDialog::DontConfirmOverwrite);
    index = static_cast<int>(filters.indexOf(selected)) + 1;
    return chosen;
}

bool ExportRunFlow::makeFolder(const fs::path& file) {
    std::error_code ec;
    const fs::path folder = file.parent_path();
    if (folder.empty() || fs::is_directory(folder, ec))
        return true;
    if (fs::create_directories(folder, ec) && !ec)
        return true;
    env_.messages.error("フォルダーが作成できませんでした  ", &owner_);
    return false;
}

std::optional<fs::path>
ExportRunFlow::chooseTarget(const fs::path& remembered, const char* defaultName,
                            const QString& filter,
                            const std::function<fs::path(fs::path, int)>& completeName) {
    bool cancelled = false;
    std::optional<fs::path> file = askChangedPath(remembered, cancelled);
    if (cancelled)
        return std::nullopt;
    if (!file) {
        const fs::path dataFolder = env_.dm.dataFolder();
        fs::path start = dataFolder / defaultName;
        std::error_code ec;
        if (!remembered.empty())
            start = fs::is_directory(remembered.parent_path(), ec)
                        ? remembered
                        : dataFolder / remembered.filename();
        int index = 1;
        const QString chosen = saveDialog(start, filter, index);
        if (chosen.isEmpty())
            return std::nullopt;
        file = completeName(fs::path(chosen.toStdString()), index);
    }
    if (!makeFolder(*file))
        return std::nullopt;
    return file;
}

bool ExportRunFlow::chooseNormalFile(fs::path& file, bool& append) {
    const std::optional<fs::path> chosen = chooseTarget(
        fileNormal_, source_ == ExportSource::History ? "Rireki.txt" : "Meibo.txt",
        QStringLiteral("テキストファイル (*.txt);;ＣＳＶファイル (*.csv);;すべてのファイル (*.*)"),
        [](fs::path name, int filterIndex) {
            if (!name.has_extension())
                name += filterIndex == 2 ? ".csv" : ".txt";
            return name;
        });
    if (!chosen)
        return false;
    file = *chosen;
    append = false;
    std::error_code ec;
    if (fs::exists(file, ec)) {
        MessageRequest request;
        request.text =
            "既にあるファイルを指定しました  \r\n上書きするなら「はい」\r\n"
            "追加するなら「いいえ」\r\n中止するなら「キャンセル」\r\nを選択してください  ";
        request.icon = MessageIcon::Question;
        request.buttons = MessageButtons::YesNoCancel;
        request.defaultButton = 1;
        request.owner = &owner_;
        const MessageResult answer = env_.messages.ShowCenteredMessage(request);
        if (answer != MessageResult::Yes && answer != MessageResult::No)
            return false;
        append = answer == MessageResult::No;
    }
    fileNormal_ = file;
    return true;
}

bool ExportRunFlow::chooseEncryptedFile(fs::path& file) {
    const std::optional<fs::path> chosen =
        chooseTarget(fileEncrypt_, source_ == ExportSource::History ? "Rireki.exe" : "Meibo.exe",
                     QStringLiteral("AES自己復元ファイル (*.exe)"),
                     [](const fs::path& name, int) { return WithSfxExtension(name); });
    if (!chosen)
        return false;
    file = *chosen;
    std::error_code ec;
    if (fs::exists(file, ec) &&
        !env_.messages.ask("既にあるファイルを指定しました  \r\n上書きしてもよろしいですか？  ",
                           false, &owner_))
        return false;
    fileEncrypt_ = file;
    return true;
}

std::optional<std::int64_t> ExportRunFlow::writeText(const ExportJob& job, const fs::path& file,
                                                     bool append) {
    BusyCursor busy;
    TableUse history(env_.dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!history)
        return std::nullopt;
    TableUse roster(env_.dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!roster)
        return std::nullopt;
    ExportWriter writer(env_.dm.RecvHis(), env_.dm.Meibo(), env_.hyphenation);
    std::unique_ptr<QProgressDialog> progress;
    ExportProgress report = [&](std::int64_t written, std::int64_t target) {
        if (target < kProgressFrom)
            return true;
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(
                QStringLiteral("テキストファイルに出力しています..."), QString(), 0,
                static_cast<int>(target), &owner_);
            progress->setWindowTitle(QString::fromUtf8(kAppCaption));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(300);
        }
        if (written % 200 == 0 || written == target)
            progress->setValue(static_cast<int>(std::min(written, target)));
        return true;
    };
    try {
        replaced_ = 0;
        const std::int64_t written = WriteExportFile(writer, job, file, append, report);
        replaced_ = writer.replacedCharacters();
        return written;
    } catch (const sql::SqliteError& e) {
        env_.messages.error(e.what(), &owner_);
    } catch (const std::runtime_error& e) {
        env_.messages.error(std::string(e.what()) + "\r\nファイルに書き込めませんでした  ",
                            &owner_);
    }
    return std::nullopt;
}

void ExportRunFlow::writeSettings() {
    env_.ini.writeString(section_, "FileEncrypt", fileEncrypt_.string());
    env_.ini.writeString(section_, "FileNormal", fileNormal_.string());
    env_.ini.writeInteger(kFileExportSection, "Type", static_cast<int>(type_));
    if (!env_.ini.save())
        env_.messages.error(env_.ini.lastError(), &owner_);
}

} // namespace kanata
