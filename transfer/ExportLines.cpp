#include "transfer/ExportLines.h"

#include "data/Cp932.h"
#include "data/Cp932Table.h"

#include <algorithm>

namespace kanata {

void ExportLines::add(std::string_view line) {
    const std::size_t start = bytes_.size();
    if (utf8_) {
        bytes_ += line;
    } else {
        // As cp932::encode converts the whole line, into the chunk's bytes.
        const std::size_t known = cp932::table::encodeHead(line, bytes_);
        if (known < line.size()) {
            bytes_ += cp932::encode(line.substr(known));
            // Code page 932 writes "?" for each character it cannot hold;
            // never a trail byte, so the "?" beyond those of the text are
            // the replaced ones.
            const auto marks = [](auto begin, auto end) {
                return static_cast<std::int64_t>(std::count(begin, end, '?'));
            };
            replaced_ += marks(bytes_.begin() + static_cast<std::ptrdiff_t>(start), bytes_.end()) -
                         marks(line.begin(), line.end());
        }
    }
    bytes_ += "\r\n";
    ends_.push_back(bytes_.size());
}

std::string_view ExportLines::operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
}

void ExportLines::clear() {
    bytes_.clear();
    ends_.clear();
}

} // namespace kanata
