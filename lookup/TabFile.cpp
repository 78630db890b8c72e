#include "lookup/TabFile.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace kanata {

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (true) {
        const auto tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return out;
        start = tab + 1;
    }
}

TabFile::TabFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error(file.string() + " cannot be read");
    in.seekg(0, std::ios::end);
    text_.resize(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(text_.data(), static_cast<std::streamsize>(text_.size()));
    if (text_.size() >= UINT32_MAX)
        throw std::runtime_error(file.string() + " is too large");
    std::size_t pos = 0;
    while (pos < text_.size()) {
        starts_.push_back(static_cast<std::uint32_t>(pos));
        const auto nl = text_.find('\n', pos);
        pos = nl == std::string::npos ? text_.size() : nl + 1;
    }
}

std::string_view TabFile::line(std::size_t i) const {
    const std::size_t begin = starts_[i];
    std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] : text_.size();
    while (end > begin && (text_[end - 1] == '\n' || text_[end - 1] == '\r'))
        --end;
    return std::string_view(text_).substr(begin, end - begin);
}

std::string_view TabFile::field(std::size_t i, std::size_t index) const {
    std::string_view rest = line(i);
    for (std::size_t k = 0; k < index; ++k) {
        const auto tab = rest.find('\t');
        if (tab == std::string_view::npos)
            return {};
        rest.remove_prefix(tab + 1);
    }
    return rest.substr(0, rest.find('\t'));
}

std::vector<std::string_view> TabFile::fields(std::size_t i) const {
    return SplitTabs(line(i));
}

std::size_t TabFile::lowerBound(std::string_view key) const {
    std::size_t lo = 0, hi = starts_.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (field(mid, 0) < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::pair<std::size_t, std::size_t> TabFile::prefixRange(std::string_view prefix) const {
    const std::size_t first = lowerBound(prefix);
    std::size_t lo = first, hi = starts_.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (field(mid, 0).substr(0, prefix.size()) <= prefix)
            lo = mid + 1;
        else
            hi = mid;
    }
    return {first, lo};
}

} // namespace kanata
