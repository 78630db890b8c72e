#include "transfer/ImportTextFile.h"

#include "data/Cp932.h"

namespace kanata {

namespace {
constexpr char kBom[] = "\xEF\xBB\xBF";
}

bool ImportTextFile::open(const std::filesystem::path& path) {
    in_.close();
    in_.clear();
    in_.open(path, std::ios::binary);
    if (!in_)
        return false;
    char head[3] = {};
    in_.read(head, 3);
    if (in_.gcount() == 3 && std::string(head, 3) == kBom) {
        encoding_ = TextEncoding::Utf8;
        position_ = 3;
    } else {
        encoding_ = TextEncoding::Cp932;
        in_.clear();
        in_.seekg(0);
        position_ = 0;
    }
    return true;
}

bool ImportTextFile::readLine(std::string& line) {
    if (!std::getline(in_, line))
        return false;
    position_ += line.size() + (in_.eof() ? 0 : 1);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

std::string ImportTextFile::toUtf8(const std::string& field) const {
    return encoding_ == TextEncoding::Utf8 ? field : cp932::decode(field);
}

long long CountImportLines(const std::filesystem::path& path) {
    ImportTextFile file;
    if (!file.open(path))
        return -1;
    long long count = 0;
    std::string line;
    while (file.readLine(line))
        ++count;
    return count;
}

} // namespace kanata
