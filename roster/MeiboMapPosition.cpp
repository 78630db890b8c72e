#include "roster/MeiboMapPosition.h"

#include "platform/MessageService.h"
#include "views/CallerRegistration.h"

namespace kanata {

bool AskBeforeMeiboMap(int mapIndex, bool storedRecord, MessageService& messages,
                       const void* owner) {
    if (!returnsPosition(mapIndex))
        return false;
    if (!storedRecord) {
        messages.information(MessageLines({"緯度経度情報は登録時に保存されます"}), owner);
        return true;
    }
    return messages.ask(MessageLines({"地図で指定した座標の緯度経度を保存してもよろしいですか？"}),
                        false, owner);
}

std::optional<MapPosition> TakenMapPosition(const MapLaunchResult& result, bool take,
                                            MapPosition held) {
    if (!take || result.outcome != MapOutcome::Started)
        return std::nullopt;
    // 0 or less is no position: a product that found nothing must not wipe
    // the one held.
    const MapPosition found{result.request.Latitude, result.request.Longitude};
    if (found.latitude <= 0 || found.longitude <= 0)
        return std::nullopt;
    if (found.latitude == held.latitude && found.longitude == held.longitude)
        return std::nullopt;
    return found;
}

} // namespace kanata
