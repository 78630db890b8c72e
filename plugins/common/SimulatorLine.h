#pragma once
// The simulator adapter: listens on a Unix-domain socket in the work folder
// (see SimulatorSocket.h) and turns what ktcall sends into the events a real
// adapter would post.
#include "plugins/common/AdapterLibrary.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace kanata::adapter {

class SimulatorLine : public AdapterLine {
public:
    SimulatorLine(EventPoster poster, SimulatorStore& store);
    ~SimulatorLine() override;

    // 0 listening; 1 another program listens on the socket already; 2 the
    // socket cannot be made (path too long, folder not writable).
    std::int32_t open(std::int32_t port) override;
    void close() override;
    std::int32_t dial(std::int32_t line, const std::string& number) override;

private:
    void serve();
    void handle(int client);
    std::string answer(const std::string& request);
    std::string inject(const std::string& verb, const std::string& arg, const std::string& body);
    std::string replaceHistory(const std::string& body);
    std::string dialled();

    EventPoster poster_;
    SimulatorStore& store_;
    std::filesystem::path path_;
    int listener_ = -1;
    int stop_ = -1; // eventfd that wakes the thread for close()
    std::thread thread_;
};

// Parses "number,yyyymmdd,hhnnss" lines (blank lines skipped). On a bad
// line returns false and says which in `error`, leaving `out` untouched.
bool parseHistoryText(const std::string& text, std::vector<AdapterHistoryRecord>& out,
                      std::string& error);

} // namespace kanata::adapter
