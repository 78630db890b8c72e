#include "settings/IniFile.h"

#include "data/Cp932.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
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

std::string errnoText(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::filesystem::path temporaryName(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::string name = "." + target.filename().string() + ".tmp" + std::to_string(::getpid()) +
                       "-" + std::to_string(counter++);
    return target.parent_path() / name;
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

bool IniFile::load() {
    sections_.clear();
    lastError_.clear();
    std::error_code ec;
    existed_ = std::filesystem::is_regular_file(path_, ec);
    if (!existed_)
        return true;
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        existed_ = false;
        lastError_ = errnoText("cannot open", path_);
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string content = bytes.str();
    if (encoding_ == Encoding::Utf8) {
        if (content.rfind("\xEF\xBB\xBF", 0) == 0)
            content.erase(0, 3);
        parse(content);
    } else {
        parse(cp932::decode(content));
    }
    return true;
}

void IniFile::parse(std::string_view utf8) {
    sections_.clear();
    sections_.push_back(Section{});
    while (!utf8.empty()) {
        std::size_t end = utf8.find('\n');
        std::string_view raw = utf8.substr(0, end);
        utf8 = end == std::string_view::npos ? std::string_view{} : utf8.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);

        std::string_view t = trimBlanks(raw);
        if (!t.empty() && t.front() == '[') {
            std::size_t close = t.find(']');
            std::string_view name =
                t.substr(1, close == std::string_view::npos ? t.npos : close - 1);
            sections_.push_back(Section{std::string(trimBlanks(name)), true, {}});
            sections_.back().lines.push_back(Line{std::string(raw), {}, {}});
            continue;
        }
        Line line{std::string(raw), {}, {}};
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
            out += l.raw;
            out += "\r\n";
        }
    return out;
}

bool IniFile::save() {
    lastError_.clear();
    std::string content = text();
    if (encoding_ == Encoding::Cp932)
        content = cp932::encode(content);

    const std::filesystem::path temp = temporaryName(path_);
    FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        lastError_ = errnoText("cannot create", temp);
        return false;
    }
    struct stat old {};
    if (::stat(path_.c_str(), &old) == 0)
        ::fchmod(fd.get(), old.st_mode & 07777);

    bool ok = writeAll(fd.get(), content);
    if (!ok)
        lastError_ = errnoText("cannot write", temp);
    if (ok && ::fsync(fd.get()) != 0) {
        ok = false;
        lastError_ = errnoText("cannot flush", temp);
    }
    if (::close(fd.release()) != 0 && ok) {
        ok = false;
        lastError_ = errnoText("cannot close", temp);
    }
    if (ok && ::rename(temp.c_str(), path_.c_str()) != 0) {
        ok = false;
        lastError_ = errnoText("cannot replace", path_);
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    std::filesystem::path folder = path_.parent_path().empty() ? "." : path_.parent_path();
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    existed_ = true;
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

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    if (sections_.empty())
        sections_.push_back(Section{});
    Section* s = findSection(section);
    if (!s) {
        sections_.push_back(Section{std::string(section), true, {}});
        s = &sections_.back();
        s->lines.push_back(Line{"[" + std::string(section) + "]", {}, {}});
    }
    Line line{std::string(key) + "=" + storedForm(value), std::string(key), std::string(value)};
    for (Line& l : s->lines)
        if (!l.key.empty() && sameName(l.key, key)) {
            line.key = l.key; // keep the spelling already in the file
            line.raw = l.key + "=" + storedForm(value);
            l = std::move(line);
            return;
        }
    // New keys go after the last key, before trailing blank lines.
    auto pos = s->lines.end();
    while (pos != s->lines.begin() + 1 && trimBlanks(std::prev(pos)->raw).empty())
        --pos;
    s->lines.insert(pos, std::move(line));
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
    std::erase_if(sections_,
                  [&](const Section& s) { return s.hasHeader && sameName(s.name, section); });
}

void IniFile::deleteKey(std::string_view section, std::string_view key) {
    Section* s = findSection(section);
    if (!s)
        return;
    std::erase_if(s->lines, [&](const Line& l) { return !l.key.empty() && sameName(l.key, key); });
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
