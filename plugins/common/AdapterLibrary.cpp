#include "plugins/common/AdapterLibrary.h"

#include "plugins/common/Cp932Text.h"
#include "plugins/common/SimulatorLine.h"

#include <algorithm>
#include <cstring>

namespace kanata::adapter {

AdapterLibrary::AdapterLibrary(LibraryConfig config) : config_(std::move(config)) {}

// Unloading the library with a line still open must not leave a thread
// running code that is about to disappear.
AdapterLibrary::~AdapterLibrary() {
    close();
}

std::int32_t AdapterLibrary::version(std::int32_t* out) const {
    if (out)
        *out = static_cast<std::int32_t>(config_.version);
    return 0;
}

std::int32_t AdapterLibrary::kinds(std::int32_t, std::int32_t* count, AdapterKind* buffer) const {
    if (!count)
        return 1;
    const auto total = static_cast<std::int32_t>(config_.kinds.size());
    if (!buffer) {
        *count = total;
        return 0;
    }
    const std::int32_t n = std::clamp(*count, std::int32_t{0}, total);
    for (std::int32_t i = 0; i < n; ++i) {
        const ModelEntry& entry = config_.kinds[static_cast<std::size_t>(i)];
        AdapterKind kind{};
        const std::string name = toCp932(entry.nameUtf8);
        std::memcpy(kind.Name, name.data(), std::min(name.size(), sizeof kind.Name));
        kind.KindId = entry.kindId;
        kind.HistoryCapacity = entry.historyCapacity;
        kind.DialPorts = entry.dialPorts;
        kind.PortType = entry.portType;
        buffer[i] = kind;
    }
    *count = n;
    return 0;
}

const ModelEntry* AdapterLibrary::find(std::int32_t kindId) const {
    for (const ModelEntry& entry : config_.kinds)
        if (entry.kindId == kindId)
            return &entry;
    return nullptr;
}

std::int32_t AdapterLibrary::open(AdapterHostObject* host, std::int32_t port, std::int32_t kindId) {
    std::lock_guard lock(mutex_);
    if (line_) {
        line_->close();
        line_.reset();
    }
    const ModelEntry* entry = find(kindId);
    if (!entry || !host)
        return 2;
    std::unique_ptr<AdapterLine> line;
    if (isSimulator(kindId))
        line = std::make_unique<SimulatorLine>(EventPoster(host), store_);
    else if (config_.makeDeviceLine)
        line = config_.makeDeviceLine(*entry, EventPoster(host));
    if (!line)
        return 2;
    const std::int32_t rc = line->open(port);
    if (rc == KT_OPEN_OK)
        line_ = std::move(line);
    return rc;
}

std::int32_t AdapterLibrary::close() {
    std::lock_guard lock(mutex_);
    if (line_) {
        line_->close();
        line_.reset();
    }
    return 0;
}

std::int32_t AdapterLibrary::dial(std::int32_t line, const char* number) {
    std::lock_guard lock(mutex_);
    if (!line_ || !number)
        return 1;
    return line_->dial(line, std::string(number, strnlen(number, 256)));
}

std::int32_t AdapterLibrary::history(std::int32_t kindId, std::int32_t* count,
                                     AdapterHistoryRecord* buffer) {
    if (!count || *count < 0 || (*count > 0 && !buffer))
        return 1;
    if (!isSimulator(kindId) || !find(kindId)) {
        *count = 0;
        return 1;
    }
    std::lock_guard lock(store_.mutex);
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(*count), store_.history.size());
    std::copy_n(store_.history.begin(), n, buffer);
    *count = static_cast<std::int32_t>(n);
    return KT_HISTORY_OK;
}

} // namespace kanata::adapter
