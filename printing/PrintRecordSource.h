#pragma once
// Where a print job takes its records from, one at a time, in print order:
// the value of every item of the source (see PrintValues.h).
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

class PrintRecordSource {
public:
    virtual ~PrintRecordSource() = default;
    // The next record's item values; nullopt when no record follows.
    virtual std::optional<std::vector<std::string>> next() = 0;
    // Passes over `count` records (fewer when the source runs out).
    virtual void skip(long long count) {
        while (count-- > 0 && next())
            ;
    }
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
    void skip(long long count) override {
        at_ = std::min(records_.size(), at_ + static_cast<std::size_t>(std::max(0LL, count)));
    }
    void rewind() { at_ = 0; }
    std::size_t size() const { return records_.size(); }

private:
    std::vector<std::vector<std::string>> records_;
    std::size_t at_ = 0;
};

} // namespace kanata
