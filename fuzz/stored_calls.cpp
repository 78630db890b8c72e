// The adapter's stored call list ("number,yyyymmdd,hhnnss" lines, as ktcall
// sends it to the simulator) on any text.
#include "plugins/common/SimulatorLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<AdapterHistoryRecord> records;
    std::string error;
    const bool ok = kanata::adapter::parseHistoryText(text, records, error);
    if (ok == !error.empty())
        std::abort(); // either records or a reason, never both or neither
    if (!ok && !records.empty())
        std::abort();
    if (records.size() > static_cast<std::size_t>(kanata::adapter::kSimulatorHistoryCapacity))
        std::abort();
    return 0;
}
