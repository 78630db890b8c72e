#include "transfer/ImportMapping.h"

#include "data/Cp932.h"
#include "data/WidthConversion.h"

#include <algorithm>

namespace kanata {

std::string MappingSlot::shown() const {
    if (kind == Kind::Field && emptySample)
        return "項目" + std::to_string(field + 1);
    return text;
}

MappingSlot MappingSlot::forField(int field, const std::string& sample) {
    MappingSlot slot;
    slot.kind = Kind::Field;
    slot.field = field;
    slot.emptySample = sample.empty() || sample == "\"\"";
    slot.text = sample;
    return slot;
}

MappingSlot MappingSlot::forConstant(std::string text) {
    MappingSlot slot;
    slot.kind = Kind::Constant;
    slot.text = std::move(text);
    return slot;
}

void ImportMapping::reset(int itemCount) {
    items_.assign(static_cast<std::size_t>(std::max(itemCount, 0)) + 1, Slots{});
}

int ImportMapping::filled(int item) const {
    const Slots& s = slotsOf(item);
    return static_cast<int>(
        std::find_if(s.begin(), s.end(), [](const MappingSlot& m) { return m.isEmpty(); }) -
        s.begin());
}

bool ImportMapping::isEmpty() const {
    for (int item = 1; item <= itemCount(); ++item)
        if (hasFirst(item))
            return false;
    return true;
}

void ImportMapping::set(int item, MappingSlot slot) {
    at(item)[0] = std::move(slot);
}

bool ImportMapping::add(int item, MappingSlot slot) {
    const int free = filled(item);
    if (free == kSlots)
        return false;
    at(item)[static_cast<std::size_t>(free)] = std::move(slot);
    return true;
}

void ImportMapping::removeLast(int item) {
    const int last = filled(item) - 1;
    if (last >= 0)
        at(item)[static_cast<std::size_t>(last)] = MappingSlot{};
}

void ImportMapping::clearItem(int item) {
    at(item) = Slots{};
}

void ImportMapping::clearAll() {
    reset(itemCount());
}

void ImportMapping::swap(int a, int b) {
    std::swap(at(a), at(b));
}

std::string ImportMapping::value(int item, const std::vector<std::string>& fields) const {
    std::string value;
    valueInto(item, fields, value);
    return value;
}

void ImportMapping::valueInto(int item, const std::vector<std::string>& fields,
                              std::string& value) const {
    value.clear();
    for (const MappingSlot& slot : slotsOf(item)) {
        if (slot.isEmpty())
            break;
        if (slot.kind == MappingSlot::Kind::Constant)
            value += slot.text;
        else if (slot.field >= 0 && static_cast<std::size_t>(slot.field) < fields.size())
            value += fields[static_cast<std::size_t>(slot.field)];
    }
}

namespace {
std::string comparable(const std::string& text) {
    std::string t = cp932::trim(text);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        t = cp932::trim(t.substr(1, t.size() - 2));
    t = ToHalfWidth(t);
    std::transform(t.begin(), t.end(), t.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return t;
}
} // namespace

void AssignByHeaderNames(ImportMapping& mapping, const std::vector<ImportItem>& items,
                         const std::vector<std::string>& sampleFields) {
    mapping.reset(static_cast<int>(items.size()) - 1);
    std::vector<std::string> fields;
    for (const std::string& f : sampleFields)
        fields.push_back(comparable(f));
    for (int item = 1; item < static_cast<int>(items.size()); ++item) {
        for (const auto& names : items[static_cast<std::size_t>(item)].headerNames) {
            bool assigned = false;
            for (std::size_t f = 0; f < fields.size() && !assigned; ++f) {
                for (const std::string& name : names) {
                    if (name.empty() || fields[f] != comparable(name))
                        continue;
                    MappingSlot slot = MappingSlot::forField(static_cast<int>(f), name);
                    mapping.add(item, slot);
                    assigned = true;
                    break;
                }
            }
        }
    }
}

} // namespace kanata
