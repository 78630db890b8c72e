#pragma once
// A dictionary file read whole: UTF-8 text, one tab-separated record a line.
// Records are found by line number and split when asked for, so opening a
// large file costs one read and one pass for the line starts.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

class TabFile {
public:
    // Throws std::runtime_error naming the file when it cannot be read.
    explicit TabFile(const std::filesystem::path& file);

    std::size_t size() const { return starts_.size(); }
    // The whole file; line() and field() are slices of it.
    std::string_view text() const { return text_; }
    std::string_view line(std::size_t i) const;
    // Field `index` of line `i`; empty when the line has fewer fields.
    std::string_view field(std::size_t i, std::size_t index) const;
    std::vector<std::string_view> fields(std::size_t i) const;

    // The first line whose first field is not less than `key`. This and
    // prefixRange need the file sorted by its first field.
    std::size_t lowerBound(std::string_view key) const;
    // [first, last) of the lines whose first field starts with `prefix`.
    std::pair<std::size_t, std::size_t> prefixRange(std::string_view prefix) const;

private:
    std::string text_;
    std::vector<std::uint32_t> starts_;
};

std::vector<std::string_view> SplitTabs(std::string_view line);

} // namespace kanata
