#include "app/HelpMenu.h"

#include "maintenance/Notices.h"
#include "maintenance/gui/TInfoDialog.h"
#include "platform/MessageService.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace kanata {
namespace fs = std::filesystem;
namespace {

std::string missingFileText(const fs::path& file) {
    return "『" + file.string() + "』が見つかりません  ";
}

} // namespace

fs::path manualFile(const fs::path& appFolder) {
    return appFolder / "manual" / "index.html";
}

fs::path utilityProgram(const fs::path& appFolder) {
    return appFolder / "KTUtil195";
}

void openManual(const HelpMenuContext& c) {
    const fs::path file = manualFile(c.appFolder);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        c.messages->error(missingFileText(file), c.owner);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(file.string()));
    const bool opened = c.openUrl ? c.openUrl(url) : QDesktopServices::openUrl(url);
    if (!opened)
        c.messages->warning("操作ガイドを表示できませんでした  \r\n\r\n"
                            "ブラウザーで次のファイルを開いてください  \r\n" +
                                file.string(),
                            c.owner);
}

void startUtility(const HelpMenuContext& c) {
    const fs::path program = utilityProgram(c.appFolder);
    std::error_code ec;
    if (!fs::is_regular_file(program, ec)) {
        c.messages->information(missingFileText(program) +
                                    "\r\n\r\nユーティリティはインストールされていません  ",
                                c.owner);
        return;
    }
    const QString path = QString::fromStdString(program.string());
    const bool started = c.startProgram ? c.startProgram(path) : QProcess::startDetached(path, {});
    if (!started)
        c.messages->error("ユーティリティが起動できませんでした  \r\n" + program.string(), c.owner);
}

NoticeSwitches showStoredNotices(const HelpMenuContext& c, NoticeSwitches switches) {
    TInfoDialog dialog(c.owner);
    const StoredNotice stored = loadNotice(c.settingsFolder);
    dialog.setNoticeText(QString::fromStdString(stored.text.empty() ? kWelcomeText : stored.text));
    dialog.setSwitches(switches.info, switches.updateCheck);
    if (c.runInfo)
        c.runInfo(dialog);
    else
        dialog.exec();
    return {dialog.infoChecked(), dialog.updateCheckChecked()};
}

} // namespace kanata
