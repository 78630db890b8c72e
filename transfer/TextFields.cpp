#include "transfer/TextFields.h"

#include "data/Cp932.h"

namespace kanata {
namespace {

std::size_t characterLength(std::string_view text, std::size_t at, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp932 && at + 1 < text.size() &&
        cp932::isLeadByte(static_cast<unsigned char>(text[at])))
        return 2;
    return 1;
}

std::vector<std::string> cutAtWidth(std::string_view text, std::size_t width,
                                    TextEncoding encoding) {
    std::vector<std::string> pieces(2);
    if (encoding == TextEncoding::Utf8) {
        if (cp932::byteWidth(text) <= width) {
            pieces[0] = std::string(text);
            return pieces;
        }
        pieces[0] = cp932::cutToWidth(text, width);
        pieces[1] = std::string(text.substr(pieces[0].size()));
        if (cp932::byteWidth(pieces[0]) < width)
            pieces[0] += ' ';
        return pieces;
    }
    if (text.size() <= width) {
        pieces[0] = std::string(text);
        return pieces;
    }
    std::size_t at = 0;
    while (at < width)
        at += characterLength(text, at, encoding);
    if (at > width) {
        // The character at `width - 1` is double-byte: it moves on whole.
        at -= 2;
        pieces[0] = std::string(text.substr(0, at)) + ' ';
    } else {
        pieces[0] = std::string(text.substr(0, at));
    }
    pieces[1] = std::string(text.substr(at));
    return pieces;
}

void removeOuterQuotes(std::string& piece) {
    const std::size_t size = piece.size();
    if (size >= 2 && piece[0] == '"' && piece[size - 1] == '"') {
        piece.pop_back();
        piece.erase(0, 1);
    }
}

} // namespace

int CountSeparators(std::string_view line, TextEncoding encoding) {
    int count = 0;
    bool quoted = false;
    for (std::size_t at = 0; at < line.size(); at += characterLength(line, at, encoding)) {
        if (line[at] == '"')
            quoted = !quoted;
        else if (line[at] == ',' && !quoted)
            ++count;
    }
    return count;
}

std::vector<std::string> SplitFields(std::string_view text, int n, SplitMode mode, char separator,
                                     std::size_t width, TextEncoding encoding) {
    if (mode == SplitMode::CutAtWidth)
        return cutAtWidth(text, width, encoding);
    std::vector<std::string> pieces(static_cast<std::size_t>(n < 0 ? 0 : n) + 1);
    const bool quoteAware = mode == SplitMode::Unquote || mode == SplitMode::Quoted;
    std::size_t piece = 0;
    std::size_t start = 0;
    int quotes = 0;
    for (std::size_t at = 0; at < text.size() && piece + 1 < pieces.size();) {
        const std::size_t length = characterLength(text, at, encoding);
        if (length == 1 && text[at] == '"')
            ++quotes;
        else if (length == 1 && text[at] == separator && (!quoteAware || quotes % 2 == 0)) {
            pieces[piece++] = std::string(text.substr(start, at - start));
            start = at + 1;
            quotes = 0;
        }
        at += length;
    }
    if (start <= text.size())
        pieces[piece] = std::string(text.substr(start));
    if (mode == SplitMode::Unquote)
        for (std::string& p : pieces)
            removeOuterQuotes(p);
    return pieces;
}

void SplitRecordFields(std::string_view line, std::vector<std::string>& fields) {
    std::size_t count = 0;
    const auto add = [&](std::string_view piece) {
        if (piece.size() >= 2 && piece.front() == '"' && piece.back() == '"')
            piece = piece.substr(1, piece.size() - 2);
        if (count == fields.size())
            fields.emplace_back(piece);
        else
            fields[count].assign(piece);
        ++count;
    };
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '"') {
            quoted = !quoted;
        } else if (line[at] == ',' && !quoted) {
            add(line.substr(start, at - start));
            start = at + 1;
        }
    }
    add(line.substr(start));
    fields.resize(count);
}

} // namespace kanata
