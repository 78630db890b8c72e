#pragma once
// The callers' roster records of history rows, as the export writes their
// "(名簿)" items: the record whose SchTel1 is the row's trimmed SchTel,
// else the one whose SchTel2 is, the lowest RecNo of either.
#include "data/MeiboTable.h"
#include "transfer/ExportItems.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kanata {

namespace sql {
class Statement;
}

class CallerRecords {
public:
    // Numbers asked for in one statement.
    static constexpr std::size_t kBatch = 100;
    // Callers kept between chunks: an export meets the same callers again
    // and again, but a table of distinct callers must not be held whole.
    static constexpr std::size_t kKnownCallers = 4096;

    explicit CallerRecords(MeiboTable& roster);
    ~CallerRecords();
    CallerRecords(const CallerRecords&) = delete;
    CallerRecords& operator=(const CallerRecords&) = delete;

    // Looks up the callers of these numbers (SchTel as stored) that are not
    // known yet, kBatch numbers a statement.
    void prefetch(const std::vector<std::string_view>& schTels);
    // The caller of one number, or null; looked up alone when prefetch has
    // not seen it. Valid until the next prefetch or find.
    const CallerItems* find(std::string_view schTel);

private:
    // Numbers compared as whole texts, without a copy for each look-up.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };

    void lookUp(const std::vector<std::string_view>& keys);
    CallerItems itemsAt(int firstColumn) const;

    std::unique_ptr<sql::Statement> byNumbers_;
    std::unordered_map<std::string, std::optional<CallerItems>, Hash, std::equal_to<>> known_;
};

} // namespace kanata
