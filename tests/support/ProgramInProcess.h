#pragma once
// The whole program in the test's own process: the menu window and the
// program's start-up on the private work folder, message boxes answered
// from a script. The fixture of the tests that drive the running program
// through its menu.
#include "intake/gui/IntakeFlags.h"
#include "app/KanataProgram.h"
#include "intake/gui/TMainForm.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

class QDialog;

namespace kanata::test {

class ProgramInProcess : public ::testing::Test {
protected:
    void TearDown() override;

    // Creates the menu window (without a tray icon, whatever the desktop
    // offers) and the program from `appFolder` and runs the start-up; true
    // once it takes calls, false when it closed instead.
    bool start(const std::filesystem::path& appFolder = stageFolder());
    // The demo work folder (kanata-demo), then start(); fails the test
    // unless the program takes calls.
    void startOnDemoData();

    // Changes Kanata195.ini (before start()).
    void editSettings(const std::function<void(IniFile&)>& edit);
    // Kanata195.ini as it is on disk now.
    IniFile settingsFile() const;

    // How the settings dialog is answered during start-up; unset = it must
    // not open.
    std::function<bool(QDialog&)> answerSettings;
    // Set before start(): lets a test plug in further start-up services.
    std::function<void(ProgramDialogs&)> configure;

    TempFolders folders;
    ScriptedMessages messages;
    IntakeFlags flags;
    std::unique_ptr<TMainForm> form;
    bool closed = false; // the menu window closed (the start-up gave up)
    std::unique_ptr<KanataProgram> program;
};

} // namespace kanata::test
