#pragma once
// Roster entries as tests add them.
#include "data/MeiboTable.h"
#include "data/TelKeys.h"

#include <string>

namespace kanata::test {

// An entry with these numbers as shown and their search keys, as the roster
// editor stores them; the test fills in the rest.
inline MeiboRow RosterEntry(const std::string& tel1, const std::string& tel2 = {}) {
    MeiboRow row;
    row.Tel1 = tel1;
    row.SchTel1 = TelSearchKey(tel1);
    row.Tel2 = tel2;
    row.SchTel2 = TelSearchKey(tel2);
    return row;
}

} // namespace kanata::test
