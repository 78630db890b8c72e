#pragma once
// The 28 items of each export source, their captions and the text each one
// writes for a record.
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
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

// The roster fields a history line shows of its caller, items 12 to 27 in
// item order, each as stored; kept in one text, since an export holds
// thousands of callers.
class CallerItems {
public:
    static constexpr int kFirst = 12;
    static constexpr int kCount = kExportItemCount - kFirst;
    // The roster field of each item, from kFirst on.
    static const std::array<const char*, kCount>& Fields();

    CallerItems() = default;
    // Room for texts of `size` bytes in all.
    explicit CallerItems(std::size_t size) { text_.reserve(size); }

    // Adds the next item's text; items not added are empty.
    void add(std::string_view text);
    std::string_view operator[](int item) const;

private:
    std::string text_;
    std::array<std::uint32_t, kCount> ends_{};
    int count_ = 0;
};

// The texts written for the items of a record, appended to the line being
// made (an export writes millions of them: no text of its own per item).
// Without a hyphenation service numbers are written trimmed, as they are
// stored.
class ExportValues {
public:
    ExportValues(const ExportOptions& options, const HyphenationService* hyphenation);

    // `caller` is the caller's roster record (items 12 to 27), or null.
    void appendHistory(std::string& line, int item, const RecvHisRow& row,
                       const CallerItems* caller) const;
    void appendRoster(std::string& line, int item, const MeiboRow& row) const;

private:
    void appendTel(std::string& line, const std::string& shown, const std::string& key) const;
    void appendPostal(std::string& line, std::string_view pos) const;
    void appendCallerItem(std::string& line, int item, const CallerItems& caller) const;

    ExportOptions options_;
    const HyphenationService* hyphenation_;
};

// Line breaks of a memo as tabs, so that a record stays on one line.
void AppendLineBreaksAsTabs(std::string& line, std::string_view text);

} // namespace kanata
