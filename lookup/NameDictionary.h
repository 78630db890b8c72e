#pragma once
// The surname and given-name dictionary of the dictionary folder (sei.txt,
// mei.txt: half-width katakana reading and kanji form, sorted by reading,
// the common forms of a reading first). It answers with the four calls of
// the name dictionary library; a reading matches every entry whose reading
// starts with it (so candidates show while the reading is still typed), the
// exact reading first, at most kNameCandidateLimit entries.
#include "lookup/TabFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

// As the library delivers it: code page 932 text, NUL-padded, not
// necessarily NUL-terminated when a field is full.
struct NameCandidate {
    char reading[12];
    char kanji[12];
};
static_assert(sizeof(NameCandidate) == 24, "NameCandidate keeps the library's 24-byte layout");

inline constexpr std::int32_t kNameCandidateLimit = 300;
inline constexpr int kNameFound = 0;
inline constexpr int kNameNone = 8;

enum class NameKind : int { Surname = 0, GivenName = 1 };

class NameDictionary {
public:
    // Throws std::runtime_error naming the file that cannot be read.
    explicit NameDictionary(const std::filesystem::path& dicFolder);

    // query: code page 932, NUL-terminated; reserved: 0; folder: accepted
    // for the call shape (the dictionary was opened on its folder).
    int DLNMSeiCount(const char* query, int reserved, std::int32_t* count,
                     const char* folder) const;
    int DLNMSeiList(const char* query, int reserved, NameCandidate* list, std::int32_t count,
                    const char* folder) const;
    int DLNMMeiCount(const char* query, int reserved, std::int32_t* count,
                     const char* folder) const;
    int DLNMMeiList(const char* query, int reserved, NameCandidate* list, std::int32_t count,
                    const char* folder) const;

    // The same for UTF-8 text, for the command line and the popup.
    struct Entry {
        std::string reading, kanji;
    };
    std::vector<Entry> Find(NameKind kind, const std::string& reading) const;

private:
    std::pair<std::size_t, std::size_t> range(const TabFile& file,
                                              const std::string& reading) const;
    int count(const TabFile& file, const char* query, std::int32_t* count) const;
    int list(const TabFile& file, const char* query, NameCandidate* list, std::int32_t count) const;

    TabFile surnames_;
    TabFile givenNames_;
};

} // namespace kanata
