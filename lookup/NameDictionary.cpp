#include "lookup/NameDictionary.h"

#include "data/Cp932.h"

#include <algorithm>
#include <cstring>

namespace kanata {
namespace {

void copyField(char (&field)[12], const std::string& utf8) {
    const std::string bytes = cp932::cutBytes(cp932::encode(utf8), sizeof field);
    std::memset(field, 0, sizeof field);
    std::memcpy(field, bytes.data(), bytes.size());
}

} // namespace

NameDictionary::NameDictionary(const std::filesystem::path& dicFolder)
    : surnames_(dicFolder / "sei.txt"), givenNames_(dicFolder / "mei.txt") {}

std::pair<std::size_t, std::size_t> NameDictionary::range(const TabFile& file,
                                                          const std::string& reading) const {
    if (reading.empty())
        return {0, 0};
    auto [first, last] = file.prefixRange(reading);
    last = std::min(last, first + static_cast<std::size_t>(kNameCandidateLimit));
    return {first, last};
}

std::vector<NameDictionary::Entry> NameDictionary::Find(NameKind kind,
                                                        const std::string& reading) const {
    const TabFile& file = kind == NameKind::Surname ? surnames_ : givenNames_;
    std::vector<Entry> out;
    const auto [first, last] = range(file, reading);
    for (std::size_t i = first; i < last; ++i)
        out.push_back({std::string(file.field(i, 0)), std::string(file.field(i, 1))});
    return out;
}

int NameDictionary::count(const TabFile& file, const char* query, std::int32_t* count) const {
    if (!query || !count)
        return kNameNone;
    const auto [first, last] = range(file, cp932::decode(query));
    *count = static_cast<std::int32_t>(last - first);
    return *count > 0 ? kNameFound : kNameNone;
}

int NameDictionary::list(const TabFile& file, const char* query, NameCandidate* list,
                         std::int32_t count) const {
    if (!query || !list || count < 0)
        return kNameNone;
    const auto [first, last] = range(file, cp932::decode(query));
    const std::size_t n = std::min(last - first, static_cast<std::size_t>(count));
    for (std::size_t k = 0; k < n; ++k) {
        copyField(list[k].reading, std::string(file.field(first + k, 0)));
        copyField(list[k].kanji, std::string(file.field(first + k, 1)));
    }
    return n > 0 ? kNameFound : kNameNone;
}

int NameDictionary::DLNMSeiCount(const char* q, int, std::int32_t* c, const char*) const {
    return count(surnames_, q, c);
}
int NameDictionary::DLNMSeiList(const char* q, int, NameCandidate* l, std::int32_t c,
                                const char*) const {
    return list(surnames_, q, l, c);
}
int NameDictionary::DLNMMeiCount(const char* q, int, std::int32_t* c, const char*) const {
    return count(givenNames_, q, c);
}
int NameDictionary::DLNMMeiList(const char* q, int, NameCandidate* l, std::int32_t c,
                                const char*) const {
    return list(givenNames_, q, l, c);
}

} // namespace kanata
