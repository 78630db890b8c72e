#pragma once
// What every benchmark needs: a message service that treats any box as a
// failure (a benchmark must not stop for a question), and a fresh folder
// under the system's temporary folder.
#include "platform/MessageService.h"

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

} // namespace kanata::bench
