#include "tests/support/ProgramRun.h"

#include "data/TDMKanata195.h"
#include "tests/support/ScriptedMessages.h"

#include <QElapsedTimer>
#include <QThread>

namespace kanata::test {

AppFolderCopy::AppFolderCopy(const std::filesystem::path& where) : path_(where) {
    namespace fs = std::filesystem;
    fs::create_directories(path_);
    const fs::path stage = stageFolder();
    for (const char* name : {"kanata195", "ktcall", "kanata-demo", "KTComm3.so", "KTComm3ip.so"})
        fs::copy_file(stage / name, path_ / name, fs::copy_options::overwrite_existing);
    for (const char* folder : {"Common", "Dic"})
        if (fs::exists(stage / folder))
            fs::copy(stage / folder, path_ / folder, fs::copy_options::recursive);
}

ProgramRun::ProgramRun(const TempFolders& folders, std::filesystem::path appFolder)
    : appFolder_(std::move(appFolder)), env_(QProcessEnvironment::systemEnvironment()) {
    const std::filesystem::path runtime = folders.root() / "runtime";
    std::filesystem::create_directories(runtime);
    env_.insert("XDG_DATA_HOME", QString::fromStdString(folders.dataHome().string()));
    env_.insert("XDG_CONFIG_HOME", QString::fromStdString(folders.configHome().string()));
    env_.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("KANATA_NO_SPLASH", "1");
    env_.insert("KANATA_HEADLESS_MESSAGES", "1");
    process_.setProcessEnvironment(env_);
}

ProgramRun::~ProgramRun() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

bool ProgramRun::prepareDemo(const QStringList& arguments) {
    QProcess demo;
    demo.setProcessEnvironment(env_);
    demo.start(QString::fromStdString((appFolder_ / "kanata-demo").string()), arguments);
    return demo.waitForFinished(60000) && demo.exitStatus() == QProcess::NormalExit &&
           demo.exitCode() == 0;
}

bool ProgramRun::start(int timeoutMs) {
    // The log runs on over restarts; only this start's lines count.
    const qsizetype from = log().size();
    process_.setProcessEnvironment(env_);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QString::fromStdString((appFolder_ / "kanata195").string()), {});
    if (!process_.waitForStarted(timeoutMs))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (log().indexOf("kanata195: ready for calls", from) >= 0)
            return true;
        if (process_.state() == QProcess::NotRunning)
            return false;
        process_.waitForReadyRead(200);
    }
    return false;
}

int ProgramRun::ktcall(const QStringList& arguments, QString* output, QString* errors) {
    QProcess call;
    call.setProcessEnvironment(env_);
    call.start(QString::fromStdString((appFolder_ / "ktcall").string()), arguments);
    call.waitForFinished(30000);
    if (output)
        *output = QString::fromUtf8(call.readAllStandardOutput());
    if (errors)
        *errors = QString::fromUtf8(call.readAllStandardError());
    return call.exitStatus() == QProcess::NormalExit ? call.exitCode() : -1;
}

bool ProgramRun::stop(int timeoutMs) {
    process_.terminate();
    const bool ended = process_.waitForFinished(timeoutMs);
    log();
    return ended && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

QString ProgramRun::log() {
    log_ += QString::fromUtf8(process_.readAllStandardError());
    return log_;
}

std::vector<RecvHisRow> historyRows(const std::filesystem::path& dataFolder) {
    ScriptedMessages messages;
    TDMKanata195 dm(dataFolder, messages);
    TableUse use(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    std::vector<RecvHisRow> rows;
    if (!use)
        return rows;
    for (const Record& r : dm.RecvHis().table().read(Query{}))
        rows.push_back(dm.RecvHis().fromRecord(r));
    return rows;
}

std::vector<RecvHisRow> waitForRows(const std::filesystem::path& dataFolder, std::size_t count) {
    QElapsedTimer timer;
    timer.start();
    std::vector<RecvHisRow> rows;
    while (timer.elapsed() < 30000) {
        if (std::filesystem::exists(dataFolder / RecvHisTable::kFileName)) {
            rows = historyRows(dataFolder);
            if (rows.size() >= count)
                break;
        }
        QThread::msleep(100);
    }
    return rows;
}

} // namespace kanata::test
