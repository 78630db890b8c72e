#pragma once
// What a text import can fill: the ordered items of the history and of the
// roster, each with its caption, the longest constant it takes and the
// header names that the automatic assignment recognises for it.
#include <array>
#include <string>
#include <vector>

namespace kanata {

enum class ImportDestination { History = 0, Roster = 1 };

// Item numbers of the history; 0 is the mapping grid's caption row.
enum HistoryItem {
    kHisDate = 1,
    kHisTime,
    kHisTel,
    kHisCorpKana,
    kHisCorpKanji,
    kHisNameKana,
    kHisNameKanji,
    kHisDivision,
    kHisRank,
    kHisSelItem1,
    kHisSelItem2,
    kHisSelItem3,
    kHistoryItemCount = kHisSelItem3,
};

// Item numbers of the roster.
enum RosterItem {
    kRosTel1 = 1,
    kRosTel2,
    kRosPos,
    kRosAdrs1,
    kRosAdrs2,
    kRosAdrs3,
    kRosJisCode,
    kRosCorpKana,
    kRosCorpKanji,
    kRosNameKana,
    kRosNameKanji,
    kRosPrivCorp,
    kRosMemo1,
    kRosMemo2,
    kRosMemo3,
    kRosEMail,
    kRosRank,
    kRosLatitude,
    kRosLongitude,
    kRosMsg,
    kRosMsg1,
    kRosMsg2,
    kRosBGColor,
    kRosExtLink,
    kRosNote,
    kRosAddDate,
    kRosAddTime,
    kRosterItemCount = kRosAddTime,
};

struct ImportItem {
    std::string caption;
    int constantMax = 0; // 0 = no limit
    // The header names recognised for the item, as one or more lists tried
    // one after the other (the roster's first address item has two).
    std::vector<std::vector<std::string>> headerNames;
};

using SelectionCaptions = std::array<std::string, 3>;

// The items of a destination; element 0 is the caption row "項目名".
std::vector<ImportItem> ImportItems(ImportDestination destination,
                                    const SelectionCaptions& selectionCaptions);

} // namespace kanata
