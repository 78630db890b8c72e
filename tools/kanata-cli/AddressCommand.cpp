#include "tools/kanata-cli/Commands.h"
#include "tools/kanata-cli/DictionaryFolder.h"

#include "data/Cp932.h"
#include "lookup/AddressDictionary.h"

#include <iostream>

namespace kanata::cli {

int runAddress(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << "usage: kanata-cli address TEXT [--dic DIR]\n"
                     "  lists the towns an address text names, in the lines of 'postal'.\n";
        return kExitDone;
    }
    const auto dic = dictionaryFolder(args);
    const std::string text = cp932::trim(TextArgument(args.positionals(1, 1).front()));
    if (text.empty())
        throw UsageError("the address is empty");
    const AddressDictionary dictionary(dic);
    int lines = 0;
    for (const auto& match : dictionary.MunicipalitiesOf(text))
        for (const PostalRow& row : dictionary.TownsFor(match, false)) {
            std::cout << postalLine(row) << "\n";
            ++lines;
        }
    return lines ? kExitDone : kExitNoResult;
}

} // namespace kanata::cli
