#include "maps/RunProgram.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>

namespace kanata {

int RunProgram(const std::string& commandLine, const std::string& workingFolder, bool noWait) {
    QStringList words = QProcess::splitCommand(QString::fromStdString(commandLine));
    if (words.isEmpty())
        return ENOENT;
    const QString program = words.takeFirst();
    QString folder = QString::fromStdString(workingFolder);
    if (folder == QStringLiteral("@"))
        folder = QFileInfo(program).absolutePath();
    QProcess process;
    process.setProgram(program);
    process.setArguments(words);
    if (!folder.isEmpty() && QDir(folder).exists())
        process.setWorkingDirectory(folder);
    if (noWait)
        return process.startDetached() ? 0 : ENOENT;
    process.start();
    if (!process.waitForStarted(10000))
        return ENOENT;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : EINTR;
}

} // namespace kanata
