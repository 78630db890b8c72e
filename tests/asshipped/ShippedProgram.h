#pragma once
// The program in this process, put together as the program entry does it:
// the menu window and the program on a demo work folder with the build's
// simulator adapter, the windows' own dialogs and modality (no dialog is
// answered through a hook). Message boxes are answered from a script.
#include "intake/gui/IntakeFlags.h"
#include "intake/gui/KanataProgram.h"
#include "intake/gui/TMainForm.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kanata::test {

class ShippedProgram : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Changes Kanata195.ini before start().
    void editSettings(const std::function<void(IniFile&)>& edit);
    // Kanata195.ini as it is on disk now.
    IniFile settingsFile() const;
    // Starts the program; true once it takes calls. `beforeStartup` sees the
    // menu window before its start-up runs.
    bool start(const std::function<void(TMainForm&)>& beforeStartup = {});
    // Ends the program as the process end would: the program goes first
    // (writing the exit settings), then the menu window.
    void endProgram();
    // Runs a tool of the build; its exit code, -1 when it did not end.
    static int runTool(const char* name, const QStringList& arguments,
                       const QByteArray& input = {});
    // Clicks one of the menu window's tool buttons (0 history, 1 roster,
    // 2 settings, 3 exit).
    void clickToolButton(int index);

    TempFolders folders;
    ScriptedMessages messages;
    IntakeFlags flags;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<KanataProgram> program;
    bool closed = false;
};

} // namespace kanata::test
