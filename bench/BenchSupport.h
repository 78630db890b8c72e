#pragma once
// What every benchmark needs: a message service that treats any box as a
// failure (a benchmark must not stop for a question), and a fresh folder
// under the system's temporary folder, and the environment of a program
// started on such a folder.
#include "platform/MessageService.h"

#include <QProcessEnvironment>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace kanata::bench {

class NoBoxes : public MessageService {
public:
    MessageResult ShowCenteredMessage(const MessageRequest& r) override {
        throw std::runtime_error("unexpected message: " + r.text);
    }
};

inline std::filesystem::path FreshFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kanata-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

// The real program's environment on a private root: its work, settings and
// runtime folders under `root`, offscreen, without splash or boxes waiting
// for a hand.
inline QProcessEnvironment ProgramEnvironment(const std::filesystem::path& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", QString::fromStdString((root / "data").string()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((root / "config").string()));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString((root / "runtime").string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KANATA_NO_SPLASH", "1");
    env.insert("KANATA_HEADLESS_MESSAGES", "1");
    return env;
}

} // namespace kanata::bench
