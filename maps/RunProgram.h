#pragma once
// Starts another program as the map products and helpers need it.
#include <string>

namespace kanata {

// Starts `commandLine` (the program first, double quotes group words) with
// `workingFolder` as its folder when that exists ("@" = the program's own
// folder). Without `noWait` it waits for the end while the event loop keeps
// running and returns the exit code; with it, 0 once started. A program
// that cannot be started gives a non-zero code (the system's error number
// of the failure, at least 1).
int RunProgram(const std::string& commandLine, const std::string& workingFolder, bool noWait);

} // namespace kanata
