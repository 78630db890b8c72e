#include "lookup/PhonebookFormat.h"

#include "platform/DurableFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace kanata::phonebook {
namespace {

constexpr std::string_view kCheckMagic = "KNTPB06C";

void putU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void putU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
std::uint64_t getLE(std::string_view bytes, std::size_t at, int width) {
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}
std::uint32_t getU32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(getLE(b, at, 4));
}

const std::array<std::uint32_t, 256>& crcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One file of the set, written under a temporary name and published by
// the rename; its checksum and size go into the check file.
class OutputFile {
public:
    OutputFile(const std::filesystem::path& folder, const char* name)
        : writer_(folder / name, {.temporary = folder / (std::string(name) + ".tmp")}) {}

    bool write(std::string_view bytes) {
        if (!writer_.write(bytes))
            return false;
        crc_ = crc32(bytes, crc_);
        size_ += bytes.size();
        return true;
    }
    bool finish() { return writer_.finish(); }
    std::string publish() {
        if (writer_.publish())
            return {};
        return "cannot replace " + writer_.target().string() + ": " + writer_.error().message();
    }
    std::uint32_t crc() const { return crc_; }
    std::uint64_t size() const { return size_; }

private:
    DurableFileWriter writer_;
    std::uint32_t crc_ = 0;
    std::uint64_t size_ = 0;
};

std::uint64_t newSetId() {
    std::random_device random;
    return (static_cast<std::uint64_t>(random()) << 32) ^ random();
}

// The three files of a set; the check file comes last, so that a set is
// only taken as whole once all three are in place.
struct SetFiles {
    explicit SetFiles(const std::filesystem::path& folder)
        : records(folder, kRecordsFile), index(folder, kIndexFile), check(folder, kCheckFile) {}
    OutputFile records;
    OutputFile index;
    OutputFile check;
};

std::string writeTemporaries(SetFiles& files, const std::filesystem::path& folder,
                             std::vector<Entry>& entries) {
    const std::uint64_t setId = newSetId();
    const auto count = static_cast<std::uint32_t>(entries.size());
    OutputFile& records = files.records;
    OutputFile& index = files.index;
    if (!records.write(encodeHeader(kRecordsMagic, {kFormatVersion, count, setId})) ||
        !index.write(encodeHeader(kIndexMagic, {kFormatVersion, count, setId})))
        return "cannot write the temporary files in " + folder.string();
    for (const Entry& entry : entries) {
        if (records.size() > UINT32_MAX)
            return "the directory is too large (DBT06B over 4 GiB)";
        auto offset = static_cast<std::uint32_t>(records.size());
        if (!records.write(encodeRecord(entry)) ||
            !index.write(encodeIndexEntry(entry.number, offset)))
            return "cannot write the temporary files in " + folder.string();
    }
    if (!records.finish() || !index.finish())
        return "cannot write the temporary files in " + folder.string();
    CheckRecord check;
    check.count = count;
    check.setId = setId;
    check.indexSize = index.size();
    check.recordsSize = records.size();
    check.indexCrc = index.crc();
    check.recordsCrc = records.crc();
    if (!files.check.write(encodeCheck(check)) || !files.check.finish())
        return "cannot write the temporary files in " + folder.string();
    return {};
}

std::string readWhole(const std::filesystem::path& path, bool& ok) {
    std::string bytes;
    ok = false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    ok = !std::ferror(f);
    std::fclose(f);
    return bytes;
}

} // namespace

const std::vector<FieldLimit>& fieldLimits() {
    static const std::vector<FieldLimit> limits = {
        {"number", &Entry::number, kMaxKeyDigits},
        {"postal code", &Entry::postalCode, 8},
        {"name", &Entry::name, 114},
        {"kana", &Entry::kana, 62},
        {"prefecture and city", &Entry::address1, 40},
        {"town", &Entry::address2, 38},
        {"block and building", &Entry::address3, 118},
        {"address code", &Entry::addressCode, 12},
        {"company code", &Entry::companyCode, 4},
    };
    return limits;
}

std::string problemWith(const Entry& entry) {
    if (entry.number.empty() || !allDigits(entry.number))
        return "the number has no digits";
    for (const FieldLimit& limit : fieldLimits())
        if ((entry.*limit.field).size() > limit.maxBytes)
            return std::string("the ") + limit.name + " is longer than " +
                   std::to_string(limit.maxBytes) + " bytes";
    if (!allDigits(entry.postalCode))
        return "the postal code is not digits";
    return {};
}

std::uint32_t crc32(std::string_view bytes, std::uint32_t crc) {
    const auto& table = crcTable();
    crc = ~crc;
    for (char ch : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string encodeCheck(const CheckRecord& check) {
    std::string out(kCheckMagic);
    putU32(out, check.version);
    putU32(out, check.count);
    putU64(out, check.setId);
    putU64(out, check.indexSize);
    putU64(out, check.recordsSize);
    putU32(out, check.indexCrc);
    putU32(out, check.recordsCrc);
    out.append(12, '\0');
    putU32(out, crc32(out));
    return out;
}

std::optional<CheckRecord> decodeCheck(std::string_view bytes) {
    if (bytes.size() != kCheckSize || bytes.substr(0, 8) != kCheckMagic)
        return std::nullopt;
    if (crc32(bytes.substr(0, 60)) != getU32(bytes, 60))
        return std::nullopt;
    CheckRecord check;
    check.version = getU32(bytes, 8);
    if (check.version != kFormatVersion)
        return std::nullopt;
    check.count = getU32(bytes, 12);
    check.setId = getLE(bytes, 16, 8);
    check.indexSize = getLE(bytes, 24, 8);
    check.recordsSize = getLE(bytes, 32, 8);
    check.indexCrc = getU32(bytes, 40);
    check.recordsCrc = getU32(bytes, 44);
    return check;
}

std::string encodeHeader(std::string_view magic, const FileHeader& header) {
    std::string out(magic);
    putU32(out, header.version);
    putU32(out, header.count);
    putU64(out, header.setId);
    out.append(8, '\0');
    return out;
}

std::optional<FileHeader> decodeHeader(std::string_view magic, std::string_view bytes) {
    if (bytes.size() != kHeaderSize || bytes.substr(0, 8) != magic)
        return std::nullopt;
    FileHeader header{getU32(bytes, 8), getU32(bytes, 12), getLE(bytes, 16, 8)};
    if (header.version != kFormatVersion)
        return std::nullopt;
    return header;
}

std::string encodeRecord(const Entry& entry) {
    std::string payload;
    for (const FieldLimit& limit : fieldLimits()) {
        const std::string& text = entry.*limit.field;
        payload.push_back(static_cast<char>(text.size()));
        payload += text;
    }
    putU32(payload, static_cast<std::uint32_t>(entry.latitude));
    putU32(payload, static_cast<std::uint32_t>(entry.longitude));
    std::string out;
    out.push_back(static_cast<char>(payload.size() & 0xFF));
    out.push_back(static_cast<char>(payload.size() >> 8));
    putU32(out, crc32(payload));
    return out + payload;
}

std::optional<Entry> decodePayload(std::string_view payload) {
    Entry entry;
    std::size_t at = 0;
    for (const FieldLimit& limit : fieldLimits()) {
        if (at >= payload.size())
            return std::nullopt;
        std::size_t length = static_cast<unsigned char>(payload[at++]);
        if (length > limit.maxBytes || at + length > payload.size())
            return std::nullopt;
        entry.*limit.field = std::string(payload.substr(at, length));
        at += length;
    }
    if (payload.size() != at + 8)
        return std::nullopt;
    entry.latitude = static_cast<std::int32_t>(getU32(payload, at));
    entry.longitude = static_cast<std::int32_t>(getU32(payload, at + 4));
    return entry;
}

std::string encodeIndexEntry(std::string_view key, std::uint32_t offset) {
    std::string out(key.substr(0, kMaxKeyDigits));
    out.resize(kKeySize, '\0');
    putU32(out, offset);
    return out;
}

std::string writeSet(const std::filesystem::path& folder, std::vector<Entry> entries) {
    for (const Entry& entry : entries)
        if (std::string problem = problemWith(entry); !problem.empty())
            return "entry " + entry.number + ": " + problem;
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.number < b.number; });
    auto same = std::adjacent_find(entries.begin(), entries.end(),
                                   [](auto& a, auto& b) { return a.number == b.number; });
    if (same != entries.end())
        return "the number " + same->number + " appears twice";

    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    SetFiles files(folder);
    std::string failure = writeTemporaries(files, folder, entries);
    for (OutputFile* file : {&files.records, &files.index, &files.check})
        if (failure.empty())
            failure = file->publish();
    return failure;
}

std::string verifySet(const std::filesystem::path& folder) {
    bool okC, okT, okB;
    std::string c = readWhole(folder / kCheckFile, okC);
    std::string t = readWhole(folder / kIndexFile, okT);
    std::string b = readWhole(folder / kRecordsFile, okB);
    if (!okC || !okT || !okB)
        return "the three files DBT06B, DBT06C, DBT06T cannot all be read";
    auto check = decodeCheck(c);
    if (!check)
        return "DBT06C is damaged or of another format version";
    if (t.size() != check->indexSize || crc32(t) != check->indexCrc)
        return "DBT06T does not match DBT06C";
    if (b.size() != check->recordsSize || crc32(b) != check->recordsCrc)
        return "DBT06B does not match DBT06C";
    auto th = decodeHeader(kIndexMagic, std::string_view(t).substr(0, kHeaderSize));
    auto bh = decodeHeader(kRecordsMagic, std::string_view(b).substr(0, kHeaderSize));
    if (!th || !bh || th->setId != check->setId || bh->setId != check->setId ||
        th->count != check->count || bh->count != check->count ||
        t.size() != kHeaderSize + std::uint64_t{check->count} * kIndexEntrySize)
        return "the headers of DBT06T and DBT06B do not match DBT06C";
    return {};
}

} // namespace kanata::phonebook
