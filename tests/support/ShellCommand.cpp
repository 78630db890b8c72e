#include "tests/support/ShellCommand.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace kanata::test {

CommandResult runCaptured(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe))
        result.output += buffer.data();
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

} // namespace kanata::test
