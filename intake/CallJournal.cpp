#include "intake/CallJournal.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kanata {
namespace {

// FNV-1a: enough to tell a torn or damaged line from a whole one.
std::uint32_t checksum(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string sealed(std::string body) {
    char check[16];
    std::snprintf(check, sizeof check, "\t%08x\n", checksum(body));
    return body + check;
}

std::string toHex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::optional<std::string> fromHex(std::string_view hex) {
    if (hex.size() % 2)
        return std::nullopt;
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
        if (ec != std::errc() || end != hex.data() + i + 2)
            return std::nullopt;
        out += static_cast<char>(value);
    }
    return out;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The record of one whole, undamaged line without its checksum; none for
// a torn or damaged one.
std::optional<std::vector<std::string_view>> recordOf(std::string_view line) {
    const std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos)
        return std::nullopt;
    const std::string_view body = line.substr(0, tab);
    char check[16];
    std::snprintf(check, sizeof check, "%08x", checksum(body));
    if (line.substr(tab + 1) != check)
        return std::nullopt;
    auto fields = fieldsOf(body);
    if (fields.size() < 2 || !number(fields[1]))
        return std::nullopt;
    return fields;
}

std::string readWhole(int fd) {
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return content;
        content.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

DateTime NextMillisecond(DateTime t) {
    if (++t.msec < 1000)
        return t;
    t.msec = 0;
    if (++t.second < 60)
        return t;
    t.second = 0;
    if (++t.minute < 60)
        return t;
    t.minute = 0;
    if (++t.hour < 24)
        return t;
    return DateTime::fromDays(static_cast<double>(DayNumber(t.year, t.month, t.day) + 1));
}

CallJournal::CallJournal(std::filesystem::path file) : file_(std::move(file)) {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    fd_ = ::open(file_.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0)
        throw std::runtime_error(file_.string() + ": " + std::strerror(errno));
    load();
}

CallJournal::~CallJournal() {
    if (fd_ >= 0)
        ::close(fd_);
}

void CallJournal::load() {
    const std::string content = readWhole(fd_);
    std::map<std::uint64_t, JournalCall> calls;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t eol = content.find('\n', start);
        if (eol == std::string::npos)
            break; // the last line was torn
        const auto record = recordOf(std::string_view(content).substr(start, eol - start));
        start = eol + 1;
        if (!record)
            continue;
        const auto& f = *record;
        const std::uint64_t seq = *number(f[1]);
        nextSeq_ = std::max(nextSeq_, seq + 1);
        if (f[0] == "A" && f.size() == 4) {
            const auto arrival = DateTime::fromText(f[2]);
            auto raw = fromHex(f[3]);
            if (!arrival || !raw)
                continue;
            JournalCall call{seq, *arrival, std::move(*raw), true, std::nullopt};
            calls[seq] = std::move(call);
            if (!lastArrival_ || *arrival > *lastArrival_)
                lastArrival_ = *arrival;
        } else if (f[0] == "L" && f.size() == 3) {
            if (auto it = calls.find(seq); it != calls.end())
                it->second.logOffset = number(f[2]);
        } else if (f[0] == "D") {
            calls.erase(seq);
        }
    }
    size_ = content.size();
    for (auto& [seq, call] : calls) {
        open_.insert(seq);
        unfinished_.push_back(std::move(call));
    }
    compactIfIdle(0);
}

std::vector<JournalCall> CallJournal::takeUnfinished() {
    std::lock_guard lock(mutex_);
    return std::exchange(unfinished_, {});
}

bool CallJournal::append(const std::string& record, bool flush) {
    std::size_t written = 0;
    while (written < record.size()) {
        const ssize_t n = ::write(fd_, record.data() + written, record.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Never leave half a record for the next one to follow on.
            if (written > 0 && ::ftruncate(fd_, static_cast<off_t>(size_)) != 0)
                size_ += written;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    size_ += written;
    return !flush || ::fdatasync(fd_) == 0;
}

JournalCall CallJournal::accept(std::string raw, DateTime now, bool& durable) {
    std::lock_guard lock(mutex_);
    JournalCall call;
    call.seq = nextSeq_++;
    call.arrival = lastArrival_ && !(now > *lastArrival_) ? NextMillisecond(*lastArrival_) : now;
    call.raw = std::move(raw);
    lastArrival_ = call.arrival;
    durable = append(sealed("A\t" + std::to_string(call.seq) + "\t" + call.arrival.toText() + "\t" +
                            toHex(call.raw)),
                     true);
    open_.insert(call.seq);
    return call;
}

void CallJournal::markLogged(std::uint64_t seq, std::uint64_t offset) {
    std::lock_guard lock(mutex_);
    append(sealed("L\t" + std::to_string(seq) + "\t" + std::to_string(offset)), false);
}

void CallJournal::markDone(std::uint64_t seq) {
    std::lock_guard lock(mutex_);
    open_.erase(seq);
    append(sealed("D\t" + std::to_string(seq)), false);
    compactIfIdle(kCompactBytes);
}

void CallJournal::compactIfIdle(std::uint64_t threshold) {
    if (!open_.empty() || size_ <= threshold)
        return;
    // Every call in the file is stored: nothing in it is needed any more.
    // The emptied file need not reach the disk at once; should the old
    // content come back after a power loss, its calls are found stored.
    if (::ftruncate(fd_, 0) == 0)
        size_ = 0;
}

std::uint64_t CallJournal::sizeBytes() const {
    std::lock_guard lock(mutex_);
    return size_;
}

std::size_t CallJournal::openCalls() const {
    std::lock_guard lock(mutex_);
    return open_.size();
}

} // namespace kanata
