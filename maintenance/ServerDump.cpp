#include "maintenance/ServerDump.h"

#include "platform/DurableFile.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace kanata {
namespace fs = std::filesystem;
namespace {

// A dump of 100,000 calls takes seconds; a tool that has not finished in
// this time hangs (a server that stopped answering mid-way).
constexpr int kToolTimeoutMs = 30 * 60 * 1000;
// The end of a tool's error output is where it says why it stopped.
constexpr qsizetype kErrorTextLimit = 2000;

int versionOf(const fs::path& folder) {
    const std::string name = folder.filename().string();
    if (name.empty() ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        name.size() > 4)
        return -1;
    return std::stoi(name);
}

std::string lastLines(const QByteArray& text) {
    const QByteArray tail = text.size() > kErrorTextLimit ? text.right(kErrorTextLimit) : text;
    return tail.trimmed().toStdString();
}

std::string missingToolMessage(const std::string& tool) {
    return "サーバーの表を扱う " + tool +
           " が見つかりません。\r\nPostgreSQL のクライアント（postgresql-client "
           "パッケージ）を入れてから、もう一度行ってください。";
}

// Runs `tool` to its end; done when it exits with 0.
ServerToolOutcome runTool(const std::string& tool, const QStringList& arguments,
                          const std::string& failedMessage) {
    ServerToolOutcome outcome;
    const auto program = findServerTool(tool);
    if (!program) {
        outcome.error = tool + " was found neither on PATH nor under /usr/lib/postgresql";
        outcome.message = missingToolMessage(tool);
        return outcome;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QString::fromStdString(program->string()), arguments);
    if (!process.waitForStarted()) {
        outcome.error = program->string() + ": " + process.errorString().toStdString();
        outcome.message = missingToolMessage(tool);
        return outcome;
    }
    if (!process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        outcome.error = tool + " did not finish within 30 minutes";
        outcome.message = failedMessage + "\r\n（30 分たっても終わりませんでした）";
        return outcome;
    }
    const std::string said = lastLines(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        outcome.error = tool + " failed (exit " + std::to_string(process.exitCode()) + "): " + said;
        outcome.message = failedMessage + "\r\n\r\n" + said;
        return outcome;
    }
    outcome.done = true;
    return outcome;
}

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

const std::vector<std::string>& serverTableNames() {
    static const std::vector<std::string> names = {"recvhis", "meibo", "itemlists"};
    return names;
}

std::optional<fs::path> findServerTool(const std::string& name, const fs::path& systemFolder) {
    const QString onPath = QStandardPaths::findExecutable(text(name));
    if (!onPath.isEmpty())
        return fs::path(onPath.toStdString());
    std::error_code ec;
    std::optional<fs::path> best;
    int bestVersion = -1;
    for (fs::directory_iterator it(systemFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const int version = versionOf(it->path());
        const fs::path candidate = it->path() / "bin" / name;
        if (version > bestVersion && fs::is_regular_file(candidate, ec)) {
            best = candidate;
            bestVersion = version;
        }
    }
    return best;
}

ServerToolOutcome dumpServerTables(const sql::ServerSettings& server, const fs::path& target) {
    const fs::path partial = target.string() + ".partial";
    QStringList arguments = {"--format=custom", "--no-owner", "--no-privileges",
                             "--file=" + text(partial.string())};
    for (const std::string& table : serverTableNames())
        arguments << "--table=" + text(table);
    arguments << "--dbname=" + text(sql::ConnectionInfo(server));
    ServerToolOutcome outcome =
        runTool("pg_dump", arguments,
                "サーバーの表（着信履歴・名簿・入力リスト）の書き出しに失敗しました。");
    std::error_code ec;
    if (outcome.done && !flushPath(partial)) {
        outcome = {false, partial.string() + ": cannot flush",
                   "サーバーの表の書き出しを保存できませんでした。"};
    }
    if (outcome.done) {
        if (const std::error_code renamed = renameDurably(partial, target)) {
            outcome = {false, target.string() + ": " + renamed.message(),
                       "サーバーの表の書き出しを保存できませんでした。"};
        }
    }
    if (!outcome.done)
        fs::remove(partial, ec);
    return outcome;
}

ServerToolOutcome checkServerDump(const fs::path& dump) {
    // Written out as a script to nowhere, every block of the dump is read
    // and decompressed, not only its table of contents.
    return runTool("pg_restore", {"--file=/dev/null", text(dump.string())},
                   "バックアップのサーバーの表が読めません（壊れています）。");
}

ServerToolOutcome restoreServerTables(const sql::ServerSettings& server, const fs::path& dump) {
    return runTool("pg_restore",
                   {"--single-transaction", "--clean", "--if-exists", "--no-owner",
                    "--no-privileges", "--exit-on-error",
                    "--dbname=" + text(sql::ConnectionInfo(server)), text(dump.string())},
                   "サーバーの表を元に戻せませんでした。表は元に戻す前のままです。");
}

} // namespace kanata
