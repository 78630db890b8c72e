#pragma once
// What the program does about notices and updates when it starts, and the
// settings dialog's check on demand.
#include <QString>

#include <filesystem>
#include <functional>

class QWidget;

namespace kanata {

class MessageService;
class TInfoDialog;
struct GlobalSettings;

struct UpdateContext {
    std::filesystem::path programFolder;
    std::filesystem::path settingsFolder;
    MessageService* messages = nullptr;
    QWidget* owner = nullptr;
    // Shows the notices window (tests answer it); unset = modal exec().
    std::function<void(TInfoDialog&)> runInfo;
};

// The start-up sequence: the welcome text on the first run, the check, the
// notices and the offer of an update. Takes the window's switches into
// `settings` (Info, UpdateCheck). True when the program must close because
// an update was handed over that needs a restart.
bool runStartupNoticesAndUpdate(GlobalSettings& settings, bool firstRun,
                                const UpdateContext& context);

// The settings dialog's "アップデートの確認": check, compare and offer, with
// every outcome told. True when the program must close for the update.
bool checkForUpdateNow(const GlobalSettings& settings, const UpdateContext& context);

} // namespace kanata
