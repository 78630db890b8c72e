// The item-list (.mtd) reader on any bytes: it either loads a list or
// raises its read error, and a loaded list saves and loads again unchanged.
#include "data/THistoryData.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string scratchFile(const char* name) {
    static const std::string folder = [] {
        // Memory-backed when there is such a folder: every run writes files.
        std::string templ = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        templ += "/kanata-fuzz-mtd-XXXXXX";
        const char* made = ::mkdtemp(templ.data());
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return folder + "/" + name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = scratchFile("Rank.mtd");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    kanata::THistoryData list(path, true, 20);
    try {
        list.Load();
    } catch (const kanata::EHistoryDataError&) {
        if (list.Count() != 0)
            std::abort(); // a failed load leaves no half list
        return 0;
    }
    const int count = list.Count();
    for (int i = 0; i < count; ++i)
        (void)list.IndexOf(list.Get(i));
    list.Save();
    kanata::THistoryData again(path, true, 20);
    again.Load();
    if (again.Count() != count)
        std::abort();
    return 0;
}
