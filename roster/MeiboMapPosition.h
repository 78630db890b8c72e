#pragma once
// The roster editor's side of the map button: what it says before the map
// is shown, and which position it takes from the map afterwards.
#include "maps/MapLaunch.h"

#include <optional>

namespace kanata {

class MessageService;

struct MapPosition {
    int latitude = 0, longitude = 0;
};

// For the products that return a position: a new record hears that the
// position is stored on registering, a stored record is asked whether to
// store it now. True when a returned position is to be taken.
bool AskBeforeMeiboMap(int mapIndex, bool storedRecord, MessageService& messages,
                       const void* owner);

// The position the map brought back when it is to be taken: the product
// started, gave a position, and it differs from the one held.
std::optional<MapPosition> TakenMapPosition(const MapLaunchResult& result, bool take,
                                            MapPosition held);

} // namespace kanata
