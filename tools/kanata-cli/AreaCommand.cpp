#include "tools/kanata-cli/Commands.h"
#include "tools/kanata-cli/DictionaryFolder.h"

#include "lookup/AddressDictionary.h"

#include <iostream>

namespace kanata::cli {

int runArea(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << "usage: kanata-cli area NUMBER [--dic DIR]\n"
                     "  the exchange area of a telephone number: one line per municipality it\n"
                     "  serves (area, prefecture, municipality, JIS code), or the area's name\n"
                     "  alone when it names no municipality.\n";
        return kExitDone;
    }
    const auto dic = dictionaryFolder(args);
    const std::string number = args.positionals(1, 1).front();
    std::string digits;
    for (char c : number) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c != '-')
            throw UsageError("a telephone number has only digits and hyphens: " + number);
    }
    if (digits.size() < 2 || digits[0] != '0')
        throw UsageError("a telephone number starts with 0: " + number);
    const AddressDictionary dictionary(dic);
    const ExchangeArea* area = dictionary.AreaOf(digits);
    if (!area)
        return kExitNoResult;
    int lines = 0;
    for (const std::string& jis : area->jis)
        if (const Municipality* m = dictionary.FindMunicipality(jis)) {
            std::cout << area->name << "\t" << m->prefecture << "\t" << m->name << "\t" << m->jis
                      << "\n";
            ++lines;
        }
    if (!lines)
        std::cout << area->name << "\n";
    return kExitDone;
}

} // namespace kanata::cli
