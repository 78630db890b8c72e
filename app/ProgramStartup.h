#pragma once
// The start-up sequence, in its fixed order: the adapter library, the
// settings, the start-up password, the line opened ahead of the update
// check, the notices and the update check, the adapter's models, the
// phonebook link and its backup, the settings dialog when one is needed,
// the line, the services, the tables (or the wait for their server), the
// ring sound, the automatic backup, and then calls are taken.
namespace kanata {

struct ProgramState;

class ProgramStartup {
public:
    explicit ProgramStartup(ProgramState& state) : s_(state) {}

    // Runs the sequence; closes the menu window when a step cannot go on.
    void run();

private:
    bool constructAdapter();
    void loadSettings();
    void placeMenuWindow();
    bool checkStartupPassword();
    void openLineAheadOfTheCheck();
    bool noticesAndUpdate();
    bool prepareAdapterModels();
    void checkPhonebookLink();
    void backUpAddressBook();
    bool runEnvironmentSetup();
    bool openLine();
    void loadServices();
    bool openTablesOrAwaitServer();
    void runAutoBackup();
    void finish();

    ProgramState& s_;
};

} // namespace kanata
