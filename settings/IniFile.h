#pragma once
// A Windows INI file held whole in memory.
//
// Reading follows the Windows profile functions, because the files are shared
// with what the Windows program wrote: section and key names compare without
// ASCII case, values lose leading and trailing blanks and one pair of
// enclosing double quotes, lines starting with ';' are comments, the first of
// duplicate sections or keys wins. Everything the program does not touch
// (unknown sections, keys, comments, their order) is written back as it was.
// On disk the text is code page 932 (or UTF-8 for files of our own) with
// CR LF line ends; LF alone is accepted on reading.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

class IniFile {
public:
    enum class Encoding { Cp932, Utf8 };

    explicit IniFile(std::filesystem::path path, Encoding encoding = Encoding::Cp932);

    // Reads the file; a missing file reads as empty. Returns false (with the
    // reason in lastError()) only when an existing file cannot be read.
    bool load();
    // Whether the file existed at the last load().
    bool existed() const { return existed_; }

    // Writes the whole file in one step: a temporary file in the same folder,
    // flushed to disk, then renamed over the old one. On failure the old file
    // is untouched and false is returned with the reason in lastError().
    bool save();
    const std::string& lastError() const { return lastError_; }
    const std::filesystem::path& path() const { return path_; }

    // The text as it would be written (UTF-8, CR LF).
    std::string text() const;
    // Replaces the contents with a text in UTF-8.
    void parse(std::string_view utf8);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view def = {}) const;
    // As GetPrivateProfileInt: optional blanks and sign, then the leading
    // decimal digits; the default only when there are no digits at all.
    int readInteger(std::string_view section, std::string_view key, int def) const;
    bool readBool(std::string_view section, std::string_view key, bool def) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    void eraseSection(std::string_view section);
    void deleteKey(std::string_view section, std::string_view key);

    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

    // ASCII case-insensitive equality, as the profile functions compare names.
    static bool sameName(std::string_view a, std::string_view b);
    // The profile functions' reading of an integer text.
    static int parseInteger(std::string_view text, int def);

private:
    struct Line {
        std::string raw;   // the line as read or written, without line end
        std::string key;   // empty for comments and other lines
        std::string value; // trimmed and unquoted
    };
    struct Section {
        std::string name; // empty for the lines before the first section
        bool hasHeader = false;
        std::vector<Line> lines;
    };

    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;
    static const Line* findLine(const Section& section, std::string_view key);

    std::filesystem::path path_;
    Encoding encoding_;
    std::vector<Section> sections_;
    bool existed_ = false;
    std::string lastError_;
};

} // namespace kanata
