#pragma once
// A caller-ID modem on a serial port (see README.md beside this file).
//
// A thread reads the port: it sends the initialisation, turns every
// DATE/TIME/NMBR report into one call-data line, initialises the modem
// again when it looks reset, and reports a vanished device once.
#include "plugins/KTComm3/ModemReports.h"
#include "plugins/common/AdapterLibrary.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace kanata::adapter {

inline constexpr std::int32_t kModemKindCom = 800;
inline constexpr std::int32_t kModemKindUsb = 801;
inline constexpr std::int32_t kModemKindJapan = 802;

inline constexpr std::int32_t kErrorModemGone = 210;
inline constexpr std::int32_t kErrorModemSilent = 211;
inline constexpr std::int32_t kNoticeCommandRefused = 301;

// Seconds from dialling to hanging up: $KANATA_MODEM_HANGUP, default 8.
std::chrono::seconds modemHangUpDelay();

// Steps of the initialisation; each step lists alternatives tried in turn
// until one answers OK.
using InitSteps = std::vector<std::vector<std::string>>;
// $KANATA_MODEM_INIT ("ATZ;AT+VCID=1|AT#CID=1": ";" between steps, "|"
// between alternatives) or the defaults for the model.
InitSteps modemInitSteps(std::int32_t kindId);

class CallerIdModem : public AdapterLine {
public:
    CallerIdModem(const ModelEntry& kind, EventPoster poster);
    ~CallerIdModem() override;

    std::int32_t open(std::int32_t port) override;
    void close() override;
    // Dials with ATDT and the digits and hangs up (ATH) after the configured
    // time, so that the telephone on the same line carries the call on.
    std::int32_t dial(std::int32_t line, const std::string& number) override;

private:
    using Clock = std::chrono::steady_clock;

    void run();
    bool readAvailable(bool hungUp); // false once the device is gone
    void onLine(const std::string& line);
    void beginInit();
    void sendCurrent();
    void onReply(bool ok);
    void onTimeout();
    void send(const std::string& command);
    int pollTimeoutMs() const;
    void startPendingDial();

    ModelEntry kind_;
    EventPoster poster_;
    InitSteps steps_;
    std::string device_;
    int fd_ = -1;
    int stop_ = -1;
    int dialRequest_ = -1; // eventfd: a number waits in pendingDial_
    std::mutex dialMutex_;
    std::string pendingDial_;
    std::thread thread_;

    // Reader thread only.
    LineSplitter splitter_;
    CallerIdReport report_;
    bool initialising_ = false;
    std::size_t step_ = 0, alternative_ = 0;
    int attempts_ = 0;
    Clock::time_point deadline_{};
    std::optional<Clock::time_point> lastRingReinit_;
    int ringsWithoutNumber_ = 0;
    std::set<std::size_t> refusedSteps_;
    std::optional<Clock::time_point> hangUpAt_;
    int commandsAwaitingReply_ = 0; // dial and hang-up answers still to come
};

} // namespace kanata::adapter
