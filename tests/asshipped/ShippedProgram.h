#pragma once
// The program in this process, put together as the program entry does it:
// the menu window and the program on a demo work folder with the build's
// simulator adapter, the windows' own dialogs and modality (no dialog is
// answered through a hook). Message boxes are answered from a script.
#include "tests/support/ProgramInProcess.h"
#include "tests/support/UserInput.h"

#include <functional>

namespace kanata::test {

class ShippedProgram : public ProgramInProcess {
protected:
    void SetUp() override;

    // Starts the program; true once it takes calls. `beforeStartup` sees the
    // menu window before its start-up runs. Unlike ProgramInProcess::start,
    // the menu window keeps what the desktop offers and the settings dialog
    // is the window's own.
    bool start(const std::function<void(TMainForm&)>& beforeStartup = {});
    // Ends the program as the process end would: the program goes first
    // (writing the exit settings), then the menu window.
    void endProgram();
    // Clicks one of the menu window's tool buttons (0 history, 1 roster,
    // 2 settings, 3 exit).
    void clickToolButton(int index);
};

} // namespace kanata::test
