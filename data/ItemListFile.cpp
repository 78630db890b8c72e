#include "data/ItemListFile.h"

#include "platform/DurableFile.h"

#include <fstream>
#include <iterator>

namespace kanata {

std::optional<std::string> ItemListFile::read() {
    std::ifstream file(path_, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::error_code ec;
    if (std::filesystem::file_size(path_, ec) > kMaxItemListBytes && !ec)
        throw ItemListAccessError(ItemListAccessError::Step::Read, where() + " is too long");
    std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad() || fault(FileAccess::Read) != 0)
        throw ItemListAccessError(ItemListAccessError::Step::Read, "cannot read " + where());
    return data;
}

void ItemListFile::write(const std::string& bytes) {
    std::error_code ec;
    if (path_.has_parent_path())
        std::filesystem::create_directories(path_.parent_path(), ec);
    std::filesystem::path temporary = path_;
    temporary += ".tmp";
    if (fault(FileAccess::Write) != 0 || writeFileDurably(path_, bytes, {.temporary = temporary}))
        throw ItemListAccessError(ItemListAccessError::Step::Write, "cannot write " + where());
}

void ItemListFile::update(const Change& change) {
    if (const std::optional<std::string> bytes = change(read()))
        write(*bytes);
}

} // namespace kanata
