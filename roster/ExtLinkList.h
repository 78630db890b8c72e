#pragma once
// The external links of a roster record: at most ten, at most 2000 bytes
// counted as the stored memo counts them (each link with its line end).
#include <string>
#include <vector>

namespace kanata {

class ExtLinkList {
public:
    static constexpr int kMaxLinks = 10;
    static constexpr std::size_t kMaxBytes = 2000;

    enum class AddResult { Added, Duplicate, TooLong, Full, Empty };

    ExtLinkList() = default;
    explicit ExtLinkList(std::vector<std::string> links) : links_(std::move(links)) {}

    const std::vector<std::string>& links() const { return links_; }
    int count() const { return static_cast<int>(links_.size()); }
    bool canAdd() const { return count() < kMaxLinks; }
    // The stored size: every link's width in code page 932 bytes plus 2.
    std::size_t storedBytes() const;

    // A link equal to a listed one (ignoring ASCII case) is ignored.
    AddResult Add(const std::string& link);
    // Removes the link at `index`; returns the index to select afterwards
    // (-1 when the list is empty, or the index was outside it).
    int Remove(int index);

    static const char* TooLongMessage();

private:
    std::vector<std::string> links_;
};

// Colours as the roster stores them: "$" and six hexadecimal digits with
// blue in the highest two and red in the lowest.
struct Rgb {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};
std::string StoredColourText(Rgb colour);
// nullopt-like: false when the text is not "$" and six hexadecimal digits.
bool ParseStoredColour(const std::string& text, Rgb& colour);

} // namespace kanata
