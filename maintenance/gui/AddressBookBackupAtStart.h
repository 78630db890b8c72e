#pragma once
// The backup of the address book in use as the roster, as the program runs
// it at start and after its link settings changed.
#include <filesystem>
#include <functional>

class QWidget;

namespace kanata {

class MessageService;
class Registry;
class TBackupPb;
struct GlobalSettings;

// At start: asks with TBackupPb when USE PBADRS PbBackupDlg is on (only
// "はい" goes on), then copies. False only when the copy failed.
// `ask` answers the window (tests, scripted runs); unset = modal exec().
bool backUpAddressBookAtStart(const GlobalSettings& settings, const Registry& registry,
                              const std::filesystem::path& dataFolder, QWidget* owner,
                              const std::function<bool(TBackupPb&)>& ask = {});

// After the link settings changed: the question, and the copy on "はい",
// with the failure told.
void offerAddressBookBackup(const GlobalSettings& settings, const Registry& registry,
                            const std::filesystem::path& dataFolder, MessageService& messages,
                            QWidget* owner);

} // namespace kanata
