#include "maintenance/gui/StartupNotices.h"

#include "maintenance/Notices.h"
#include "maintenance/UpdateEngine.h"
#include "maintenance/gui/TDownloadProgress.h"
#include "maintenance/gui/TInfoDialog.h"
#include "platform/MessageService.h"
#include "settings/GlobalSettings.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <memory>

namespace kanata {
namespace {

TUpdateDialog makeEngine(const GlobalSettings& s, const UpdateContext& c) {
    return TUpdateDialog({QString::fromStdString(s.UpdateDomain), s.UpdatePath, s.UpdateApp},
                         c.programFolder, c.settingsFolder, *c.messages);
}

void show(TInfoDialog& dialog, const UpdateContext& c) {
    if (c.runInfo)
        c.runInfo(dialog);
    else
        dialog.exec();
}

void takeSwitches(const TInfoDialog& dialog, GlobalSettings& s) {
    s.Info = dialog.infoChecked();
    s.UpdateCheck = dialog.updateCheckChecked();
}

std::function<void(bool)> busyOwner(QWidget* owner) {
    return [owner](bool busy) {
        if (owner)
            owner->setEnabled(!busy);
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
            if (owner)
                owner->activateWindow();
        }
    };
}

// The offer with its download shown in a window the user can cancel.
bool offerUpdate(TUpdateDialog& engine, const UpdateContext& c, bool manual) {
    std::unique_ptr<TDownloadProgress> window;
    engine.setDownloadProgress(downloadProgressWindow(c.owner, window));
    const bool closeForUpdate = engine.OfferUpdate(c.owner, manual, busyOwner(c.owner));
    engine.setDownloadProgress({});
    return closeForUpdate;
}

// The start is silent about the check; the log keeps why it did not reach.
bool checkAtStart(TUpdateDialog& engine) {
    if (engine.CheckOnline(true))
        return true;
    std::fprintf(stderr, "kanata195: the update check failed: %s (%d)\n",
                 engine.errorText().c_str(), engine.resultCode());
    return false;
}

} // namespace

bool runStartupNoticesAndUpdate(GlobalSettings& s, bool firstRun, const UpdateContext& c) {
    TInfoDialog dialog(c.owner);
    NoticeBoard board(c.settingsFolder);
    TUpdateDialog engine = makeEngine(s, c);
    if (firstRun) {
        dialog.setNoticeText(QString::fromUtf8(kWelcomeText));
        dialog.setSwitches(s.Info, s.UpdateCheck);
        show(dialog, c);
        takeSwitches(dialog, s);
    }
    bool closeForUpdate = false;
    if ((s.Info || s.UpdateCheck) && checkAtStart(engine)) {
        if (s.Info && !firstRun) {
            dialog.setNoticeText(QString::fromStdString(board.ShowNotices(false, engine)));
            dialog.setSwitches(s.Info, s.UpdateCheck);
            show(dialog, c);
            takeSwitches(dialog, s);
        }
        if (s.UpdateCheck)
            closeForUpdate = offerUpdate(engine, c, false);
    }
    board.Close(dialog.noticeText().toStdString());
    return closeForUpdate;
}

bool checkForUpdateNow(const GlobalSettings& s, const UpdateContext& c) {
    TUpdateDialog engine = makeEngine(s, c);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool reached = engine.CheckOnline(true);
    QApplication::restoreOverrideCursor();
    if (!reached) {
        c.messages->information("アップデートの確認がおこなえません\r\n\r\n" + engine.errorText() +
                                    "(" + std::to_string(engine.resultCode()) +
                                    ")\r\n\r\n次の内容を確認をしてみてください\r\n"
                                    "・インターネットに接続できる状態か\r\n"
                                    "・セキュリティソフトなどで接続の制限をかけていないか",
                                c.owner);
        return false;
    }
    return offerUpdate(engine, c, true);
}

} // namespace kanata
