#pragma once
// The lines of one chunk of an export in the file's encoding, each with its
// CR LF: made while the chunk's rows are read, written after the read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

class ExportLines {
public:
    // Code page 932, or UTF-8 as the text is.
    explicit ExportLines(bool utf8) : utf8_(utf8) {}

    // Adds a line given in UTF-8, without its end.
    void add(std::string_view line);
    std::size_t size() const { return ends_.size(); }
    // Line `i` with its CR LF.
    std::string_view operator[](std::size_t i) const;
    void clear();
    // The characters of every line added that code page 932 cannot hold,
    // written as "?".
    std::int64_t replaced() const { return replaced_; }

private:
    bool utf8_;
    std::string bytes_;
    std::vector<std::size_t> ends_;
    std::int64_t replaced_ = 0;
};

} // namespace kanata
