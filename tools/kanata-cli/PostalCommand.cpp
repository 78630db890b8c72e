#include "tools/kanata-cli/Commands.h"
#include "tools/kanata-cli/DictionaryFolder.h"

#include "lookup/AddressDictionary.h"

#include <algorithm>
#include <iostream>

namespace kanata::cli {

int runPostal(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << "usage: kanata-cli postal CODE [--dic DIR]\n"
                     "  lists the towns and large business offices of a postal code (3, 5 or 7\n"
                     "  digits, hyphen allowed): postal code, prefecture, city, town, JIS code,\n"
                     "  town reading, tab-separated.\n";
        return kExitDone;
    }
    const auto dic = dictionaryFolder(args);
    const std::string code = args.positionals(1, 1).front();
    std::string digits;
    for (char c : code) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c != '-')
            throw UsageError("a postal code has only digits and a hyphen: " + code);
    }
    if (digits.size() != 3 && digits.size() != 5 && digits.size() != 7)
        throw UsageError("a postal code has 3, 5 or 7 digits: " + code);
    const AddressDictionary dictionary(dic);
    const auto rows = dictionary.ByPostalPrefix(digits);
    for (const PostalRow& row : rows)
        std::cout << postalLine(row) << "\n";
    return rows.empty() ? kExitNoResult : kExitDone;
}

} // namespace kanata::cli
