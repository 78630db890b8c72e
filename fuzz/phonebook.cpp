// The phonebook directory reader on damaged sets. The input says which
// number to look up and holds the bodies of the index and record files; the
// harness wraps them in headers and a check file that agree with them (so the
// search gets past the checksums to the index and records), or, when the
// first byte is odd, writes the three files exactly as given.
#include "lookup/PhonebookData.h"
#include "lookup/PhonebookFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

const std::string& scratchFolder() {
    static const std::string folder = [] {
        // Memory-backed when there is such a folder: every run writes files.
        std::string templ = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        templ += "/kanata-fuzz-pb-XXXXXX";
        const char* made = ::mkdtemp(templ.data());
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return folder;
}

void writeFile(const char* name, std::string_view bytes) {
    const std::string path = scratchFolder() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}
    std::uint8_t byte() {
        if (rest_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::string_view take(std::size_t n) {
        const std::string_view part = rest_.substr(0, n);
        rest_.remove_prefix(part.size());
        return part;
    }
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kanata::phonebook;
    Input in(data, size);
    const bool raw = in.byte() & 1;
    std::string key;
    for (int n = in.byte() % 12; n > 0; --n)
        key.push_back(static_cast<char>('0' + in.byte() % 10));
    const std::uint32_t count = in.byte();
    const std::size_t split = in.byte() | (std::size_t{in.byte()} << 8);
    const std::string_view indexBody = in.take(split);
    const std::string_view recordsBody = in.rest();

    if (raw) {
        writeFile(kCheckFile, indexBody.substr(0, kCheckSize));
        writeFile(kIndexFile, indexBody.substr(std::min(indexBody.size(), kCheckSize)));
        writeFile(kRecordsFile, recordsBody);
    } else {
        const FileHeader header{kFormatVersion, count, 0x1234};
        const std::string index = encodeHeader(kIndexMagic, header) + std::string(indexBody);
        const std::string records = encodeHeader(kRecordsMagic, header) + std::string(recordsBody);
        CheckRecord check;
        check.count = count;
        check.setId = header.setId;
        check.indexSize = index.size();
        check.recordsSize = records.size();
        check.indexCrc = crc32(index);
        check.recordsCrc = crc32(records);
        writeFile(kIndexFile, index);
        writeFile(kRecordsFile, records);
        writeFile(kCheckFile, encodeCheck(check));
    }
    (void)decodePayload(recordsBody);

    kanata::PhonebookHit hit{};
    const int result = kanata::SearchFromTelK(key.c_str(), &hit, scratchFolder().c_str(), "");
    if (result != kanata::kPhonebookFound && result != kanata::kPhonebookNoEntry &&
        result != kanata::kPhonebookBadKey && result != kanata::kPhonebookDamaged &&
        result != kanata::kPhonebookReadError)
        std::abort();
    (void)verifySet(scratchFolder());
    return 0;
}
