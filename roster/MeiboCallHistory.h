#pragma once
// The calls of one roster record's numbers, newest first, for the editor's
// call-history panel. Only the record numbers are held; a row is read when
// it is shown.
#include "data/RecvHisTable.h"

#include <optional>
#include <string>
#include <vector>

namespace kanata {

class TDMKanata195;

class MeiboCallHistory {
public:
    explicit MeiboCallHistory(TDMKanata195& dm) : dm_(dm) {}

    // Every history row whose SchTel begins with one of the keys (empty keys
    // are ignored, so a record without numbers lists nothing).
    void Load(const std::string& schTel1, const std::string& schTel2);
    int count() const { return static_cast<int>(recNos_.size()); }
    std::optional<RecvHisRow> row(int index);

private:
    TDMKanata195& dm_;
    std::vector<int> recNos_;
};

} // namespace kanata
