#pragma once
// Reading an import file line by line. A file that begins with the UTF-8
// byte-order mark is UTF-8 (spreadsheet programs write such files). So is a
// file without the mark whose beginning (the first 4 MiB) holds bytes
// beyond ASCII that are all valid UTF-8: code page 932 text with its
// double-byte and half-width characters is practically never valid UTF-8,
// while read as code page 932 such a file would only give garbled fields.
// Any other file is code page 932; one that begins with a UTF-16 mark (what
// spreadsheets save as "Unicode text") is named as such, for the caller to
// refuse: read as code page 932 it has no field a header could name. Lines
// end with CR LF or LF; the last line needs no line end. Lines are handed
// out as they stand in the file, and fields are turned into UTF-8 only after
// splitting. A line is kept up to kMaxLineBytes: no record comes near it, and
// a file without line ends (a picture or an archive chosen by mistake) must
// not be held whole in memory.
#include "transfer/TextFields.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kanata {

class ImportTextFile {
public:
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;

    // False when the file cannot be opened.
    bool open(const std::filesystem::path& path);
    TextEncoding encoding() const { return encoding_; }
    // A UTF-8 file recognised by its content, without a byte-order mark.
    bool unmarkedUtf8() const { return unmarkedUtf8_; }
    // The file begins with a UTF-16 byte-order mark (either byte order).
    bool utf16() const { return utf16_; }
    // The next line without its line end; false at the end of the file.
    // A longer line comes back cut to kMaxLineBytes, its rest passed over.
    bool readLine(std::string& line);
    // The line last read was longer than kMaxLineBytes.
    bool lineCut() const { return lineCut_; }
    // Bytes read so far (for progress shown by size).
    std::uint64_t position() const { return position_; }

    // A field of a line of this file in UTF-8.
    std::string toUtf8(const std::string& field) const;

private:
    bool refill();

    std::ifstream in_;
    std::vector<char> buffer_;
    std::size_t at_ = 0; // the next unread byte of buffer_
    bool lineCut_ = false;
    TextEncoding encoding_ = TextEncoding::Cp932;
    bool unmarkedUtf8_ = false;
    bool utf16_ = false;
    std::uint64_t position_ = 0;
};

// True for bytes beyond ASCII that are all valid UTF-8; a sequence cut off
// at the very end counts as valid.
bool LooksLikeUtf8(std::string_view bytes);

// The number of lines of a file as ImportTextFile reads them (-1 when it
// cannot be read).
long long CountImportLines(const std::filesystem::path& path);

} // namespace kanata
