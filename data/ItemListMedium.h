#pragma once
// Where an item list's bytes are kept: a file of the data folder, or a row on
// the server that the desks share (data/ItemListServer.h). The list itself
// (data/THistoryData.h) knows only this interface.
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace kanata {

// More than any list a person keeps (thousands of items), little enough to
// read at once; a longer one is not read.
inline constexpr std::size_t kMaxItemListBytes = 1 << 20;

// A read or a write that failed; the list turns it into its own message.
class ItemListAccessError : public std::runtime_error {
public:
    enum class Step { Read, Write };
    ItemListAccessError(Step step, const std::string& reason)
        : std::runtime_error(reason), step_(step) {}
    Step step() const { return step_; }

private:
    Step step_;
};

class ItemListMedium {
public:
    // The bytes stored now, or nullopt when the list was never stored; given
    // to a change, which returns the bytes to store (nullopt: leave them).
    using Stored = std::optional<std::string>;
    using Change = std::function<Stored(const Stored&)>;

    virtual ~ItemListMedium() = default;
    // What the user's message names after its first line.
    virtual std::string where() const = 0;
    // True when other desks change the list too, so it is read again before
    // it is shown or changed.
    virtual bool shared() const = 0;
    virtual std::optional<std::string> read() = 0;
    virtual void write(const std::string& bytes) = 0;
    // The bytes stored now, or nullopt when they are still those this
    // medium last read or wrote, which the list holds already.
    virtual std::optional<Stored> readIfChanged() { return read(); }
    // Reads, changes and writes back as one step that no other desk's change
    // of the same list can come between.
    virtual void update(const Change& change) = 0;
};

} // namespace kanata
