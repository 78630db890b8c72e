#include "lookup/FixedSlot.h"

#include "data/Cp932.h"

#include <cstring>

namespace kanata::slot {

std::string read(const char* slot, std::size_t size) {
    const void* nul = std::memchr(slot, '\0', size);
    std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - slot) : size;
    return cp932::decode(std::string_view(slot, length));
}

void write(char* slot, std::size_t size, std::string_view utf8) {
    if (size == 0)
        return;
    std::string bytes = cp932::cutBytes(cp932::encode(utf8), size - 1);
    std::memset(slot, 0, size);
    std::memcpy(slot, bytes.data(), bytes.size());
}

} // namespace kanata::slot
