#pragma once
// Where a print job takes its records from, one at a time, in print order:
// the value of every item of the source (see PrintValues.h).
#include <optional>
#include <string>
#include <vector>

namespace kanata {

class PrintRecordSource {
public:
    virtual ~PrintRecordSource() = default;
    // The next record's item values; nullopt when no record follows.
    virtual std::optional<std::vector<std::string>> next() = 0;
};

// Records held in memory (tests, small lists).
class VectorRecordSource : public PrintRecordSource {
public:
    explicit VectorRecordSource(std::vector<std::vector<std::string>> records)
        : records_(std::move(records)) {}
    std::optional<std::vector<std::string>> next() override {
        if (at_ >= records_.size())
            return std::nullopt;
        return records_[at_++];
    }

private:
    std::vector<std::vector<std::string>> records_;
    std::size_t at_ = 0;
};

} // namespace kanata
