#pragma once
// What a desk does with what the server announces: the call windows and
// lists of this PC, as for a call of its own line.
namespace kanata {

struct ProgramState;

// Starts listening when the settings make this PC a desk and it does not
// listen yet; stops when they no longer do. Called once the tables and the
// history list are open, and after every settings change.
void ReviewDeskMode(ProgramState& state);

// Reads the history row `recNo` and shows it as a new call.
void ShowDeskCall(ProgramState& state, int recNo);

} // namespace kanata
