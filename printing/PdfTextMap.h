#pragma once
// Keeps the text of a PDF file the characters that were printed.
//
// Qt's PDF writer tells readers which character each glyph stands for by
// taking, for every glyph, the lowest code point the font maps to it. The
// Japanese fonts map many kanji and the radical of the same shape to one
// glyph, and the radicals (U+2E80..U+2FDF) come first: a list printing
// "山田" would be searched and copied as "⼭⽥". `PrintedGlyphs` notes the
// kanji a job prints and which radical each would be read as;
// `CorrectPdfTextMaps` then rewrites the writer's character maps so that
// those glyphs read as the kanji again.
#include "printing/PagePlan.h"

#include <QRawFont>
#include <QString>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QFont;

namespace kanata {

// Misread code point -> the code point printed.
using TextMapCorrections = std::map<char32_t, char32_t>;

// One font of a job and the glyphs it shares between kanji and look-alikes.
struct PrintedFace {
    QRawFont font;
    // Glyph -> the lowest look-alike code point the font maps to it.
    std::unordered_map<quint32, char32_t> lookalikeOf;
};

class PrintedGlyphs {
public:
    void addText(const QString& text, const QFont& font);
    void addPlan(const PagePlan& plan);
    const TextMapCorrections& corrections() const { return corrections_; }

private:
    TextMapCorrections corrections_;
    // Per font (families, weight, style): its faces in fallback order.
    std::map<QString, std::vector<PrintedFace>> faces_;
};

// The file `pdf` (as Qt writes it: plain character maps and one cross
// reference table) with the corrections applied; nullopt when its layout
// is not one this understands. A file that needs no change comes back
// unchanged.
std::optional<std::string> CorrectPdfTextMaps(const std::string& pdf,
                                              const TextMapCorrections& corrections);

// Rewrites the file in place; false (and the file untouched) when it cannot
// be read, understood or written.
bool CorrectPdfFileTextMaps(const std::filesystem::path& file,
                            const TextMapCorrections& corrections);

} // namespace kanata
