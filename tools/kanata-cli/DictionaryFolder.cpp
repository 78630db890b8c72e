#include "tools/kanata-cli/DictionaryFolder.h"

#include "data/TelKeys.h"
#include "lookup/AddressDictionary.h"
#include "platform/AppFolder.h"

namespace kanata::cli {

std::filesystem::path dictionaryFolder(Arguments& args) {
    if (auto dic = args.takeOption("--dic")) {
        if (!std::filesystem::is_directory(*dic))
            throw UsageError("no dictionary folder " + *dic);
        return *dic;
    }
    return applicationFolder() / "Dic";
}

std::string postalLine(const PostalRow& row) {
    std::string town = TownBaseName(row.town);
    if (row.isOffice())
        town += "　" + row.office;
    return FormatPostalCode(row.postal) + "\t" + row.prefecture + "\t" + row.city + "\t" + town +
           "\t" + row.jis + "\t" + row.townKana;
}

} // namespace kanata::cli
