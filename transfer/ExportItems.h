#pragma once
// The 28 items of each export source, their captions and the text each one
// writes for a record.
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"

#include <array>
#include <string>
#include <vector>

namespace kanata {

class HyphenationService;

enum class ExportSource { History = 0, Roster = 1 };
inline constexpr int kExportItemCount = 28;

struct ExportOptions {
    bool OutHeader = true;
    bool BindDblQuote = false;
    bool EditTelHyphen = true;
    bool EditPosHyphen = true;
    bool EditDate = false; // history only
    bool EditTime = false; // history only
    // The text in UTF-8 (with a byte-order mark at the start of a file)
    // instead of code page 932, for characters code page 932 cannot hold.
    bool OutUtf8 = false;
};

// The captions of a source's items; the history's items 9 to 11 carry the
// configured captions of the three selection items.
std::vector<std::string> ExportItemCaptions(ExportSource source,
                                            const std::array<std::string, 3>& selItemCaptions);

// The texts written for the items of a record. Without a hyphenation service
// numbers are written trimmed, as they are stored.
class ExportValues {
public:
    ExportValues(const ExportOptions& options, const HyphenationService* hyphenation);

    // `caller` is the caller's roster record (items 12 to 27), or null.
    std::string history(int item, const RecvHisRow& row, const MeiboRow* caller) const;
    std::string roster(int item, const MeiboRow& row) const;

private:
    std::string tel(const std::string& shown, const std::string& key) const;
    std::string postal(const std::string& pos) const;
    std::string callerItem(int item, const MeiboRow& caller) const;

    ExportOptions options_;
    const HyphenationService* hyphenation_;
};

// Line breaks of a memo as tabs, so that a record stays on one line.
std::string LineBreaksAsTabs(const std::string& text);

} // namespace kanata
