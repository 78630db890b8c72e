#include "settings/IniFile.h"

#include "data/Cp932.h"
#include "platform/DurableFile.h"
#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kanata {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string unquote(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return std::string(s);
}

// A value that would not read back as written (outer blanks, or quotes that
// reading would strip) is stored in quotes, which reading removes again.
std::string storedForm(std::string_view value) {
    bool needsQuotes =
        !value.empty() && (isBlank(value.front()) || isBlank(value.back()) ||
                           (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
    if (!needsQuotes)
        return std::string(value);
    return "\"" + std::string(value) + "\"";
}

// A value with a line break would end its line and could start another key
// or section; it is written on one line.
std::string oneLine(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

// No settings file holds control characters; a file that does was
// overwritten with something else or damaged by a crash.
bool hasControlBytes(std::string_view bytes) {
    for (unsigned char c : bytes)
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F)
            return true;
    return false;
}

bool decodesCleanly(std::string_view utf8) {
    return utf8.find("\xEF\xBF\xBD") == std::string_view::npos;
}

std::string reasonText(int error, bool writing) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "ディスクの空き容量が足りません";
    case EACCES:
    case EPERM:
        return writing ? "書き込みが許可されていません" : "読み込みが許可されていません";
    case EROFS:
        return "読み取り専用の場所です";
    case ENOENT:
    case ENOTDIR:
        return "フォルダーが見つかりません";
    case EISDIR:
        return "同じ名前のフォルダーがあります";
    case EIO:
        return "ディスクの読み書きでエラーが発生しました";
    default:
        return "エラー番号 " + std::to_string(error);
    }
}

} // namespace

IniFile::IniFile(std::filesystem::path path, Encoding encoding)
    : path_(std::move(path)), encoding_(encoding) {}

bool IniFile::sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

int IniFile::parseInteger(std::string_view text, int def) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return def;
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 0xFFFFFFFFLL)
            v = 0xFFFFFFFFLL; // saturate instead of overflowing
    }
    // The profile function returns a 32-bit unsigned value read as int.
    auto bits = static_cast<unsigned>(v);
    if (negative)
        bits = 0u - bits;
    return static_cast<int>(bits);
}

std::string IniFile::writeFailureText(const std::filesystem::path& path, int error) {
    return "設定ファイルに書き込めませんでした  \r\n" + path.string() + "  \r\n" +
           reasonText(error, true) + "  ";
}

std::string IniFile::readFailureText(const std::filesystem::path& path, int error) {
    return "設定ファイルが読み込めませんでした  \r\n" + path.string() + "  \r\n" +
           reasonText(error, false) + "  ";
}

bool IniFile::load() {
    sections_.assign(1, Section{});
    lastError_.clear();
    damaged_ = false;
    modified_ = false;
    std::error_code ec;
    existed_ = std::filesystem::exists(path_, ec);
    if (!existed_)
        return true;
    std::string content;
    {
        FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
        char buffer[8192];
        ssize_t n = fd.get() < 0 ? -1 : 0;
        while (fd.get() >= 0 && (n = ::read(fd.get(), buffer, sizeof buffer)) != 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                break;
            content.append(buffer, static_cast<std::size_t>(n));
            if (content.size() > kMaxFileBytes)
                break;
        }
        if (n < 0) {
            damaged_ = true;
            lastError_ = readFailureText(path_, errno);
            return false;
        }
    }
    // No settings file comes near the limit: one beyond it was written over
    // by something else, and is read as far as the limit, like a damaged one
    // (kept whole beside the new one when the user confirms).
    const bool tooLong = content.size() > kMaxFileBytes;
    if (tooLong) {
        content.resize(kMaxFileBytes);
        content.resize(content.rfind('\n') + 1); // no line cut short
    }
    damaged_ = tooLong || hasControlBytes(content);
    parseBytes(content);
    modified_ = false; // what is in memory is what is on disk
    return true;
}

std::string IniFile::decoded(std::string_view bytes) const {
    return encoding_ == Encoding::Cp932 ? cp932::decode(bytes) : std::string(bytes);
}

IniFile::Line IniFile::makeLine(std::string_view utf8) const {
    Line line;
    line.bytes = encoding_ == Encoding::Cp932 ? cp932::encode(utf8) : std::string(utf8);
    line.ending = "\r\n";
    return line;
}

void IniFile::parse(std::string_view utf8) {
    parseBytes(encoding_ == Encoding::Cp932 ? cp932::encode(utf8) : std::string(utf8));
}

void IniFile::parseBytes(std::string_view bytes) {
    sections_.assign(1, Section{});
    modified_ = true;
    bool first = true;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        Line line;
        if (end == std::string_view::npos) {
            line.bytes = std::string(bytes);
            bytes = {};
        } else {
            line.bytes = std::string(bytes.substr(0, end));
            line.ending = "\n";
            bytes.remove_prefix(end + 1);
            if (!line.bytes.empty() && line.bytes.back() == '\r') {
                line.bytes.pop_back();
                line.ending = "\r\n";
            }
        }
        std::string text = decoded(line.bytes);
        // A UTF-8 mark at the start stays in the bytes, out of the names.
        if (first && encoding_ == Encoding::Utf8 && text.rfind("\xEF\xBB\xBF", 0) == 0)
            text.erase(0, 3);
        first = false;

        std::string_view t = trimBlanks(text);
        if (!t.empty() && t.front() == '[') {
            std::size_t close = t.find(']');
            std::string_view name =
                t.substr(1, close == std::string_view::npos ? t.npos : close - 1);
            sections_.push_back(Section{std::string(trimBlanks(name)), true, {}});
            sections_.back().lines.push_back(std::move(line));
            continue;
        }
        std::size_t eq = t.find('=');
        if (!t.empty() && t.front() != ';' && eq != std::string_view::npos && eq > 0) {
            line.key = std::string(trimBlanks(t.substr(0, eq)));
            line.value = unquote(trimBlanks(t.substr(eq + 1)));
        }
        sections_.back().lines.push_back(std::move(line));
    }
}

std::string IniFile::text() const {
    std::string out;
    for (const Section& s : sections_)
        for (const Line& l : s.lines) {
            if (!out.empty() && out.back() != '\n')
                out += "\r\n"; // a line was added after a last line without end
            out += decoded(l.bytes);
            out += l.ending;
        }
    return out;
}

bool IniFile::keepDamagedCopy() {
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec))
        return true;
    for (int n = 1; n < 1000; ++n) {
        std::filesystem::path aside = path_;
        aside += n == 1 ? std::string(".damaged") : ".damaged" + std::to_string(n);
        if (std::filesystem::exists(aside, ec))
            continue;
        // A second name for the same bytes needs no reading, so it also keeps
        // a file that could not be read.
        if (::link(path_.c_str(), aside.c_str()) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        if (std::filesystem::copy_file(path_, aside, ec))
            return true;
        lastError_ = writeFailureText(aside, ec.value());
        return false;
    }
    lastError_ = writeFailureText(path_, EEXIST);
    return false;
}

bool IniFile::acceptRewrite() {
    if (!held_)
        return true;
    if (damaged_) {
        if (!keepDamagedCopy())
            return false;
        for (Section& s : sections_)
            std::erase_if(s.lines, [this](const Line& l) {
                return hasControlBytes(l.bytes) || !decodesCleanly(decoded(l.bytes));
            });
        std::erase_if(sections_, [](const Section& s) { return s.hasHeader && s.lines.empty(); });
        damaged_ = false;
        modified_ = true;
    }
    held_ = false;
    return true;
}

bool IniFile::save() {
    lastError_.clear();
    if (held_ || !modified_)
        return true;
    std::string content;
    for (const Section& s : sections_)
        for (const Line& l : s.lines) {
            if (!content.empty() && content.back() != '\n')
                content += "\r\n";
            content += l.bytes;
            content += l.ending;
        }

    const std::error_code error = writeFileDurably(path_, content, {.keepPermissions = true});
    if (error) {
        lastError_ = writeFailureText(path_, error.value());
        return false;
    }
    existed_ = true;
    modified_ = false;
    return true;
}

IniFile::Section* IniFile::findSection(std::string_view name) {
    for (Section& s : sections_)
        if (s.hasHeader && sameName(s.name, name))
            return &s;
    return nullptr;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    for (const Section& s : sections_)
        if (s.hasHeader && sameName(s.name, name))
            return &s;
    return nullptr;
}

const IniFile::Line* IniFile::findLine(const Section& section, std::string_view key) {
    for (const Line& l : section.lines)
        if (!l.key.empty() && sameName(l.key, key))
            return &l;
    return nullptr;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (!s)
        return std::nullopt;
    const Line* l = findLine(*s, key);
    if (!l)
        return std::nullopt;
    return l->value;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    auto v = value(section, key);
    return v ? *v : std::string(def);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int def) const {
    auto v = value(section, key);
    return v ? parseInteger(*v, def) : def;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key,
                          std::string_view newValue) {
    const std::string value = oneLine(newValue);
    if (sections_.empty())
        sections_.push_back(Section{});
    Section* s = findSection(section);
    if (!s) {
        sections_.push_back(Section{std::string(section), true, {}});
        s = &sections_.back();
        s->lines.push_back(makeLine("[" + std::string(section) + "]"));
    }
    for (Line& l : s->lines)
        if (!l.key.empty() && sameName(l.key, key)) {
            if (l.value == newValue || l.value == value)
                return; // the line keeps its bytes
            // Keep the spelling already in the file, and the line's end.
            Line line = makeLine(l.key + "=" + storedForm(value));
            line.ending = l.ending;
            line.key = l.key;
            line.value = value;
            l = std::move(line);
            modified_ = true;
            return;
        }
    Line line = makeLine(std::string(key) + "=" + storedForm(value));
    line.key = std::string(key);
    line.value = value;
    // New keys go after the last key, before trailing blank lines.
    auto pos = s->lines.end();
    while (pos != s->lines.begin() + 1 && trimBlanks(std::prev(pos)->bytes).empty())
        --pos;
    s->lines.insert(pos, std::move(line));
    modified_ = true;
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
    return value(section, key).has_value();
}

void IniFile::eraseSection(std::string_view section) {
    if (std::erase_if(sections_, [&](const Section& s) {
            return s.hasHeader && sameName(s.name, section);
        }) != 0)
        modified_ = true;
}

void IniFile::deleteKey(std::string_view section, std::string_view key) {
    Section* s = findSection(section);
    if (!s)
        return;
    if (std::erase_if(s->lines,
                      [&](const Line& l) { return !l.key.empty() && sameName(l.key, key); }) != 0)
        modified_ = true;
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> names;
    for (const Section& s : sections_)
        if (s.hasHeader)
            names.push_back(s.name);
    return names;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* s = findSection(section))
        for (const Line& l : s->lines)
            if (!l.key.empty())
                names.push_back(l.key);
    return names;
}

} // namespace kanata
