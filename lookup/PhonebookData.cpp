#include "lookup/PhonebookData.h"

#include "lookup/PhonebookFormat.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kanata {
namespace {

namespace fs = std::filesystem;
using namespace phonebook;

// A failed search step carries its result code out.
struct SearchFailure {
    int result;
};

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0)
            throw SearchFailure{kPhonebookReadError};
        struct stat info {};
        if (::fstat(fd_, &info) != 0)
            throw SearchFailure{kPhonebookReadError};
        size_ = static_cast<std::uint64_t>(info.st_size);
    }
    ~ReadOnlyFile() { ::close(fd_); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    std::uint64_t size() const { return size_; }

    // Exactly `length` bytes at `offset`; a range beyond the end means the
    // file is not what its check file promised.
    std::string read(std::uint64_t offset, std::size_t length) const {
        if (offset > size_ || length > size_ - offset)
            throw SearchFailure{kPhonebookDamaged};
        std::string bytes(length, '\0');
        std::size_t done = 0;
        while (done < length) {
            ssize_t n =
                ::pread(fd_, bytes.data() + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw SearchFailure{kPhonebookReadError};
            if (n == 0)
                throw SearchFailure{kPhonebookDamaged};
            done += static_cast<std::size_t>(n);
        }
        return bytes;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};

bool isDigitKey(std::string_view key) {
    return !key.empty() &&
           std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int countPresentFiles(const fs::path& folder) {
    int present = 0;
    for (const char* name : {kRecordsFile, kCheckFile, kIndexFile}) {
        std::error_code ec;
        if (fs::is_regular_file(folder / name, ec))
            ++present;
    }
    return present;
}

class Directory {
public:
    explicit Directory(const fs::path& folder)
        : check_(readCheck(folder)), index_(folder / kIndexFile), records_(folder / kRecordsFile) {
        if (index_.size() != check_.indexSize || records_.size() != check_.recordsSize ||
            index_.size() != kHeaderSize + std::uint64_t{check_.count} * kIndexEntrySize)
            throw SearchFailure{kPhonebookDamaged};
        expectHeader(kIndexMagic, index_);
        expectHeader(kRecordsMagic, records_);
    }

    // The offset of the key's record, or none.
    std::optional<std::uint32_t> find(const std::string& key) const {
        std::string wanted = key;
        wanted.resize(kKeySize, '\0');
        std::uint32_t low = 0, high = check_.count;
        while (low < high) {
            std::uint32_t mid = low + (high - low) / 2;
            std::string entry =
                index_.read(kHeaderSize + std::uint64_t{mid} * kIndexEntrySize, kIndexEntrySize);
            int order = std::memcmp(entry.data(), wanted.data(), kKeySize);
            if (order == 0) {
                std::uint32_t offset = 0;
                for (int i = 3; i >= 0; --i)
                    offset = (offset << 8) | static_cast<unsigned char>(entry[kKeySize + i]);
                return offset;
            }
            if (order < 0)
                low = mid + 1;
            else
                high = mid;
        }
        return std::nullopt;
    }

    Entry record(std::uint32_t offset, const std::string& key) const {
        if (offset < kHeaderSize)
            throw SearchFailure{kPhonebookDamaged};
        std::string prefix = records_.read(offset, kRecordPrefixSize);
        std::size_t length = static_cast<unsigned char>(prefix[0]) |
                             (static_cast<std::size_t>(static_cast<unsigned char>(prefix[1])) << 8);
        std::string payload = records_.read(offset + kRecordPrefixSize, length);
        std::uint32_t crc = 0;
        for (int i = 5; i >= 2; --i)
            crc = (crc << 8) | static_cast<unsigned char>(prefix[i]);
        auto entry = crc32(payload) == crc ? decodePayload(payload) : std::nullopt;
        if (!entry || entry->number != key)
            throw SearchFailure{kPhonebookDamaged};
        return *entry;
    }

private:
    static CheckRecord readCheck(const fs::path& folder) {
        ReadOnlyFile file(folder / kCheckFile);
        if (file.size() != kCheckSize)
            throw SearchFailure{kPhonebookDamaged};
        auto check = decodeCheck(file.read(0, kCheckSize));
        if (!check)
            throw SearchFailure{kPhonebookDamaged};
        return *check;
    }

    void expectHeader(std::string_view magic, const ReadOnlyFile& file) const {
        auto header = decodeHeader(magic, file.read(0, kHeaderSize));
        if (!header || header->setId != check_.setId || header->count != check_.count)
            throw SearchFailure{kPhonebookDamaged};
    }

    CheckRecord check_;
    ReadOnlyFile index_;
    ReadOnlyFile records_;
};

template <std::size_t N> void copyText(char (&slot)[N], const std::string& bytes) {
    std::memcpy(slot, bytes.data(), std::min(bytes.size(), N));
}

void fillHit(const Entry& entry, PhonebookHit& hit) {
    copyText(hit.Tel, entry.number);
    copyText(hit.Pos, entry.postalCode);
    copyText(hit.NameKanji, entry.name);
    copyText(hit.NameKana, entry.kana);
    copyText(hit.Address1, entry.address1);
    copyText(hit.Address2, entry.address2);
    copyText(hit.Address3, entry.address3);
    copyText(hit.AddressCode, entry.addressCode);
    copyText(hit.CompanyCode, entry.companyCode);
    hit.Latitude = entry.latitude;
    hit.Longitude = entry.longitude;
}

int search(std::string key, PhonebookHit& hit, const fs::path& folder) {
    if (!isDigitKey(key))
        return kPhonebookBadKey;
    key.resize(std::min(key.size(), kMaxKeyDigits));

    std::error_code ec;
    auto status = fs::status(folder, ec);
    if (!fs::exists(status))
        return kPhonebookNoData;
    if (!fs::is_directory(status))
        return kPhonebookWrongSetupFolder;
    int present = countPresentFiles(folder);
    if (present == 0)
        return kPhonebookNoData;
    if (present < 3)
        return kPhonebookDamaged;

    Directory directory(folder);
    auto offset = directory.find(key);
    if (!offset)
        return kPhonebookNoEntry;
    fillHit(directory.record(*offset, key), hit);
    return kPhonebookFound;
}

} // namespace

int SearchFromTelK(const char* key, PhonebookHit* result, const char* dataFolder,
                   const char* /*dictionaryFolder*/) {
    if (!key || !result)
        return kPhonebookBadKey;
    if (!dataFolder || !*dataFolder)
        return kPhonebookWrongSetupFolder;
    try {
        return search(key, *result, fs::path(dataFolder));
    } catch (const SearchFailure& failure) {
        return failure.result;
    } catch (const std::exception&) {
        return kPhonebookReadError;
    }
}

fs::path PhonebookDataFolder(const fs::path& workFolder, const fs::path& cdDrive) {
    fs::path copied = workFolder / "TelData" / "Kanata195" / "";
    if (countPresentFiles(copied) == 3 || cdDrive.empty())
        return copied;
    return cdDrive / "Kanata195" / "";
}

int SearchPhonebook(const std::string& key, PhonebookHit& hit, const fs::path& dataFolder,
                    const fs::path& dictionaryFolder, MessageService& messages) {
    std::memset(&hit, 0, sizeof hit);
    int result = SearchFromTelK(key.c_str(), &hit, dataFolder.c_str(), dictionaryFolder.c_str());
    switch (result) {
    case kPhonebookFound:
    case kPhonebookNoEntry:
    case kPhonebookBadKey:
    case kPhonebookNoData:
        break;
    case kPhonebookWrongSetupFolder:
        messages.error("セットアップパスの指定に誤りがあります");
        break;
    default:
        messages.error("SearchFromTelK (Dlt06.dll) Call Error\r\nRC = " + std::to_string(result));
        break;
    }
    return result;
}

} // namespace kanata
