#include "plugins/common/SimulatorLine.h"

#include "plugins/common/SimulatorSocket.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sstream>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kanata::adapter {
namespace {

// A client that stops talking must not hold the line up.
constexpr int kClientTimeoutMs = 2000;

bool fillAddress(const std::filesystem::path& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::string& s = path.native();
    if (s.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, s.c_str(), s.size() + 1);
    return true;
}

bool someoneListens(const sockaddr_un& address) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

bool waitFor(int fd, short events, int stop) {
    pollfd fds[2] = {{fd, events, 0}, {stop, POLLIN, 0}};
    const int rc = poll(fds, 2, kClientTimeoutMs);
    return rc > 0 && (fds[0].revents & (events | POLLHUP)) && !(fds[1].revents & POLLIN);
}

bool parseCode(const std::string& text, std::int32_t& code) {
    if (text.empty() || text.size() > 10)
        return false;
    std::size_t used = 0;
    try {
        const long long v = std::stoll(text, &used);
        if (used != text.size() || v < INT32_MIN || v > INT32_MAX)
            return false;
        code = static_cast<std::int32_t>(v);
        return true;
    } catch (...) {
        return false;
    }
}

void copyField(char* field, std::size_t size, const std::string& value) {
    std::memset(field, 0, size);
    std::memcpy(field, value.data(), std::min(size, value.size()));
}

bool printable(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c >= 0x7F)
            return false;
    return true;
}

} // namespace

bool parseHistoryText(const std::string& text, std::vector<AdapterHistoryRecord>& out,
                      std::string& error) {
    std::vector<AdapterHistoryRecord> records;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        line = trimBlanks(line);
        if (line.empty())
            continue;
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            const std::size_t comma = line.find(',', start);
            fields.push_back(trimBlanks(line.substr(start, comma - start)));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        const std::string where = std::to_string(lineNumber) + " 行目: ";
        if (fields.size() != 3) {
            error = where + "「番号,yyyymmdd,hhnnss」の形ではありません";
            return false;
        }
        if (fields[0].empty() || fields[0].size() > 16 || fields[1].size() > 10 ||
            fields[2].size() > 8 || !printable(fields[0]) || !printable(fields[1]) ||
            !printable(fields[2])) {
            error = where + "番号は半角16文字、日付は10文字、時刻は8文字までです";
            return false;
        }
        AdapterHistoryRecord record;
        copyField(record.Number, sizeof record.Number, fields[0]);
        copyField(record.Date, sizeof record.Date, fields[1]);
        copyField(record.Time, sizeof record.Time, fields[2]);
        records.push_back(record);
    }
    if (records.size() > static_cast<std::size_t>(kSimulatorHistoryCapacity)) {
        error = "アダプターが保存できるのは " + std::to_string(kSimulatorHistoryCapacity) +
                " 件までです（" + std::to_string(records.size()) + " 件）";
        return false;
    }
    out = std::move(records);
    return true;
}

SimulatorLine::SimulatorLine(EventPoster poster, SimulatorStore& store)
    : poster_(poster), store_(store) {}

SimulatorLine::~SimulatorLine() {
    close();
}

std::int32_t SimulatorLine::open(std::int32_t) {
    path_ = simulatorSocketPath();
    std::error_code ec;
    std::filesystem::create_directories(path_.parent_path(), ec);
    sockaddr_un address;
    if (!fillAddress(path_, address))
        return 2;
    if (someoneListens(address))
        return KT_OPEN_PORT_IN_USE;
    ::unlink(path_.c_str()); // left behind by a program that did not close its line

    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    stop_ = eventfd(0, EFD_CLOEXEC);
    if (listener_ < 0 || stop_ < 0 ||
        bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0) {
        close();
        return 2;
    }
    thread_ = std::thread([this] { serve(); });
    return KT_OPEN_OK;
}

void SimulatorLine::close() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto w = ::write(stop_, &one, sizeof one);
        thread_.join();
    }
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(path_.c_str());
    }
    if (stop_ >= 0)
        ::close(stop_);
    listener_ = stop_ = -1;
}

void SimulatorLine::serve() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents & POLLIN)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0)
            continue;
        handle(client);
        ::close(client);
    }
}

void SimulatorLine::handle(int client) {
    std::string request;
    char buffer[4096];
    for (;;) {
        if (!waitFor(client, POLLIN, stop_))
            return;
        const ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
        if (request.size() > kMaxSimulatorRequest) {
            request = "ERR\n要求が大きすぎます";
            break;
        }
    }
    const std::string reply = request.rfind("ERR\n", 0) == 0 ? request : answer(request);
    std::size_t sent = 0;
    while (sent < reply.size()) {
        if (!waitFor(client, POLLOUT, stop_))
            return;
        const ssize_t n = ::send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

std::string SimulatorLine::answer(const std::string& request) {
    const std::size_t eol = request.find('\n');
    const std::string head = request.substr(0, eol);
    const std::string body = eol == std::string::npos ? "" : request.substr(eol + 1);
    const std::size_t blank = head.find(' ');
    const std::string verb = head.substr(0, blank);
    const std::string arg = blank == std::string::npos ? "" : trimBlanks(head.substr(blank + 1));
    if (verb == "HISTORY")
        return replaceHistory(body);
    if (verb == "DIALLED")
        return dialled();
    return inject(verb, arg, body);
}

std::string SimulatorLine::inject(const std::string& verb, const std::string& arg,
                                  const std::string& body) {
    if (verb == "CALL") {
        if (isReasonCode(arg)) {
            poster_.callData(callDataLine(arg, std::time(nullptr)));
            return "OK\n";
        }
        const auto digits = numberDigits(arg);
        if (!digits)
            return "ERR\n番号は半角の数字とハイフン、または P O C S $ のどれかです";
        if (digits->size() > kNumberField)
            return "ERR\n番号は11桁までです";
        poster_.callData(callDataLine(*digits, std::time(nullptr)));
        return "OK\n";
    }
    if (verb == "ERROR" || verb == "NOTICE") {
        std::int32_t code = 0;
        if (!parseCode(arg, code))
            return "ERR\nコードは整数で指定してください";
        if (verb == "ERROR")
            poster_.error(code, body);
        else
            poster_.notice(code, body);
        return "OK\n";
    }
    return "ERR\n不明な要求です: " + verb;
}

std::string SimulatorLine::replaceHistory(const std::string& body) {
    std::vector<AdapterHistoryRecord> records;
    std::string error;
    if (!parseHistoryText(body, records, error))
        return "ERR\n" + error;
    std::lock_guard lock(store_.mutex);
    store_.history = std::move(records);
    return "OK\n" + std::to_string(store_.history.size()) + "\n";
}

std::string SimulatorLine::dialled() {
    std::lock_guard lock(store_.mutex);
    std::string out = "OK\n";
    for (const std::string& d : store_.dialled)
        out += d + "\n";
    return out;
}

std::int32_t SimulatorLine::dial(std::int32_t line, const std::string& number) {
    std::lock_guard lock(store_.mutex);
    store_.dialled.push_back(std::to_string(line) + "," + number);
    return 0;
}

} // namespace kanata::adapter
