#pragma once
// A shell command run to its end, its standard output and error taken
// together, for tests that check what a script says and how it ends.
#include <string>

namespace kanata::test {

struct CommandResult {
    int status = -1; // the exit status; -1 when it could not run or was killed
    std::string output;
};

CommandResult runCaptured(const std::string& command);

} // namespace kanata::test
