#pragma once
// The SIP model: registers with the office IP-PBX as an extension and also
// takes calls sent straight to its local port. Every INVITE is answered
// with 180 Ringing and reported as one call; it is never taken, so the
// real telephones keep ringing. The SIP stack runs on a thread of its own.
#include "plugins/KTComm3ip/SipSettings.h"
#include "plugins/common/AdapterLibrary.h"

#include <filesystem>
#include <future>
#include <thread>

namespace kanata::adapter {

inline constexpr std::int32_t kSipKindId = 211;

class SipLine : public AdapterLine {
public:
    SipLine(EventPoster poster, std::filesystem::path iniFile);
    ~SipLine() override;

    // 0 listening; 1 the local port is in use; 2 it cannot be opened.
    // Registration goes on in the background and reports by itself.
    std::int32_t open(std::int32_t port) override;
    void close() override;
    // No media: the line cannot place a call. Says so and returns 1.
    std::int32_t dial(std::int32_t line, const std::string& number) override;

private:
    void run(SipSettings settings, std::string localAddress, std::promise<std::int32_t> opened);

    EventPoster poster_;
    std::filesystem::path iniFile_;
    int stop_ = -1; // eventfd that tells the SIP thread to shut down
    std::thread thread_;
};

// The address to listen on: LocalAddress when set, else the address of
// this machine that reaches the IP-PBX (so that the contact it registers is
// one the PBX can reach), else "" for every address.
std::string listenAddressFor(const SipSettings& settings);

} // namespace kanata::adapter
