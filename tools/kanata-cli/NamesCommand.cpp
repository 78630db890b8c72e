#include "tools/kanata-cli/Commands.h"
#include "tools/kanata-cli/DictionaryFolder.h"

#include "data/Cp932.h"
#include "lookup/NameDictionary.h"
#include "ui/NameEntryLogic.h"

#include <iostream>

namespace kanata::cli {

int runNames(Arguments& args) {
    if (args.wantsHelp()) {
        std::cout << "usage: kanata-cli names READING [--given] [--dic DIR]\n"
                     "  the surnames (given names with --given) whose reading starts with\n"
                     "  READING (kana of any width): reading and kanji form per line.\n";
        return kExitDone;
    }
    const bool given = args.takeFlag("--given");
    const auto dic = dictionaryFolder(args);
    const std::string typed = cp932::trim(TextArgument(args.positionals(1, 1).front()));
    const std::string reading = HalfWidthKana(typed);
    if (reading.empty() || DropDoubleByte(reading) != reading)
        throw UsageError("a reading is written in kana: " + typed);
    const NameDictionary dictionary(dic);
    const auto entries = dictionary.Find(given ? NameKind::GivenName : NameKind::Surname, reading);
    for (const auto& e : entries)
        std::cout << e.reading << "\t" << e.kanji << "\n";
    return entries.empty() ? kExitNoResult : kExitDone;
}

} // namespace kanata::cli
