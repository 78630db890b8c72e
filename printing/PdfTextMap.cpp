#include "printing/PdfTextMap.h"

#include "platform/DurableFile.h"

#include <QFont>
#include <QRawFont>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace kanata {

namespace {

bool IsIdeograph(char32_t c) {
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF);
}

// The blocks below the ideographs whose characters share glyphs with them:
// the radicals, the Hangzhou numerals and the strokes.
constexpr std::pair<char32_t, char32_t> kLookalikeBlocks[] = {
    {0x2E80, 0x2FDF}, {0x3038, 0x303A}, {0x31C0, 0x31EF}};

quint32 GlyphOf(const QRawFont& font, char32_t c) {
    const auto glyphs = font.glyphIndexesForString(QString::fromUcs4(&c, 1));
    return glyphs.isEmpty() ? 0 : glyphs.front();
}

} // namespace

namespace {

PrintedFace FaceOf(const QFont& font, const QString& family) {
    QFont single(font);
    single.setFamilies({family});
    PrintedFace face{QRawFont::fromFont(single), {}};
    if (!face.font.isValid())
        return face;
    for (const auto& [first, last] : kLookalikeBlocks)
        for (char32_t c = first; c <= last; ++c)
            if (const quint32 g = GlyphOf(face.font, c))
                face.lookalikeOf.emplace(g, c);
    return face;
}

} // namespace

void PrintedGlyphs::addText(const QString& text, const QFont& font) {
    std::vector<char32_t> kanji;
    for (char32_t c : text.toUcs4())
        if (IsIdeograph(c))
            kanji.push_back(c);
    if (kanji.empty())
        return;
    QStringList families = font.families();
    if (families.isEmpty())
        families = {font.family()};
    const QString key = families.join(QLatin1Char('|')) + QString::number(font.weight()) +
                        (font.italic() ? QStringLiteral("i") : QString());
    auto& faces = faces_[key];
    if (faces.empty())
        for (const QString& family : families)
            faces.push_back(FaceOf(font, family));
    for (char32_t c : kanji) {
        // The first family that has the character prints it, as on paper.
        const auto face = std::find_if(faces.begin(), faces.end(), [c](const PrintedFace& f) {
            return f.font.isValid() && f.font.supportsCharacter(static_cast<uint>(c));
        });
        if (face == faces.end())
            continue;
        const auto lookalike = face->lookalikeOf.find(GlyphOf(face->font, c));
        if (lookalike != face->lookalikeOf.end())
            corrections_.emplace(lookalike->second, c);
    }
}

void PrintedGlyphs::addPlan(const PagePlan& plan) {
    for (const PlanText& t : plan.texts)
        addText(t.text, t.font);
}

namespace {

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

// The <hex> tokens and brackets of one line of a character map.
struct MapLine {
    std::vector<std::string> hex; // without the angle brackets
    bool array = false;
};

std::optional<MapLine> ParseMapLine(const std::string& line) {
    MapLine parsed;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == '<') {
            const auto end = line.find('>', i);
            if (end == std::string::npos)
                return std::nullopt;
            parsed.hex.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '[') {
            if (parsed.hex.size() != 2)
                return std::nullopt;
            parsed.array = true;
            ++i;
        } else if (c == ']' || c == ' ' || c == '\r') {
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (parsed.hex.size() < 3 || (!parsed.array && parsed.hex.size() != 3))
        return std::nullopt;
    for (const std::string& h : parsed.hex)
        if (h.size() != 4 || h.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
    return parsed;
}

unsigned HexValue(const std::string& h) {
    return static_cast<unsigned>(std::stoul(h, nullptr, 16));
}

// One bfrange line with its destinations corrected; nullopt when unchanged.
std::optional<std::string> CorrectMapLine(const std::string& line,
                                          const TextMapCorrections& corrections) {
    const auto parsed = ParseMapLine(line);
    if (!parsed)
        return std::nullopt;
    const unsigned first = HexValue(parsed->hex[0]), last = HexValue(parsed->hex[1]);
    if (last < first)
        return std::nullopt;
    std::vector<unsigned> targets;
    if (parsed->array) {
        for (std::size_t i = 2; i < parsed->hex.size(); ++i)
            targets.push_back(HexValue(parsed->hex[i]));
    } else {
        // A range of consecutive characters.
        for (unsigned g = first; g <= last; ++g)
            targets.push_back(HexValue(parsed->hex[2]) + (g - first));
    }
    bool changed = false;
    for (unsigned& t : targets)
        if (const auto fix = corrections.find(t); fix != corrections.end()) {
            t = fix->second;
            changed = true;
        }
    if (!changed)
        return std::nullopt;
    std::string out = "<" + parsed->hex[0] + "> <" + parsed->hex[1] + "> ";
    if (targets.size() == 1 && first == last)
        return out + "<" + Hex4(targets.front()) + ">";
    out += "[";
    for (unsigned t : targets)
        out += "<" + Hex4(t) + "> ";
    return out + "]";
}

std::string CorrectCharacterMap(const std::string& map, const TextMapCorrections& corrections) {
    std::string out;
    out.reserve(map.size());
    std::size_t at = 0;
    while (at < map.size()) {
        auto end = map.find('\n', at);
        const bool lastLine = end == std::string::npos;
        if (lastLine)
            end = map.size();
        const std::string line = map.substr(at, end - at);
        out += CorrectMapLine(line, corrections).value_or(line);
        if (!lastLine)
            out += '\n';
        at = end + 1;
    }
    return out;
}

struct Edit {
    std::size_t at, length;
    std::string with;
};

std::optional<std::size_t> NumberAt(const std::string& text, std::size_t at, std::size_t* end) {
    std::size_t i = at;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i == digits || i - digits > 12)
        return std::nullopt;
    if (end)
        *end = i;
    return static_cast<std::size_t>(std::stoull(text.substr(digits, i - digits)));
}

// The edits that correct every character map of `pdf`; nullopt when a map
// is not laid out as Qt writes it.
std::optional<std::vector<Edit>> MapEdits(const std::string& pdf,
                                          const TextMapCorrections& corrections) {
    static const std::string kMapStart = "/CIDInit /ProcSet findresource begin";
    static const std::string kStream = "stream\n";
    std::vector<Edit> edits;
    for (auto at = pdf.find(kMapStart); at != std::string::npos; at = pdf.find(kMapStart, at + 1)) {
        if (at < kStream.size() || pdf.compare(at - kStream.size(), kStream.size(), kStream) != 0)
            return std::nullopt;
        const auto lengthKey = pdf.rfind("/Length ", at);
        if (lengthKey == std::string::npos || at - lengthKey > 40)
            return std::nullopt;
        std::size_t digitsEnd = 0;
        const auto length = NumberAt(pdf, lengthKey + 8, &digitsEnd);
        if (!length || at + *length > pdf.size() ||
            pdf.find("endstream", at + *length) > at + *length + 2)
            return std::nullopt;
        const std::string map = pdf.substr(at, *length);
        std::string corrected = CorrectCharacterMap(map, corrections);
        if (corrected == map)
            continue;
        const std::size_t digits = digitsEnd - std::to_string(*length).size();
        edits.push_back({digits, digitsEnd - digits, std::to_string(corrected.size())});
        edits.push_back({at, map.size(), std::move(corrected)});
    }
    return edits;
}

// Moves the cross reference table's offsets past the edits.
bool ShiftCrossReferences(const std::string& original, std::string& out,
                          const std::vector<Edit>& edits) {
    const auto shifted = [&](std::size_t offset) {
        long long by = 0;
        for (const Edit& e : edits)
            if (e.at < offset)
                by += static_cast<long long>(e.with.size()) - static_cast<long long>(e.length);
        return static_cast<std::size_t>(static_cast<long long>(offset) + by);
    };
    const auto startKey = out.rfind("startxref");
    if (startKey == std::string::npos)
        return false;
    std::size_t startEnd = 0;
    const auto table = NumberAt(out, startKey + 9, &startEnd);
    if (!table || original.compare(*table, 4, "xref") != 0)
        return false;
    const std::size_t newTable = shifted(*table);
    if (out.compare(newTable, 4, "xref") != 0)
        return false;
    std::size_t at = newTable + 4;
    // Sections of "first count" and then count entries of 20 bytes.
    while (true) {
        std::size_t afterFirst = 0, afterCount = 0;
        const auto first = NumberAt(out, at, &afterFirst);
        if (!first)
            break;
        const auto count = NumberAt(out, afterFirst, &afterCount);
        if (!count)
            return false;
        at = afterCount;
        while (at < out.size() && (out[at] == ' ' || out[at] == '\r' || out[at] == '\n'))
            ++at;
        for (std::size_t i = 0; i < *count; ++i, at += 20) {
            if (at + 20 > out.size())
                return false;
            if (out[at + 17] != 'n')
                continue;
            const auto offset = NumberAt(out.substr(at, 10), 0, nullptr);
            if (!offset)
                return false;
            char digits[16];
            std::snprintf(digits, sizeof digits, "%010zu", shifted(*offset));
            out.replace(at, 10, digits);
        }
    }
    const std::size_t digits = startEnd - std::to_string(*table).size();
    out.replace(digits, startEnd - digits, std::to_string(newTable));
    return true;
}

} // namespace

std::optional<std::string> CorrectPdfTextMaps(const std::string& pdf,
                                              const TextMapCorrections& corrections) {
    if (corrections.empty())
        return pdf;
    const auto edits = MapEdits(pdf, corrections);
    if (!edits)
        return std::nullopt;
    if (edits->empty())
        return pdf;
    std::string out;
    out.reserve(pdf.size() + 4096);
    std::size_t from = 0;
    for (const Edit& e : *edits) {
        out.append(pdf, from, e.at - from);
        out += e.with;
        from = e.at + e.length;
    }
    out.append(pdf, from, std::string::npos);
    if (!ShiftCrossReferences(pdf, out, *edits))
        return std::nullopt;
    return out;
}

bool CorrectPdfFileTextMaps(const std::filesystem::path& file,
                            const TextMapCorrections& corrections) {
    if (corrections.empty())
        return true;
    std::string pdf;
    {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return false;
        pdf.assign(std::istreambuf_iterator<char>(in), {});
    }
    const auto corrected = CorrectPdfTextMaps(pdf, corrections);
    if (!corrected)
        return false;
    if (*corrected == pdf)
        return true;
    return !writeFileDurably(file, *corrected);
}

} // namespace kanata
