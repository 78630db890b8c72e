#pragma once
// The 25 items of a call that the call view prints and copies, and their
// configuration in section "RECEIVE VIEW OUTPUT": which items are output, in
// which order, the print font and the message memo.
#include <array>
#include <string>
#include <vector>

namespace kanata {

class IniFile;

inline constexpr int kOutputItemCount = 25;
inline constexpr const char* kOutputSection = "RECEIVE VIEW OUTPUT";

// Item codes of the selection items (their names are configurable).
inline constexpr int kOutputSelItem1 = 20;

// The name of item `code` in roster or address-book mode (the table names;
// the selection items are renamed by the caller).
std::string OutputItemName(int code, bool addressBookMode);
bool OutputItemDefault(int code);

struct OutputItem {
    int code = 0;     // which of the 25 items
    int position = 0; // its place in the mode's table (the table is in code order)
    bool output = false;
    bool operator==(const OutputItem&) const = default;
};

using OutputItemOrder = std::array<OutputItem, kOutputItemCount>;

// The table order with the table's output defaults.
OutputItemOrder DefaultOutputOrder();

struct OutputItemSettings {
    static constexpr const char* kDefaultFontName = "ＭＳ ゴシック";
    static constexpr int kFontSizeCount = 24; // 7 .. 30 points
    static constexpr int kMemoItemCount = 5;

    OutputItemOrder roster = DefaultOutputOrder();
    OutputItemOrder addressBook = DefaultOutputOrder();
    bool PrintMsg = true;
    std::string FontName = kDefaultFontName;
    int FontSize = 2;      // index into 7..30 points
    int FontStyle = 0;     // 1 bold, 2 italic, 3 both
    int FontCharset = 128; // 0 Western, 128 Japanese
    std::string MemoTitle = DefaultMemoTitle();
    std::array<std::string, kMemoItemCount> MemoItems = DefaultMemoItems();
    int MemoTelPos = 2; // 0 = not printed, k = below memo item k
    bool MemoPrintMsg = true;
    int InitTab = 0;

    static std::string DefaultMemoTitle() { return "伝言メモ"; }
    static std::array<std::string, kMemoItemCount> DefaultMemoItems();

    // Every key with its default and fall-backs.
    static OutputItemSettings Load(const IniFile& ini);
    void Save(IniFile& ini) const;

    int fontPoints() const { return FontSize + 7; }
    bool bold() const { return (FontStyle & 1) != 0; }
    bool italic() const { return (FontStyle & 2) != 0; }
    const OutputItemOrder& order(bool addressBookMode) const {
        return addressBookMode ? addressBook : roster;
    }
    OutputItemOrder& order(bool addressBookMode) { return addressBookMode ? addressBook : roster; }

    bool operator==(const OutputItemSettings&) const = default;
};

// The values of the items switched on, in the configured order, joined by
// "," (no quoting): the line the call view copies to the clipboard.
std::string BuildOutputLine(const std::array<std::string, kOutputItemCount>& values,
                            const OutputItemOrder& order);

} // namespace kanata
