#pragma once
// Where the simulator adapter listens and how ktcall talks to it. Shared by
// the adapter libraries and ktcall; standard C++ only.
//
// One request per connection: the client writes a first line "VERB [ARG]",
// then any payload, and shuts its side down; the library answers "OK" or
// "ERR", a newline and a payload (UTF-8), and closes.
//   CALL <number or reason code>    -> one WM_LINE_CALLDATA; "OK" only once
//                                      the post returned, that is once the
//                                      program has the call safe on disk
//   ERROR <code>   payload = text   -> WM_LINE_ERROR
//   NOTICE <code>  payload = text   -> WM_LINE_NOTICE
//   HISTORY        payload = lines "number,yyyymmdd,hhnnss" -> stored calls
//   DIALLED                         -> payload: one "line,number" per dial
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kanata::adapter {

inline constexpr const char* kSimulatorSocketName = "KTSimulator.sock";
inline constexpr std::size_t kMaxSimulatorRequest = 1024 * 1024;

// The work folder: $XDG_DATA_HOME/Tenko/Kanata195, with XDG_DATA_HOME
// falling back to ~/.local/share when unset, empty or relative.
inline std::filesystem::path workFolder() {
    std::filesystem::path base;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/") / ".local" / "share";
    }
    return base / "Tenko" / "Kanata195";
}

inline std::filesystem::path simulatorSocketPath() {
    return workFolder() / kSimulatorSocketName;
}

} // namespace kanata::adapter
