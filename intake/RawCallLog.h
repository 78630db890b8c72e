#pragma once
// The daily raw call log: rd/yyyymmdd.txt in the work folder, one line
// "hh:nn:ss,<call line as received>" and CR LF per call-data line, in the
// code page 932 bytes the adapter sent. A side record for diagnosis: the
// call processing goes on without it.
//
// A call that is logged again after a crash must not appear twice, so each
// append says where its line starts, and holds() can tell afterwards
// whether a line reached the file there.
#include "data/DateTime.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace kanata {

class RawCallLog {
public:
    explicit RawCallLog(std::filesystem::path workFolder) : folder_(std::move(workFolder) / "rd") {}

    std::filesystem::path fileFor(const DateTime& at) const;
    static std::string lineFor(const DateTime& at, std::string_view raw);

    // Appends the line of a call that arrived at `at` to the file of that
    // day, creating the folder and the file when missing. `starting` learns
    // the offset before the line is written. Throws std::runtime_error
    // naming the file and the reason.
    void append(const DateTime& at, std::string_view raw,
                const std::function<void(std::uint64_t)>& starting = {});

    // The file holds this call's line at `offset`.
    bool holds(const DateTime& at, std::string_view raw, std::uint64_t offset) const;

private:
    std::filesystem::path folder_;
};

} // namespace kanata
