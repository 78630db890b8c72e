// The modem report parser on any byte stream, cut into pieces where the
// input says, as bytes arrive from a serial line.
#include "plugins/KTComm3/ModemReports.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the piece size, the rest is the stream.
    const std::size_t piece = data[0] % 17 + 1;
    std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    kanata::adapter::LineSplitter splitter;
    kanata::adapter::CallerIdReport report;
    const std::time_t now = 1700000000;
    while (!stream.empty()) {
        const std::string_view bytes = stream.substr(0, piece);
        stream.remove_prefix(bytes.size());
        for (const std::string& line : splitter.feed(bytes)) {
            const auto field = kanata::adapter::parseReportField(line);
            if (!field)
                continue;
            if (auto call = report.add(*field, now)) {
                const std::string& number = call->numberOrReason;
                if (number.empty() || number.size() > 11)
                    std::abort();
            }
        }
    }
    return 0;
}
