#pragma once
// What the two adapter libraries share: the model table, one open line at a
// time, and the simulator's stored calls and dial record. Each library makes
// one AdapterLibrary with its own models (see Exports.cpp).
#include "intake/AdapterAbi.h"
#include "plugins/common/CallData.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kanata::adapter {

struct ModelEntry {
    std::int32_t kindId;
    const char* nameUtf8;
    std::int32_t historyCapacity;
    std::int32_t dialPorts;
    std::int32_t portType;
};

// One open line. open() runs on the program's main thread and must not
// block for long; close() stops every thread the line started.
class AdapterLine {
public:
    virtual ~AdapterLine() = default;
    virtual std::int32_t open(std::int32_t port) = 0;
    virtual void close() = 0;
    // 0 when the number was dialled.
    virtual std::int32_t dial(std::int32_t, const std::string&) { return 1; }
};

// The simulator adapter's memory, kept while the library is loaded so that a
// re-opened line still knows its stored calls.
struct SimulatorStore {
    std::mutex mutex;
    std::vector<AdapterHistoryRecord> history;
    std::vector<std::string> dialled; // "line,number"
};

struct LibraryConfig {
    std::uint32_t version;
    std::vector<ModelEntry> kinds;
    // Lines for models other than the simulator; null when there are none.
    std::unique_ptr<AdapterLine> (*makeDeviceLine)(const ModelEntry&, EventPoster) = nullptr;
};

inline constexpr std::int32_t kSimulatorKindAnalog = 900;
inline constexpr std::int32_t kSimulatorKindIp = 901;
inline constexpr std::int32_t kSimulatorHistoryCapacity = 100;

class AdapterLibrary {
public:
    explicit AdapterLibrary(LibraryConfig config);
    ~AdapterLibrary();

    std::int32_t version(std::int32_t* out) const;
    std::int32_t kinds(std::int32_t extendMode, std::int32_t* count, AdapterKind* buffer) const;
    std::int32_t open(AdapterHostObject* host, std::int32_t port, std::int32_t kindId);
    std::int32_t close();
    std::int32_t dial(std::int32_t line, const char* number);
    std::int32_t history(std::int32_t kindId, std::int32_t* count, AdapterHistoryRecord* buffer);

private:
    const ModelEntry* find(std::int32_t kindId) const;
    static bool isSimulator(std::int32_t kindId) {
        return kindId == kSimulatorKindAnalog || kindId == kSimulatorKindIp;
    }

    LibraryConfig config_;
    std::mutex mutex_;
    std::unique_ptr<AdapterLine> line_;
    SimulatorStore store_;
};

// Each library defines this: its one instance.
AdapterLibrary& thisLibrary();

} // namespace kanata::adapter
