// kanata-demo [--ip] [--empty]: prepares the work folder under $XDG_DATA_HOME
// so that the program starts on the call simulator. An existing settings
// file is left alone.
#include "platform/AppFolder.h"
#include "platform/MessageService.h"
#include "settings/WorkFolders.h"
#include "tools/kanata-demo/DemoFolder.h"

#include <cstring>
#include <iostream>

namespace {
class StderrMessages : public kanata::MessageService {
public:
    kanata::MessageResult ShowCenteredMessage(const kanata::MessageRequest& request) override {
        std::cerr << "kanata-demo: " << request.text << "\n";
        return kanata::MessageResult::Ok;
    }
};
} // namespace

int main(int argc, char** argv) {
    kanata::DemoOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ip") == 0) {
            options.lineType = 1;
        } else if (std::strcmp(argv[i], "--empty") == 0) {
            options.seedRoster = false;
        } else {
            std::cerr << "usage: kanata-demo [--ip] [--empty]\n";
            return 64;
        }
    }
    options.applicationFolder = kanata::applicationFolder();
    options.workFolder = kanata::findWorkFolder(options.applicationFolder);
    StderrMessages messages;
    if (!kanata::PrepareDemoFolder(options, messages))
        return 1;
    std::cout << options.workFolder.string() << "\n";
    return 0;
}
