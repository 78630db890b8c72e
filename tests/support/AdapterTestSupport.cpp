#include "tests/support/AdapterTestSupport.h"

#include "data/Cp932.h"
#include "tests/support/TempFolders.h"

#include <QProcess>
#include <QStringList>

namespace kanata::test {

WaitableHost::WaitableHost()
    : host_([this] {
          std::lock_guard lock(mutex_);
          woken_.notify_all();
      }) {
    host_.setReadyForCalls(true);
}

std::optional<AdapterMessage> WaitableHost::next(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    std::optional<AdapterMessage> message;
    woken_.wait_for(lock, timeout, [&] {
        if (auto call = host_.takeCall())
            message = AdapterMessage{WM_LINE_CALLDATA, 0, call->text, call->journal.raw};
        else
            message = host_.take();
        return message.has_value();
    });
    return message;
}

ToolRun runKtcall(const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    QProcess process;
    process.start(QString::fromStdString((stageFolder() / "ktcall").string()), list);
    ToolRun run;
    if (!process.waitForFinished(30000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

std::string numberField(const std::string& line) {
    return cp932::trim(line.substr(0, 11));
}

} // namespace kanata::test
