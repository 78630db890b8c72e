#include "maps/gui/MapButton.h"

#include "data/TelKeys.h"
#include "data/WideTrim.h"
#include "maps/RunProgram.h"
#include "platform/MessageService.h"
#include "settings/Registry.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

namespace kanata {
namespace {

std::string digitsOf(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

} // namespace

MapRequest buildMapRequest(const MapButtonInput& in, int mapIndex, int searchKind) {
    MapRequest r;
    r.SearchKind = searchKind;
    r.Latitude = in.latitude;
    r.Longitude = in.longitude;
    const std::string first = cp932::trimWide(in.tel1);
    r.Number = digitsOf(first.empty() ? cp932::trimWide(in.tel2) : first);
    r.Address = cp932::trimWide(in.tdfkn) + cp932::trimWide(in.adrs1) + cp932::trimWide(in.adrs2) +
                cp932::trimWide(in.adrs3);
    if (mapIndex == static_cast<int>(MapProduct::ProAtlasW))
        r.AddressSearch = 1;
    if (mapIndex == static_cast<int>(MapProduct::WebMap)) {
        r.SearchKind = 1;
        r.Latitude = r.Longitude = 0;
    }
    return r;
}

MapLaunchResult runMapButton(const MapButtonInput& input, int mapIndex, int searchKind,
                             const std::filesystem::path& programFolder, MessageService& messages,
                             QWidget* owner) {
    if (returnsPosition(mapIndex))
        messages.information(input.storedRecord ? "緯度経度情報は変更時に保存されます"
                                                : "緯度経度情報は登録時に保存されます",
                             owner);
    return launchMapButton(input, mapIndex, searchKind, programFolder, messages, owner);
}

MapLaunchResult launchMapButton(const MapButtonInput& input, int mapIndex, int searchKind,
                                const std::filesystem::path& programFolder,
                                MessageService& messages, QWidget* owner) {
    MapRequest request = buildMapRequest(input, mapIndex, searchKind);
    if (mapIndex == static_cast<int>(MapProduct::SuperMapple) && owner) {
        const QRect frame = owner->frameGeometry();
        request.Placement = {-1, 300, frame.left(), frame.top(), frame.right(), frame.bottom()};
    }
    Registry registry;
    MapEnvironment env{&registry, programFolder, RunProgram, [](const std::string& url) {
                           return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
                       }};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MapLaunchResult result = launchMap(mapIndex, request, env);
    QApplication::restoreOverrideCursor();
    if (result.outcome == MapOutcome::NotInstalled)
        messages.information(mapNotInstalledMessage(mapIndex), owner);
    else if (result.outcome == MapOutcome::Message)
        messages.information(result.message, owner);
    return result;
}

} // namespace kanata
