#pragma once
// A work folder that starts the program on the call simulator without the
// settings dialog, with a few roster entries to identify.
#include <filesystem>
#include <string>

namespace kanata {

class MessageService;

struct DemoOptions {
    std::filesystem::path applicationFolder; // holds KTComm3.so
    std::filesystem::path workFolder;
    int lineType = 0; // 0: KTComm3.so (simulator 900), 1: KTComm3ip.so (901)
    bool seedRoster = true;
};

// Writes Kanata195.ini (only when the folder has none) and, when asked,
// seeds the roster of a new data folder. False with a message on stderr
// when the adapter library cannot be read.
bool PrepareDemoFolder(const DemoOptions& options, MessageService& messages);

} // namespace kanata
