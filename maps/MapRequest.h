#pragma once
// What a map button hands to the map product chosen in the settings.
#include <array>
#include <cstdint>
#include <string>

namespace kanata {

struct MapRequest {
    // 0 = coordinates first; 1 = the other key first (the address).
    std::int32_t SearchKind = 0;
    // Milliseconds of arc; 0 or less = no position known.
    std::int32_t Latitude = 0;
    std::int32_t Longitude = 0;
    std::string Number;  // single-byte digits only
    std::string Address; // prefecture and address lines, trimmed, joined
    std::int32_t AddressSearch = 0;
    std::array<std::int32_t, 6> Placement{};
};

// The products by the index stored in COMMON Map.
enum class MapProduct {
    AtlasMate = 0,
    ProAtlas2002 = 1,
    ProAtlasW = 2,
    EmapZ = 3,
    ItsumoNavi = 4,
    MapFan = 5,
    MapFanNet = 6,
    MapFanPlanner = 7,
    SuperMapple = 8,
    GrandMap = 9,
    WebMap = 10,
};

// The products that hand a position back through a window of their own.
bool returnsPosition(int index);

// The not-installed message of each product.
std::string mapNotInstalledMessage(int index);

} // namespace kanata
