#pragma once

namespace kanata {

// State shared by the call intake and the windows that may pop up on a call.
// One instance is owned by the program entry and handed to whoever needs it.
struct IntakeFlags {
    bool ReadyForCalls = false;        // adapter reports are dropped until start-up ends
    bool PopupAllowed = false;         // cleared while a modal task of the menu window runs
    bool NeedEnvironmentSetup = false; // start-up only
};

} // namespace kanata
