#include "tools/kanata-cli/Commands.h"

#include "lookup/DataCredits.h"

#include <iostream>

namespace kanata::cli {

int runVersion(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << "usage: kanata-cli version\n  prints the program's version.\n";
        return kExitDone;
    }
    args.positionals(0, 0);
    std::cout << "Kanata195 " << KANATA_VERSION << "\n\n" << kDictionaryDataCredits;
    return kExitDone;
}

} // namespace kanata::cli
