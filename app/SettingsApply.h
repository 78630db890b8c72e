#pragma once
// The settings dialog and what its OK sets going: at start-up the settings
// are only stored (nothing is open yet); later a change of the adapter, the
// data folder or the address-book link closes what it concerns, rebuilds it
// and opens it again while the calls that arrive wait in the journal.
#include "environment/EnvironmentModel.h"

#include <optional>

namespace kanata {

struct GlobalSettings;
struct ProgramState;

class SettingsApply {
public:
    explicit SettingsApply(ProgramState& state) : s_(state) {}

    // The settings dialog at start-up: true when accepted and stored.
    bool environmentDialog();
    // The menu's 環境設定.
    void showEnvironment();
    // False when the line could not be opened again (the user was told to
    // restart).
    bool applySettings(const GlobalSettings& changed);

private:
    std::optional<GlobalSettings> runSettingsDialog(bool startup);
    AdapterCatalog listAdapterModels();
    void openIpPbxDetails(const EnvironmentModel& model, int kindId);
    bool takeStartupSettings(const GlobalSettings& changed);
    void saveConfirmedSettings();
    bool rebuildAdapter();
    void reopenTables();
    void applyWindowSettings(const GlobalSettings& before);

    ProgramState& s_;
};

} // namespace kanata
