#pragma once
// The mapping of a text import: for every destination item nine slots,
// filled from the first without gaps, each naming a field of the text
// record or holding a constant. An item's value is its slots' contents in
// order.
#include "transfer/ImportItems.h"

#include <array>
#include <string>
#include <vector>

namespace kanata {

struct MappingSlot {
    enum class Kind { Empty, Field, Constant };
    Kind kind = Kind::Empty;
    int field = -1;           // zero-based field of the text record
    bool emptySample = false; // the sample's field was empty or ""
    std::string text;         // the sample field, recognised header name or constant

    bool isEmpty() const { return kind == Kind::Empty; }
    // What the mapping grid shows: "項目" and the field's number when the
    // sample had nothing to show, else the text.
    std::string shown() const;

    // A slot for field `field` whose sample text (quotes kept) is `sample`.
    static MappingSlot forField(int field, const std::string& sample);
    static MappingSlot forConstant(std::string text);
};

class ImportMapping {
public:
    static constexpr int kSlots = 9;
    using Slots = std::array<MappingSlot, kSlots>;

    // Items are numbered 1..itemCount, as the destination's items.
    explicit ImportMapping(int itemCount = 0) { reset(itemCount); }
    void reset(int itemCount);

    int itemCount() const { return static_cast<int>(items_.size()) - 1; }
    const Slots& slotsOf(int item) const { return items_.at(static_cast<std::size_t>(item)); }
    int filled(int item) const;
    bool hasFirst(int item) const { return filled(item) > 0; }
    bool isFull(int item) const { return filled(item) == kSlots; }
    // True when no item has a first slot.
    bool isEmpty() const;

    // Slot 1 of the item, whatever was there.
    void set(int item, MappingSlot slot);
    // The first free slot; false when all nine are taken.
    bool add(int item, MappingSlot slot);
    void removeLast(int item);
    void clearItem(int item);
    void clearAll();
    // Exchanges all slots of two items.
    void swap(int a, int b);

    // The item's value for a record split into `fields`.
    std::string value(int item, const std::vector<std::string>& fields) const;
    // The same into `value`, keeping its storage.
    void valueInto(int item, const std::vector<std::string>& fields, std::string& value) const;

private:
    Slots& at(int item) { return items_.at(static_cast<std::size_t>(item)); }
    std::vector<Slots> items_;
};

// "一括セット": an empty mapping, then for every item and each of its header
// name lists the first sample field (trimmed, outer quotes removed, compared
// in half-width form without letter case) that carries one of the names.
void AssignByHeaderNames(ImportMapping& mapping, const std::vector<ImportItem>& items,
                         const std::vector<std::string>& sampleFields);

} // namespace kanata
