#include "plugins/KTComm3/CallerIdModem.h"

#include "plugins/KTComm3/SerialDevice.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kanata::adapter {
namespace {

constexpr auto kReplyTimeout = std::chrono::seconds(3);
constexpr int kAttemptsPerCommand = 2;
// Two rings without a number after the modem was set up: it probably lost
// its caller-ID setting (power cut, reset). For this reason not more often
// than once a minute, so a line without caller-ID service does not keep
// resetting the modem.
constexpr int kRingsBeforeReinit = 2;
constexpr auto kRingReinitInterval = std::chrono::seconds(60);

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        std::string part = trimBlanks(text.substr(start, at - start));
        if (!part.empty())
            parts.push_back(part);
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

} // namespace

InitSteps modemInitSteps(std::int32_t kindId) {
    if (const char* v = std::getenv("KANATA_MODEM_INIT"); v && *v) {
        InitSteps steps;
        for (const std::string& step : split(v, ';'))
            steps.push_back(split(step, '|'));
        if (!steps.empty())
            return steps;
    }
    InitSteps steps = {{"ATZ"}, {"AT+VCID=1", "AT#CID=1"}};
    if (kindId == kModemKindJapan)
        steps.push_back({"AT+VCDT=1"});
    return steps;
}

CallerIdModem::CallerIdModem(const ModelEntry& kind, EventPoster poster)
    : kind_(kind), poster_(poster), steps_(modemInitSteps(kind.kindId)) {}

CallerIdModem::~CallerIdModem() {
    close();
}

std::int32_t CallerIdModem::open(std::int32_t port) {
    device_ = serialDeviceFor(kind_, port);
    std::int32_t result = 2;
    fd_ = openSerialDevice(device_, configuredBaud(), result);
    if (fd_ < 0)
        return result;
    stop_ = eventfd(0, EFD_CLOEXEC);
    dialRequest_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop_ < 0 || dialRequest_ < 0) {
        ::close(fd_);
        if (stop_ >= 0)
            ::close(stop_);
        if (dialRequest_ >= 0)
            ::close(dialRequest_);
        fd_ = stop_ = dialRequest_ = -1;
        return 2;
    }
    thread_ = std::thread([this] { run(); });
    return KT_OPEN_OK;
}

void CallerIdModem::close() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto w = ::write(stop_, &one, sizeof one);
        thread_.join();
    }
    if (fd_ >= 0)
        ::close(fd_);
    if (stop_ >= 0)
        ::close(stop_);
    if (dialRequest_ >= 0)
        ::close(dialRequest_);
    fd_ = stop_ = dialRequest_ = -1;
}

std::chrono::seconds modemHangUpDelay() {
    const char* text = std::getenv("KANATA_MODEM_HANGUP");
    const int seconds = text ? std::atoi(text) : 0;
    return std::chrono::seconds(seconds > 0 && seconds <= 600 ? seconds : 8);
}

std::int32_t CallerIdModem::dial(std::int32_t, const std::string& number) {
    std::string digits;
    for (char c : number)
        if ((c >= '0' && c <= '9') || c == '*' || c == '#')
            digits += c;
    if (digits.empty() || dialRequest_ < 0 || !thread_.joinable())
        return 1;
    {
        std::lock_guard<std::mutex> lock(dialMutex_);
        pendingDial_ = digits;
    }
    const std::uint64_t one = 1;
    return ::write(dialRequest_, &one, sizeof one) == sizeof one ? 0 : 1;
}

// Reader thread: the port is written by this thread only.
void CallerIdModem::startPendingDial() {
    std::uint64_t count = 0;
    [[maybe_unused]] auto r = ::read(dialRequest_, &count, sizeof count);
    std::string digits;
    {
        std::lock_guard<std::mutex> lock(dialMutex_);
        digits.swap(pendingDial_);
    }
    if (digits.empty())
        return;
    // The ";" keeps the modem in command mode after dialling, so ATH can
    // follow without waiting for a carrier that a voice call never sends.
    send("ATDT" + digits + ";");
    ++commandsAwaitingReply_;
    hangUpAt_ = Clock::now() + modemHangUpDelay();
}

void CallerIdModem::run() {
    beginInit();
    for (;;) {
        pollfd fds[3] = {{fd_, POLLIN, 0}, {stop_, POLLIN, 0}, {dialRequest_, POLLIN, 0}};
        const int rc = poll(fds, 3, pollTimeoutMs());
        if (rc < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN)
            return;
        if (fds[2].revents & POLLIN)
            startPendingDial();
        if (hangUpAt_ && Clock::now() >= *hangUpAt_) {
            hangUpAt_.reset();
            send("ATH");
            ++commandsAwaitingReply_;
        }
        const bool hungUp = fds[0].revents & (POLLHUP | POLLERR | POLLNVAL);
        if ((fds[0].revents & POLLIN) || hungUp) {
            // A hang-up with nothing left to read ends the line; otherwise
            // poll would report it again at once, for ever.
            if (!readAvailable(hungUp))
                break;
        }
        if (initialising_ && Clock::now() >= deadline_)
            onTimeout();
    }
    // The device is gone: say so once, then wait quietly for close().
    poster_.error(kErrorModemGone, "モデムとの接続が切れました（" + device_ +
                                       "）\r\nモデムの接続と電源を確認してから回線を開き直して"
                                       "ください");
    pollfd stop = {stop_, POLLIN, 0};
    while (poll(&stop, 1, -1) < 0 && errno == EINTR) {
    }
}

bool CallerIdModem::readAvailable(bool hungUp) {
    char buffer[512];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return !hungUp;
    if (n <= 0)
        return false;
    for (const std::string& line : splitter_.feed(std::string_view(buffer, std::size_t(n))))
        onLine(line);
    return true;
}

void CallerIdModem::onLine(const std::string& raw) {
    const std::string line = trimBlanks(raw);
    if (line == "OK" || line == "ERROR") {
        if (initialising_)
            onReply(line == "OK");
        else if (commandsAwaitingReply_ > 0)
            --commandsAwaitingReply_; // the answer to a dial or hang-up
        else if (line == "OK")
            beginInit(); // nobody asked: the modem has just come back from a reset
        return;
    }
    if (commandsAwaitingReply_ > 0 &&
        (line == "NO DIALTONE" || line == "BUSY" || line == "NO CARRIER" || line == "NO ANSWER")) {
        --commandsAwaitingReply_;
        return;
    }
    if (line == "RING") {
        if (initialising_ || ++ringsWithoutNumber_ < kRingsBeforeReinit)
            return;
        const auto now = Clock::now();
        if (lastRingReinit_ && now - *lastRingReinit_ < kRingReinitInterval)
            return;
        lastRingReinit_ = now;
        beginInit();
        return;
    }
    const auto field = parseReportField(line);
    if (!field)
        return; // echo, banner, noise
    if (auto call = report_.add(*field, std::time(nullptr))) {
        ringsWithoutNumber_ = 0;
        poster_.callData(callDataLine(call->numberOrReason, call->when));
    }
}

void CallerIdModem::beginInit() {
    initialising_ = !steps_.empty();
    step_ = alternative_ = 0;
    attempts_ = 0;
    ringsWithoutNumber_ = 0;
    if (initialising_)
        sendCurrent();
}

void CallerIdModem::sendCurrent() {
    send(steps_[step_][alternative_]);
    deadline_ = Clock::now() + kReplyTimeout;
}

void CallerIdModem::onReply(bool ok) {
    attempts_ = 0;
    if (!ok && ++alternative_ < steps_[step_].size()) {
        sendCurrent();
        return;
    }
    if (!ok && refusedSteps_.insert(step_).second) {
        std::string tried;
        for (const std::string& command : steps_[step_])
            tried += (tried.empty() ? "" : ", ") + command;
        poster_.notice(kNoticeCommandRefused, "モデムがコマンドを受け付けませんでした（" + tried +
                                                  "）\r\n発信者番号が届かない可能性があります");
    }
    alternative_ = 0;
    if (++step_ >= steps_.size()) {
        initialising_ = false;
        return;
    }
    sendCurrent();
}

void CallerIdModem::onTimeout() {
    if (++attempts_ < kAttemptsPerCommand) {
        sendCurrent();
        return;
    }
    if (step_ == 0) {
        // Not answering at all: wrong port, wrong speed or switched off. It
        // will be set up when it greets us after being switched on.
        initialising_ = false;
        poster_.error(kErrorModemSilent, "モデムが応答しません（" + device_ +
                                             "）\r\nモデムの電源と接続、通信速度を確認して"
                                             "ください");
        return;
    }
    onReply(false);
}

void CallerIdModem::send(const std::string& command) {
    const std::string bytes = command + "\r";
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd out = {fd_, POLLOUT, 0};
            if (poll(&out, 1, 1000) <= 0)
                return;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return; // the read side notices a vanished device
        }
    }
}

int CallerIdModem::pollTimeoutMs() const {
    std::optional<Clock::time_point> next;
    if (initialising_)
        next = deadline_;
    if (hangUpAt_ && (!next || *hangUpAt_ < *next))
        next = hangUpAt_;
    if (!next)
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*next - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left) + 1;
}

} // namespace kanata::adapter
