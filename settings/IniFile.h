#pragma once
// A Windows INI file held whole in memory.
//
// Reading follows the Windows profile functions, because the files are shared
// with what the Windows program wrote: section and key names compare without
// ASCII case, values lose leading and trailing blanks and one pair of
// enclosing double quotes, lines starting with ';' are comments, the first of
// duplicate sections or keys wins.
//
// The file is shared with people and other programs, so reading never
// damages it: every line the program does not change is written back byte for
// byte (its own line end, bytes that are not valid code page 932, unknown
// sections and keys), a write of the value a key already has changes nothing,
// and save() writes only when something changed. On disk the text is code
// page 932 (or UTF-8 for files of our own); new lines end in CR LF.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

class IniFile {
public:
    enum class Encoding { Cp932, Utf8 };

    static constexpr std::size_t kMaxFileBytes = 1 << 20;

    explicit IniFile(std::filesystem::path path, Encoding encoding = Encoding::Cp932);

    // Reads the file; a missing file reads as empty. Returns false (with the
    // reason in lastError()) only when an existing file cannot be read.
    bool load();
    // Whether the file existed at the last load() (also when it could not be
    // read).
    bool existed() const { return existed_; }
    // The file exists but could not be read, or holds bytes no settings file
    // holds (control characters: a file overwritten with binary data, or a
    // crash that left blocks of zeros). What could be read is available.
    bool damaged() const { return damaged_; }

    // Until acceptRewrite(), save() keeps changes in memory and leaves the
    // file alone: a damaged file is not replaced before the user has seen
    // and confirmed the settings read from it.
    void holdWrites() { held_ = true; }
    bool writesHeld() const { return held_; }
    // Ends the hold. A damaged file is first kept beside the new one as
    // "<name>.damaged" (".damaged2", ... when taken), and the lines that
    // cannot be settings are dropped, so the next save() writes a clean file.
    // False, with the reason in lastError(), when the copy cannot be kept;
    // the hold then stays.
    bool acceptRewrite();

    // Writes the whole file in one step when anything changed: a temporary
    // file in the same folder, flushed to disk, then renamed over the old one.
    // On failure the old file is untouched and false is returned with a
    // message for the user (Japanese, naming the file and the reason) in
    // lastError().
    bool save();
    const std::string& lastError() const { return lastError_; }
    const std::filesystem::path& path() const { return path_; }
    // Whether there are changes that save() has not written yet.
    bool modified() const { return modified_; }

    // The text as it would be written, in UTF-8.
    std::string text() const;
    // Replace the contents with a text in UTF-8, or with bytes as stored in
    // the file; the next save() writes them.
    void parse(std::string_view utf8);
    void parseBytes(std::string_view bytes);

    // The user's message for a failed write or read of `path` (errno value).
    static std::string writeFailureText(const std::filesystem::path& path, int error);
    static std::string readFailureText(const std::filesystem::path& path, int error);

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
        std::string bytes;  // as stored in the file, without line end
        std::string ending; // "\r\n", "\n", or "" for a last line without one
        std::string key;    // empty for comments and other lines
        std::string value;  // trimmed and unquoted, UTF-8
    };
    struct Section {
        std::string name; // empty for the lines before the first section
        bool hasHeader = false;
        std::vector<Line> lines;
    };

    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;
    static const Line* findLine(const Section& section, std::string_view key);
    Line makeLine(std::string_view utf8) const;
    std::string decoded(std::string_view bytes) const;
    bool keepDamagedCopy();

    std::filesystem::path path_;
    Encoding encoding_;
    std::vector<Section> sections_;
    bool existed_ = false;
    bool damaged_ = false;
    bool held_ = false;
    bool modified_ = false;
    std::string lastError_;
};

} // namespace kanata
