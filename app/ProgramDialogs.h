#pragma once
// The windows and services the program runs through these, so that tests
// can answer them and an unset one falls back to the program's own.
#include <functional>

class QDialog;

namespace kanata {

struct GlobalSettings;

// Windows that later work provides; the program asks through these so that
// a missing one only says it is not available yet.
struct ProgramDialogs {
    // The settings dialog: true when accepted. Unset = the program's own
    // dialog, run by runEnvironment.
    std::function<bool()> environment;
    // Runs the settings dialog once it is prepared (tests answer it); unset =
    // shown modally. True = accepted.
    std::function<bool(QDialog&)> runEnvironment;
    // Runs the start confirmation of the phonebook product (tests answer
    // it); unset = shown modally. True = start.
    std::function<bool(QDialog&)> runPhonebook;

    // Start-up services that later work provides; unset ones are skipped.
    // The notices and the update check: true when an update was started that
    // needs the program to end.
    std::function<bool(GlobalSettings&)> noticesAndUpdate;
    // The automatic backup of the data folder (run only when the data folder
    // setting was valid at load); unset = the program's own generations.
    std::function<void(const GlobalSettings&)> autoBackup;
    // The backup of the phonebook product's address book at start: false
    // when it failed.
    std::function<bool(const GlobalSettings&)> addressBookBackup;
    // Whether a printer is installed; unset = the system's printers.
    std::function<bool()> printerInstalled;
};

} // namespace kanata
